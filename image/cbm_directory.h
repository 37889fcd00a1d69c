// The directory of a Commodore DOS disk as the 1581 and the 8050/8250 keep it: a chain of sectors
// of eight 32-byte entries each, from a fixed first sector on.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/volume.h"

namespace kestrune {

// Where the fields of a 32-byte directory entry lie, on every Commodore DOS disk.
inline constexpr std::uint32_t kEntrySize = 32;
inline constexpr std::uint32_t kEntryType = 0x02;
inline constexpr std::uint32_t kEntryTrack = 0x03;
inline constexpr std::uint32_t kEntrySector = 0x04;
inline constexpr std::uint32_t kEntryName = 0x05;
inline constexpr std::uint32_t kEntryAuxTrack = 0x15;
inline constexpr std::uint32_t kEntryAuxSector = 0x16;
inline constexpr std::uint32_t kEntryRecordLength = 0x17;
inline constexpr std::uint32_t kEntryGeosType = 0x18;
inline constexpr std::uint32_t kEntryDate = 0x19;  // a GEOS file's year, month, day, hour, minute
inline constexpr std::uint32_t kEntryBlocks = 0x1E;

// The disk name from 16 bytes of a header sector: up to the first byte 0, in capitals.
std::u16string DiskNameText(std::span<const std::uint8_t> name, bool geos);

// The bytes of a disk name up to the first byte 0.
std::vector<std::uint8_t> NameBytes(std::span<const std::uint8_t> name);

// A file's name for a message: its bytes as DiskNameText reads them, without trailing spaces.
std::u16string FileNameText(std::span<const std::uint8_t> name);

// The 256 bytes of a sector of volume, or nothing where the image does not hold it whole.
const std::uint8_t* SectorOf(const Volume& volume, int track, int sector);

// Reads the entries of the chain from track, sector into volume.entries, marking its sectors as
// the file system's (once StartBookkeeping has sized the marks). The walk stops at a link
// the layout does not have and at a sector it has read. An entry whose first track the disk does
// not have ends the walk with readError set, like the 1541's. Entries of type 0 (scratched) and
// names starting with byte 0 or 1 are passed over. The entries take track as their directory
// track.
void ReadDirectoryChain(Volume& volume, int track, int sector);

}  // namespace kestrune
