// Reading numbers out of typed text exactly as the C library and the Windows shell read them.
#pragma once

#include <cstdint>
#include <string_view>

namespace kestrune {

// C's isspace in the C locale: space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsCSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

constexpr bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The value of a hexadecimal digit in either letter case, -1 for any other character.
constexpr int HexDigitValue(char16_t c) {
    if (IsDecimalDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// C's wcstol with base 16 and a 32-bit long: leading white space, an optional sign, an optional
// "0x", the hexadecimal digits up to the first other character (0 when there are none); a value
// beyond the 32-bit range saturates to its nearest limit.
std::int32_t ParseHexadecimalLong(std::u16string_view text);

// StrToInt: only when the text begins with "-" or a digit, an optional minus sign and the decimal
// digits up to the first other character; anything else is 0. Digits beyond the 32-bit range wrap
// around.
std::int32_t ParseDecimalInt(std::u16string_view text);

}  // namespace kestrune
