#include "views/disassembly.h"

#include <gtest/gtest.h>

#include "tests/support/printers.h"
#include "text/unicode.h"
#include "views/opcodes.h"

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::u16string Lines(std::initializer_list<std::u16string_view> lines) {
    std::u16string text;
    for (const auto line : lines)
        text.append(line).append(u"\r\n");
    return text;
}

TEST(Disassembly, LinesAtC000) {
    const struct {
        Bytes bytes;
        std::u16string_view line;
    } cases[] = {
        {{0x20, 0xD2, 0xFF}, u"c000: 20 d2 ff  jsr $ffd2\t; print char in [a]"},
        {{0xA5, 0xC5}, u"c000: a5 c5     lda $c5\t\t; last key pressed"},
        {{0xD0, 0xFE}, u"c000: d0 fe     bne $c000"},
        {{0x0A}, u"c000: 0a        asl"},
        {{0x02}, u"c000: 02        ???"},
        {{0xA5, 0x00}, u"c000: a5 00     lda $00"},
        {{0xB5, 0xC5}, u"c000: b5 c5     lda $c5,x"},
        {{0x9D, 0x20, 0xD0}, u"c000: 9d 20 d0  sta $d020,x\t; border color"},
        {{0xB9, 0x21, 0xD0}, u"c000: b9 21 d0  lda $d021,y\t; background color"},
        {{0x6C, 0xFE, 0xFF}, u"c000: 6c fe ff  jmp ($fffe)"},
        {{0x6C, 0xE4, 0xFF}, u"c000: 6c e4 ff  jmp ($ffe4)\t; get character"},
        {{0xA9, 0x0D}, u"c000: a9 0d     lda #$0d"},
        {{0xA1, 0xC5}, u"c000: a1 c5     lda ($c5,x)"},
        {{0xB1, 0xC5}, u"c000: b1 c5     lda ($c5),y"},
        {{0xB6, 0xC5}, u"c000: b6 c5     ldx $c5,y"},
        {{0x4C, 0x1E, 0xAB}, u"c000: 4c 1e ab  jmp $ab1e\t; print string at [ay] (C64))"},
        {{0xAD, 0x08, 0xDC}, u"c000: ad 08 dc  lda $dc08\t; tme-of-day clock (0.1 sec)"},
        {{0x8D, 0x06, 0x00}, u"c000: 8d 06 00  sta $0006\t\t; storage for [a] (C128)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Disassemble(c.bytes, 0xC000), Lines({c.line})) << Utf16ToUtf8(c.line);
    }
}

TEST(Disassembly, BranchTargets) {
    EXPECT_EQ(Disassemble(Bytes{0x10, 0x80}, 0x1000), Lines({u"1000: 10 80     bpl $0f82"}));
    EXPECT_EQ(Disassemble(Bytes{0x10, 0x7F}, 0x1000), Lines({u"1000: 10 7f     bpl $1081"}));
    // Below address 0 the target wraps to 16 bits; past $ffff it keeps counting.
    EXPECT_EQ(Disassemble(Bytes{0x10, 0xF0}, 0), Lines({u"0000: 10 f0     bpl $fff2"}));
    EXPECT_EQ(Disassemble(Bytes{0xF0, 0x7F}, 0xFFF0), Lines({u"fff0: f0 7f     beq $10071"}));
}

TEST(Disassembly, AddressesPastFfffTakeFiveDigits) {
    const Bytes nops(17, 0xEA);
    const std::u16string text = Disassemble(nops, 0xFFF0);
    EXPECT_NE(text.find(u"ffff: ea        nop\r\n10000: ea        nop\r\n"), std::u16string::npos);
}

// The UTF-8 listing a terminal gets is the UTF-8 of the pane's text, for every opcode, labels,
// branches and addresses past $ffff among them.
TEST(Disassembly, Utf8ListingIsTheUtf8OfTheText) {
    Bytes every;
    for (int opcode = 0; opcode < 256; ++opcode)
        every.insert(every.end(), {static_cast<std::uint8_t>(opcode), 0xD2, 0xFF});
    for (const std::int32_t start : {0, 0xC000, 0xFF00, 0xFFFFF00}) {
        for (const OpcodeSet* opcodes : {&OpcodeTable, &AllOpcodeTable}) {
            std::string utf8;
            EXPECT_TRUE(DisassembleUtf8(
                every, start, 1,
                [&](std::string_view piece) {
                    utf8.append(piece);
                    return true;
                },
                *opcodes));
            EXPECT_EQ(utf8, Utf16ToUtf8(Disassemble(every, start, 1, *opcodes))) << start;
        }
    }
}

TEST(Disassembly, LastInstructionIsPrintedWholeWithMissingBytesAsZero) {
    EXPECT_EQ(Disassemble(Bytes{0xEA, 0x20, 0xD2}, 0x0801),
              Lines({u"0801: ea        nop", u"0802: 20 d2 00  jsr $00d2"}));
    EXPECT_EQ(Disassemble(Bytes{0xAD}, 0), Lines({u"0000: ad 00 00  lda $0000"}));
}

TEST(Disassembly, StartsAtARequestedAddressInsideTheFile) {
    FileChain chain;
    chain.hasLoadAddress = true;
    chain.startAddress = 0xC000;
    chain.length = 2 + 100;
    chain.Take(std::vector<std::uint8_t>(static_cast<std::size_t>(chain.length), 0xEA));

    DisassemblyPane pane = DisplayDisassembly(chain, 0);
    EXPECT_FALSE(pane.fromRequest);
    EXPECT_EQ(pane.first, 0u);
    EXPECT_EQ(pane.disasmStart, 0xC000);
    EXPECT_EQ(pane.rangeStart, 0xC000);
    EXPECT_EQ(pane.rangeEnd, 0xC063);

    pane = DisplayDisassembly(chain, 0xC063);
    EXPECT_TRUE(pane.fromRequest);
    EXPECT_EQ(Disassemble(chain.Content(), 0xC000, pane.first), Lines({u"c063: ea        nop"}));
    EXPECT_EQ(pane.rangeEnd, 0xC063);

    for (const std::int32_t outside : {0xC064, 0xBFFF, -1}) {
        pane = DisplayDisassembly(chain, outside);
        EXPECT_FALSE(pane.fromRequest) << outside;
        EXPECT_EQ(pane.first, 0u);
    }
}

TEST(Disassembly, EmptyOrNegativeContentGivesAnEmptyPaneAndAnEmptyRange) {
    FileChain chain;
    chain.hasLoadAddress = true;
    chain.startAddress = 0x0801;
    for (const std::int32_t length : {2, 1, -1}) {
        chain.length = length;
        const DisassemblyPane pane = DisplayDisassembly(chain, 0);
        EXPECT_TRUE(Disassemble(chain.Content(), chain.startAddress, pane.first).empty());
        EXPECT_EQ(pane.rangeEnd, 0x0801 + length - 3);
        EXPECT_LT(pane.rangeEnd, pane.rangeStart);
    }
}

TEST(Disassembly, FilesWithoutALoadAddressIncludeTheirFirstTwoBytesAtAddressZero) {
    FileChain chain;
    chain.length = 2;
    chain.Take({0xEA, 0x60});
    const DisassemblyPane pane = DisplayDisassembly(chain, 0);
    EXPECT_EQ(Disassemble(chain.Content(), chain.startAddress, pane.first),
              Lines({u"0000: ea        nop", u"0001: 60        rts"}));
    EXPECT_EQ(pane.rangeEnd, 1);
}

TEST(OpcodeTable, DocumentedOpcodesAndTheirSpecialEntries) {
    int documented = 0;
    for (const Opcode& opcode : OpcodeTable) {
        if (opcode.mnemonic != "???") {
            ++documented;
        } else {
            EXPECT_EQ(opcode.length, 1);
            EXPECT_EQ(opcode.mode, Implied);
        }
    }
    EXPECT_EQ(documented, 151);
    EXPECT_EQ(OpcodeTable[0x00].length, 1);
    for (int accumulator : {0x0A, 0x2A, 0x4A, 0x6A})
        EXPECT_EQ(OpcodeTable[accumulator].mode, Implied);
    EXPECT_EQ(OpcodeTable[0x96].mode, ZeroPageY);
    EXPECT_EQ(OpcodeTable[0xB6].mode, ZeroPageY);
    EXPECT_EQ(OpcodeTable[0xBE].mode, AbsoluteY);
    EXPECT_EQ(OpcodeTable[0x6C].mode, Indirect);
}

}  // namespace
}  // namespace kestrune
