// Names printed in a Commodore 64 character set (dir --charset): each PETSCII byte as the
// Unicode character of that set, the reversed ones between the terminal's reverse-video escapes,
// as cc1541 -U prints them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "text/c64_charsets.h"

namespace kestrune::cli {

struct C64Name {
    std::string utf8;   // with its escapes
    std::size_t width;  // the characters it takes on screen
};

// The name up to its first shifted space (0xA0), which pads it.
C64Name C64NameText(std::span<const std::uint8_t> name, Charset charset);

}  // namespace kestrune::cli
