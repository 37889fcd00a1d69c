// The two plain-text views of a file: its bytes read as PETSCII and as screen codes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "text/text_sink.h"

namespace kestrune {

// Screen codes through the screen-code table (the reverse bit ignored); a byte 0x1F, tested
// before the reverse bit is masked, breaks the line with CR LF.
std::u16string ScrCodeText(std::span<const std::uint8_t> data);

// PETSCII through the PETSCII table; RETURN (0x0D) and shifted RETURN (0x8D) break the line with
// CR LF. Nothing else is interpreted.
std::u16string PetsciiText(std::span<const std::uint8_t> data);

// The same texts handed to sink piece after piece; false when the sink stopped them.
bool ScrCodeText(std::span<const std::uint8_t> data, const TextSink& sink);
bool PetsciiText(std::span<const std::uint8_t> data, const TextSink& sink);
// And in UTF-8, byte for byte, made as UTF-8 for a caller that writes UTF-8 anyway.
bool ScrCodeTextUtf8(std::span<const std::uint8_t> data, const Utf8Sink& sink);
bool PetsciiTextUtf8(std::span<const std::uint8_t> data, const Utf8Sink& sink);

// For drawing those texts in the C64's character set: the PETSCII code each character of the
// text stands for (a screen code as the PETSCII code of its glyph), -1 for the line breaks.
std::vector<std::int16_t> ScrCodeCodes(std::span<const std::uint8_t> data);
std::vector<std::int16_t> PetsciiCodes(std::span<const std::uint8_t> data);

}  // namespace kestrune
