// The NMOS 6502 instruction set: one row per opcode byte, the 151 documented opcodes with their
// standard mnemonic, length and addressing mode, every other opcode "???" of one byte.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrune {

// The operand forms; the values are fixed. The eight branches share ZeroPage with the zero-page
// instructions and are told apart by their opcode.
enum AddressingMode : std::uint8_t {
    Implied = 0,    // also the accumulator forms: no operand
    Immediate = 1,  // #$nn
    ZeroPage = 2,   // $nn, or a branch target $nnnn
    ZeroPageX = 3,  // $nn,x
    Absolute = 4,   // $nnnn
    AbsoluteX = 5,  // $nnnn,x
    AbsoluteY = 6,  // $nnnn,y
    IndirectX = 7,  // ($nn,x)
    IndirectY = 8,  // ($nn),y
    ZeroPageY = 9,  // $nn,y
    Indirect = 10,  // ($nnnn)
};

struct Opcode {
    std::string_view mnemonic;
    int length;
    AddressingMode mode;
};

// clang-format off
inline constexpr std::array<Opcode, 256> OpcodeTable = {{
    {"brk", 1, Implied},       {"ora", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // 00-03
    {"???", 1, Implied},       {"ora", 2, ZeroPage},      {"asl", 2, ZeroPage},      {"???", 1, Implied},  // 04-07
    {"php", 1, Implied},       {"ora", 2, Immediate},     {"asl", 1, Implied},       {"???", 1, Implied},  // 08-0B
    {"???", 1, Implied},       {"ora", 3, Absolute},      {"asl", 3, Absolute},      {"???", 1, Implied},  // 0C-0F
    {"bpl", 2, ZeroPage},      {"ora", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // 10-13
    {"???", 1, Implied},       {"ora", 2, ZeroPageX},     {"asl", 2, ZeroPageX},     {"???", 1, Implied},  // 14-17
    {"clc", 1, Implied},       {"ora", 3, AbsoluteY},     {"???", 1, Implied},       {"???", 1, Implied},  // 18-1B
    {"???", 1, Implied},       {"ora", 3, AbsoluteX},     {"asl", 3, AbsoluteX},     {"???", 1, Implied},  // 1C-1F
    {"jsr", 3, Absolute},      {"and", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // 20-23
    {"bit", 2, ZeroPage},      {"and", 2, ZeroPage},      {"rol", 2, ZeroPage},      {"???", 1, Implied},  // 24-27
    {"plp", 1, Implied},       {"and", 2, Immediate},     {"rol", 1, Implied},       {"???", 1, Implied},  // 28-2B
    {"bit", 3, Absolute},      {"and", 3, Absolute},      {"rol", 3, Absolute},      {"???", 1, Implied},  // 2C-2F
    {"bmi", 2, ZeroPage},      {"and", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // 30-33
    {"???", 1, Implied},       {"and", 2, ZeroPageX},     {"rol", 2, ZeroPageX},     {"???", 1, Implied},  // 34-37
    {"sec", 1, Implied},       {"and", 3, AbsoluteY},     {"???", 1, Implied},       {"???", 1, Implied},  // 38-3B
    {"???", 1, Implied},       {"and", 3, AbsoluteX},     {"rol", 3, AbsoluteX},     {"???", 1, Implied},  // 3C-3F
    {"rti", 1, Implied},       {"eor", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // 40-43
    {"???", 1, Implied},       {"eor", 2, ZeroPage},      {"lsr", 2, ZeroPage},      {"???", 1, Implied},  // 44-47
    {"pha", 1, Implied},       {"eor", 2, Immediate},     {"lsr", 1, Implied},       {"???", 1, Implied},  // 48-4B
    {"jmp", 3, Absolute},      {"eor", 3, Absolute},      {"lsr", 3, Absolute},      {"???", 1, Implied},  // 4C-4F
    {"bvc", 2, ZeroPage},      {"eor", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // 50-53
    {"???", 1, Implied},       {"eor", 2, ZeroPageX},     {"lsr", 2, ZeroPageX},     {"???", 1, Implied},  // 54-57
    {"cli", 1, Implied},       {"eor", 3, AbsoluteY},     {"???", 1, Implied},       {"???", 1, Implied},  // 58-5B
    {"???", 1, Implied},       {"eor", 3, AbsoluteX},     {"lsr", 3, AbsoluteX},     {"???", 1, Implied},  // 5C-5F
    {"rts", 1, Implied},       {"adc", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // 60-63
    {"???", 1, Implied},       {"adc", 2, ZeroPage},      {"ror", 2, ZeroPage},      {"???", 1, Implied},  // 64-67
    {"pla", 1, Implied},       {"adc", 2, Immediate},     {"ror", 1, Implied},       {"???", 1, Implied},  // 68-6B
    {"jmp", 3, Indirect},      {"adc", 3, Absolute},      {"ror", 3, Absolute},      {"???", 1, Implied},  // 6C-6F
    {"bvs", 2, ZeroPage},      {"adc", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // 70-73
    {"???", 1, Implied},       {"adc", 2, ZeroPageX},     {"ror", 2, ZeroPageX},     {"???", 1, Implied},  // 74-77
    {"sei", 1, Implied},       {"adc", 3, AbsoluteY},     {"???", 1, Implied},       {"???", 1, Implied},  // 78-7B
    {"???", 1, Implied},       {"adc", 3, AbsoluteX},     {"ror", 3, AbsoluteX},     {"???", 1, Implied},  // 7C-7F
    {"???", 1, Implied},       {"sta", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // 80-83
    {"sty", 2, ZeroPage},      {"sta", 2, ZeroPage},      {"stx", 2, ZeroPage},      {"???", 1, Implied},  // 84-87
    {"dey", 1, Implied},       {"???", 1, Implied},       {"txa", 1, Implied},       {"???", 1, Implied},  // 88-8B
    {"sty", 3, Absolute},      {"sta", 3, Absolute},      {"stx", 3, Absolute},      {"???", 1, Implied},  // 8C-8F
    {"bcc", 2, ZeroPage},      {"sta", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // 90-93
    {"sty", 2, ZeroPageX},     {"sta", 2, ZeroPageX},     {"stx", 2, ZeroPageY},     {"???", 1, Implied},  // 94-97
    {"tya", 1, Implied},       {"sta", 3, AbsoluteY},     {"txs", 1, Implied},       {"???", 1, Implied},  // 98-9B
    {"???", 1, Implied},       {"sta", 3, AbsoluteX},     {"???", 1, Implied},       {"???", 1, Implied},  // 9C-9F
    {"ldy", 2, Immediate},     {"lda", 2, IndirectX},     {"ldx", 2, Immediate},     {"???", 1, Implied},  // A0-A3
    {"ldy", 2, ZeroPage},      {"lda", 2, ZeroPage},      {"ldx", 2, ZeroPage},      {"???", 1, Implied},  // A4-A7
    {"tay", 1, Implied},       {"lda", 2, Immediate},     {"tax", 1, Implied},       {"???", 1, Implied},  // A8-AB
    {"ldy", 3, Absolute},      {"lda", 3, Absolute},      {"ldx", 3, Absolute},      {"???", 1, Implied},  // AC-AF
    {"bcs", 2, ZeroPage},      {"lda", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // B0-B3
    {"ldy", 2, ZeroPageX},     {"lda", 2, ZeroPageX},     {"ldx", 2, ZeroPageY},     {"???", 1, Implied},  // B4-B7
    {"clv", 1, Implied},       {"lda", 3, AbsoluteY},     {"tsx", 1, Implied},       {"???", 1, Implied},  // B8-BB
    {"ldy", 3, AbsoluteX},     {"lda", 3, AbsoluteX},     {"ldx", 3, AbsoluteY},     {"???", 1, Implied},  // BC-BF
    {"cpy", 2, Immediate},     {"cmp", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // C0-C3
    {"cpy", 2, ZeroPage},      {"cmp", 2, ZeroPage},      {"dec", 2, ZeroPage},      {"???", 1, Implied},  // C4-C7
    {"iny", 1, Implied},       {"cmp", 2, Immediate},     {"dex", 1, Implied},       {"???", 1, Implied},  // C8-CB
    {"cpy", 3, Absolute},      {"cmp", 3, Absolute},      {"dec", 3, Absolute},      {"???", 1, Implied},  // CC-CF
    {"bne", 2, ZeroPage},      {"cmp", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // D0-D3
    {"???", 1, Implied},       {"cmp", 2, ZeroPageX},     {"dec", 2, ZeroPageX},     {"???", 1, Implied},  // D4-D7
    {"cld", 1, Implied},       {"cmp", 3, AbsoluteY},     {"???", 1, Implied},       {"???", 1, Implied},  // D8-DB
    {"???", 1, Implied},       {"cmp", 3, AbsoluteX},     {"dec", 3, AbsoluteX},     {"???", 1, Implied},  // DC-DF
    {"cpx", 2, Immediate},     {"sbc", 2, IndirectX},     {"???", 1, Implied},       {"???", 1, Implied},  // E0-E3
    {"cpx", 2, ZeroPage},      {"sbc", 2, ZeroPage},      {"inc", 2, ZeroPage},      {"???", 1, Implied},  // E4-E7
    {"inx", 1, Implied},       {"sbc", 2, Immediate},     {"nop", 1, Implied},       {"???", 1, Implied},  // E8-EB
    {"cpx", 3, Absolute},      {"sbc", 3, Absolute},      {"inc", 3, Absolute},      {"???", 1, Implied},  // EC-EF
    {"beq", 2, ZeroPage},      {"sbc", 2, IndirectY},     {"???", 1, Implied},       {"???", 1, Implied},  // F0-F3
    {"???", 1, Implied},       {"sbc", 2, ZeroPageX},     {"inc", 2, ZeroPageX},     {"???", 1, Implied},  // F4-F7
    {"sed", 1, Implied},       {"sbc", 3, AbsoluteY},     {"???", 1, Implied},       {"???", 1, Implied},  // F8-FB
    {"???", 1, Implied},       {"sbc", 3, AbsoluteX},     {"inc", 3, AbsoluteX},     {"???", 1, Implied},  // FC-FF
}};
// clang-format on

// The same processor with every opcode decoded, as cc65's da65 decodes them for its CPU "6502X":
// the undocumented opcodes that real programs use (slo, rla, sre, rra, sax, lax, dcp, isc, anc,
// alr, arr, ane, lxa, axs, las, tas, sha, shx, shy), the undocumented forms of nop and sbc, and
// jam for the opcodes that halt the processor.
// clang-format off
inline constexpr std::array<Opcode, 256> AllOpcodeTable = {{
    {"brk", 1, Implied},       {"ora", 2, IndirectX},     {"jam", 1, Implied},       {"slo", 2, IndirectX},  // 00-03
    {"nop", 2, ZeroPage},      {"ora", 2, ZeroPage},      {"asl", 2, ZeroPage},      {"slo", 2, ZeroPage},  // 04-07
    {"php", 1, Implied},       {"ora", 2, Immediate},     {"asl", 1, Implied},       {"anc", 2, Immediate},  // 08-0B
    {"nop", 3, Absolute},      {"ora", 3, Absolute},      {"asl", 3, Absolute},      {"slo", 3, Absolute},  // 0C-0F
    {"bpl", 2, ZeroPage},      {"ora", 2, IndirectY},     {"jam", 1, Implied},       {"slo", 2, IndirectY},  // 10-13
    {"nop", 2, ZeroPageX},     {"ora", 2, ZeroPageX},     {"asl", 2, ZeroPageX},     {"slo", 2, ZeroPageX},  // 14-17
    {"clc", 1, Implied},       {"ora", 3, AbsoluteY},     {"nop", 1, Implied},       {"slo", 3, AbsoluteY},  // 18-1B
    {"nop", 3, AbsoluteX},     {"ora", 3, AbsoluteX},     {"asl", 3, AbsoluteX},     {"slo", 3, AbsoluteX},  // 1C-1F
    {"jsr", 3, Absolute},      {"and", 2, IndirectX},     {"jam", 1, Implied},       {"rla", 2, IndirectX},  // 20-23
    {"bit", 2, ZeroPage},      {"and", 2, ZeroPage},      {"rol", 2, ZeroPage},      {"rla", 2, ZeroPage},  // 24-27
    {"plp", 1, Implied},       {"and", 2, Immediate},     {"rol", 1, Implied},       {"anc", 2, Immediate},  // 28-2B
    {"bit", 3, Absolute},      {"and", 3, Absolute},      {"rol", 3, Absolute},      {"rla", 3, Absolute},  // 2C-2F
    {"bmi", 2, ZeroPage},      {"and", 2, IndirectY},     {"jam", 1, Implied},       {"rla", 2, IndirectY},  // 30-33
    {"nop", 2, ZeroPageX},     {"and", 2, ZeroPageX},     {"rol", 2, ZeroPageX},     {"rla", 2, ZeroPageX},  // 34-37
    {"sec", 1, Implied},       {"and", 3, AbsoluteY},     {"nop", 1, Implied},       {"rla", 3, AbsoluteY},  // 38-3B
    {"nop", 3, AbsoluteX},     {"and", 3, AbsoluteX},     {"rol", 3, AbsoluteX},     {"rla", 3, AbsoluteX},  // 3C-3F
    {"rti", 1, Implied},       {"eor", 2, IndirectX},     {"jam", 1, Implied},       {"sre", 2, IndirectX},  // 40-43
    {"nop", 2, ZeroPage},      {"eor", 2, ZeroPage},      {"lsr", 2, ZeroPage},      {"sre", 2, ZeroPage},  // 44-47
    {"pha", 1, Implied},       {"eor", 2, Immediate},     {"lsr", 1, Implied},       {"alr", 2, Immediate},  // 48-4B
    {"jmp", 3, Absolute},      {"eor", 3, Absolute},      {"lsr", 3, Absolute},      {"sre", 3, Absolute},  // 4C-4F
    {"bvc", 2, ZeroPage},      {"eor", 2, IndirectY},     {"jam", 1, Implied},       {"sre", 2, IndirectY},  // 50-53
    {"nop", 2, ZeroPageX},     {"eor", 2, ZeroPageX},     {"lsr", 2, ZeroPageX},     {"sre", 2, ZeroPageX},  // 54-57
    {"cli", 1, Implied},       {"eor", 3, AbsoluteY},     {"nop", 1, Implied},       {"sre", 3, AbsoluteY},  // 58-5B
    {"nop", 3, AbsoluteX},     {"eor", 3, AbsoluteX},     {"lsr", 3, AbsoluteX},     {"sre", 3, AbsoluteX},  // 5C-5F
    {"rts", 1, Implied},       {"adc", 2, IndirectX},     {"jam", 1, Implied},       {"rra", 2, IndirectX},  // 60-63
    {"nop", 2, ZeroPage},      {"adc", 2, ZeroPage},      {"ror", 2, ZeroPage},      {"rra", 2, ZeroPage},  // 64-67
    {"pla", 1, Implied},       {"adc", 2, Immediate},     {"ror", 1, Implied},       {"arr", 2, Immediate},  // 68-6B
    {"jmp", 3, Indirect},      {"adc", 3, Absolute},      {"ror", 3, Absolute},      {"rra", 3, Absolute},  // 6C-6F
    {"bvs", 2, ZeroPage},      {"adc", 2, IndirectY},     {"jam", 1, Implied},       {"rra", 2, IndirectY},  // 70-73
    {"nop", 2, ZeroPageX},     {"adc", 2, ZeroPageX},     {"ror", 2, ZeroPageX},     {"rra", 2, ZeroPageX},  // 74-77
    {"sei", 1, Implied},       {"adc", 3, AbsoluteY},     {"nop", 1, Implied},       {"rra", 3, AbsoluteY},  // 78-7B
    {"nop", 3, AbsoluteX},     {"adc", 3, AbsoluteX},     {"ror", 3, AbsoluteX},     {"rra", 3, AbsoluteX},  // 7C-7F
    {"nop", 2, Immediate},     {"sta", 2, IndirectX},     {"nop", 2, Immediate},     {"sax", 2, IndirectX},  // 80-83
    {"sty", 2, ZeroPage},      {"sta", 2, ZeroPage},      {"stx", 2, ZeroPage},      {"sax", 2, ZeroPage},  // 84-87
    {"dey", 1, Implied},       {"nop", 2, Immediate},     {"txa", 1, Implied},       {"xaa", 2, Immediate},  // 88-8B
    {"sty", 3, Absolute},      {"sta", 3, Absolute},      {"stx", 3, Absolute},      {"sax", 3, Absolute},  // 8C-8F
    {"bcc", 2, ZeroPage},      {"sta", 2, IndirectY},     {"jam", 1, Implied},       {"ahx", 2, IndirectY},  // 90-93
    {"sty", 2, ZeroPageX},     {"sta", 2, ZeroPageX},     {"stx", 2, ZeroPageY},     {"sax", 2, ZeroPageY},  // 94-97
    {"tya", 1, Implied},       {"sta", 3, AbsoluteY},     {"txs", 1, Implied},       {"tas", 3, AbsoluteY},  // 98-9B
    {"shy", 3, AbsoluteX},     {"sta", 3, AbsoluteX},     {"shx", 3, AbsoluteY},     {"ahx", 3, AbsoluteY},  // 9C-9F
    {"ldy", 2, Immediate},     {"lda", 2, IndirectX},     {"ldx", 2, Immediate},     {"lax", 2, IndirectX},  // A0-A3
    {"ldy", 2, ZeroPage},      {"lda", 2, ZeroPage},      {"ldx", 2, ZeroPage},      {"lax", 2, ZeroPage},  // A4-A7
    {"tay", 1, Implied},       {"lda", 2, Immediate},     {"tax", 1, Implied},       {"lax", 2, Immediate},  // A8-AB
    {"ldy", 3, Absolute},      {"lda", 3, Absolute},      {"ldx", 3, Absolute},      {"lax", 3, Absolute},  // AC-AF
    {"bcs", 2, ZeroPage},      {"lda", 2, IndirectY},     {"jam", 1, Implied},       {"lax", 2, IndirectY},  // B0-B3
    {"ldy", 2, ZeroPageX},     {"lda", 2, ZeroPageX},     {"ldx", 2, ZeroPageY},     {"lax", 2, ZeroPageY},  // B4-B7
    {"clv", 1, Implied},       {"lda", 3, AbsoluteY},     {"tsx", 1, Implied},       {"las", 3, AbsoluteY},  // B8-BB
    {"ldy", 3, AbsoluteX},     {"lda", 3, AbsoluteX},     {"ldx", 3, AbsoluteY},     {"lax", 3, AbsoluteY},  // BC-BF
    {"cpy", 2, Immediate},     {"cmp", 2, IndirectX},     {"nop", 2, Immediate},     {"dcp", 2, IndirectX},  // C0-C3
    {"cpy", 2, ZeroPage},      {"cmp", 2, ZeroPage},      {"dec", 2, ZeroPage},      {"dcp", 2, ZeroPage},  // C4-C7
    {"iny", 1, Implied},       {"cmp", 2, Immediate},     {"dex", 1, Implied},       {"axs", 2, Immediate},  // C8-CB
    {"cpy", 3, Absolute},      {"cmp", 3, Absolute},      {"dec", 3, Absolute},      {"dcp", 3, Absolute},  // CC-CF
    {"bne", 2, ZeroPage},      {"cmp", 2, IndirectY},     {"jam", 1, Implied},       {"dcp", 2, IndirectY},  // D0-D3
    {"nop", 2, ZeroPageX},     {"cmp", 2, ZeroPageX},     {"dec", 2, ZeroPageX},     {"dcp", 2, ZeroPageX},  // D4-D7
    {"cld", 1, Implied},       {"cmp", 3, AbsoluteY},     {"nop", 1, Implied},       {"dcp", 3, AbsoluteY},  // D8-DB
    {"nop", 3, AbsoluteX},     {"cmp", 3, AbsoluteX},     {"dec", 3, AbsoluteX},     {"dcp", 3, AbsoluteX},  // DC-DF
    {"cpx", 2, Immediate},     {"sbc", 2, IndirectX},     {"nop", 2, Immediate},     {"isc", 2, IndirectX},  // E0-E3
    {"cpx", 2, ZeroPage},      {"sbc", 2, ZeroPage},      {"inc", 2, ZeroPage},      {"isc", 2, ZeroPage},  // E4-E7
    {"inx", 1, Implied},       {"sbc", 2, Immediate},     {"nop", 1, Implied},       {"sbc", 2, Immediate},  // E8-EB
    {"cpx", 3, Absolute},      {"sbc", 3, Absolute},      {"inc", 3, Absolute},      {"isc", 3, Absolute},  // EC-EF
    {"beq", 2, ZeroPage},      {"sbc", 2, IndirectY},     {"jam", 1, Implied},       {"isc", 2, IndirectY},  // F0-F3
    {"nop", 2, ZeroPageX},     {"sbc", 2, ZeroPageX},     {"inc", 2, ZeroPageX},     {"isc", 2, ZeroPageX},  // F4-F7
    {"sed", 1, Implied},       {"sbc", 3, AbsoluteY},     {"nop", 1, Implied},       {"isc", 3, AbsoluteY},  // F8-FB
    {"nop", 3, AbsoluteX},     {"sbc", 3, AbsoluteX},     {"inc", 3, AbsoluteX},     {"isc", 3, AbsoluteX},  // FC-FF

}};
// clang-format on

// Every documented opcode reads the same in both tables.
constexpr bool DocumentedOpcodesAgree() {
    for (std::size_t i = 0; i < OpcodeTable.size(); ++i) {
        const Opcode& documented = OpcodeTable[i];
        const Opcode& all = AllOpcodeTable[i];
        if (documented.mnemonic != "???" &&
            (documented.mnemonic != all.mnemonic || documented.length != all.length ||
             documented.mode != all.mode)) {
            return false;
        }
    }
    return true;
}
static_assert(DocumentedOpcodesAgree());

// Every mnemonic has three letters: the listing's columns count on it.
constexpr bool MnemonicsHaveThreeLetters() {
    for (std::size_t i = 0; i < OpcodeTable.size(); ++i) {
        if (OpcodeTable[i].mnemonic.size() != 3 || AllOpcodeTable[i].mnemonic.size() != 3)
            return false;
    }
    return true;
}
static_assert(MnemonicsHaveThreeLetters());

// How each addressing mode writes its operand, by mode: the one-byte operand or the two-byte word
// in two or four hexadecimal digits, and whether its address can be named in a comment.
struct OperandForm {
    std::u16string_view prefix;
    int digits;
    std::u16string_view suffix;
    bool labelled;
};

inline constexpr std::array<OperandForm, 11> OperandForms = {{
    {u"", 0, u"", false},        // Implied: no operand
    {u" #$", 2, u"", false},     // Immediate
    {u" $", 2, u"", true},       // ZeroPage (a branch writes its target instead)
    {u" $", 2, u",x", false},    // ZeroPageX
    {u" $", 4, u"", true},       // Absolute
    {u" $", 4, u",x", true},     // AbsoluteX
    {u" $", 4, u",y", true},     // AbsoluteY
    {u" ($", 2, u",x)", false},  // IndirectX
    {u" ($", 2, u"),y", false},  // IndirectY
    {u" $", 2, u",y", false},    // ZeroPageY
    {u" ($", 4, u")", true},     // Indirect
}};

// The branches are the opcodes xxx10000: bpl, bmi, bvc, bvs, bcc, bcs, bne, beq.
constexpr bool IsBranch(std::uint8_t opcode) {
    return (opcode & 0x1F) == 0x10;
}

}  // namespace kestrune
