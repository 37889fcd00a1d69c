// Numbers written as UTF-16 text the way printf writes them: "%*d", "%0*x" and "%0*X". The writers
// run once for every byte of a hex dump or disassembly and are always inlined.
#pragma once

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <string>

namespace kestrune {

// value in decimal, right-aligned in width places (wider numbers take more); returns the end.
[[gnu::always_inline]] inline char16_t* PutDecimal(char16_t* out, std::int64_t value,
                                                   std::size_t width = 0) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto length = static_cast<std::size_t>(end - digits); length < width; ++length)
        *out++ = u' ';
    for (const char* digit = digits; digit != end; ++digit)
        *out++ = static_cast<char16_t>(*digit);
    return out;
}

// value in hexadecimal with at least minDigits digits, zero-filled; returns the end.
[[gnu::always_inline]] inline char16_t* PutHex(char16_t* out, std::uint32_t value, int minDigits,
                                               bool upperCase = false) {
    const char16_t* digits = upperCase ? u"0123456789ABCDEF" : u"0123456789abcdef";
    const int count = std::max(minDigits, static_cast<int>(std::bit_width(value) + 3) / 4);
    for (int i = count - 1; i >= 0; --i, value >>= 4)
        out[i] = digits[value & 0xF];
    return out + count;
}

inline void AppendDecimal(std::u16string& text, std::int64_t value, std::size_t width = 0) {
    char16_t buffer[48];
    text.append(buffer, PutDecimal(buffer, value, width));
}

// value in decimal with its digits in groups of three: "16,427".
inline std::u16string GroupedDecimal(std::uint64_t value) {
    char16_t buffer[32];
    std::u16string digits(buffer, PutDecimal(buffer, static_cast<std::int64_t>(value)));
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, u',');
    return digits;
}

inline void AppendHex(std::u16string& text, std::uint32_t value, int minDigits,
                      bool upperCase = false) {
    char16_t buffer[8];
    text.append(buffer, PutHex(buffer, value, minDigits, upperCase));
}

}  // namespace kestrune
