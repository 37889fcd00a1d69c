// Sorting the file list by a column, always ascending, the way the window does it: a Shell sort of
// the rows by a text key, so rows with equal keys land exactly where that procedure puts them.
#pragma once

#include <span>
#include <string>

#include "image/directory.h"

namespace kestrune {

// The text of column c followed by the text of the tie-breaking column: Sector after Track, File
// Name after every other column (File Name itself too).
std::u16string SortKey(const DirectoryEntry& row, int column);

// The C locale's case-insensitive comparison of two texts: unit by unit, A to Z taken as a to z
// and nothing else folded; a text that ends where the other goes on is smaller. Returns <0, 0, >0.
int CompareKeys(std::u16string_view a, std::u16string_view b);

// Sorts rows ascending by SortKey(row, column): gaps n/2, n/4, ... 1, each pass an insertion sort
// over the rows that lie one gap apart, moving whole rows.
void SortByColumn(std::span<DirectoryEntry> rows, int column);

}  // namespace kestrune
