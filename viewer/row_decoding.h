// Reading a list row's own texts back: the list may be sorted, so the file on show is decoded from
// the row it is shown from.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "image/directory.h"

namespace kestrune {

struct DecodedRow {
    std::int32_t startAddress = 0;  // 0 without a Start text
    bool hasLoadAddress = false;    // the row has a Start text: a PRG file
    int blocks = 0;                 // the Size column
    int track = 0;
    int sector = 0;
    std::u16string geosType;  // empty for a file without one
};

// The Start text "%6d ($%04X)": leading white space removed, the last 8 characters (" ($hhhh)")
// dropped, the rest read as a decimal number from its leading digits with an optional minus
// first. A text that does not begin so reads as 0.
std::int32_t DecodeStart(std::u16string_view text);

// A decimal number after leading white space, from its leading digits; 0 when there are none.
int DecodeDecimal(std::u16string_view text);

// A hexadecimal number from the leading hexadecimal digits; 0 when there are none.
int DecodeHex(std::u16string_view text);

DecodedRow DecodeRow(const DirectoryEntry& row);

}  // namespace kestrune
