#include "viewer/sorting.h"

#include <algorithm>

namespace kestrune {

namespace {

char16_t Folded(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

int TieBreakingColumn(int column) {
    return column == ColumnTrack ? ColumnSector : ColumnFileName;
}

}  // namespace

SortKeyText SortKey(const DirectoryEntry& row, int column) {
    return {row[column].view(), row[TieBreakingColumn(column)].view()};
}

int CompareKeys(const SortKeyText& a, const SortKeyText& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = Folded(a[i]);
        const char16_t y = Folded(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortByColumn(std::span<DirectoryEntry> rows, int column) {
    const std::size_t n = rows.size();
    for (std::size_t gap = n / 2; gap > 0; gap /= 2) {
        for (std::size_t i = gap; i < n; ++i) {
            const DirectoryEntry row = rows[i];
            const SortKeyText key = SortKey(row, column);
            std::size_t j = i;
            for (; j >= gap && CompareKeys(SortKey(rows[j - gap], column), key) > 0; j -= gap) {
                rows[j] = rows[j - gap];
            }
            rows[j] = row;
        }
    }
}

}  // namespace kestrune
