#include "viewer/row_decoding.h"

namespace kestrune {

namespace {

constexpr std::size_t kHexPartLength = 8;  // " ($hhhh)"

bool IsWhiteSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

std::int32_t DecodeStart(std::u16string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    if (text.size() <= kHexPartLength) return 0;
    text.remove_suffix(kHexPartLength);
    const bool negative = text.front() == u'-';
    if (negative) text.remove_prefix(1);
    std::uint32_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

int DecodeDecimal(std::u16string_view text) {
    while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    int value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9' || value > 0xFFFFFF) break;
        value = value * 10 + (c - u'0');
    }
    return value;
}

int DecodeHex(std::u16string_view text) {
    int value = 0;
    for (const char16_t c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0 || value > 0xFFFFFF) break;
        value = value * 16 + digit;
    }
    return value;
}

DecodedRow DecodeRow(const DirectoryEntry& row) {
    return {DecodeStart(row[ColumnStart]),  !row[ColumnStart].empty(),
            DecodeDecimal(row[ColumnSize]), DecodeHex(row[ColumnTrack]),
            DecodeHex(row[ColumnSector]),   row[ColumnGeos].str()};
}

}  // namespace kestrune
