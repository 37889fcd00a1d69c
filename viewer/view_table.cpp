#include "viewer/view_table.h"

#include <algorithm>

#include "views/disassembly.h"
#include "views/hex_dump.h"
#include "views/text_views.h"

namespace kestrune {

namespace {

const OpcodeSet& Opcodes(const PaneSource& source) {
    return source.allOpcodes ? AllOpcodeTable : OpcodeTable;
}

// The content a bounded text covers.
std::span<const std::uint8_t> Covered(const PaneSource& source) {
    return source.content.first(std::min(source.limit, source.content.size()));
}

// A bounded disassembly lists as many bytes from where it begins.
std::size_t DisassemblyEnd(const PaneSource& source) {
    return source.limit == SIZE_MAX ? SIZE_MAX : source.disassemblyFrom + source.limit;
}

bool WriteAssembly(const PaneSource& source, const TextSink& sink) {
    return Disassemble(source.content, source.start, source.disassemblyFrom, sink, Opcodes(source),
                       DisassemblyEnd(source));
}
bool WriteAssemblyUtf8(const PaneSource& source, const Utf8Sink& sink) {
    if (source.limit != SIZE_MAX) return WriteAssembly(source, InUtf8(sink));
    return DisassembleUtf8(source.content, source.start, source.disassemblyFrom, sink,
                           Opcodes(source));
}

bool WriteHex(const PaneSource& source, const TextSink& sink) {
    return HexDump(Covered(source), source.start, sink);
}
bool WriteHexUtf8(const PaneSource& source, const Utf8Sink& sink) {
    return HexDumpUtf8(Covered(source), source.start, sink);
}
std::vector<std::int16_t> HexCodes(const PaneSource& source) {
    return HexDumpCodes(Covered(source), source.start);
}

bool WritePetscii(const PaneSource& source, const TextSink& sink) {
    return PetsciiText(Covered(source), sink);
}
bool WritePetsciiUtf8(const PaneSource& source, const Utf8Sink& sink) {
    return PetsciiTextUtf8(Covered(source), sink);
}
std::vector<std::int16_t> Petscii(const PaneSource& source) {
    return PetsciiCodes(Covered(source));
}

bool WriteScrCode(const PaneSource& source, const TextSink& sink) {
    return ScrCodeText(Covered(source), sink);
}
bool WriteScrCodeUtf8(const PaneSource& source, const Utf8Sink& sink) {
    return ScrCodeTextUtf8(Covered(source), sink);
}
std::vector<std::int16_t> ScrCodes(const PaneSource& source) {
    return ScrCodeCodes(Covered(source));
}

}  // namespace

// A hexadecimal line of 16 bytes is about 7 bytes of text a byte, an instruction line 16.
const TextRenderer AssemblyRenderer = {WriteAssembly, WriteAssemblyUtf8, nullptr, 16};
const TextRenderer HexRenderer = {WriteHex, WriteHexUtf8, HexCodes, 7};
const TextRenderer PetsciiRenderer = {WritePetscii, WritePetsciiUtf8, Petscii, 1};
const TextRenderer ScrCodeRenderer = {WriteScrCode, WriteScrCodeUtf8, ScrCodes, 1};

}  // namespace kestrune
