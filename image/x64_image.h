// X64 images: a 64-byte header (0x43 0x15 0x41 0x64, version, drive type, tracks, sides, error
// flag) in front of the sectors of a D64 or D71 image.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "image/disk_image.h"

namespace kestrune {

inline constexpr std::size_t kX64HeaderSize = 64;

bool LooksLikeX64(std::span<const std::uint8_t> bytes);

// The D64 or D71 image behind the header, when its size is one of theirs.
std::optional<DiskImage> X64Body(std::span<const std::uint8_t> bytes);

}  // namespace kestrune
