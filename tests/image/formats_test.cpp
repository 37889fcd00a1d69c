// The containers beyond D64 and D71, each built here with the faults that matter: their fields,
// entries and files, and what is said about what was wrong.
#include <gtest/gtest.h>

#include <stdexcept>

#include "image/gcr_image.h"
#include "image/loader.h"
#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/opened_volume.h"
#include "tests/support/printers.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::Block;
using testing::Bytes;
using testing::EntrySpec;
using testing::FileOf;
using testing::GcrFault;
using testing::LayoutDiskBuilder;
using testing::NameOf;
using testing::OpenOrFail;
using testing::TapeFile;
using testing::TempDir;

Opened Open(std::string_view name, Bytes bytes, bool answer = false) {
    return OpenContents(name, std::move(bytes), [answer](const Message&) { return answer; });
}

TEST(D81, FieldsEntriesAndChainsOfA1581Disk) {
    LayoutDiskBuilder disk = LayoutDiskBuilder::D81("GAMES 81");
    const Bytes program = testing::Program(0x0801, testing::Noise(600));
    const std::vector<Block> blocks = {{1, 0}, {1, 39}, {80, 12}};
    disk.Chain(program, blocks).Entry({40, 3}, 0, {0x82, 1, 0, "GAME", 3});
    disk.Entry({40, 3}, 1, {0x81, 0, 0, "LABEL", 0});
    // A second directory sector, linked from the first.
    disk.Sector(40, 3)[0] = 40;
    disk.Sector(40, 3)[1] = 4;
    disk.Sector(40, 4)[1] = 0xFF;
    disk.Entry({40, 4}, 0, {0x80, 40, 0, "HEADER", 0});

    const Volume volume = OpenOrFail("games.d81", disk.bytes());
    EXPECT_EQ(volume.format, "d81");
    EXPECT_EQ(volume.disk.diskName, u"GAMES 81        ");
    EXPECT_EQ(volume.disk.diskId, u"KT");
    EXPECT_EQ(volume.disk.dosType, u"3D");
    EXPECT_EQ(volume.disk.blocksFree, 3160);
    ASSERT_EQ(volume.entries.size(), 3u);
    EXPECT_EQ(volume.entries[0].loadAddress, 0x0801);
    EXPECT_EQ(FileOf(volume, 0), program);
    // A label is an entry of 0 blocks on the directory track, 40 here.
    EXPECT_EQ(volume.entries[2].directoryTrack, 40);
    EXPECT_FALSE(volume.readError);
}

TEST(D81, SectorsPastATracksFortyEndTheChain) {
    LayoutDiskBuilder disk = LayoutDiskBuilder::D81();
    disk.Chain(Bytes(300, 1), std::vector<Block>{{2, 0}, {3, 0}});
    disk.Sector(2, 0)[1] = 40;  // sector 40 of track 2 does not exist
    disk.Entry({40, 3}, 0, {0x81, 2, 0, "CUT", 2});
    const Volume volume = OpenOrFail("cut.d81", disk.bytes());
    EXPECT_EQ(FileOf(volume, 0).size(), 254u);
}

// A program whose first block the disk does not have shows no load address.
TEST(D81, ProgramWithoutAFirstBlockHasNoLoadAddress) {
    LayoutDiskBuilder disk = LayoutDiskBuilder::D81();
    disk.Entry({40, 3}, 0, {0x82, 0, 0, "NOWHERE", 1});
    disk.Entry({40, 3}, 1, {0x82, 2, 45, "NO SECTOR", 1});
    const Volume volume = OpenOrFail("odd.d81", disk.bytes());
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(volume.entries[0].loadAddress, std::nullopt);
    EXPECT_EQ(volume.entries[1].loadAddress, std::nullopt);
}

TEST(D81, PartitionHoldsADirectoryOfItsOwn) {
    LayoutDiskBuilder disk = LayoutDiskBuilder::D81();
    disk.Entry({40, 3}, 0, {0x85, 50, 0, "PART", 120});      // tracks 50-52
    disk.Entry({40, 3}, 1, {0x85, 60, 0, "SMALL", 40});      // one track: no directory
    disk.Entry({40, 3}, 2, {0x85, 39, 0, "ACROSS40", 120});  // would hold track 40
    disk.PartitionDirectory(50, 3, "INNER");
    const Bytes text = testing::Noise(400);
    disk.Chain(text, std::vector<Block>{{51, 0}, {51, 1}})
        .Entry({50, 3}, 0, {0x81, 51, 0, "NOTES", 2});

    const Volume volume = OpenOrFail("parts.d81", disk.bytes());
    ASSERT_EQ(volume.entries.size(), 3u);
    EXPECT_TRUE(volume.entries[0].partition);
    EXPECT_FALSE(volume.entries[1].partition);
    EXPECT_FALSE(volume.entries[2].partition);
    EXPECT_FALSE(OpenPartition(volume, volume.entries[1]));

    const std::optional<Volume> inner = OpenPartition(volume, volume.entries[0]);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->disk.diskName.substr(0, 5), u"INNER");
    EXPECT_EQ(inner->disk.blocksFree, 80);  // tracks 51 and 52
    ASSERT_EQ(inner->entries.size(), 1u);
    EXPECT_EQ(NameOf(inner->entries[0]), "NOTES");
    EXPECT_EQ(FileOf(*inner, 0), text);
}

