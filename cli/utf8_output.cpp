#include "cli/utf8_output.h"

#include <algorithm>
#include <cstring>

namespace kestrune::cli {

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

constexpr std::size_t kBlock = 16;

// Narrows a block of units to bytes when all of them are ASCII. Working on local copies lets the
// compiler do it in vector registers.
bool PutAsciiBlock(char* out, const char16_t* units) {
    char16_t block[kBlock];
    std::memcpy(block, units, sizeof block);
    char16_t any = 0;
    for (const char16_t unit : block)
        any |= unit;
    if (any >= 0x80) return false;
    char bytes[kBlock];
    for (std::size_t k = 0; k < kBlock; ++k)
        bytes[k] = static_cast<char>(block[k]);
    std::memcpy(out, bytes, kBlock);
    return true;
}

// Encodes one code point; returns the end.
char* PutUtf8(char* out, char32_t code) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

}  // namespace

void WriteUtf8(std::ostream& out, std::u16string_view text) {
    // Encoded through a buffer that each step of at most kStep units cannot overflow.
    constexpr std::size_t kStep = 4096;
    char buffer[3 * kStep + 4];
    for (std::size_t i = 0; i < text.size();) {
        char* end = buffer;
        for (const std::size_t stop = std::min(text.size(), i + kStep); i < stop; ++i) {
            // Sixteen ASCII units at once, the common case.
            while (i + kBlock <= stop && PutAsciiBlock(end, text.data() + i)) {
                end += kBlock;
                i += kBlock;
            }
            if (i == stop) break;
            const char16_t unit = text[i];
            if (unit < 0x80) {
                *end++ = static_cast<char>(unit);
            } else if (IsHighSurrogate(unit) && i + 1 < text.size() &&
                       IsLowSurrogate(text[i + 1])) {
                end = PutUtf8(end,
                              0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
                ++i;
            } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
                end = PutUtf8(end, 0xFFFD);  // a surrogate without its partner
            } else {
                end = PutUtf8(end, unit);
            }
        }
        out.write(buffer, end - buffer);
    }
}

}  // namespace kestrune::cli
