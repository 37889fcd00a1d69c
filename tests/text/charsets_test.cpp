#include "text/charsets.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kestrune {
namespace {

// Every table holds exactly one character per code, and the special code points of the sets.
TEST(Charsets, TablesHoldOneCharacterPerCode) {
    EXPECT_EQ(std::u16string_view(PetsciiTable).size(), 256u);
    EXPECT_EQ(std::u16string_view(ScreenCodeTable).size(), 128u);
    EXPECT_EQ(std::u16string_view(GeosNameTable).size(), 256u);
}

TEST(Charsets, PetsciiShowsTheUpperLowerCaseSet) {
    EXPECT_EQ(PetsciiChar(0x41), u'a');
    EXPECT_EQ(PetsciiChar(0xC1), u'A');
    EXPECT_EQ(PetsciiChar(0x61), u'A');
    EXPECT_EQ(PetsciiChar(0x0D), u'.');
    EXPECT_EQ(PetsciiChar(0xA0), u' ');
    EXPECT_EQ(PetsciiChar(0xE0), u' ');
    EXPECT_EQ(PetsciiChar(0x5C), u'£');
    EXPECT_EQ(PetsciiChar(0x5E), u'↑');
    EXPECT_EQ(PetsciiChar(0x5F), u'←');
    EXPECT_EQ(PetsciiChar(0x60), u'-');
    EXPECT_EQ(PetsciiChar(0xDD), u'|');
    EXPECT_EQ(PetsciiChar(0xFF), u'.');
}

TEST(Charsets, ScreenCodesIgnoreTheReverseBit) {
    EXPECT_EQ(ScreenCodeChar(0x01), u'a');
    EXPECT_EQ(ScreenCodeChar(0x81), u'a');
    EXPECT_EQ(ScreenCodeChar(0x7A), u'√');
    EXPECT_EQ(ScreenCodeChar(0xFA), u'√');
    EXPECT_EQ(ScreenCodeChar(0x1C), u'£');
    EXPECT_EQ(ScreenCodeChar(0x40), u'-');
    EXPECT_EQ(ScreenCodeChar(0xE0), u' ');
}

TEST(Charsets, GeosNamesFollowAscii) {
    EXPECT_EQ(GeosNameChar(0x41), u'A');
    EXPECT_EQ(GeosNameChar(0xC1), u'a');
    EXPECT_EQ(GeosNameChar(0x61), u'a');
    for (int code : {0x7E, 0xDE, 0xFF})
        EXPECT_EQ(GeosNameChar(code), u'π');
    // Apart from the letters and pi the GEOS table is the PETSCII table.
    for (int code = 0; code < 256; ++code) {
        const char16_t geos = GeosNameChar(code);
        const bool letter = (geos >= u'a' && geos <= u'z') || (geos >= u'A' && geos <= u'Z');
        if (!letter && geos != u'π') {
            EXPECT_EQ(geos, PetsciiChar(code)) << code;
        }
    }
}

}  // namespace
}  // namespace kestrune