TEST(D80, EightyFiftyAndEightyTwoFiftyDisks) {
    for (const bool d82 : {false, true}) {
        LayoutDiskBuilder disk = LayoutDiskBuilder::D80(d82);
        // Track 54 has 25 sectors, 65 has 23; a D82's track 78 starts the second side at 29.
        const std::vector<Block> blocks =
            d82 ? std::vector<Block>{{54, 24}, {65, 22}, {78, 28}, {154, 22}}
                : std::vector<Block>{{54, 24}, {65, 22}, {77, 22}};
        const Bytes data = testing::Noise(254 * blocks.size() - 10);
        disk.Chain(data, blocks).Entry({39, 1}, 0, {0x81, 54, 24, "DATA", 4});
        const Volume volume = OpenOrFail(d82 ? "big.d82" : "disk.d80", disk.bytes());
        EXPECT_EQ(volume.format, d82 ? "d82" : "d80");
        EXPECT_EQ(volume.disk.diskName.substr(0, 12), u"KESTRUNE D80");
        EXPECT_EQ(volume.disk.dosType, u"2C");
        EXPECT_EQ(volume.disk.blocksFree, d82 ? 4133 : 2052);
        ASSERT_EQ(volume.entries.size(), 1u);
        EXPECT_EQ(FileOf(volume, 0), data);
    }
}

// A D64 with a file over several tracks, its G64 encoding, and the same with faults.
class GcrTest : public ::testing::Test {
  protected:
    GcrTest() {
        program_ = testing::Program(0xC000, testing::Noise(3000, 7));
        first_ = disk_.AddFile("CODE", 0x82, program_);
    }
    testing::DiskBuilder disk_ = testing::DiskBuilder::D64();
    Bytes program_;
    Block first_;
};

TEST_F(GcrTest, CleanImageDecodesToTheD64ByteForByte) {
    for (const int shift : {0, 3}) {
        const GcrOutcome decoded =
            DecodeGcrImage(testing::EncodeGcrImage(disk_.bytes(), {}, shift));
        ASSERT_TRUE(decoded.disk) << shift;
        EXPECT_EQ(decoded.disk->image.data, disk_.bytes()) << shift;
        const Volume volume =
            OpenOrFail("disk.g64", testing::EncodeGcrImage(disk_.bytes(), {}, shift));
        EXPECT_EQ(volume.format, "g64");
        ASSERT_EQ(volume.entries.size(), 1u);
        EXPECT_EQ(FileOf(volume, 0), program_);
    }
}

TEST_F(GcrTest, TrackStoredOnlyAsAHalfTrackIsRead) {
    Bytes g64 = testing::EncodeGcrImage(disk_.bytes());
    // Track 18's entry (index 34) moves to track 18.5 (index 35); the full track is left empty.
    const std::size_t full = 12 + 4 * 34, half = 12 + 4 * 35;
    std::copy_n(g64.begin() + full, 4, g64.begin() + half);
    std::fill_n(g64.begin() + full, 4, 0);
    const GcrOutcome decoded = DecodeGcrImage(g64);
    ASSERT_TRUE(decoded.disk);
    EXPECT_EQ(decoded.disk->image.data, disk_.bytes());
}

