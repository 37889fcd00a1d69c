// G64 and G71 images: the bit streams that disk-copy hardware read from each track (half tracks
// included), as the drive's head sees them. They are decoded into the sectors of a D64 or D71
// image, the way the 1541's DOS reads them: a sync (ten or more 1 bits), a header block (0x08,
// checksum, sector, track, ID), another sync, a data block (0x07, 256 bytes, checksum), every
// four bytes written as five in group code recording (GCR).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/disk_image.h"

namespace kestrune {

struct DecodedDisk {
    // The sectors in the order of a D64 (35, 40 or 42 tracks) or D71, followed by an error byte
    // for each sector when a sector did not decode (1 for none, 2 for error 20, 3 for 21, 4 for 22,
    // 5 for 23, 6 for 24, 9 for 27, 11 for 29), as in a D64 with error bytes.
    DiskImage image;
    std::vector<bool> unreadable;  // by sector index: the sectors that did not decode, left 0
    bool doubleSided = false;
};

struct GcrOutcome {
    std::optional<DecodedDisk> disk;
    std::u16string fault;  // why the image cannot be read, when it cannot
};

// Whether bytes start with the signature of a G64 ("GCR-1541") or G71 ("GCR-1571").
bool LooksLikeGcrImage(std::span<const std::uint8_t> bytes);

GcrOutcome DecodeGcrImage(std::span<const std::uint8_t> bytes);

// The bits of a half track by its index (0 for track 1, 1 for track 1.5, ...; a 1571's second
// side from 84 on), empty where there are none.
using HalfTrackBits = std::function<std::span<const std::uint8_t>(int index)>;

// Decodes the tracks of a disk, whatever image held them.
GcrOutcome DecodeGcrTracks(const HalfTrackBits& halfTrack, bool doubleSided);

}  // namespace kestrune
