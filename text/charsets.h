// The Commodore character tables: each maps a code to the one character that the views show for
// it, as the machine shows it in its upper/lower case set. Codes without a text character (control
// codes, colours, graphics) show as ".". Each table is laid out 16 codes to a line.
#pragma once

#include <cstdint>

namespace kestrune {

// PETSCII, indexed by the byte: disk and file names, the PETSCII view and hex dump column.
inline constexpr char16_t PetsciiTable[257] =
    u"................"   // 00-0F
    u"................"   // 10-1F
    u" !\"#$%&'()*+,-./"  // 20-2F
    u"0123456789:;<=>?"   // 30-3F
    u"@abcdefghijklmno"   // 40-4F
    u"pqrstuvwxyz[£]↑←"   // 50-5F
    u"-ABCDEFGHIJKLMNO"   // 60-6F
    u"PQRSTUVWXYZ..|.."   // 70-7F
    u"................"   // 80-8F
    u"................"   // 90-9F
    u" ..............."   // A0-AF
    u"................"   // B0-BF
    u"-ABCDEFGHIJKLMNO"   // C0-CF
    u"PQRSTUVWXYZ..|.."   // D0-DF
    u" ..............."   // E0-EF
    u"................";  // F0-FF

// Screen codes, indexed by the code AND 0x7F, so a reversed character shows like the plain one.
inline constexpr char16_t ScreenCodeTable[129] =
    u"@abcdefghijklmno"   // 00-0F
    u"pqrstuvwxyz[£]↑←"   // 10-1F
    u" !\"#$%&'()*+,-./"  // 20-2F
    u"0123456789:;<=>?"   // 30-3F
    u"-ABCDEFGHIJKLMNO"   // 40-4F
    u"PQRSTUVWXYZ..|.."   // 50-5F
    u" ..............."   // 60-6F
    u"..........√.....";  // 70-7F

// Names on GEOS-formatted disks, indexed by the byte: the letters follow ASCII.
inline constexpr char16_t GeosNameTable[257] =
    u"................"   // 00-0F
    u"................"   // 10-1F
    u" !\"#$%&'()*+,-./"  // 20-2F
    u"0123456789:;<=>?"   // 30-3F
    u"@ABCDEFGHIJKLMNO"   // 40-4F
    u"PQRSTUVWXYZ[£]↑←"   // 50-5F
    u"-abcdefghijklmno"   // 60-6F
    u"pqrstuvwxyz..|π."   // 70-7F
    u"................"   // 80-8F
    u"................"   // 90-9F
    u" ..............."   // A0-AF
    u"................"   // B0-BF
    u"-abcdefghijklmno"   // C0-CF
    u"pqrstuvwxyz..|π."   // D0-DF
    u" ..............."   // E0-EF
    u"...............π";  // F0-FF

inline char16_t PetsciiChar(std::uint8_t code) {
    return PetsciiTable[code];
}
inline char16_t ScreenCodeChar(std::uint8_t code) {
    return ScreenCodeTable[code & 0x7F];
}
inline char16_t GeosNameChar(std::uint8_t code) {
    return GeosNameTable[code];
}

}  // namespace kestrune