TEST_F(GcrTest, EachFaultGivesTheDosErrorAndTheSectorReadsAsMissing) {
    struct Case {
        GcrFault::Kind kind;
        std::uint8_t errorByte;  // the D64 error byte: 2 for error 20, ...
    };
    for (const auto& [kind, errorByte] : {Case{GcrFault::NoHeader, 2},
                                          {GcrFault::HeaderChecksum, 9},
                                          {GcrFault::NoDataBlock, 4},
                                          {GcrFault::DataChecksum, 5},
                                          {GcrFault::NotGcr, 6},
                                          {GcrFault::OtherId, 11}}) {
        // The file's second block.
        const std::uint8_t* first = disk_.Sector(first_.track, first_.sector).data();
        const int track = first[0], sector = first[1];
        const Bytes g64 = testing::EncodeGcrImage(disk_.bytes(), {{track, sector, kind}});
        const GcrOutcome decoded = DecodeGcrImage(g64);
        ASSERT_TRUE(decoded.disk);
        const DiskImage& image = decoded.disk->image;
        ASSERT_EQ(image.size(), kD64Size + 683) << kind;
        const std::size_t index = SectorOffset(track, sector) / 256;
        for (std::size_t i = 0; i < 683; ++i)
            EXPECT_EQ(image.data[kD64Size + i], i == index ? errorByte : 1) << kind << " " << i;

        const Volume volume = OpenOrFail("faulty.g64", g64);
        EXPECT_EQ(FileOf(volume, 0).size(), 254u) << kind;  // the chain stops before it
    }
}

// A program whose first sector did not decode has no load address to show.
TEST_F(GcrTest, FirstSectorThatDidNotDecodeGivesNoLoadAddress) {
    const Bytes g64 = testing::EncodeGcrImage(
        disk_.bytes(), {{first_.track, first_.sector, GcrFault::DataChecksum}});
    const Volume volume = OpenOrFail("faulty.g64", g64);
    ASSERT_EQ(volume.entries.size(), 1u);
    EXPECT_EQ(volume.entries[0].loadAddress, std::nullopt);
}

TEST_F(GcrTest, TracksPastThirtyFiveMakeAFortyTwoTrackDisk) {
    testing::DiskBuilder disk(205312);
    const Bytes data = testing::Noise(254);
    disk.RawBlock({42, 16}, 0, 255, data);
    disk.AddEntry({0x81, 42, 16, "FAR", 1});
    const Volume volume = OpenOrFail("far.g64", testing::EncodeGcrImage(disk.bytes()));
    EXPECT_EQ(volume.image.size(), 205312u);
    EXPECT_EQ(FileOf(volume, 0), data);
}

TEST_F(GcrTest, DoubleSidedImageDecodesToAD71) {
    testing::DiskBuilder disk = testing::DiskBuilder::D71();
    const Bytes data = testing::Noise(254, 3);
    disk.RawBlock({60, 3}, 0, 255, data);
    disk.AddEntry({0x81, 60, 3, "SIDE2", 1});
    const Opened opened = Open("two.g71", testing::EncodeGcrImage(disk.bytes()));
    ASSERT_TRUE(opened.volume);
    EXPECT_EQ(opened.volume->format, "g71");
    EXPECT_EQ(opened.volume->image.data, disk.bytes());
}

TEST_F(GcrTest, NoiseAndShortTablesAreRefusedOrReadAsErrors) {
    EXPECT_FALSE(DecodeGcrImage(Bytes{'G', 'C', 'R', '-', '1', '5', '4', '1', 0, 84}).disk);
    Bytes noise = testing::Noise(50000);
    std::copy_n("GCR-1541", 8, noise.begin());
    noise[9] = 84;
    const GcrOutcome decoded = DecodeGcrImage(noise);
    ASSERT_TRUE(decoded.disk);  // every sector an error, none read
    EXPECT_EQ(decoded.disk->image.size(), kD64Size + 683);
}

TEST(Crt, ChipPacketsAreRowsAtTheirLoadAddresses) {
    const Bytes low = testing::Noise(8192);
    const Bytes high = testing::Noise(8192, 2);
    const Volume volume = OpenOrFail(
        "game.bin", testing::CrtCartridge("OCEAN GAME", 5, 0, 0,
                                          {{0, 0, 0x8000, low, {}}, {2, 12, 0xA000, high, {}}}));
    EXPECT_EQ(volume.format, "crt");
    EXPECT_EQ(volume.disk.diskName, u"OCEAN GAME");
    EXPECT_EQ(volume.fault, u"CRT cartridge: Ocean type 1 (hardware type 5), EXROM 0, GAME 0");
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(NameOf(volume.entries[0]), "ROM 0 $8000");
    EXPECT_EQ(NameOf(volume.entries[1]), "FLASH 12 $A000");
    EXPECT_EQ(volume.entries[1].type, 0x82);
    EXPECT_EQ(volume.entries[1].loadAddress, 0xA000);
    EXPECT_EQ(volume.entries[1].blocks, 33);
    // A row's file is its bytes at its load address, as a program's are.
    EXPECT_EQ(FileOf(volume, 0), testing::Program(0x8000, low));
    EXPECT_EQ(FileOf(volume, 1), testing::Program(0xA000, high));
}

