#include "viewer/row_decoding.h"

#include <gtest/gtest.h>

#include "image/unicode.h"

namespace kestrune {
namespace {

TEST(RowDecoding, StartFromTheDecimalPartOfTheStartText) {
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"  2049 ($0801)", 2049},  {u"     0 ($0000)", 0},
        {u" 65535 ($FFFF)", 65535}, {u"", 0},
        {u"12345678", 0},           {u"123456789", 1},
        {u"   -12 ($FFF4)", -12},   {u"x 2049 ($0801)", 0},
    };
    for (const auto& [text, start] : cases)
        EXPECT_EQ(DecodeStart(text), start) << Utf16ToUtf8(text);
}

TEST(RowDecoding, SizeTrackSectorLoadAddressAndGeos) {
    const DirectoryEntry row = {u" 123", u"name            ", u"seq<", u"", u"2A",
                                u"0f",   u"Font file"};
    const DecodedRow decoded = DecodeRow(row);
    EXPECT_EQ(decoded.blocks, 123);
    EXPECT_EQ(decoded.track, 42);
    EXPECT_EQ(decoded.sector, 15);
    EXPECT_FALSE(decoded.hasLoadAddress);
    EXPECT_EQ(decoded.geosType, u"Font file");
    EXPECT_EQ(decoded.startAddress, 0);
    DirectoryEntry program = row;
    program[ColumnStart] = u"     0 ($0000)";
    EXPECT_TRUE(DecodeRow(program).hasLoadAddress);
}

}  // namespace
}  // namespace kestrune
