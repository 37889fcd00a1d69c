// A file as 64tass source: assembled with "64tass -o OUT SOURCE" (its default output, a CBM
// program file: the load address, then the bytes) it gives back exactly the file's bytes. The
// first two bytes become the program counter the source starts at; the rest is the disassembly
// of the Assembly view, with its comments. What an instruction cannot say as it stands is written
// as .byte: opcodes the documented set lacks, an instruction cut off by the end of the file, a
// branch whose target lies outside the 64 KB. A file that runs past $ffff, or holds nothing after
// its load address, cannot be such a program file; its source says so in its first line.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kestrune {

// bytes: the file's bytes as its chain holds them, a program's load address first.
std::u16string AssemblySource(std::span<const std::uint8_t> bytes);

}  // namespace kestrune
