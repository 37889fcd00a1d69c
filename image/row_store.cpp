#include "image/row_store.h"

#include <algorithm>

namespace kestrune {

void RowStore::Clear() {
    for (DirectoryEntry& row : rows_) {
        for (CellText& cell : row)
            cell.clear();
    }
}

void RowStore::Fill(std::span<const DirectoryEntry> rows) {
    const std::size_t count = std::min(rows.size(), kRowStoreCapacity);
    std::copy_n(rows.begin(), count, rows_.begin());
}

}  // namespace kestrune
