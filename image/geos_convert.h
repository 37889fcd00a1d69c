// GEOS files in the Convert layout (.cvt), the form GEOS files travel in outside a disk: a block
// of 254 bytes with the directory entry (its track and sector links zeroed) and the signature
// "PRG formatted GEOS file V1.0", the info block's 254 bytes, and then a sequential file's data,
// or a VLIR file's record block (for each of its 127 records the number of blocks and the index
// of the last byte used in the last, (0, $FF) for an empty record and (0, 0) for none) followed
// by the records, each in whole blocks of 254 bytes but the last, which ends at its last byte.
// This is the layout cbmconvert writes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

// Whether the entry is a GEOS file: a GEOS type and an info block.
bool IsGeosFile(const DirectoryEntry& entry);

// The entry's GEOS file in the Convert layout, read from the volume's sectors; nothing for an
// entry that is no GEOS file of a disk. Blocks the disk lacks read as zeros; a chain that breaks
// off gives what it read.
std::optional<std::vector<std::uint8_t>> GeosConvertFile(const Volume& volume,
                                                         const DirectoryEntry& entry);

bool LooksLikeCvt(std::span<const std::uint8_t> bytes);

// A Convert file as a container of its one GEOS file's parts: its info block, and its data (a
// sequential file) or each of its records (a VLIR file). Nothing when the file is shorter than
// its signature and info blocks.
std::optional<Volume> OpenCvt(std::vector<std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
