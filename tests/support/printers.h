// How test failures print the project's texts: as UTF-8.
#pragma once

#include <ostream>
#include <string>

#include "text/unicode.h"
#include "viewer/cell_text.h"

namespace kestrune {

inline void PrintTo(const CellText& text, std::ostream* out) {
    *out << '"' << Utf16ToUtf8(text.view()) << '"';
}

}  // namespace kestrune
