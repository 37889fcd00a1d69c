// The BASIC dialects the listing knows beyond Commodore BASIC V2: the keywords of their tokens,
// laid out like the token table of basic_tables.h. Statements that take arguments keep a space
// after their keyword, as the V2 table writes them, except the disk commands, which the 3.5 part
// of that table writes without one; functions and words without arguments have none.
#pragma once

#include <array>
#include <string_view>

namespace kestrune {

enum class BasicDialect {
    V2,             // Commodore BASIC V2 (C64, VIC-20): exactly the listing of basic_tables.h
    V35,            // BASIC 3.5 (C16, Plus/4): single-byte tokens 0xCC-0xFD
    V40,            // BASIC 4.0 (PET, CBM): tokens 0xCC-0xDA
    V70,            // BASIC 7.0 (C128): 3.5's tokens, 0xCE and 0xFE as prefixes of two-byte tokens
    Simons,         // Simons' BASIC (C64): two-byte tokens 0x64 0x01-0x7F
    SuperExpander,  // the VIC-20 Super Expander: tokens 0xCC-0xDD
};
inline constexpr int kBasicDialectCount = 6;

// The names kestrune-cli takes and prints, and the names the window shows, by dialect.
inline constexpr std::array<std::string_view, kBasicDialectCount> kBasicDialectKeys = {
    "v2", "v3.5", "v4.0", "v7.0", "simons", "superexpander"};
inline constexpr std::array<std::string_view, kBasicDialectCount> kBasicDialectNames = {
    "BASIC V2", "BASIC 3.5", "BASIC 4.0", "BASIC 7.0", "Simons' BASIC", "Super Expander"};

// clang-format off

// BASIC 3.5 and 7.0, single-byte tokens 0xCC to 0xFD, as the V2 table lists them where it names
// them; 0xCE is 3.5's rlum and 7.0's prefix.
inline constexpr std::array<std::string_view, 50> Basic35Tokens = {
    "rgr",       "rclr",      "rlum",      "joy",       "rdot",      "dec",       "hex$",      "err$",  // CC-D3
    "instr ",    "else ",     "resume ",   "trap ",     "tron",      "troff",     "sound ",    "vol ",  // D4-DB
    "auto",      "pudef ",    "graphic ",  "paint ",    "char ",     "box ",      "circle ",   "gshape ",  // DC-E3
    "sshape ",   "draw ",     "locate ",   "color ",    "scnclr",    "scale ",    "help",      "do ",  // E4-EB
    "loop",      "exit",      "directory", "dsave",     "dload",     "header",    "scratch",   "collect",  // EC-F3
    "copy",      "rename",    "backup",    "delete",    "renumber",  "key ",      "monitor",   " using ",  // F4-FB
    "until ",    "while ",  // FC-FD
};

// BASIC 7.0, the second bytes 0x02 to 0x0A after the prefix 0xCE.
inline constexpr std::array<std::string_view, 9> Basic70TokensCE = {
    "pot",       "bump",      "pen",       "rsppos",    "rsprite",   "rspcolor",  "xor",       "rwindow",  // CE02-CE09
    "pointer",  // CE0A
};

// BASIC 7.0, the second bytes 0x02 to 0x26 after the prefix 0xFE; empty where no keyword is.
inline constexpr std::array<std::string_view, 37> Basic70TokensFE = {
    "bank ",     "filter ",   "play ",     "tempo ",    "movspr ",   "sprite ",   "sprcolor ", "rreg ",  // FE02-FE09
    "envelope ", "sleep ",    "catalog",  "dopen",    "append",   "dclose",   "bsave",    "bload",  // FE0A-FE11
    "record",   "concat",   "dverify",  "dclear",   "sprsav ",   "collision ", "begin",    "bend",  // FE12-FE19
    "window ",   "boot ",     "width ",    "sprdef",    "quit",      "stash ",    "",          "fetch ",  // FE1A-FE21
    "",          "swap ",     "off",       "fast",      "slow",  // FE22-FE26
};

// BASIC 4.0, tokens 0xCC to 0xDA.
inline constexpr std::array<std::string_view, 15> Basic40Tokens = {
    "concat",   "dopen",    "dclose",   "record",   "header",   "collect",  "backup",   "copy",  // CC-D3
    "append",   "dsave",    "dload",    "catalog",  "rename",   "scratch",  "directory",  // D4-DA
};

// The VIC-20 Super Expander, tokens 0xCC to 0xDD.
inline constexpr std::array<std::string_view, 18> SuperExpanderTokens = {
    "key ",      "graphic ",  "scnclr",    "circle ",   "draw ",     "region ",   "color ",    "point ",  // CC-D3
    "sound ",    "char ",     "paint ",    "rpot",      "rpen",      "rsnd",      "rcolr",     "rgr",  // D4-DB
    "rjoy",      "rdot",  // DC-DD
};

// Simons' BASIC, the second bytes 0x01 to 0x7F after the prefix 0x64.
inline constexpr std::array<std::string_view, 127> SimonsTokens = {
    "hires ",    "plot ",     "line ",     "block ",    "fchr ",     "fcol ",     "fill ",     // 6401-6407
    "rec ",      "rot ",      "draw ",     "char ",     "hi col ",   "inv ",      "frac ",     "move ",  // 6408-640F
    "place ",    "upb",       "upw",       "leftw",     "leftb",     "downb",     "downw",     "rightb",  // 6410-6417
    "rightw",    "multi ",    "colour ",   "mmob ",     "bflash ",   "mob set ",  "music ",    "flash ",  // 6418-641F
    "repeat",    "play ",     ">>",        "centre ",   "envelope ", "cgoto ",    "wave ",     "fetch ",  // 6420-6427
    "at(",       "until ",    ">>",        ">>",        "use ",      ">>",        "global",    ">>",  // 6428-642F
    "reset ",    "proc ",     "call ",     "exec ",     "end proc",  "exit ",     "end loop",  "on key ",  // 6430-6437
    "disable",   "resume ",   "loop",      "delay ",    ">>",        ">>",        ">>",        ">>",  // 6438-643F
    "secure ",   "disapa",    "circle ",   "on error ", "no error",  "local ",    "rcomp",     "else ",  // 6440-6447
    "retrace",   "trace ",    "dir ",      "page ",     "dump",      "find ",     "option ",   "auto ",  // 6448-644F
    "old",       "joy",       "mod",       "div",       ">>",        "dup",       "inkey",     "inst ",  // 6450-6457
    "test",      "lin",       "exor",      "insert",    "pot",       "penx",      ">>",        "peny",  // 6458-645F
    "sound ",    "graphics",  "design ",   "rlocmob ",  "cmob ",     "bckgnds ",  "pause ",    "nrm",  // 6460-6467
    "mob off ",  "off",       "angl ",     "arc ",      "cold",      "scrsv ",    "scrld ",    "text ",  // 6468-646F
    "cset ",     "vol ",      "disk ",     "hrdcpy",    "key ",      "paint ",    "low col ",  "copy ",  // 6470-6477
    "merge ",    "renumber ", "mem",       "detect ",   "check",     "display ",  "err",       "out",  // 6478-647F
};

// clang-format on

static_assert(Basic35Tokens.size() == 0xFD - 0xCC + 1);
static_assert(Basic70TokensCE.size() == 0x0A - 0x02 + 1);
static_assert(Basic70TokensFE.size() == 0x26 - 0x02 + 1);
static_assert(Basic40Tokens.size() == 0xDA - 0xCC + 1);
static_assert(SuperExpanderTokens.size() == 0xDD - 0xCC + 1);
static_assert(SimonsTokens.size() == 0x7F);

}  // namespace kestrune
