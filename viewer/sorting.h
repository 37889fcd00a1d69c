// Sorting the file list by a column, always ascending, the way the window does it: a Shell sort of
// the rows by a text key, so rows with equal keys land exactly where that procedure puts them.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "viewer/row_texts.h"

namespace kestrune {

// The text a row sorts by: the text of the column followed directly by the text of the
// tie-breaking column, Sector after Track and File Name after every other column (File Name
// itself too). Held as the two texts, read as one.
struct SortKeyText {
    std::u16string_view first;
    std::u16string_view second;

    std::size_t size() const { return first.size() + second.size(); }
    char16_t operator[](std::size_t i) const {
        return i < first.size() ? first[i] : second[i - first.size()];
    }
    std::u16string str() const { return std::u16string(first).append(second); }
};

SortKeyText SortKey(const RowTexts& row, int column);

// The C locale's case-insensitive comparison of two keys: unit by unit, A to Z taken as a to z and
// nothing else folded; a key that ends where the other goes on is smaller. Returns <0, 0, >0.
int CompareKeys(const SortKeyText& a, const SortKeyText& b);

// Sorts order, indexes into rows, ascending by SortKey(rows[index], column): gaps n/2, n/4, ... 1,
// each pass an insertion sort over the positions that lie one gap apart. The result depends on
// the order it starts from, as the list's own sort does.
void SortByColumn(std::span<std::size_t> order, std::span<const RowTexts> rows, int column);

}  // namespace kestrune
