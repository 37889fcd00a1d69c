#include "viewer/address_entry.h"

#include <algorithm>
#include <limits>

#include "image/unicode.h"

namespace kestrune {

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int HexDigit(char16_t c) {
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

Message AddressHintMessage() {
    return {MessageId::AddressHint, MessageKind::Error,
            u"Precede hexadecimal numbers with a \"$\"\n\nFor example: $C000"};
}

Message AddressOutOfRangeMessage() {
    return {MessageId::AddressOutOfRange, MessageKind::Error,
            u"Address is out of range of the file."};
}

std::int32_t ParseHexadecimalLong(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    // "0x" is a prefix only when a hexadecimal digit follows it; otherwise the "0" is the number.
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        HexDigit(text[i + 2]) >= 0) {
        i += 2;
    }
    constexpr std::int64_t kLimit = std::int64_t{1} << 32;  // beyond every 32-bit result
    std::int64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = std::min(value * 16 + HexDigit(text[i]), kLimit);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t ParseDecimalInt(std::u16string_view text) {
    if (text.empty() || !(text.front() == u'-' || IsDigit(text.front()))) return 0;
    const bool negative = text.front() == u'-';
    std::uint32_t value = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + static_cast<std::uint32_t>(text[i] - u'0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

AddressJudgement JudgeAddress(std::u16string_view typed, std::int32_t rangeStart,
                              std::int32_t rangeEnd) {
    const std::u16string lower = AsciiLower(typed);
    std::u16string_view text = lower;
    std::int32_t address = 0;
    if (!text.empty() && text.front() == u'$') {
        while (!text.empty() && text.front() == u'$')
            text.remove_prefix(1);
        address = ParseHexadecimalLong(text);
    } else if (text.find_first_of(u"abcdef") != std::u16string::npos) {
        return {0, AddressHintMessage()};
    } else {
        address = ParseDecimalInt(text);
    }
    if (address < rangeStart || address > rangeEnd) return {0, AddressOutOfRangeMessage()};
    return {address, std::nullopt};
}

}  // namespace kestrune
