#include "image/directory.h"

#include <gtest/gtest.h>

#include "image/file_chain.h"
#include "tests/support/disk_builder.h"
#include "tests/support/printers.h"
#include "tests/support/row_texts.h"

namespace kestrune {
namespace {

using testing::Bytes;
using testing::DiskBuilder;
using testing::EntrySpec;

RowTexts Row(std::u16string size, std::u16string name, std::u16string type, std::u16string start,
             std::u16string track, std::u16string sector, std::u16string geos = u"") {
    return {size, name, type, start, track, sector, geos};
}

TEST(DiskFields, BlankDisk) {
    const Directory directory = ReadDirectory(DiskBuilder::D64().Image());
    EXPECT_EQ(directory.disk.diskName, u"KESTRUNE TEST   ");
    EXPECT_EQ(directory.disk.diskId, u"KT");
    EXPECT_EQ(directory.disk.dosType, u"2A");
    EXPECT_EQ(directory.disk.blocksFree, 664);
    EXPECT_FALSE(directory.disk.isGeosDisk);
    EXPECT_TRUE(directory.entries.empty());
    EXPECT_FALSE(directory.readError);
}

TEST(DiskFields, FreeBlocksLeaveOutTrack18AndCountTheSecondSideBySizeAlone) {
    DiskBuilder d64;
    for (int track = 1; track <= 35; ++track)
        d64.FreeSectors(track, 21);
    EXPECT_EQ(ReadDirectory(d64.Image()).disk.blocksFree, 34 * 21);

    const Bytes bam(105, 0x81);  // two set bits a byte
    DiskBuilder d71 = DiskBuilder::D71();
    d71.SecondSideBam(bam);
    EXPECT_EQ(ReadDirectory(d71.Image()).disk.blocksFree, 664 + 210);

    // The same bytes in an image of any other size are not counted.
    d71.bytes().push_back(0);
    EXPECT_EQ(ReadDirectory(d71.Image()).disk.blocksFree, 664);
}

TEST(DiskFields, NameInCapitalsEndsAtAZeroByte) {
    DiskBuilder disk;
    disk.DiskName("test");  // PETSCII lower-case letters show as capitals
    EXPECT_EQ(ReadDirectory(disk.Image()).disk.diskName, u"TEST            ");
    disk.DiskName(std::string("AB\0CD", 5));
    EXPECT_EQ(ReadDirectory(disk.Image()).disk.diskName, u"AB");
    disk.DiskName("\xC4\x5C\x7E");  // shifted D, pound, a graphic
    EXPECT_EQ(ReadDirectory(disk.Image()).disk.diskName, u"D£.             ");
}

TEST(DiskFields, IdAndDosTypeAreTheBytesThemselves) {
    DiskBuilder disk;
    disk.DiskId(std::string("a\0", 2)).DosType("\xA0\x41");
    const Directory directory = ReadDirectory(disk.Image());
    EXPECT_EQ(directory.disk.diskId, std::u16string(u"a\0", 2));
    EXPECT_EQ(directory.disk.dosType, u"\u00A0A");
}

TEST(DiskFields, GeosDiskNamesThroughTheGeosTable) {
    DiskBuilder disk;
    disk.GeosSignature().DiskName("Geos\x7E");
    disk.AddEntry({0x83, 3, 10, "MyApp", 12, 6});
    const Directory directory = ReadDirectory(disk.Image());
    EXPECT_TRUE(directory.disk.isGeosDisk);
    EXPECT_EQ(directory.disk.diskName, u"GEOSπ           ");
    ASSERT_EQ(directory.entries.size(), 1u);
    EXPECT_EQ(testing::RowsOf(directory)[0],
              Row(u"  12", u"MyApp           ", u"usr", u"", u"03", u"0A", u"Application"));
}

TEST(DirectoryRows, RowTextsInTheirFormats) {
    DiskBuilder disk;
    disk.RawBlock({17, 0}, 0, 255, Bytes{0x01, 0x08});
    disk.RawBlock({1, 0}, 0, 255, Bytes{0x00, 0x00});
    disk.RawBlock({2, 0}, 0, 255, Bytes{0xFF, 0xFF});
    disk.AddEntry({0x82, 17, 0, "HELLO", 10});
    disk.AddEntry({0x81, 19, 4, "NOTES", 3});
    disk.AddEntry({0x80, 0, 0, "GONE", 0});
    disk.AddEntry({0xC2, 1, 0, "LOCKED", 12345});
    disk.AddEntry({0x42, 1, 0, "OPEN LOCKED", 1});
    disk.AddEntry({0x02, 2, 0, "OPEN", 1});
    disk.AddEntry({0x44, 1, 0, "REL", 1});
    disk.AddEntry({0x85, 1, 0, "ODD", 1, 14});
    disk.AddEntry({0x82, 0, 0, "NOWHERE", 0});
    const Directory directory = ReadDirectory(disk.Image());
    const std::vector<RowTexts> expected = {
        Row(u"  10", u"hello           ", u"prg", u"  2049 ($0801)", u"11", u"00"),
        Row(u"   3", u"notes           ", u"seq", u"", u"13", u"04"),
        Row(u"   0", u"gone            ", u"del", u"", u"00", u"00"),
        Row(u"12345", u"locked          ", u"prg<", u"     0 ($0000)", u"01", u"00"),
        Row(u"   1", u"open locked     ", u"*prg<", u"", u"01", u"00"),
        Row(u"   1", u"open            ", u"*prg", u" 65535 ($FFFF)", u"02", u"00"),
        Row(u"   1", u"rel             ", u"*rel<", u"", u"01", u"00"),
        Row(u"   1", u"odd             ", u"?", u"", u"01", u"00", u"Auto-Execute file"),
        // A program at track 0 has no first block, so no load address.
        Row(u"   0", u"nowhere         ", u"prg", u"", u"00", u"00"),
    };
    EXPECT_EQ(testing::RowsOf(directory), expected);
}

TEST(DirectoryRows, GeosTypeNames) {
    const std::pair<int, std::u16string> cases[] = {{0, u""},
                                                    {1, u""},
                                                    {2, u"Assembler file"},
                                                    {7, u"Application data"},
                                                    {11, u"Disk driver or device"},
                                                    {14, u"Auto-Execute file"},
                                                    {15, u""},
                                                    {255, u""}};
    for (const auto& [value, name] : cases) {
        DiskBuilder disk;
        disk.AddEntry({0x81, 1, 0, "X", 1, static_cast<std::uint8_t>(value)});
        EXPECT_EQ(testing::RowsOf(ReadDirectory(disk.Image())).at(0)[ColumnGeos], name) << value;
    }
}

TEST(DirectoryRows, FileNamesKeepFillAndZeroBytes) {
    DiskBuilder disk;
    disk.AddEntry({0x82, 1, 0, std::string("A\0\xC1\x60", 4), 1});
    EXPECT_EQ(testing::RowsOf(ReadDirectory(disk.Image())).at(0)[ColumnFileName],
              u"a.A-            ");
}

TEST(DirectoryWalk, SkipsEmptyScratchedAndNamelessEntries) {
    DiskBuilder disk;
    disk.Entry(1, 0, {0x00, 1, 0, "SCRATCHED", 1});
    disk.Entry(1, 1, {0x82, 1, 0, "\x01NAME", 1});
    disk.Entry(1, 2, {0x82, 1, 0, std::string("\0NAME", 5), 1});
    disk.Entry(1, 3, {0x82, 1, 0, "\x02KEPT", 1});
    const Directory directory = ReadDirectory(disk.Image());
    ASSERT_EQ(directory.entries.size(), 1u);
    EXPECT_EQ(testing::RowsOf(directory)[0][ColumnFileName], u".kept           ");
}

std::vector<std::u16string> Names(const Directory& directory) {
    std::vector<std::u16string> names;
    for (const auto& row : testing::RowsOf(directory))
        names.emplace_back(row[ColumnFileName].view().substr(0, 2));
    return names;
}

TEST(DirectoryWalk, FollowsLinksOnTrack18UntilAnEnd) {
    const struct {
        const char* what;
        std::uint8_t track, sector;
        std::vector<std::u16string> names;
    } cases[] = {
        {"end marker", 0, 0xFF, {u"s1", u"s4"}},
        {"link to the header", 18, 0, {u"s1", u"s4"}},
        {"link to the first sector", 18, 1, {u"s1", u"s4"}},
        {"link off track 18", 19, 2, {u"s1", u"s4"}},
        {"link outside the window", 18, 20, {u"s1", u"s4"}},
        {"loop back", 18, 4, {u"s1", u"s4"}},
        {"sector 19 is the first of track 19", 18, 19, {u"s1", u"s4", u"t9"}},
    };
    for (const auto& c : cases) {
        DiskBuilder disk;
        disk.DirectoryLink(1, 18, 4).Entry(1, 0, {0x82, 1, 0, "S1", 1});
        disk.DirectoryLink(4, c.track, c.sector).Entry(4, 0, {0x82, 1, 0, "S4", 1});
        disk.RawBlock({19, 0}, 0, 0xFF);
        auto track19 = disk.Sector(19, 0);
        track19[2] = 0x82, track19[3] = 1, track19[5] = 'T', track19[6] = '9';
        EXPECT_EQ(Names(ReadDirectory(disk.Image())), c.names) << c.what;
    }
}

TEST(DirectoryWalk, EntryWithTrackAbove70AbandonsTheRestOfItsSector) {
    DiskBuilder disk;
    disk.DirectoryLink(1, 18, 2).DirectoryLink(2, 0, 0xFF);
    disk.Entry(1, 0, {0x82, 1, 0, "A1", 1});
    disk.Entry(1, 1, {0x82, 71, 0, "BAD", 1});
    disk.Entry(1, 2, {0x82, 1, 0, "A3", 1});
    disk.Entry(2, 0, {0x82, 70, 0, "B1", 1});
    const Directory directory = ReadDirectory(disk.Image());
    EXPECT_EQ(Names(directory), (std::vector<std::u16string>{u"a1", u"b1"}));
    EXPECT_TRUE(directory.readError);
}

TEST(DirectoryWalk, FullDirectoryOf144Files) {
    DiskBuilder disk;
    for (int i = 0; i < 144; ++i)
        disk.AddEntry({0x82, 1, 0, "F" + std::to_string(i), 1});
    const Directory directory = ReadDirectory(disk.Image());
    ASSERT_EQ(directory.entries.size(), 144u);
    EXPECT_EQ(testing::RowsOf(directory)[143][ColumnFileName].view().substr(0, 4), u"f143");
}

TEST(ShortImages, BytesPastTheEndReadAsZero) {
    // An image of the smallest accepted size holds nothing past the header's link.
    DiskBuilder disk(kMinimumImageSize);
    Directory directory = ReadDirectory(disk.Image());
    EXPECT_EQ(directory.disk.blocksFree, 0);
    EXPECT_EQ(directory.disk.diskName, u"");
    EXPECT_EQ(directory.disk.diskId, std::u16string(2, u'\0'));
    EXPECT_TRUE(directory.entries.empty());

    // A Start text whose sector lies past the end reads 0; so does the second half of a word.
    DiskBuilder cut;
    cut.AddEntry({0x82, 35, 16, "LAST", 1});
    cut.AddEntry({0x82, 70, 0, "SIDE2", 1});
    cut.RawBlock({35, 16}, 0, 0xFF, Bytes{0x34, 0x12});
    cut.bytes().resize(kD64Size - 256 + 3);
    directory = ReadDirectory(cut.Image());
    ASSERT_EQ(directory.entries.size(), 2u);
    EXPECT_EQ(testing::RowsOf(directory)[0][ColumnStart], u"    52 ($0034)");
    EXPECT_EQ(testing::RowsOf(directory)[1][ColumnStart], u"     0 ($0000)");
}

// Tracks 36 to 40 of a 40-track image count from the SpeedDOS BAM extension when all its entries
// are consistent and not all zero, else from the DolphinDOS one when that is consistent.
TEST(DiskFields, FortyTrackImagesCountTheirExtraTracks) {
    const auto entries = [](DiskBuilder& disk, std::uint32_t at, int count, Bytes bits) {
        for (int track = 0; track < 5; ++track) {
            std::uint8_t* entry = &disk.bytes()[kHeaderOffset + at + 4 * track];
            entry[0] = static_cast<std::uint8_t>(count);
            std::copy(bits.begin(), bits.end(), entry + 1);
        }
    };
    const Bytes full = {0xFF, 0xFF, 0x01};  // 17 sectors free
    const struct {
        const char* what;
        std::uint64_t size;
        int speedCount, dolphinCount;
        int extra;
    } cases[] = {
        {"SpeedDOS", 196608, 17, 0, 85},
        {"SpeedDOS, 42 tracks", 205312, 17, 0, 85},
        {"SpeedDOS inconsistent, DolphinDOS used", 196608, 16, 17, 85},
        {"both inconsistent", 196608, 16, 16, 0},
        {"neither: all zero", 197376, -1, -1, 0},
        {"35 tracks never", 174848, 17, 17, 0},
    };
    for (const auto& c : cases) {
        DiskBuilder disk(c.size);
        if (c.speedCount >= 0) entries(disk, 0xC0, c.speedCount, full);
        if (c.dolphinCount >= 0) entries(disk, 0xAC, c.dolphinCount, full);
        EXPECT_EQ(ReadDirectory(disk.Image()).disk.blocksFree, 664 + c.extra) << c.what;
    }
}

TEST(DiskFields, DoubleSidedImageWithErrorBytesCountsItsSecondSide) {
    DiskBuilder disk = DiskBuilder::D71();
    std::fill_n(disk.bytes().begin() + kSecondSideBamOffset, 3, std::uint8_t{0xFF});
    EXPECT_EQ(ReadDirectory(disk.Image()).disk.blocksFree, 664 + 24);
    disk.bytes().resize(351062);
    EXPECT_EQ(ReadDirectory(disk.Image()).disk.blocksFree, 664 + 24);
    disk.bytes().resize(351063);  // no known layout: the first side only
    EXPECT_EQ(ReadDirectory(disk.Image()).disk.blocksFree, 664);
}

// A file on track 37 of a 40-track image: tracks 36 to 40 follow track 35, 17 sectors each.
TEST(DirectoryRows, FortyTrackImagesReadTracksPast35) {
    DiskBuilder disk(196608);
    const std::size_t track37 = kD64Size + 17 * kSectorSize;
    disk.bytes()[track37 + 2 * kSectorSize + 0] = 0;
    disk.bytes()[track37 + 2 * kSectorSize + 1] = 4;
    disk.bytes()[track37 + 2 * kSectorSize + 2] = 0x00;
    disk.bytes()[track37 + 2 * kSectorSize + 3] = 0xC0;
    disk.bytes()[track37 + 2 * kSectorSize + 4] = 0x60;
    disk.AddEntry({0x82, 37, 2, "FAR", 1});
    const Directory directory = ReadDirectory(disk.Image());
    ASSERT_EQ(directory.entries.size(), 1u);
    EXPECT_EQ(directory.entries[0].loadAddress, 0xC000);
    FileChain chain;
    Assemble(chain, disk.Image(), 37, 2);
    EXPECT_EQ(Bytes(chain.Data().begin(), chain.Data().end()), (Bytes{0x00, 0xC0, 0x60}));
    // Track 41 lies past a 40-track image; a Start text there, or on any track up to 70, reads 0.
    Assemble(chain, disk.Image(), 41, 0);
    EXPECT_EQ(chain.length, 0);
    disk.AddEntry({0x82, 70, 0, "BEYOND", 1});
    EXPECT_EQ(ReadDirectory(disk.Image()).entries.at(1).loadAddress, 0);
}

}  // namespace
}  // namespace kestrune
