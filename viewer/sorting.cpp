#include "viewer/sorting.h"

#include <vector>

namespace kestrune {

namespace {

char16_t Folded(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

int TieBreakingColumn(int column) {
    return column == ColumnTrack ? ColumnSector : ColumnFileName;
}

}  // namespace

std::u16string SortKey(const DirectoryEntry& row, int column) {
    std::u16string key(row[column].view());
    key.append(row[TieBreakingColumn(column)].view());
    return key;
}

int CompareKeys(std::u16string_view a, std::u16string_view b) {
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
    // The keys travel with their rows.
    std::vector<std::u16string> keys(n);
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = SortKey(rows[i], column);
    for (std::size_t gap = n / 2; gap > 0; gap /= 2) {
        for (std::size_t i = gap; i < n; ++i) {
            DirectoryEntry row = rows[i];
            std::u16string key = std::move(keys[i]);
            std::size_t j = i;
            for (; j >= gap && CompareKeys(keys[j - gap], key) > 0; j -= gap) {
                rows[j] = rows[j - gap];
                keys[j] = std::move(keys[j - gap]);
            }
            rows[j] = row;
            keys[j] = std::move(key);
        }
    }
}

}  // namespace kestrune
