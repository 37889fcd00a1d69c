// The list's texts of every entry of a directory, for tests that check them.
#pragma once

#include <vector>

#include "image/directory.h"
#include "viewer/row_texts.h"

namespace kestrune::testing {

inline std::vector<RowTexts> RowsOf(const Directory& directory) {
    std::vector<RowTexts> rows(directory.entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        FormatRow(directory.entries[i], directory.disk.isGeosDisk, rows[i]);
    return rows;
}

}  // namespace kestrune::testing
