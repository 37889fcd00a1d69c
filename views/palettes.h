// The sixteen colours of the VIC-II as measured palettes give them, 0xRRGGBB by colour number:
// black, white, red, cyan, purple, green, blue, yellow, orange, brown, light red, dark grey, grey,
// light green, light blue, light grey.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrune {

struct Palette {
    std::string_view key;   // how kestrune-cli names it
    std::string_view name;  // how a menu names it
    std::array<std::uint32_t, 16> rgb;
};

// The colours' names, by number.
inline constexpr std::array<std::string_view, 16> ColourNames = {
    "black", "white",       "red",        "cyan",      "purple",    "green",
    "blue",  "yellow",      "orange",     "brown",     "light red", "dark grey",
    "grey",  "light green", "light blue", "light grey"};

// clang-format off
inline constexpr std::array<Palette, 2> Palettes = {{
    {"pepto", "Pepto",
     {0x000000, 0xFFFFFF, 0x68372B, 0x70A4B2, 0x6F3D86, 0x588D43, 0x352879, 0xB8C76F,
      0x6F4F25, 0x433900, 0x9A6759, 0x444444, 0x6C6C6C, 0x9AD284, 0x6C5EB5, 0x959595}},
    {"colodore", "Colodore",
     {0x000000, 0xFFFFFF, 0x813338, 0x75CEC8, 0x8E3C97, 0x56AC4D, 0x2E2C9B, 0xEDF171,
      0x8E5029, 0x553800, 0xC46C71, 0x4A4A4A, 0x7B7B7B, 0xA9FF9F, 0x706DEB, 0xB2B2B2}},
}};
// clang-format on

}  // namespace kestrune
