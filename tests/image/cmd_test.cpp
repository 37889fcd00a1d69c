// CMD disks: a native partition with a subdirectory, and a floppy whose partition table holds a
// native, a 1541 and a 1581 emulation partition, one the table cannot place and one of a kind
// that holds no Commodore directory.
#include <gtest/gtest.h>

#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/opened_volume.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::Block;
using testing::Bytes;
using testing::FileOf;
using testing::LayoutDiskBuilder;
using testing::NameOf;
using testing::OpenOrFail;

const Bytes kProgram = testing::Program(0x0801, testing::Noise(400));
const Bytes kInner = testing::Program(0xC000, testing::Noise(100, 2));

// A native partition of four tracks: HELLO in the root, INNER in the subdirectory GAMES.
Bytes NativePartition() {
    LayoutDiskBuilder dnp = LayoutDiskBuilder::Dnp(4);
    const std::vector<Block> hello = {{2, 0}, {2, 1}};
    dnp.Chain(kProgram, hello).Entry({1, 34}, 0, {0x82, 2, 0, "HELLO", 2});
    dnp.NativeHeader({2, 10}, {2, 11}, "GAMES").Entry({1, 34}, 1, {0x86, 2, 10, "GAMES", 2});
    const std::vector<Block> inner = {{3, 0}};
    dnp.Chain(kInner, inner).Entry({2, 11}, 0, {0x82, 3, 0, "INNER", 1});
    return dnp.bytes();
}

TEST(Cmd, ANativePartitionAndItsSubdirectory) {
    const Volume volume = OpenOrFail("disk.dnp", NativePartition());
    EXPECT_EQ(volume.format, "dnp");
    EXPECT_EQ(volume.disk.diskName, u"NATIVE          ");
    EXPECT_EQ(volume.disk.diskId, u"KT");
    EXPECT_EQ(volume.disk.dosType, u"1H");
    EXPECT_EQ(volume.disk.blocksFree, 4 * 256 - 35);
    ASSERT_EQ(volume.entries.size(), 2u);
    EXPECT_EQ(FileOf(volume, 0), kProgram);
    EXPECT_FALSE(volume.entries[0].partition);
    ASSERT_TRUE(volume.entries[1].partition);
    EXPECT_EQ(volume.entries[1].partitionKind, PartitionKind::Subdirectory);
    const std::optional<Volume> games = OpenPartition(volume, volume.entries[1]);
    ASSERT_TRUE(games);
    EXPECT_EQ(games->disk.diskName, u"GAMES           ");
    ASSERT_EQ(games->entries.size(), 1u);
    EXPECT_EQ(NameOf(games->entries[0]), "INNER");
    EXPECT_EQ(FileOf(*games, 0), kInner);
    // A file is no partition, and a DNP of the wrong size is refused by its name.
    EXPECT_FALSE(OpenPartition(volume, volume.entries[0]));
    const Opened refused =
        OpenContents("disk.dnp", Bytes(5000), [](const Message&) { return false; });
    ASSERT_TRUE(refused.message);
    EXPECT_NE(refused.message->text.find(u"This DNP image cannot be read"), std::u16string::npos);
}

TEST(Cmd, AFloppysPartitionsOpenAsWhatTheyHold) {
    testing::DiskBuilder d64;
    d64.AddFile("ON1541", 0x82, kProgram);
    LayoutDiskBuilder d81 = LayoutDiskBuilder::D81("EMULATED");
    const std::vector<Block> blocks = {{1, 0}, {1, 1}};
    d81.Chain(kProgram, blocks).Entry({40, 3}, 0, {0x82, 1, 0, "ON1581", 2});
    const Bytes floppy = testing::CmdFloppy(80, {{1, "NATIVE", 0, 512, NativePartition()},
                                                 {2, "FORTY ONE", 512, 342, d64.bytes()},
                                                 {4, "EIGHTY ONE", 854, 1600, d81.bytes()},
                                                 {5, "CPM", 2454, 100, {}},
                                                 {2, "LOST", 3100, 342, {}}});
    for (const bool errors : {false, true}) {
        Bytes bytes = floppy;
        if (errors) bytes.resize(bytes.size() + bytes.size() / 256, 1);
        const Volume volume = OpenOrFail("floppy.d2m", bytes);
        EXPECT_EQ(volume.format, "d2m");
        EXPECT_EQ(volume.disk.diskName, u"FLOPPY.D2M");
        EXPECT_EQ(Utf16ToUtf8(volume.fault),
                  "CMD D2M disk: 5 partitions; the 1541 emulation partition \"LOST\" reaches past "
                  "track 80 and is not read");
        ASSERT_EQ(volume.entries.size(), 5u);
        EXPECT_EQ(NameOf(volume.entries[1]), "FORTY ONE");
        EXPECT_EQ(volume.entries[1].blocks, 684);
        EXPECT_EQ(volume.entries[1].track, 13);  // block 1024 of 80 a track
        EXPECT_EQ(volume.entries[1].sector, 64);
        EXPECT_FALSE(volume.entries[3].partition);  // CP/M
        EXPECT_FALSE(volume.entries[4].partition);  // past the end

        struct Case {
            std::size_t row;
            std::string_view format;
            std::string_view file;
        };
        for (const Case& c :
             {Case{0, "dnp", "HELLO"}, Case{1, "d64", "ON1541"}, Case{2, "d81", "ON1581"}}) {
            SCOPED_TRACE(c.format);
            const std::optional<Volume> partition = OpenPartition(volume, volume.entries[c.row]);
            ASSERT_TRUE(partition);
            EXPECT_EQ(partition->format, c.format);
            ASSERT_FALSE(partition->entries.empty());
            EXPECT_EQ(NameOf(partition->entries[0]), c.file);
            EXPECT_EQ(FileOf(*partition, 0), kProgram);
        }
    }
}

}  // namespace
}  // namespace kestrune
