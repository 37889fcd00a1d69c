// ZipCode disks: a 1541 disk in four files (five for 40 tracks), 1!NAME to 4!NAME, tracks 1-8,
// 9-16, 17-25 and 26-35 (and 36-40). Each file is a program: the first loads at $03FE and
// starts with the disk's two ID bytes, the others load at $0400; then come its sectors, each a
// track byte (its two high bits the packing), a sector byte and the data: 256 bytes as they are
// ($00), one byte that fills the sector ($40), or a run-length stream ($80: its length, the byte
// that marks a run, then the stream, where that byte is followed by a count and a value).
// Opened from any of its files, the set is read as the D64 it makes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

// Reads another file of the folder a file was opened from, by its name, when it holds at most
// the bytes given; nothing when it is not there, is larger or cannot be read.
using ReadSibling =
    std::function<std::optional<std::vector<std::uint8_t>>(std::string_view, std::uint64_t)>;

// The number of the part a file name names ("2!GAME": 2), nothing for another name.
std::optional<int> ZipCodePart(std::string_view fileName);

bool LooksLikeZipCode(std::string_view fileName, std::span<const std::uint8_t> bytes);

// The D64 the set makes, read from this part's bytes and its siblings. What was missing or
// broken is named in the volume's fault.
Volume OpenZipCode(std::string_view fileName, std::vector<std::uint8_t> bytes,
                   const ReadSibling& sibling);

}  // namespace kestrune
