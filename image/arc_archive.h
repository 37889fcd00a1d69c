// ARC and SDA archives of the C64 and C128 (ARC64, ARC128 and the self-dissolving archives they
// write). An SDA is a BASIC program (load address $0801 or $1C01, a line whose number counts the
// blocks of the program, a SYS) followed by an ARC; an ARC is its entries one after the other,
// each starting on a block of 254 bytes from the first: its version (1 or 2), the packing mode,
// a 16-bit checksum, the unpacked size (3 bytes), the packed size in blocks, the file type (P, S,
// U or R), the name's length and the name, and in version 2 the record length and a date. The
// data is stored (0), run-length packed with a control byte (1), Huffman squeezed (2), LZW
// crunched (3, codes of 9 to 12 bits), squeezed then packed (4) or crunched in one pass (5, its
// checksum and size after the end code); modes 3 to 5 are also run-length packed with $FE.
// Each file is a row holding its unpacked bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/volume.h"

namespace kestrune {

// Whether the bytes start an ARC or SDA whose first entry header is whole and well formed.
bool LooksLikeArc(std::span<const std::uint8_t> bytes);

// Nothing when the bytes are no ARC or SDA. At most 65,535 files and 64 MiB of unpacked bytes
// are read; the status line says when there were more.
std::optional<Volume> OpenArc(std::vector<std::uint8_t> bytes, std::string_view fileName);

}  // namespace kestrune
