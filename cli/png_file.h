// A picture written as a PNG file: 8-bit RGB, no interlace.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>

namespace kestrune::cli {

// Writes width x height pixels of rgb (three bytes a pixel, row after row) to out; false when
// writing failed.
bool WritePng(std::ostream& out, int width, int height, std::span<const std::uint8_t> rgb);

}  // namespace kestrune::cli
