// The two plain-text views of a file: its bytes read as PETSCII and as screen codes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kestrune {

// Screen codes through the screen-code table (the reverse bit ignored); a byte 0x1F, tested
// before the reverse bit is masked, breaks the line with CR LF.
std::u16string ScrCodeText(std::span<const std::uint8_t> data);

// PETSCII through the PETSCII table; RETURN (0x0D) and shifted RETURN (0x8D) break the line with
// CR LF. Nothing else is interpreted.
std::u16string PetsciiText(std::span<const std::uint8_t> data);

}  // namespace kestrune
