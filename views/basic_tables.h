// The tables of the BASIC listing: keyword texts of the tokens and the names of PETSCII codes.
#pragma once

#include <array>
#include <string_view>

namespace kestrune {

// clang-format off

// The keyword of each token byte 0x80 to 0xFD: BASIC 2.0 up to 0xCB, BASIC 3.5/7.0 from 0xCC on.
// Spaces belong to the texts; "&uarr;", "&gt;" and "&lt;" are HTML character references.
inline constexpr std::array<std::string_view, 126> BasicTokenText = {
    "end",       "for ",      "next ",     "data ",     "input#",    "input",     "dim ",      "read ",  // 80-87
    "let ",      "goto ",     "run",       "if ",       "restore",   "gosub ",    "return",    "rem ",  // 88-8F
    "stop",      "on ",       "wait ",     "load",      "save",      "verify",    "def",       "poke ",  // 90-97
    "print#",    "print ",    "cont",      "list",      "clr",       "cmd",       "sys ",      "open ",  // 98-9F
    "close ",    "get ",      "new",       "tab(",      " to ",      "fn ",       "spc(",      " then ",  // A0-A7
    " not ",     " step ",    "+",         "-",         "*",         "/",         "&uarr;",    " and ",  // A8-AF
    " or ",      "&gt;",      "=",         "&lt;",      "sgn",       "int",       "abs",       "usr",  // B0-B7
    "fre",       "pos",       "sqr",       "rnd",       "log",       "exp",       "cos",       "sin",  // B8-BF
    "tan",       "atn",       "peek",      "len",       "str$",      "val",       "asc",       "chr$",  // C0-C7
    "left$",     "right$",    "mid$",      "go",        "rgr",       "rclr",      "~",         "joy",  // C8-CF
    "rdot",      "dec",       "hex$",      "~",         "instr ",    "else ",     "resume ",   "trap ",  // D0-D7
    "tron",      "troff",     "sound ",    "vol ",      "auto",      "pudef ",    "graphic ",  "paint ",  // D8-DF
    "char ",     "box ",      "circle ",   "gshape ",   "sshape ",   "draw ",     "locate ",   "color ",  // E0-E7
    "scnclr",    "scale ",    "help",      "do ",       "loop",      "exit",      "directory", "dsave",  // E8-EF
    "dload",     "header",    "scratch",   "collect",   "copy",      "rename",    "backup",    "delete",  // F0-F7
    "renumber",  "key ",      "monitor",   " using ",   "until ",    "while ",  // F8-FD
};

// What the listing writes for each PETSCII code: a name for control codes and the keys that type
// graphics ("c= " is the Commodore key), the character itself, an HTML character reference, or
// nothing.
inline constexpr std::array<std::string_view, 256> PetsciiCharName = {
    "",         "",         "",         "",         "",         "wht",      "",         "",  // 00-07
    "caselock", "",         "",         "",         "",         "return",   "lowercase", "",  // 08-0F
    "",         "down",     "rvs",      "home",     "del",      "",         "",         "",  // 10-17
    "",         "",         "",         "",         "red",      "right",    "grn",      "blu",  // 18-1F
    "space",    "!",        "\"",       "#",        "$",        "%",        "&amp;",    "'",  // 20-27
    "(",        ")",        "*",        "+",        ",",        "-",        ".",        "/",  // 28-2F
    "0",        "1",        "2",        "3",        "4",        "5",        "6",        "7",  // 30-37
    "8",        "9",        ":",        ";",        "&lt;",     "=",        "&gt;",     "?",  // 38-3F
    "@",        "a",        "b",        "c",        "d",        "e",        "f",        "g",  // 40-47
    "h",        "i",        "j",        "k",        "l",        "m",        "n",        "o",  // 48-4F
    "p",        "q",        "r",        "s",        "t",        "u",        "v",        "w",  // 50-57
    "x",        "y",        "z",        "[",        "&pound;",  "]",        "&uarr;",   "&larr;",  // 58-5F
    "shift *",  "A",        "B",        "C",        "D",        "E",        "F",        "G",  // 60-67
    "H",        "I",        "J",        "K",        "L",        "M",        "N",        "O",  // 68-6F
    "P",        "Q",        "R",        "S",        "T",        "U",        "V",        "W",  // 70-77
    "X",        "Y",        "Z",        "shift +",  "c= -",     "shift -",  "&#960;",   "c= *",  // 78-7F
    "",         "c= 1",     "",         "",         "",         "f1",       "f3",       "f5",  // 80-87
    "f7",       "f2",       "f4",       "f6",       "f8",       "shift return", "uppercase", "",  // 88-8F
    "blk",      "up",       "off",      "clr",      "insert",   "c= 2",     "c= 3",     "c= 4",  // 90-97
    "c= 5",     "c= 6",     "c= 7",     "c= 8",     "pur",      "left",     "yel",      "cyn",  // 98-9F
    "space",    "c= k",     "c= i",     "c= t",     "c= @",     "c= g",     "c= +",     "c= m",  // A0-A7
    "c= &pound;", "shift &pound;", "c= n",     "c= q",     "c= d",     "c= z",     "c= s",     "c= p",  // A8-AF
    "c= a",     "c= e",     "c= r",     "c= w",     "c= h",     "c= j",     "c= l",     "c= y",  // B0-B7
    "c= u",     "c= o",     "shift @",  "c= f",     "c= c",     "c= x",     "c= v",     "c= b",  // B8-BF
    "shift *",  "A",        "B",        "C",        "D",        "E",        "F",        "G",  // C0-C7
    "H",        "I",        "J",        "K",        "L",        "M",        "N",        "O",  // C8-CF
    "P",        "Q",        "R",        "S",        "T",        "U",        "V",        "W",  // D0-D7
    "X",        "Y",        "Z",        "shift +",  "c= -",     "shift -",  "&#960;",   "c= *",  // D8-DF
    "space",    "c= k",     "c= i",     "c= t",     "c= @",     "c= g",     "c= +",     "c= m",  // E0-E7
    "c= &pound;", "shift &pound;", "c= n",     "c= q",     "c= d",     "c= z",     "c= s",     "c= p",  // E8-EF
    "c= a",     "c= e",     "c= r",     "c= w",     "c= h",     "c= j",     "c= l",     "c= y",  // F0-F7
    "c= u",     "c= o",     "shift @",  "c= f",     "c= c",     "c= x",     "c= v",     "&#960;",  // F8-FF
};

// clang-format on

}  // namespace kestrune
