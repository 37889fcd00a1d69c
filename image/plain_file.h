// A Commodore file on its own (.prg, .seq, .usr, .rel, .del): one row named after the file, its
// type from the extension.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

// Whether the file name has one of those extensions, in any letter case.
bool IsPlainFileName(std::string_view fileName);

Volume OpenPlainFile(std::vector<std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
