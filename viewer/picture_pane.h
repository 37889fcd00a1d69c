// What the Picture view shows of the file on show: the picture in colour numbers, ready for a
// palette, with the format it was drawn in and what did not fit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct PicturePane {
    std::string_view format;  // the format's key; empty when no format is chosen or found
    std::u16string_view formatName;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // a colour number (0-15) for each pixel, row after row
    std::u16string note;               // what did not fit; empty when the file was whole
};

// A format the Picture view offers, and whether the file's load address and length name it.
struct PictureFormatChoice {
    std::string_view key;
    std::u16string_view name;
};

// The colours sprites and character sets are drawn in, by colour number: the background, their
// own colour, and the two shared multicolours.
struct PictureColourChoice {
    std::uint8_t background = 0;
    std::uint8_t colour = 1;
    std::uint8_t multicolour1 = 15;
    std::uint8_t multicolour2 = 12;
};

struct PaletteChoice {
    std::string_view key;
    std::string_view name;
    std::array<std::uint32_t, 16> rgb;  // 0xRRGGBB by colour number
};

}  // namespace kestrune
