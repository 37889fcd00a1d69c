// Reading the header sector and the directory of a loaded image into the disk fields and the rows
// of the file list.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "image/cell_text.h"
#include "image/disk_image.h"

namespace kestrune {

// The columns of the file list, in order.
enum Column {
    ColumnSize,
    ColumnFileName,
    ColumnType,
    ColumnStart,
    ColumnTrack,
    ColumnSector,
    ColumnGeos,
    kColumnCount
};

// One row of the file list: its seven texts in column order. Other parts read the start address,
// type, track, sector and GEOS type back from these texts, so their formats are fixed:
// Size "%4d", File Name 16 characters, Type e.g. "prg", "*seq", "rel<" or "?", Start
// "%6d ($%04X)" or empty, Track and Sector "%02X", GEOS a GEOS file type name or empty.
using DirectoryEntry = std::array<CellText, kColumnCount>;

inline constexpr std::u16string_view kGeosStatus = u"GEOS formatted disk";

struct DiskFields {
    std::u16string diskName;  // in capitals
    std::u16string diskId;    // two characters
    std::u16string dosType;   // two characters
    int blocksFree = 0;
    bool isGeosDisk = false;
};

struct Directory {
    DiskFields disk;
    std::vector<DirectoryEntry> rows;  // in directory order
    bool readError = false;            // an entry named a first track above 70 and was left out
};

Directory ReadDirectory(const DiskImage& image);

}  // namespace kestrune
