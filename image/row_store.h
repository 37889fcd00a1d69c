// The two process-wide tables behind the file list: one keeps the rows in directory order, the
// other in the order of the last sort. Each holds 200 rows; only the first rows, as many as the
// list shows, have meaning.
#pragma once

#include <algorithm>
#include <array>
#include <span>

#include "image/directory.h"

namespace kestrune {

inline constexpr std::size_t kRowStoreCapacity = 200;

class RowStore {
  public:
    // Empties every cell of all 200 rows.
    void Clear();
    // Copies rows into the first positions (at most 200 of them).
    void Fill(std::span<const DirectoryEntry> rows);

    DirectoryEntry& operator[](std::size_t row) { return rows_[row]; }
    const DirectoryEntry& operator[](std::size_t row) const { return rows_[row]; }
    std::span<DirectoryEntry> First(std::size_t count) {
        return std::span(rows_).first(std::min(count, kRowStoreCapacity));
    }

  private:
    std::array<DirectoryEntry, kRowStoreCapacity> rows_;
};

}  // namespace kestrune
