#include "image/geometry.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

TEST(Geometry, TrackOffsetsFollowTheZones) {
    const struct {
        int track;
        std::uint32_t offset;
    } cases[] = {{1, 0x0},      {2, 0x1500},   {18, 0x16500}, {19, 0x17800}, {25, 0x1EA00},
                 {31, 0x25600}, {35, 0x29A00}, {36, 0x2AB00}, {53, 0x41000}, {70, 0x54500}};
    for (const auto& c : cases)
        EXPECT_EQ(TrackOffsetTable[c.track], c.offset) << "track " << c.track;
    EXPECT_EQ(TrackOffsetTable[0], 0u);
}

TEST(Geometry, SectorOffsets) {
    EXPECT_EQ(SectorOffset(18, 0), kHeaderOffset);
    EXPECT_EQ(SectorOffset(18, 1), kDirectoryWindowOffset);
    EXPECT_EQ(SectorOffset(36, 0), kD64Size);
    EXPECT_EQ(SectorOffset(53, 0), kSecondSideBamOffset);
    EXPECT_EQ(SectorOffset(35, 16) + kSectorSize, kD64Size);
    EXPECT_EQ(SectorOffset(70, 16) + kSectorSize, kD71Size);
    EXPECT_EQ(SectorOffset(0, 7), 7 * kSectorSize);
    EXPECT_EQ(SectorOffset(19, 0), kDirectoryWindowOffset + 18 * kSectorSize);
    // The sector is not checked against its track: 1/21 is 2/0.
    EXPECT_EQ(SectorOffset(1, 21), SectorOffset(2, 0));
}

TEST(Geometry, ImageKindFromTheExtensionInAnyLetterCase) {
    EXPECT_EQ(ImageKindFromExtension(".D64"), ImageKind::D64);
    EXPECT_EQ(ImageKindFromExtension(".d64"), ImageKind::D64);
    EXPECT_EQ(ImageKindFromExtension(".D71"), ImageKind::D71);
    for (const char* refused : {".bak", "", ".d64 ", "d64", ".d81"}) {
        EXPECT_EQ(ImageKindFromExtension(refused), std::nullopt) << refused;
    }
    EXPECT_EQ(ExpectedSize(ImageKind::D64), 174848u);
    EXPECT_EQ(ExpectedSize(ImageKind::D71), 349696u);
}

}  // namespace
}  // namespace kestrune
