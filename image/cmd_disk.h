// CMD disks: the FD2000 and FD4000 floppies (D1M, D2M and D4M images: 81 tracks of 40, 80 or 160
// sectors, sometimes with an error byte a sector after them) and the native partitions of CMD
// drives (DNP images: tracks of 256 sectors, as many as the partition has).
//
// A floppy holds a partition table on its last track, from sector 8: 32 entries of 32 bytes, the
// first the system partition; each names the partition's type (1 native, 2, 3 and 4 for 1541,
// 1571 and 1581 emulation, 5 to 7 for CP/M, a print buffer and foreign data), its name, where
// it starts and how long it is, both in 512-byte blocks. Each partition is a row, opened as the
// D64, D71, D81 or native partition it holds.
//
// A native partition keeps its header at 1/1 (its first directory sector, name, ID and DOS type,
// "1H"), its BAM from 1/2 (the last track at byte 8; 32 bytes a track, sector 0 in the high bit,
// tracks 1 to 7 from offset 32 of 1/2 and eight tracks a sector after it) and its directory from
// the header's link. A directory entry of type 6 is a subdirectory: its header block, laid out as
// the partition's, names its own directory; it is a row opened like a partition.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "image/volume.h"

namespace kestrune {

inline constexpr std::uint64_t kD1MSize = 829440;   // 81 tracks of 40 sectors
inline constexpr std::uint64_t kD2MSize = 1658880;  // 81 tracks of 80 sectors
inline constexpr std::uint64_t kD4MSize = 3317760;  // 81 tracks of 160 sectors

// Whether the bytes are a D1M, D2M or D4M: their size, with or without error bytes, and a system
// partition first in the partition table.
bool LooksLikeCmdFloppy(std::span<const std::uint8_t> bytes);

// The partition table of a D1M, D2M or D4M.
Volume OpenCmdFloppy(DiskImage image, std::string_view fileName);

// Whether the bytes are a native partition: whole tracks of 256 sectors and a header at 1/1 of
// DOS type "1H".
bool LooksLikeDnp(std::span<const std::uint8_t> bytes);

Volume OpenDnp(DiskImage image);

// A partition of a CMD floppy, or a subdirectory of a native partition, as a volume of its own.
std::optional<Volume> OpenCmdPartition(const Volume& volume, const DirectoryEntry& entry);

}  // namespace kestrune
