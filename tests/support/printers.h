// How test failures print the project's texts: as UTF-8.
#pragma once

#include <ostream>
#include <string>

#include "text/unicode.h"
#include "viewer/cell_text.h"
#include "viewer/disk_map.h"

namespace kestrune {

inline void PrintTo(const CellText& text, std::ostream* out) {
    *out << '"' << Utf16ToUtf8(text.view()) << '"';
}

inline void PrintTo(const Finding& finding, std::ostream* out) {
    *out << finding.kind << " " << finding.track << "/" << finding.sector << ": "
         << Utf16ToUtf8(finding.text);
}

}  // namespace kestrune