TEST(Crt, DamageIsReadAsFarAsItGoesAndNamed) {
    struct Case {
        Bytes bytes;
        std::size_t rows;
        std::u16string fault;
    };
    Bytes cut = testing::CrtCartridge("CUT", 0, 1, 0, {{0, 0, 0x8000, Bytes(8192, 1), {}}});
    cut.resize(cut.size() - 192);
    Bytes trailing = testing::CrtCartridge("", 32, 1, 0, {{0, 0, 0x8000, Bytes(16, 1), {}}});
    trailing.insert(trailing.end(), {1, 2, 3});
    for (const Case& c : std::vector<Case>{
             {cut, 1,
              u"CRT cartridge: Normal cartridge (hardware type 0), EXROM 1, GAME 0; the CHIP "
              u"packet at offset 64 says 8,192 bytes, the file holds 8,000"},
             {trailing, 1,
              u"CRT cartridge: EasyFlash (hardware type 32), EXROM 1, GAME 0; 3 bytes from "
              u"offset 96 are no CHIP packet and are not read"},
             {testing::CrtCartridge("EMPTY", 999, 0, 1, {}), 0,
              u"CRT cartridge: hardware type 999 (hardware type 999), EXROM 0, GAME 1; it holds "
              u"no CHIP packet"},
             {testing::CrtCartridge("VIC", 0, 0, 0, {{0, 0, 0xA000, Bytes(4, 9), {}}},
                                    "VIC20 CARTRIDGE "),
              1, u"CRT cartridge: for the VIC20, hardware type 0, EXROM 0, GAME 0"},
         }) {
        const Volume volume = OpenOrFail("cart.crt", c.bytes);
        EXPECT_EQ(volume.entries.size(), c.rows);
        EXPECT_EQ(Utf16ToUtf8(volume.fault), Utf16ToUtf8(c.fault));
    }
    // A header cut short, and a file named .crt that is none, are refused.
    Bytes header = testing::CrtCartridge("X", 0, 0, 0, {});
    header.resize(40);
    EXPECT_FALSE(Open("cart.crt", header).volume);
    const Opened none = Open("cart.crt", Bytes(100, 0));
    ASSERT_TRUE(none.message);
    EXPECT_NE(none.message->text.find(u"This CRT cartridge cannot be read"), std::u16string::npos);
}

TEST(T64, FilesWithTheirLoadAddressesAndTheTapeName) {
    const Bytes code = testing::Noise(1000);
    const Bytes text = {'H', 'I', 13};
    const Volume volume =
        OpenOrFail("tape.t64", testing::T64Archive({TapeFile{"GAME", 0x82, 0x0801, {}, code},
                                                    TapeFile{"TEXT", 0x81, 0, {}, text}}));
    EXPECT_EQ(volume.format, "t64");
    EXPECT_EQ(volume.disk.diskName, u"KESTRUNE TAPE");
    EXPECT_TRUE(volume.fault.empty());
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(NameOf(volume.entries[0]), "GAME");
    EXPECT_EQ(volume.entries[0].type, 0x82);
    EXPECT_EQ(volume.entries[0].loadAddress, 0x0801);
    EXPECT_EQ(volume.entries[0].blocks, 4);
    EXPECT_EQ(FileOf(volume, 0), testing::Program(0x0801, code));
    EXPECT_EQ(volume.entries[1].type, 0x81);
    EXPECT_EQ(FileOf(volume, 1), testing::Program(0, text));
}

