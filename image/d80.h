// D80 and D82 images of the 8050 and 8250: 77 tracks (the 8250 two sides of 77) of 29, 27, 25 or
// 23 sectors by zone, the header at 39/0, the BAM from 38/0 (one sector for every 50 tracks),
// the directory from 39/1.
#pragma once

#include <span>

#include <cstdint>

#include "image/volume.h"

namespace kestrune {

inline constexpr std::uint64_t kD80Size = 533248;   // 2083 sectors
inline constexpr std::uint64_t kD82Size = 1066496;  // 4166 sectors

// Whether bytes of this size look like a D80 or D82, with or without error bytes: the size, and a
// header at 39/0 that the 8050 wrote (DOS version 'C').
bool LooksLikeD80(std::span<const std::uint8_t> bytes);

Volume OpenD80(DiskImage image);

}  // namespace kestrune
