#include "views/assembly_source.h"

#include "text/number_text.h"
#include "text/unicode.h"
#include "views/address_labels.h"
#include "views/opcodes.h"

namespace kestrune {

namespace {

constexpr std::uint32_t kAddressSpace = 0x10000;
constexpr std::size_t kBytesPerDataLine = 8;

bool HasZeroPageForm(AddressingMode mode) {
    return mode == Absolute || mode == AbsoluteX || mode == AbsoluteY;
}

void AppendComment(std::u16string& out, std::uint32_t address) {
    if (address == 0) return;
    const std::string_view label = LabelFor(address);
    if (label.empty()) return;
    out.append(address < 0x100 ? u"\t\t; " : u"\t; ");
    AppendWidened(out, label);
}

void AppendBytes(std::u16string& out, std::span<const std::uint8_t> bytes) {
    out.append(u"\t.byte ");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) out.append(u", ");
        out.append(u"$");
        AppendHex(out, bytes[i], 2);
    }
    out.append(u"\r\n");
}

// The instructions of code, whose first byte lies at start, up to $ffff; returns how many bytes
// they take.
std::size_t AppendCode(SinkBuffer& buffer, std::span<const std::uint8_t> code,
                       std::uint32_t start) {
    std::u16string& out = buffer.text();
    std::size_t d = 0;
    while (d < code.size() && start + d < kAddressSpace && buffer.Pass()) {
        const std::uint32_t address = start + static_cast<std::uint32_t>(d);
        const Opcode& entry = OpcodeTable[code[d]];
        const auto length = static_cast<std::size_t>(entry.length);
        const bool whole = d + length <= code.size();
        bool asBytes = entry.mnemonic == "???" || !whole || address + length > kAddressSpace;
        std::uint32_t target = 0;
        if (!asBytes && IsBranch(code[d])) {
            const std::int64_t to =
                std::int64_t{address} + 2 + static_cast<std::int8_t>(code[d + 1]);
            asBytes = to < 0 || to > 0xFFFF;
            target = static_cast<std::uint32_t>(to);
        }
        if (asBytes) {
            // As many bytes as the instruction would take, but not past the file's end or $ffff.
            const std::size_t n =
                entry.mnemonic == "???"
                    ? 1
                    : std::min({length, code.size() - d, std::size_t{kAddressSpace - address}});
            AppendBytes(out, code.subspan(d, n));
            d += n;
            continue;
        }
        out.push_back(u'\t');
        AppendWidened(out, entry.mnemonic);
        if (IsBranch(code[d])) {
            out.append(u" $");
            AppendHex(out, target, 4);
        } else if (entry.mode != Implied) {
            const OperandForm& form = OperandForms[entry.mode];
            const std::uint32_t value =
                form.digits == 2 ? code[d + 1] : code[d + 1] | (code[d + 2] << 8);
            // A word below $100 stays a word: the assembler would otherwise take the shorter
            // zero-page form.
            out.append(HasZeroPageForm(entry.mode) && value < 0x100 ? u" @w $" : form.prefix);
            AppendHex(out, value, form.digits);
            out.append(form.suffix);
            if (form.labelled) AppendComment(out, value);
        }
        out.append(u"\r\n");
        d += length;
    }
    return d;
}

}  // namespace

bool WriteAssemblySource(std::span<const std::uint8_t> bytes, const TextSink& sink) {
    SinkBuffer buffer(sink);
    std::u16string& out = buffer.text();
    if (bytes.size() < 2) {
        // A CBM program file starts with its two address bytes: shorter files have none to give.
        out.append(u"; 64tass --nostart -o OUT SOURCE\r\n; too short for a program file: ");
        AppendDecimal(out, static_cast<std::int64_t>(bytes.size()));
        out.append(u" bytes\r\n");
        if (!bytes.empty()) AppendBytes(out, bytes);
        return buffer.Flush();
    }
    const std::uint32_t start = bytes[0] | (bytes[1] << 8);
    const std::span<const std::uint8_t> code = bytes.subspan(2);
    // The assembler's program file holds the 64 KB from its load address, and nothing when no
    // byte follows it.
    if (!code.empty() && start + code.size() <= kAddressSpace) {
        out.append(u"; 64tass -o OUT SOURCE\r\n\t* = $");
        AppendHex(out, start, 4);
        out.append(u"\r\n");
        AppendCode(buffer, code, start);
        return buffer.Flush();
    }

    out.append(bytes.size() > kAddressSpace
                   ? u"; 64tass --m65816 --long-address --nostart -o OUT SOURCE\r\n"
                   : u"; 64tass --nostart -o OUT SOURCE\r\n");
    out.append(code.empty() ? u"; no byte follows the load address, so no program file holds "
                              u"this file: its bytes are written as they are\r\n"
                            : u"; the file runs past $ffff, which no program file can: its bytes "
                              u"are written as they are\r\n");
    out.append(u"\t* = $0000\r\n\t.word $");
    AppendHex(out, start, 4);
    out.append(u"\r\n");
    std::size_t done = 0;
    if (!code.empty() && start < kAddressSpace) {
        // The code at its own addresses, up to $ffff.
        out.append(u"\t.logical $");
        AppendHex(out, start, 4);
        out.append(u"\r\n");
        done = AppendCode(buffer, code, start);
        out.append(u"\t.here\r\n");
    }
    // The rest, past $ffff, as data.
    for (; done < code.size() && buffer.Pass(); done += kBytesPerDataLine)
        AppendBytes(out, code.subspan(done, std::min(kBytesPerDataLine, code.size() - done)));
    return buffer.Flush();
}

std::u16string AssemblySource(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    WriteAssemblySource(bytes, [&](std::u16string_view piece) {
        text.append(piece);
        return true;
    });
    return text;
}

}  // namespace kestrune
