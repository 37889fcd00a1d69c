#include "views/assembly_source.h"

#include "text/number_text.h"
#include "text/unicode.h"
#include "views/address_labels.h"
#include "views/opcodes.h"

namespace kestrune {

namespace {

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
}

}  // namespace

std::u16string AssemblySource(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    if (bytes.size() < 2) {
        // A CBM program file starts with its two address bytes: shorter files have none to give.
        out.append(u"; too short for a program file: ");
        AppendDecimal(out, static_cast<std::int64_t>(bytes.size()));
        out.append(u" bytes\r\n");
        return out;
    }
    const std::uint32_t start = bytes[0] | (bytes[1] << 8);
    out.reserve(bytes.size() * 24);
    if (bytes.size() == 2 || start + bytes.size() - 2 > 0x10000) {
        // The assembler's program file holds the 64 KB from its load address, and nothing when
        // no byte follows it.
        out.append(u"; 64tass cannot write this file as a program file: ");
        out.append(bytes.size() == 2 ? u"no byte follows its load address\r\n"
                                     : u"it runs past $ffff\r\n");
    }
    out.append(u"\t* = $");
    AppendHex(out, start, 4);
    out.append(u"\r\n");

    const std::span<const std::uint8_t> code = bytes.subspan(2);
    for (std::size_t d = 0; d < code.size();) {
        const std::uint32_t address = start + static_cast<std::uint32_t>(d);
        const Opcode& entry = OpcodeTable[code[d]];
        const auto length = static_cast<std::size_t>(entry.length);
        const bool whole = d + length <= code.size();
        bool asBytes = entry.mnemonic == "???" || !whole || address + length > 0x10000;
        std::uint32_t target = 0;
        if (!asBytes && IsBranch(code[d])) {
            const std::int64_t to =
                std::int64_t{address} + 2 + static_cast<std::int8_t>(code[d + 1]);
            asBytes = to < 0 || to > 0xFFFF;
            target = static_cast<std::uint32_t>(to);
        }
        if (asBytes) {
            // As many bytes as the instruction would take, or the rest of the file.
            const std::size_t n = entry.mnemonic == "???" ? 1 : std::min(length, code.size() - d);
            AppendBytes(out, code.subspan(d, n));
            out.append(u"\r\n");
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
    return out;
}

}  // namespace kestrune
