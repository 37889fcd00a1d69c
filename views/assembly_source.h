// A file as 64tass source that assembles to exactly the file's bytes, with the command that does
// so in its first line. A program file (a load address, then the bytes up to $ffff at most) is
// "64tass -o OUT SOURCE", the assembler's default CBM output: the first two bytes become the
// program counter the source starts at, the rest is the disassembly of the Assembly view with its
// comments. Any other file (one that runs past $ffff, as COMAL programs loading at $ffff do, or
// that holds nothing after its load address) is assembled raw ("--nostart"): its load address is
// written as data and the code follows at its own addresses up to $ffff, the rest as data; a file
// larger than 64 KB takes the 65816's 24-bit addresses to hold it ("--m65816 --long-address").
// What an instruction cannot say as it stands is written as .byte: opcodes the documented set
// lacks, an instruction cut off by the end of the file or by $ffff, a branch whose target lies
// outside the 64 KB.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "text/text_sink.h"

namespace kestrune {

// bytes: the file's bytes as its chain holds them, a program's load address first.
std::u16string AssemblySource(std::span<const std::uint8_t> bytes);

// The same text handed to sink piece by piece; false when the sink stopped it.
bool WriteAssemblySource(std::span<const std::uint8_t> bytes, const TextSink& sink);

}  // namespace kestrune
