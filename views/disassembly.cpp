#include "views/disassembly.h"

#include <algorithm>
#include <array>
#include <bit>

#include "views/address_labels.h"
#include "views/opcodes.h"

namespace kestrune {

namespace {

constexpr int kBytesColumnWidth = 10;

template <typename Char>
Char* PutAscii(Char* out, std::string_view ascii) {
    return std::copy(ascii.begin(), ascii.end(), out);
}

// The operand forms' texts are ASCII.
template <typename Char>
Char* PutText(Char* out, std::u16string_view text) {
    for (const char16_t c : text)
        *out++ = static_cast<Char>(c);
    return out;
}

// Each byte's two lower-case hexadecimal digits.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
    constexpr char kDigits[] = "0123456789abcdef";
    std::array<std::array<char, 2>, 256> pairs{};
    for (std::size_t b = 0; b < 256; ++b)
        pairs[b] = {kDigits[b >> 4], kDigits[b & 0xF]};
    return pairs;
}();

template <typename Char>
[[gnu::always_inline]] inline Char* PutHexPair(Char* out, std::uint32_t byte) {
    out[0] = static_cast<Char>(kHexPairs[byte][0]);
    out[1] = static_cast<Char>(kHexPairs[byte][1]);
    return out + 2;
}

// A value past $ffff in lower-case hexadecimal, as many digits as it takes.
template <typename Char>
Char* PutLongHex(Char* out, std::uint32_t value) {
    Char* const end = out + (std::bit_width(value) + 3) / 4;
    Char* at = end;
    for (; value >= 0x10; value >>= 8)
        PutHexPair(at -= 2, value & 0xFF);
    if (at > out) *--at = static_cast<Char>(kHexPairs[value][1]);
    return end;
}

// value in lower-case hexadecimal, at least digits digits (2 or 4).
template <typename Char>
[[gnu::always_inline]] inline Char* PutHexDigits(Char* out, std::uint32_t value, int digits) {
    if (value < 0x100 && digits == 2) return PutHexPair(out, value);
    if (value < 0x10000) return PutHexPair(PutHexPair(out, value >> 8), value & 0xFF);
    return PutLongHex(out, value);
}

// The comment for an operand address g that names a well-known location: address 0 is never
// named, and zero-page comments stand two tabs out.
template <typename Char>
Char* PutLabel(Char* out, std::uint32_t g) {
    if (g == 0) return out;
    const std::string_view label = LabelFor(g);
    if (label.empty()) return out;
    out = PutAscii(out, g < 0x100 ? "\t\t; " : "\t; ");
    return PutAscii(out, label);
}

// A branch's target: the address after the instruction plus the signed offset. A target below 0
// wraps to 16 bits as on the 6502; others keep counting past $ffff.
std::uint32_t BranchTarget(std::int64_t next, std::uint8_t offset) {
    const std::int64_t target = next + static_cast<std::int8_t>(offset);
    return static_cast<std::uint32_t>(target < 0 ? target & 0xFFFF : target);
}

// Writes the line of the instruction whose bytes are raw (operand bytes past the data are 0).
template <typename Char>
Char* PutInstruction(Char* out, std::int64_t address, const std::uint8_t raw[3],
                     const Opcode& entry) {
    out = PutHexDigits(out, static_cast<std::uint32_t>(address), 4);
    out = PutAscii(out, ": ");
    // The bytes column: each byte's two digits, a space after each, spaces to its width.
    std::fill_n(out, kBytesColumnWidth, Char{' '});
    for (int i = 0; i < entry.length; ++i)
        PutHexPair(out + 3 * i, raw[i]);
    out += kBytesColumnWidth;
    // Mnemonics have three letters.
    out[0] = static_cast<Char>(entry.mnemonic[0]);
    out[1] = static_cast<Char>(entry.mnemonic[1]);
    out[2] = static_cast<Char>(entry.mnemonic[2]);
    out += 3;

    if (IsBranch(raw[0])) {
        out = PutAscii(out, " $");
        out = PutHexDigits(out, BranchTarget(address + 2, raw[1]), 4);
    } else if (entry.mode != Implied) {
        const OperandForm& form = OperandForms[entry.mode];
        const std::uint32_t value = form.digits == 2 ? raw[1] : raw[1] | (raw[2] << 8);
        out = PutText(out, form.prefix);
        out = PutHexDigits(out, value, form.digits);
        out = PutText(out, form.suffix);
        if (form.labelled) out = PutLabel(out, value);
    }
    return PutAscii(out, "\r\n");
}

// The listing, written into a buffer that is handed on whenever the longest line (address,
// bytes, mnemonic, operand, comment, CR LF) might not fit any more.
template <typename Char, typename Sink>
bool WriteListing(std::span<const std::uint8_t> data, std::int32_t start, std::size_t first,
                  const Sink& sink, const OpcodeSet& opcodes, std::size_t until) {
    constexpr std::size_t kLongestLine = 96;
    Char buffer[64 * kLongestLine];
    Char* out = buffer;
    const auto pass = [&] {
        return sink(std::basic_string_view<Char>(buffer, static_cast<std::size_t>(out - buffer)));
    };
    for (std::size_t d = first; d < data.size() && d < until;) {
        const std::uint8_t raw[3] = {data[d], d + 1 < data.size() ? data[d + 1] : std::uint8_t{0},
                                     d + 2 < data.size() ? data[d + 2] : std::uint8_t{0}};
        const Opcode& entry = opcodes[raw[0]];
        out = PutInstruction(out, std::int64_t{start} + static_cast<std::int64_t>(d), raw, entry);
        d += static_cast<std::size_t>(entry.length);
        if (out + kLongestLine > std::end(buffer)) {
            if (!pass()) return false;
            out = buffer;
        }
    }
    return out == buffer || pass();
}

}  // namespace

bool Disassemble(std::span<const std::uint8_t> data, std::int32_t start, std::size_t first,
                 const TextSink& sink, const OpcodeSet& opcodes, std::size_t until) {
    return WriteListing<char16_t>(data, start, first, sink, opcodes, until);
}

bool DisassembleUtf8(std::span<const std::uint8_t> data, std::int32_t start, std::size_t first,
                     const Utf8Sink& sink, const OpcodeSet& opcodes) {
    return WriteListing<char>(data, start, first, sink, opcodes, SIZE_MAX);
}

std::u16string Disassemble(std::span<const std::uint8_t> data, std::int32_t start,
                           std::size_t first, const OpcodeSet& opcodes) {
    std::u16string text;
    if (first < data.size()) text.reserve((data.size() - first) * 16);
    Disassemble(
        data, start, first,
        [&](std::u16string_view piece) {
            text.append(piece);
            return true;
        },
        opcodes);
    return text;
}

DisassemblyPane DisplayDisassembly(const FileChain& chain, std::int32_t requested) {
    const std::int32_t start = chain.startAddress;
    const std::int32_t n = chain.ContentLength();
    DisassemblyPane pane;
    pane.disasmStart = start;
    pane.rangeStart = start;
    pane.rangeEnd = start + n - 1;
    pane.fromRequest = requested > 0 && requested >= start && requested - start < n;
    pane.first = pane.fromRequest ? static_cast<std::size_t>(requested - start) : 0;
    return pane;
}

}  // namespace kestrune