TEST(T64, CommonFaultsAreReadFromTheDataAndNamed) {
    const Bytes code = testing::Noise(500);
    struct Case {
        const char* what;
        Bytes archive;
        std::size_t fileSize;  // of the first file, load address included
        const char16_t* fault;
    };
    Bytes truncated = testing::T64Archive({TapeFile{"A", 0x82, 0x1000, {}, code}});
    truncated.resize(truncated.size() - 100);
    const Case cases[] = {
        {"used count too high", testing::T64Archive({TapeFile{"A", 0x82, 0x1000, {}, code}}, 3),
         502, u"T64 archive: the header says 3 files, the directory lists 1"},
        {"more slots than room",
         testing::T64Archive({TapeFile{"A", 0x82, 0x1000, {}, code}}, 1, 30), 502,
         u"T64 archive: the directory has room for 30 entries, the archive holds 1"},
        {"used count 0", testing::T64Archive({TapeFile{"A", 0x82, 0x1000, {}, code}}, 0, 1), 502,
         u"T64 archive: the header says 0 files, the directory lists 1"},
        {"end address of a buggy converter",
         testing::T64Archive({TapeFile{"A", 0x01, 0x1000, 0xC3C6, code}}), 502,
         u"T64 archive: the end address of \"A\" does not match its data: 500 bytes read"},
        {"end of memory", testing::T64Archive({TapeFile{"A", 0x82, 0xFE0C, 0x0000, code}}), 502,
         u""},
        {"archive cut short", truncated, 402,
         u"T64 archive: the end address of \"A\" does not match its data: 400 bytes read"},
    };
    for (const Case& c : cases) {
        const Volume volume = OpenOrFail("faults.t64", c.archive);
        ASSERT_EQ(volume.entries.size(), 1u) << c.what;
        EXPECT_EQ(volume.entries[0].type, 0x82) << c.what;
        EXPECT_EQ(FileOf(volume, 0).size(), c.fileSize) << c.what;
        EXPECT_EQ(Utf16ToUtf8(volume.fault), Utf16ToUtf8(c.fault)) << c.what;
    }
}

// A header that counts nothing still has its entries; thousands of entries on the same data cost
// no more than the archive, and their faults make one short status line.
TEST(T64, EntriesAreReadFromWhatIsThereAndTheirFaultsCounted) {
    const Bytes code = testing::Noise(500);
    const Volume uncounted =
        OpenOrFail("zero.t64", testing::T64Archive({TapeFile{"A", 0x82, 0x1000, {}, code}}, 0, 0));
    ASSERT_EQ(uncounted.entries.size(), 1u);
    EXPECT_EQ(FileOf(uncounted, 0), testing::Program(0x1000, code));
    EXPECT_EQ(Utf16ToUtf8(uncounted.fault),
              "T64 archive: the header says 0 files, the directory lists 1");

    // An end address below the start says nothing: each file runs to the archive's end.
    std::vector<TapeFile> same(2000, TapeFile{"SAME", 0x82, 0x1000, 0x0800, Bytes(100, 7)});
    Bytes archive = testing::T64Archive(same);
    const std::size_t first = 64 + 32 * same.size();
    for (std::size_t entry = 0; entry < same.size(); ++entry)
        std::copy_n(archive.begin() + 64 + 8, 4, archive.begin() + 64 + 32 * entry + 8);
    const Volume many = OpenOrFail("many.t64", archive);
    ASSERT_EQ(many.entries.size(), 2000u);
    EXPECT_EQ(many.held->size(), archive.size());
    EXPECT_EQ(FileOf(many, 1999).size(), 2 + archive.size() - first);
    const std::string one = "the end address of \"SAME\" does not match its data: " +
                            std::to_string(archive.size() - first) + " bytes read; ";
    EXPECT_EQ(Utf16ToUtf8(many.fault), "T64 archive: " + one + one + one +
                                           "the end addresses of 1,997 more files do not match "
                                           "their data");
}

TEST(Lynx, FilesInWholeBlocksAndAnArchiveCutShort) {
    const Bytes code = testing::Program(0x0801, testing::Noise(600));
    const Bytes text = testing::Noise(254, 2);
    Bytes archive = testing::LynxArchive({{"CODE", 'P', code}, {"TEXT", 'S', text}});
    Volume volume = OpenOrFail("set.lnx", archive);
    EXPECT_EQ(volume.format, "lnx");
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(volume.entries[0].blocks, 3);
    EXPECT_EQ(FileOf(volume, 0), code);
    EXPECT_EQ(volume.entries[1].type, 0x81);
    EXPECT_EQ(FileOf(volume, 1), text);
    EXPECT_TRUE(volume.fault.empty());

    archive.resize(archive.size() - 54);
    volume = OpenOrFail("cut.lnx", archive);
    EXPECT_EQ(FileOf(volume, 1).size(), 200u);
    EXPECT_EQ(Utf16ToUtf8(volume.fault),
              "Lynx archive: \"TEXT\" is cut short by the archive's end");
}

