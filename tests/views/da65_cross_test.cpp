// Every opcode byte disassembled by cc65's da65 for its CPU "6502X" and by us with every opcode
// decoded: the mnemonic and the length must agree for all 256. Fails when da65 is missing;
// scripts/setup installs it (Debian's cc65).
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>

#include "tests/support/disk_builder.h"
#include "tests/support/run_program.h"
#include "views/disassembly.h"

namespace kestrune {
namespace {

struct Decoded {
    std::string mnemonic;
    int length = 0;
};

// da65's reading of the instruction at the start of bytes, from its comment column: "; 1000 A9
// 34" names the address and the instruction's bytes.
Decoded Da65(const testing::TempDir& dir, const std::vector<std::uint8_t>& bytes) {
    const auto input = dir / "op.bin";
    std::ofstream(input, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    const testing::ProgramRun run = testing::RunProgram(
        "/usr/bin/da65",
        {"--cpu", "6502X", "--comments", "4", "--start-addr", "0x1000", input.string()});
    std::istringstream out(run.out);
    for (std::string text; std::getline(out, text);) {
        const std::size_t comment = text.find("; 1000 ");
        if (comment == std::string::npos) continue;
        Decoded decoded;
        std::istringstream(text.substr(0, comment)) >> decoded.mnemonic;
        // The bytes: pairs of capital hexadecimal digits, each followed by a space.
        for (std::size_t at = comment + 7; at + 2 < text.size() && std::isxdigit(text[at]) &&
                                           std::isxdigit(text[at + 1]) && text[at + 2] == ' ';
             at += 3) {
            ++decoded.length;
        }
        return decoded;
    }
    return {};
}

TEST(Da65Cross, EveryOpcodeHasDa65sMnemonicAndLength) {
    testing::TempDir dir;
    ASSERT_EQ(testing::RunProgram("/usr/bin/da65", {"--version"}).exitCode, 0) << "da65 is missing";
    for (int opcode = 0; opcode < 256; ++opcode) {
        const std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(opcode), 0x34, 0x12,
                                                 0xEA, 0xEA};
        const Decoded theirs = Da65(dir, bytes);
        const std::u16string ours = Disassemble(bytes, 0x1000, 0, AllOpcodeTable);
        // "1000: ", then the bytes in ten columns, then the mnemonic.
        std::string mnemonic;
        for (std::size_t i = 16; i < ours.size() && ours[i] >= u'a' && ours[i] <= u'z'; ++i)
            mnemonic.push_back(static_cast<char>(ours[i]));
        SCOPED_TRACE(opcode);
        EXPECT_EQ(mnemonic, theirs.mnemonic);
        EXPECT_EQ(AllOpcodeTable[opcode].mnemonic, theirs.mnemonic);
        EXPECT_EQ(AllOpcodeTable[opcode].length, theirs.length);
    }
}

}  // namespace
}  // namespace kestrune
