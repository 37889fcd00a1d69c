// Every documented instruction in every addressing mode, assembled by the real assembler 64tass
// and disassembled by us: the opcode table must give back each mnemonic, operand and length.
// Fails when 64tass is missing; scripts/setup installs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>

#include "tests/support/disk_builder.h"
#include "tests/support/printers.h"
#include "text/unicode.h"
#include "views/disassembly.h"

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kMnemonics[] = {
    "adc", "and", "asl", "bcc", "bcs", "beq", "bit", "bmi", "bne", "bpl", "brk", "bvc",
    "bvs", "clc", "cld", "cli", "clv", "cmp", "cpx", "cpy", "dec", "dex", "dey", "eor",
    "inc", "inx", "iny", "jmp", "jsr", "lda", "ldx", "ldy", "lsr", "nop", "ora", "pha",
    "php", "pla", "plp", "rol", "ror", "rti", "rts", "sbc", "sec", "sed", "sei", "sta",
    "stx", "sty", "tax", "tay", "tsx", "txa", "txs", "tya"};

// Each operand syntax and how we print it. The assembler widens a zero-page form that the
// instruction lacks to the absolute one, whose operand prints as a word; " $c010" is absolute, or
// a branch to $c010 from $c000, printed the same.
struct Form {
    const char* source;
    const char* printed;
    const char* printedAsWord = nullptr;  // for a zero-page form assembled in three bytes
};

constexpr Form kForms[] = {
    {"", ""},
    {" $12", " $12", " $0012"},
    {" $12,x", " $12,x", " $0012,x"},
    {" $12,y", " $12,y", " $0012,y"},
    {" $c010", " $c010"},
    {" $c010,x", " $c010,x"},
    {" $c010,y", " $c010,y"},
    {" ($12,x)", " ($12,x)"},
    {" ($12),y", " ($12),y"},
    {" ($c010)", " ($c010)"},
    {" #$12", " #$12"},  // last: see below
};

// Assembles one instruction at $c000; empty when the assembler refuses the form.
Bytes Assemble(const testing::TempDir& dir, const std::string& line) {
    const auto source = dir / "line.asm";
    const auto output = dir / "line.bin";
    std::filesystem::remove(output);
    std::ofstream(source) << "\t* = $c000\n\t" << line << "\n";
    const std::string command = "64tass --nostart --quiet -o " + output.string() + " " +
                                source.string() + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (status != 0) return {};
    std::ifstream in(output, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string Hex(const Bytes& bytes) {
    std::string text;
    char buffer[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i ? " %02x" : "%02x", bytes[i]);
        text += buffer;
    }
    text.resize(10, ' ');
    return text;
}

TEST(AssemblerCrossCheck, EveryDocumentedInstructionDisassemblesAsAssembled) {
    ASSERT_EQ(std::system("64tass --version >/dev/null 2>&1"), 0) << "64tass is not installed";
    testing::TempDir dir;
    std::set<std::uint8_t> assembled;
    for (const char* mnemonic : kMnemonics) {
        for (const Form& form : kForms) {
            const std::string line = std::string(mnemonic) + form.source;
            const Bytes bytes = Assemble(dir, line);
            if (bytes.empty()) continue;
            // 64tass also takes "#$nn" after a branch (as its raw offset) and after brk (as a
            // signature byte): such a repeat of an opcode another form gave is no immediate mode.
            if (std::string(form.source).starts_with(" #") && assembled.count(bytes[0])) continue;
            SCOPED_TRACE(line);
            const bool asWord = form.printedAsWord != nullptr && bytes.size() == 3;
            const std::string expected = "c000: " + Hex(bytes) + mnemonic +
                                         (asWord ? form.printedAsWord : form.printed) + "\r\n";
            EXPECT_EQ(Disassemble(bytes, 0xC000), Widen(expected));
            assembled.insert(bytes[0]);
        }
    }
    EXPECT_EQ(assembled.size(), 151u);
    // Every opcode the assembler never produced is undefined: one byte, "???".
    for (int opcode = 0; opcode < 256; ++opcode) {
        if (assembled.count(static_cast<std::uint8_t>(opcode))) continue;
        char expected[32];
        std::snprintf(expected, sizeof expected, "c000: %02x        ???\r\n", opcode);
        EXPECT_EQ(
            Disassemble(Bytes{static_cast<std::uint8_t>(opcode), 0xEA, 0xEA}, 0xC000).substr(0, 21),
            Widen(expected))
            << opcode;
    }
}

}  // namespace
}  // namespace kestrune