// Damage that real archives carry: every entry that is whole is listed and the damage named.
TEST(Lynx, DamagedDirectoriesKeepTheirWholeEntries) {
    const Bytes code = testing::Program(0x0801, testing::Noise(600));
    const Bytes text = testing::Noise(300, 2);
    const Bytes archive = testing::LynxArchive({{"CODE", 'P', code}, {"TEXT", 'S', text}});
    // The directory with from written as to, its block as long as before.
    const auto replaced = [&](std::string_view from, std::string_view to) {
        Bytes changed = archive;
        const auto at =
            std::search(changed.begin(), changed.end(), from.begin(), from.end(),
                        [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
        if (at == changed.end()) throw std::logic_error("no such text in the directory");
        const auto next = changed.erase(at, at + static_cast<std::ptrdiff_t>(from.size()));
        changed.insert(next, to.begin(), to.end());
        changed.insert(changed.begin() + 254 - static_cast<std::ptrdiff_t>(from.size() - to.size()),
                       from.size() - to.size(), 0);
        return changed;
    };
    // The last file without its count of bytes in the last block: that block is read whole.
    Volume volume = OpenOrFail("nolast.lnx", replaced("S\r 47 \r", "S\r"));
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(FileOf(volume, 0), code);
    EXPECT_EQ(Utf16ToUtf8(volume.fault),
              "Lynx archive: the directory does not say how long \"TEXT\" is: its last block is "
              "read whole; \"TEXT\" is cut short by the archive's end");
    EXPECT_EQ(FileOf(volume, 1), text);

    // A first file whose count is missing ends the directory there.
    volume = OpenOrFail("broken.lnx", replaced("P\r 95 \r", "P\r"));
    EXPECT_TRUE(volume.entries.empty());
    EXPECT_EQ(Utf16ToUtf8(volume.fault), "Lynx archive: the directory ends after 0 of its 2 files");

    // Names that end before 16 bytes, as some writers leave them.
    std::string padded = "TEXT";
    padded.resize(16, '\xA0');
    volume = OpenOrFail("short.lnx", replaced(padded + "\r", "TEXT\r"));
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(NameOf(volume.entries[1]), "TEXT");
    EXPECT_EQ(FileOf(volume, 1), text);
}

// A REL file is stored with its side sectors in front of its data.
TEST(Lynx, RelativeFilesSkipTheirSideSectors) {
    const Bytes records = testing::Noise(1000, 4);
    const Volume volume = OpenOrFail(
        "rel.lnx", testing::LynxArchive({{"RECORDS", 'R', records}, {"AFTER", 'S', {1, 2, 3}}}));
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(volume.entries[0].blocks, 5);  // 4 data blocks and a side sector
    EXPECT_EQ(volume.entries[0].recordLength, 64);
    EXPECT_EQ(FileOf(volume, 0), records);
    EXPECT_EQ(FileOf(volume, 1), (Bytes{1, 2, 3}));
}

TEST(Pc64AndPlainFiles, OneRowNamedAsTheFileSays) {
    Bytes p00 = {'C', '6', '4', 'F', 'i', 'l', 'e', 0, 'R', 'E', 'C', 'O', 'R', 'D', 'S'};
    p00.resize(25, 0);
    p00.push_back(64);  // record length
    p00.insert(p00.end(), 130, 0x2A);
    Volume volume = OpenOrFail("records.r00", p00);
    EXPECT_EQ(volume.format, "p00");
    EXPECT_EQ(volume.disk.diskName, u"RECORDS.R00");
    ASSERT_EQ(volume.entries.size(), 1u);
    EXPECT_EQ(NameOf(volume.entries[0]), "RECORDS");
    EXPECT_EQ(volume.entries[0].type, 0x84);
    EXPECT_EQ(volume.entries[0].recordLength, 64);
    EXPECT_EQ(FileOf(volume, 0), Bytes(130, 0x2A));

    volume = OpenOrFail("My Game.prg", testing::Program(0x0801, Bytes{0, 0}));
    EXPECT_EQ(volume.format, "prg");
    EXPECT_EQ(volume.disk.diskName, u"MY GAME.PRG");
    EXPECT_EQ(NameOf(volume.entries[0]), "MY GAME");
    EXPECT_EQ(volume.entries[0].loadAddress, 0x0801);
    EXPECT_FALSE(volume.entries[0].track);

    volume = OpenOrFail("notes.SEQ", Bytes{'A'});
    EXPECT_EQ(volume.format, "seq");
    EXPECT_EQ(volume.entries[0].type, 0x81);
    EXPECT_FALSE(volume.entries[0].loadAddress);
}

TEST(Recognition, ContentDecidesBeforeTheName) {
    testing::DiskBuilder d64 = testing::DiskBuilder::D64();
    d64.AddFile("X", 0x82, testing::Program(0x0801, Bytes{1}));
    Bytes x64(64 + kD64Size, 0);
    x64[0] = 0x43, x64[1] = 0x15, x64[2] = 0x41, x64[3] = 0x64;
    std::copy(d64.bytes().begin(), d64.bytes().end(), x64.begin() + 64);
    struct Case {
        const char* name;
        Bytes bytes;
        std::string_view format;
    };
    const Case cases[] = {
        {"disk.prg", d64.bytes(), "d64"},  // a D64 named as a program is still a D64
        {"disk", d64.bytes(), "d64"},      // and without an extension
        {"disk.img", x64, "x64"},          // an X64 by its signature
        {"tape.bin", testing::T64Archive({TapeFile{"A", 0x82, 0x0801, {}, {1, 2}}}), "t64"},
        {"disk.bin", LayoutDiskBuilder::D81().bytes(), "d81"},
        {"disk.d80", LayoutDiskBuilder::D80(false).bytes(), "d80"},
    };
    for (const Case& c : cases) {
        const Opened opened = Open(c.name, c.bytes);
        ASSERT_TRUE(opened.volume) << c.name;
        EXPECT_EQ(opened.volume->format, c.format) << c.name;
    }
    // A program the size of a D64 whose header does not link to 18/1 stays a program.
    const Opened program = Open("big.prg", Bytes(kD64Size, 0x11));
    ASSERT_TRUE(program.volume);
    EXPECT_EQ(program.volume->format, "prg");
}

TEST(Recognition, NamedFormatsThatAreNotWhatTheySayAreRefused) {
    struct Case {
        const char* name;
        Bytes bytes;
        const char16_t* text;
    };
    Bytes shortX64 = {0x43, 0x15, 0x41, 0x64};
    shortX64.resize(1000);
    const Case cases[] = {
        {"disk.d81", Bytes(5000, 0),
         u"\"disk.d81\"\n\nThis D81 image cannot be read: it has neither the size nor the "
         u"signature of one.\n\nSelect another image."},
        {"game.p00", Bytes(100, 0),
         u"\"game.p00\"\n\nThis PC64 file cannot be read: it does not start with \"C64File\".\n\n"
         u"Select another image."},
        {"disk.x64", shortX64,
         u"\"disk.x64\"\n\nThis X64 image cannot be read: its sectors are not those of a D64 or "
         u"D71.\n\nSelect another image."},
        {"notes.txt", Bytes(100, 0),
         u"notes.txt\n\nNot a disk image, archive or Commodore file that Kestrune reads.\n\n"
         u"It reads D64, D71, D81, D80, D82, D1M, D2M, D4M, DNP, G64, G71, NIB, NBZ, X64, T64, "
         u"LNX, ARC and SDA images and archives, TAP tapes, CRT cartridges, GEOS files in the "
         u"Convert layout (CVT), PC64 files (P00, S00, U00, R00, D00), Commodore files on their "
         u"own (PRG, SEQ, USR, REL, DEL), and any of these in a ZIP or GZ archive"
         u""
         u"."},
    };
    for (const Case& c : cases) {
        const Opened opened = Open(c.name, c.bytes);
        EXPECT_FALSE(opened.volume) << c.name;
        ASSERT_TRUE(opened.message) << c.name;
        EXPECT_EQ(Utf16ToUtf8(opened.message->text), Utf16ToUtf8(c.text));
    }
}

class ArchiveTest : public ::testing::Test {
  protected:
    LoadOutcome Load(const Bytes& bytes, const char* name,
                     std::optional<std::size_t> choice = std::nullopt) {
        const std::string path = testing::WriteFile(dir_ / name, bytes).string();
        offered_.clear();
        return LoadImage(
            path, [](const Message&) { return false; },
            [&](const std::vector<std::string>& names) {
                offered_ = names;
                return choice;
            });
    }
    TempDir dir_;
    std::vector<std::string> offered_;
};

TEST_F(ArchiveTest, ZipWithOneImageAmongOtherFilesOpensIt) {
    const Bytes d64 = testing::DiskBuilder::D64().bytes();
    const LoadOutcome outcome = Load(
        testing::ZipArchive({{"readme.txt", {'h', 'i'}}, {"disks/game.d64", d64}}), "game.zip");
    ASSERT_TRUE(outcome.volume);
    EXPECT_TRUE(offered_.empty());
    EXPECT_EQ(outcome.volume->format, "d64");
    EXPECT_EQ(outcome.volume->image.data, d64);
    EXPECT_EQ(outcome.caption, u"Kestrune - GAME.ZIP");
}

TEST_F(ArchiveTest, SeveralImagesAreOfferedByName) {
    const Bytes zip = testing::ZipArchive(
        {{"one.d64", testing::DiskBuilder::D64().bytes()}, {"two.prg", {1, 8, 0}}});
    EXPECT_FALSE(Load(zip, "set.zip").volume);
    EXPECT_EQ(offered_, (std::vector<std::string>{"one.d64", "two.prg"}));
    const LoadOutcome second = Load(zip, "set.zip", 1);
    ASSERT_TRUE(second.volume);
    EXPECT_EQ(second.volume->format, "prg");
    EXPECT_EQ(second.volume->disk.diskName, u"TWO.PRG");
}

TEST_F(ArchiveTest, GzipHoldsOneImageNamedAfterIt) {
    const Bytes d81 = LayoutDiskBuilder::D81().bytes();
    const LoadOutcome outcome = Load(testing::Gzip(d81), "disk.d81.gz");
    ASSERT_TRUE(outcome.volume);
    EXPECT_EQ(outcome.volume->format, "d81");
}

TEST_F(ArchiveTest, BombsAndDamageAreCappedAndNamed) {
    // 65 MiB of zeros deflate to a few dozen KB; the member is passed over.
    const Bytes bomb = testing::ZipArchive({{"huge.d64", Bytes(65u << 20, 0)}});
    LoadOutcome outcome = Load(bomb, "bomb.zip");
    EXPECT_FALSE(outcome.volume);
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(Utf16ToUtf8(outcome.message->text),
              "\"bomb.zip\"\n\nThis archive cannot be read: huge.d64 is larger than 64 MiB.\n\n"
              "Select another image.");

    std::vector<std::pair<std::string, Bytes>> many;
    for (int i = 0; i < 1001; ++i)
        many.push_back({"f" + std::to_string(i) + ".txt", {}});
    many.push_back({"late.prg", {1, 8}});
    outcome = Load(testing::ZipArchive(many), "many.zip");
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(Utf16ToUtf8(outcome.message->text),
              "\"many.zip\"\n\nThis archive cannot be read: only its first 1,000 members were "
              "read; the 2 from \"f1000.txt\" on were not.\n\nSelect another image.");

    Bytes gz = testing::Gzip(testing::DiskBuilder::D64().bytes());
    gz.resize(gz.size() / 2);
    outcome = Load(gz, "cut.d64.gz");
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->id, MessageId::UnreadableImage);

    outcome = Load(testing::ZipArchive({{"readme.txt", {'x'}}}), "text.zip");
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->id, MessageId::NoImageInArchive);
}

