#include "viewer/sorting.h"

#include <algorithm>

#include "text/unicode.h"

namespace kestrune {

namespace {

int TieBreakingColumn(int column) {
    return column == ColumnTrack ? ColumnSector : ColumnFileName;
}

}  // namespace

SortKeyText SortKey(const RowTexts& row, int column) {
    return {row[column].view(), row[TieBreakingColumn(column)].view()};
}

int CompareKeys(const SortKeyText& a, const SortKeyText& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t x = LowerLetter(a[i]);
        const char16_t y = LowerLetter(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortByColumn(std::span<std::size_t> order, std::span<const RowTexts> rows, int column) {
    const std::size_t n = order.size();
    for (std::size_t gap = n / 2; gap > 0; gap /= 2) {
        for (std::size_t i = gap; i < n; ++i) {
            const std::size_t moving = order[i];
            const SortKeyText key = SortKey(rows[moving], column);
            std::size_t j = i;
            for (; j >= gap && CompareKeys(SortKey(rows[order[j - gap]], column), key) > 0;
                 j -= gap) {
                order[j] = order[j - gap];
            }
            order[j] = moving;
        }
    }
}

}  // namespace kestrune
