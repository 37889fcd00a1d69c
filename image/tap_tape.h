// TAP files: a Datasette tape as the lengths of its pulses ("C64-TAPE-RAW", versions 0 to 2; a
// byte is a pulse of that many times 8 clock cycles, a 0 a pause or, from version 1 on, a length
// in cycles in the next three bytes; version 2 holds half waves). The programs the ROM loader
// saved are decoded from them: its pulses are short, medium or long; a byte is a long and a
// medium, then eight bits and an odd parity bit as short-medium (0) or medium-short (1); a block
// is a leader of short pulses, a countdown ($89 to $81, $09 to $01 for its second copy), the data
// and an XOR checksum, ended by a long and a short; a file is a header block of 192 bytes (its
// type, start and end address and name) and a data block, each written twice.
// Each file is a row holding its data at its start address; its position on the tape, and how
// its copies were read, are its note. Parts of the tape the ROM loader cannot read (turbo
// loaders) are named in the status line with where they lie and how long they are.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

bool LooksLikeTap(std::span<const std::uint8_t> bytes);

// Nothing when the header is cut short. At most 65,535 files are listed.
std::optional<Volume> OpenTap(std::vector<std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
