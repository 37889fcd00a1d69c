#include "text/parsing.h"

#include <algorithm>
#include <limits>

namespace kestrune {

std::int32_t ParseHexadecimalLong(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // "0x" is a prefix only when a hexadecimal digit follows it; otherwise the "0" is the number.
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        HexDigitValue(text[i + 2]) >= 0) {
        i += 2;
    }
    constexpr std::int64_t kLimit = std::int64_t{1} << 32;  // beyond every 32-bit result
    std::int64_t value = 0;
    for (; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
        value = std::min(value * 16 + HexDigitValue(text[i]), kLimit);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t ParseDecimalInt(std::u16string_view text) {
    if (text.empty() || !(text.front() == u'-' || IsDecimalDigit(text.front()))) return 0;
    const bool negative = text.front() == u'-';
    std::uint32_t value = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size() && IsDecimalDigit(text[i]); ++i) {
        value = value * 10 + static_cast<std::uint32_t>(text[i] - u'0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

}  // namespace kestrune
