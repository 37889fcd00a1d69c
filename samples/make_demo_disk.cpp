// Writes samples/demo.d64, the disk that scripts/run opens when no image is given: a BASIC program
// with colours, cursor codes and graphics in its strings, a machine-code program at $C000 that
// calls KERNAL routines, a SEQ text, a screen-code file that loads at $0400, a DEL entry and a
// locked file. All of it is written here.
//   make_demo_disk OUTPUT.d64
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/basic_program.h"
#include "tests/support/disk_builder.h"

namespace {

using kestrune::testing::BasicLine;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

// PETSCII of plain text as a C64 in its upper/lower case set shows it: a-z at 0x41, A-Z at 0xC1.
std::uint8_t Petscii(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 0x41);
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A' + 0xC1);
    if (c == '\n') return 0x0D;
    return static_cast<std::uint8_t>(c);
}

// The control and graphic codes typed inside strings, by the names the listing shows them with.
const std::map<std::string, std::uint8_t> kCodes = {
    {"clr", 0x93},  {"home", 0x13},    {"down", 0x11},    {"up", 0x91},   {"right", 0x1D},
    {"left", 0x9D}, {"rvs", 0x12},     {"off", 0x92},     {"wht", 0x05},  {"red", 0x1C},
    {"grn", 0x1E},  {"blu", 0x1F},     {"yel", 0x9E},     {"cyn", 0x9F},  {"pur", 0x9C},
    {"blk", 0x90},  {"c= +", 0xA6},    {"shift *", 0x60}, {"c= q", 0xAB}, {"c= w", 0xB3},
    {"c= *", 0x7F}, {"shift q", 0x71},
};

// The keywords this program uses and their tokens.
const std::map<std::string, std::uint8_t> kTokens = {
    {"PRINT", 0x99}, {"FOR", 0x81}, {"TO", 0xA4},   {"NEXT", 0x82}, {"POKE", 0x97},
    {"SYS", 0x9E},   {"END", 0x80}, {"GOTO", 0x89}, {"REM", 0x8F},
};

// Tokenises a line typed in upper case: keywords outside strings become tokens, "{name}" inside
// strings the code of that name, letters the unshifted PETSCII letters.
Bytes Tokenise(std::string_view text) {
    Bytes bytes;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '"') quoted = !quoted;
        if (text[i] == '{') {
            const std::size_t end = text.find('}', i);
            std::string name(text.substr(i + 1, end - i - 1));
            int count = 1;
            if (const auto space = name.find(' ');
                space != std::string::npos && name[0] >= '0' && name[0] <= '9') {
                count = std::stoi(name.substr(0, space));
                name = name.substr(space + 1);
            }
            bytes.insert(bytes.end(), static_cast<std::size_t>(count), kCodes.at(name));
            i = end + 1;
            continue;
        }
        if (!quoted) {
            bool matched = false;
            for (const auto& [keyword, token] : kTokens) {
                if (text.substr(i, keyword.size()) == keyword) {
                    bytes.push_back(token);
                    i += keyword.size();
                    matched = true;
                    break;
                }
            }
            if (matched) continue;
        }
        const char c = text[i++];
        bytes.push_back(c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c) : Petscii(c));
    }
    return bytes;
}

Bytes BasicDemo() {
    const std::vector<std::pair<std::uint16_t, std::string_view>> lines = {
        {10, "REM KESTRUNE DEMO"},
        {20, "POKE 53280,6:POKE 53281,0"},
        {30, "PRINT \"{clr}{wht}KESTRUNE {yel}DEMO DISK{2 down}\""},
        {40, "PRINT \"{cyn}{c= q}{6 shift *}{c= w}\""},
        {50, "PRINT \"{rvs}{red} COLOURS {off}{grn} AND {blu}{rvs} GRAPHICS {off}\""},
        {60, "FOR I=1 TO 8:PRINT \"{right}{c= +}\";:NEXT I"},
        {70, "PRINT \"{3 down}{pur}MACHINE CODE AT 49152...\""},
        {80, "SYS 49152"},
        {90, "END"},
    };
    std::vector<BasicLine> program;
    for (const auto& [number, text] : lines)
        program.push_back({number, Tokenise(text)});
    return kestrune::testing::Program(0x0801, kestrune::testing::BasicProgram(0x0801, program));
}

// Clears the screen and prints a message through the KERNAL, waits for a key, flashes the border.
Bytes MachineCodeDemo() {
    Bytes code = {
        0xA9, 0x93,        // c000  lda #$93      the code that clears the screen
        0x20, 0xD2, 0xFF,  // c002  jsr $ffd2     CHROUT
        0xA2, 0x00,        // c005  ldx #$00
        0xBD, 0x1B, 0xC0,  // c007  lda $c01b,x   the message, up to its 0
        0xF0, 0x06,        // c00a  beq $c012
        0x20, 0xD2, 0xFF,  // c00c  jsr $ffd2
        0xE8,              // c00f  inx
        0xD0, 0xF5,        // c010  bne $c007
        0x20, 0xE4, 0xFF,  // c012  jsr $ffe4     GETIN
        0xF0, 0xFB,        // c015  beq $c012     until a key is pressed
        0xEE, 0x20, 0xD0,  // c017  inc $d020     the border colour
        0x60,              // c01a  rts
    };
    for (const char c : std::string_view("hello from kestrune!\n"))
        code.push_back(Petscii(c));
    code.push_back(0);
    return kestrune::testing::Program(0xC000, code);
}

Bytes SeqText() {
    Bytes text;
    for (const char c :
         std::string_view("Kestrune demo disk\n"
                          "This file is a SEQ text: the PETSCII view shows it\n"
                          "line by line, as a C64 printed it.\n"
                          "Prices in \x5c and arrows \x5e \x5f are PETSCII too.\n")) {
        text.push_back(Petscii(c));
    }
    return text;
}

// Three rows of screen memory: plain, reversed (0x80 added) and the box-drawing graphics.
Bytes ScreenCodes() {
    Bytes screen;
    const auto row = [&](std::string_view text, std::uint8_t reverse) {
        for (std::size_t i = 0; i < 40; ++i) {
            const char c = i < text.size() ? text[i] : ' ';
            std::uint8_t code = c >= 'a' && c <= 'z'   ? static_cast<std::uint8_t>(c - 'a' + 1)
                                : c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c - 'A' + 0x41)
                                                       : static_cast<std::uint8_t>(c);
            screen.push_back(static_cast<std::uint8_t>(code | reverse));
        }
    };
    row("Screen codes, as the screen memory holds", 0);
    row("  Reversed characters look the same here", 0x80);
    row("    Kestrune demo  $0400 to $0477", 0);
    return kestrune::testing::Program(0x0400, screen);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_disk OUTPUT.d64\n");
        return 1;
    }
    DiskBuilder disk;
    disk.DiskName("KESTRUNE DEMO").DiskId("KD");
    disk.AddFile("DEMO", 0x82, BasicDemo());
    disk.AddFile("HELLO.ML", 0x82, MachineCodeDemo());
    disk.AddFile("README", 0x81, SeqText());
    disk.AddFile("SCREEN", 0x82, ScreenCodes());
    disk.AddEntry({0x80, 0, 0, "----------------", 0});
    disk.AddFile("LOCKED NOTES", 0xC1, SeqText());
    disk.WriteTo(argv[1]);
    return 0;
}
