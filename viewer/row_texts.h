// The seven texts of a row of the file list, made from its directory entry. They are what the list
// shows, what kestrune-cli prints and what sorting compares; nothing reads them back.
#pragma once

#include <array>
#include <string_view>

#include "viewer/cell_text.h"

namespace kestrune {

struct DirectoryEntry;

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

// Size "%4d"; File Name the 16 name bytes through the PETSCII table (the GEOS table on a GEOS
// disk); Type e.g. "prg", "*seq" (not closed), "rel<" (locked) or "?" for an unknown type; Start
// "%6d ($%04X)" for a program, else empty; Track and Sector "%02X"; GEOS the name of the GEOS
// file type, or empty.
using RowTexts = std::array<CellText, kColumnCount>;

// Writes the texts of entry into row, in place: a list of many rows is filled without copies.
void FormatRow(const DirectoryEntry& entry, bool geosDisk, RowTexts& row);

// The name of a GEOS file type byte; empty for 0, 1 and the bytes that name no type.
std::u16string_view GeosTypeName(std::uint8_t geosType);

}  // namespace kestrune
