// The HEX/ASCII view: eight bytes a line with the address of the first, the bytes in hexadecimal,
// and the same bytes read as PETSCII and as screen codes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_sink.h"

namespace kestrune {

// data lies at the addresses start, start + 1, ...; an empty data gives the two heading lines and
// the first address alone. Lines end in CR LF, the last line has no line end.
std::u16string HexDump(std::span<const std::uint8_t> data, std::int32_t start);

// The same text handed to sink piece after piece, for a caller that passes it straight on; false
// when the sink stopped it.
bool HexDump(std::span<const std::uint8_t> data, std::int32_t start, const TextSink& sink);

// The same text in UTF-8, byte for byte, made as UTF-8 for a caller that writes UTF-8 anyway.
bool HexDumpUtf8(std::span<const std::uint8_t> data, std::int32_t start, const Utf8Sink& sink);

// Where the two hexadecimal digits of byte index stand in the dump of data starting at start.
std::size_t HexDumpOffset(std::int32_t start, std::size_t index);

// For drawing the dump in the C64's character set: for each character of HexDump's text, the
// PETSCII code it stands for in the PETSCII and ScrCode columns (a screen code as the PETSCII
// code of its glyph), -1 for every other character.
std::vector<std::int16_t> HexDumpCodes(std::span<const std::uint8_t> data, std::int32_t start);

}  // namespace kestrune
