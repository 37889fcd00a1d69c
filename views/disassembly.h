// The 6502 disassembly: one instruction per line, from the first byte of the file (or from an
// address the user asked for) to its end, with a comment naming well-known locations. It runs
// linearly and does not tell code from data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/file_chain.h"
#include "text/text_sink.h"
#include "views/opcodes.h"

namespace kestrune {

// The listing of data, whose first byte lies at address start, from offset first on. Each line:
// "%04x: ", the instruction's bytes padded to ten characters, the mnemonic, the operand, a
// comment for a well-known operand address, CR LF. Operand bytes past the data read as 0. The
// opcodes are read by opcodes: the documented ones only, or all of them.
using OpcodeSet = std::array<Opcode, 256>;
std::u16string Disassemble(std::span<const std::uint8_t> data, std::int32_t start,
                           std::size_t first = 0, const OpcodeSet& opcodes = OpcodeTable);

// The same text handed to sink piece after piece, for a caller that passes it straight on; false
// when the sink stopped it. With until, the listing ends before the first instruction that starts
// at that offset or after it.
bool Disassemble(std::span<const std::uint8_t> data, std::int32_t start, std::size_t first,
                 const TextSink& sink, const OpcodeSet& opcodes = OpcodeTable,
                 std::size_t until = SIZE_MAX);

// The same text in UTF-8, byte for byte, made as UTF-8 for a caller that writes UTF-8 anyway.
bool DisassembleUtf8(std::span<const std::uint8_t> data, std::int32_t start, std::size_t first,
                     const Utf8Sink& sink, const OpcodeSet& opcodes = OpcodeTable);

// Where the Assembly pane of the file on show begins, and what the window keeps of it.
struct DisassemblyPane {
    std::size_t first = 0;         // the content offset of the first instruction listed
    std::int32_t disasmStart = 0;  // the file's start address
    std::int32_t rangeStart = 0;   // the addresses the file covers: start ...
    std::int32_t rangeEnd = 0;     // ... to start + n - 1 (below rangeStart when n <= 0)
    bool fromRequest = false;      // began at the requested address; else the box shows start
};

// The chain's content window is disassembled from its start address, or from requested when that
// is above 0 and lies inside the file: Disassemble(chain.Content(), startAddress, first).
DisassemblyPane DisplayDisassembly(const FileChain& chain, std::int32_t requested);

}  // namespace kestrune
