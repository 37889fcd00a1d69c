// T64 tape archives: a 64-byte header ("C64" signature, version, directory size, files used,
// tape name of 24 bytes), a directory of 32-byte entries (entry type, file type, start and end
// address, offset of the data, name of 16 bytes), then the files' data without their load
// addresses. A file's bytes are read with its start address in front, as it was in memory.
//
// Many T64 files were written by tools with faults: a directory that says more (or fewer) files
// than it holds, end addresses that do not match the data (a well-known converter wrote 0xC3C6
// for every file). The data that is there is trusted: a file runs to its end address when that
// lies within its data, else to the next file's data or the archive's end; what was wrong goes
// into the volume's fault.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

bool LooksLikeT64(std::span<const std::uint8_t> bytes);

// Nothing when the header is cut short. The volume keeps the archive's bytes; a file's bytes are
// taken from them when it is shown.
std::optional<Volume> OpenT64(std::vector<std::uint8_t> archive, std::string_view fileName);

}  // namespace kestrune
