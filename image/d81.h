// D81 images of the 1581: 80 tracks of 40 sectors, the header at 40/0, the BAM at 40/1 (tracks 1
// to 40) and 40/2 (41 to 80), the directory from 40/3. A partition (type CBM) of whole tracks, at
// least three, that does not hold track 40 can be a disk of its own, laid out the same way from
// its first track.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "image/volume.h"

namespace kestrune {

inline constexpr std::uint64_t kD81Size = 819200;            // 3200 sectors
inline constexpr std::uint64_t kD81WithErrorsSize = 822400;  // and an error byte for each

// Whether bytes of this size look like a D81: the size, and a header at 40/0 that the 1581 wrote
// (DOS version 'D').
bool LooksLikeD81(std::span<const std::uint8_t> bytes);

Volume OpenD81(DiskImage image);

// The directory of a partition entry of a D81 volume.
std::optional<Volume> OpenD81Partition(const Volume& volume, const DirectoryEntry& entry);

}  // namespace kestrune
