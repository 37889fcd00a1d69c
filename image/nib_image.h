// NIB and NBZ images: the raw GCR bytes a 1541 read from each (half) track, as nibbler hardware
// copies them. A NIB starts with "MNIB-1541-RAW" and its version; from offset 16 a table of two
// bytes a track (the half-track number, 2 for track 1, and the track's density), ended by a 0;
// from offset 256 the tracks in the table's order, 8,192 bytes each. An NBZ is a NIB packed as a
// whole with LZ77: its first byte is a marker; any other byte is itself; the marker and a 0 is
// the marker byte; the marker and two numbers (seven bits a byte, high bit set on all but the
// last) copies that many bytes from that far back. The tracks are decoded as a G64's are.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/gcr_image.h"

namespace kestrune {

bool LooksLikeNib(std::span<const std::uint8_t> bytes);

// Whether bytes unpack to the start of a NIB.
bool LooksLikeNbz(std::span<const std::uint8_t> bytes);

// The NIB an NBZ unpacks to, at most the bytes of a NIB of 120 tracks; nothing when the packed
// stream is broken or unpacks to more.
std::optional<std::vector<std::uint8_t>> UnpackNbz(std::span<const std::uint8_t> bytes);

GcrOutcome DecodeNib(std::span<const std::uint8_t> bytes);

}  // namespace kestrune
