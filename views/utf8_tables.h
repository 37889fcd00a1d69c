// The characters the PETSCII and ScrCode views show for each byte, encoded as UTF-8 once, for
// the writers that make their text as UTF-8 straight away.
#pragma once

#include <array>
#include <cstdint>

#include "text/charsets.h"

namespace kestrune {

// A character of at most three UTF-8 bytes and how many it takes. A writer may copy all four
// bytes of it and advance by size.
struct Utf8Char {
    char bytes[3];
    std::uint8_t size;
};

constexpr Utf8Char EncodedChar(char16_t c) {
    if (c < 0x80) return {{static_cast<char>(c), 0, 0}, 1};
    if (c < 0x800)
        return {{static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0}, 2};
    return {{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
             static_cast<char>(0x80 | (c & 0x3F))},
            3};
}

template <typename Map>
constexpr std::array<Utf8Char, 256> EncodedTable(Map map) {
    std::array<Utf8Char, 256> table{};
    for (int code = 0; code < 256; ++code)
        table[static_cast<std::size_t>(code)] = EncodedChar(map(static_cast<std::uint8_t>(code)));
    return table;
}

// By byte: its character in the PETSCII table, and in the screen-code table (reverse bit ignored).
inline constexpr auto kPetsciiUtf8 = EncodedTable([](std::uint8_t b) { return PetsciiTable[b]; });
inline constexpr auto kScreenCodeUtf8 =
    EncodedTable([](std::uint8_t b) { return ScreenCodeTable[b & 0x7F]; });

}  // namespace kestrune
