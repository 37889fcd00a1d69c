// Well-known locations of the Commodore 64, 128 and VIC-20 (ROM routines, zero-page variables,
// I/O registers) that the disassembly names in a comment. Every row applies to every file,
// whatever machine it was written for. Sorted by address, no address twice.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrune {

struct AddressLabel {
    std::uint32_t address;
    std::string_view text;
};

// clang-format off
inline constexpr std::array<AddressLabel, 75> AddressLabels = {{
    {0x0006, "storage for [a] (C128)"},
    {0x0007, "storage for [x] (C128)"},
    {0x0008, "storage for [y] (C128)"},
    {0x002B, "start of BASIC low byte"},
    {0x002C, "start of BASIC hi byte"},
    {0x002D, "start of vars, low byte"},
    {0x002E, "start of vars, hi byte"},
    {0x00C5, "last key pressed"},
    {0x00CB, "current key pressed"},
    {0x00D4, "current key pressed (C128)"},
    {0x00D5, "last key pressed (C128)"},
    {0x00E3, "start of color RAM (C128)"},
    {0x00F1, "current text color (C128)"},
    {0x00F4, "start of color RAM"},
    {0x0286, "text color"},
    {0x0288, "start of screen RAM"},
    {0x030C, "storage for [a]"},
    {0x030D, "storage for [x]"},
    {0x030E, "storage for [y]"},
    {0x0A3B, "start of screen RAM (C128)"},
    {0x9003, "raster high byte"},
    {0x9004, "raster low byte"},
    {0x900A, "voice 1 freq"},
    {0x900B, "voice 2 freq"},
    {0x900C, "voice 3 freq"},
    {0x900D, "voice 4 freq"},
    {0x900E, "sound volume/aux color"},
    {0x900F, "background/border color"},
    {0xA65E, "Perform CLR"},
    {0xAB1E, "print string at [ay] (C64))"},
    {0xAD8A, "variable type check"},
    {0xAEFD, "check for comma"},
    {0xAF57, "RND (C128)"},
    {0xB391, "16-bit int > float [ay]"},
    {0xB79B, "get number 0-255 [x]"},
    {0xB7F7, "float > 2-byte int"},
    {0xBA07, "hex > decimal in $60-$62 (C128)"},
    {0xBA5D, "print decimal number (C128)"},
    {0xBDCD, "print decimal number at [ax]"},
    {0xC142, "CLR/HOME (C128)"},
    {0xC150, "HOME (C128)"},
    {0xC65E, "Perform CLR (VIC)"},
    {0xCB1E, "print string at [ay] (VIC))"},
    {0xCD8A, "variable type check"},
    {0xCEFD, "check for comma"},
    {0xD020, "border color"},
    {0xD021, "background color"},
    {0xD391, "16-bit int->float [ay]"},
    {0xD400, "voice 1 freq low-byte"},
    {0xD401, "voice 1 freq high-byte"},
    {0xD402, "voice 1 pulse waveform low-byte"},
    {0xD403, "voice 1 pulse waveform high-byte"},
    {0xD79B, "get number 0-255 [x]"},
    {0xD7F7, "float > 2-byte int"},
    {0xDC00, "joystick port 2"},
    {0xDC01, "joystick port 1"},
    {0xDC08, "tme-of-day clock (0.1 sec)"},
    {0xDC09, "time-of-day clock (sec)"},
    {0xDC0A, "time-of-day clock (min)"},
    {0xDC0B, "time-of-day clock (hr)"},
    {0xDDCD, "print decimal number at [ax]"},
    {0xE094, "RND (VIC)"},
    {0xE097, "RND (C64)"},
    {0xE200, "skip comma, get int in [x]"},
    {0xE544, "CLR/HOME (C64)"},
    {0xE55F, "CLR/HOME (VIC)"},
    {0xE566, "HOME (C64)"},
    {0xE581, "HOME (VIC)"},
    {0xFF7D, "print string [addr+]"},
    {0xFFD2, "print char in [a]"},
    {0xFFDE, "read jiffy clock [axy]"},
    {0xFFE1, "test for RUN/STOP key"},
    {0xFFE4, "get character"},
    {0xFFE7, "close all files"},
    {0xFFF0, "plot cursor [xy]"},
}};
// clang-format on

// The text of the location, or empty when it has none.
std::string_view LabelFor(std::uint32_t address);

}  // namespace kestrune
