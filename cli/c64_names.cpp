#include "cli/c64_names.h"

#include <algorithm>

namespace kestrune::cli {

namespace {

constexpr std::string_view kReverseOn = "\x1b[7m";
constexpr std::string_view kReverseOff = "\x1b[m";
constexpr std::uint8_t kShiftedSpace = 0xA0;

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

C64Name C64NameText(std::span<const std::uint8_t> name, Charset charset) {
    const std::array<char32_t, 256>& table = C64CharsetTable(charset);
    C64Name text{{}, 0};
    for (const std::uint8_t code : name) {
        if (code == kShiftedSpace) break;
        if (IsReversedPetscii(code)) text.utf8 += kReverseOn;
        AppendCodePoint(text.utf8, table[code]);
        if (IsReversedPetscii(code)) text.utf8 += kReverseOff;
        ++text.width;
    }
    return text;
}

}  // namespace kestrune::cli