// Entries that all name the same data are listed once, never inflated again, and named.
TEST_F(ArchiveTest, MembersOverlappingAnothersDataAreNamedNotRead) {
    const Bytes d64 = testing::DiskBuilder::D64().bytes();
    const LoadOutcome outcome =
        Load(testing::ZipEntriesOnOneMember("0000.d64", d64, 50), "bomb.zip");
    ASSERT_TRUE(outcome.volume);
    EXPECT_TRUE(offered_.empty());
    EXPECT_EQ(outcome.volume->image.data, d64);
    EXPECT_EQ(Utf16ToUtf8(outcome.volume->fault),
              "Archive: \"0001.d64\" overlaps the data of \"0000.d64\" and is not read; "
              "\"0002.d64\" overlaps the data of \"0000.d64\" and is not read; \"0003.d64\" "
              "overlaps the data of \"0000.d64\" and is not read; 46 more members overlap the "
              "data of another and are not read");
}

// As gzip does, members follow one another and bytes after the last whole member are left (a
// member cut short among them); the status line says how many.
TEST_F(ArchiveTest, GzipMembersAndTrailingBytes) {
    const Bytes d64 = testing::DiskBuilder::D64().bytes();
    const Bytes whole = testing::Gzip(d64);
    const auto joined = [](Bytes first, const Bytes& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const Bytes front(d64.begin(), d64.begin() + 100000);
    const Bytes back(d64.begin() + 100000, d64.end());
    const Bytes cutMember(whole.begin(), whole.begin() + 40);
    const struct {
        Bytes gz;
        std::string fault;
    } cases[] = {
        {joined(whole, {'j', 'u', 'n', 'k', 0, 0, 0}),
         "Archive: 7 bytes after the gzip data were not read"},
        {joined(testing::Gzip(front), testing::Gzip(back)), ""},
        {joined(whole, cutMember), "Archive: 40 bytes after the gzip data were not read"},
    };
    for (const auto& c : cases) {
        const LoadOutcome outcome = Load(c.gz, "disk.d64.gz");
        ASSERT_TRUE(outcome.volume) << c.fault;
        EXPECT_EQ(outcome.volume->image.data, d64);
        EXPECT_EQ(Utf16ToUtf8(outcome.volume->fault), c.fault);
    }
}

}  // namespace
}  // namespace kestrune
