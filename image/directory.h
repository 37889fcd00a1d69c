// Reading the header sector and the directory of a loaded image into the disk fields and the
// directory entries.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/disk_image.h"

namespace kestrune {

// One entry of the directory as it is stored: numbers and the name's own bytes. The list's texts
// are made from it by the viewer.
struct DirectoryEntry {
    std::uint16_t blocks = 0;
    std::array<std::uint8_t, 16> name{};  // PETSCII (or GEOS) bytes, padded with 0xA0
    std::uint8_t type = 0;                // file type in bits 0-2, locked 0x40, closed 0x80
    std::uint8_t track = 0;               // the first block of the file
    std::uint8_t sector = 0;
    // A program's load address, the first two data bytes of its first block: only closed or
    // unclosed PRG files (type 0x82, 0xC2 or 0x02) have one.
    std::optional<std::uint16_t> loadAddress;
    std::uint8_t geosType = 0;      // the GEOS file type byte, 0 for a file without one
    std::uint8_t recordLength = 0;  // a REL file's record length

    bool operator==(const DirectoryEntry&) const = default;
};

inline constexpr std::u16string_view kGeosStatus = u"GEOS formatted disk";

struct DiskFields {
    std::u16string diskName;  // in capitals
    std::u16string diskId;    // two characters
    std::u16string dosType;   // two characters
    int blocksFree = 0;
    bool isGeosDisk = false;  // names are then read in the GEOS character set
};

struct Directory {
    DiskFields disk;
    std::vector<DirectoryEntry> entries;  // in directory order
    bool readError = false;               // an entry named a first track above 70 and was left out
};

Directory ReadDirectory(const DiskImage& image);

}  // namespace kestrune
