#include "image/file_chain.h"

#include <gtest/gtest.h>

#include <numeric>

#include "tests/support/disk_builder.h"
#include "tests/support/printers.h"

namespace kestrune {
namespace {

using testing::Block;
using testing::Bytes;
using testing::DiskBuilder;

Bytes Counting(std::size_t size) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    return bytes;
}

TEST(FileChain, LengthFromTheLastBlocksIndex) {
    const struct {
        int blocks;
        std::uint8_t last;
        std::int32_t length;
    } cases[] = {{1, 255, 254},
                 {1, 2, 1},
                 {1, 1, 0},
                 {3, 64, 571},
                 // A last block that holds no byte (drives write REL files' last block so)
                 // neither adds a byte nor takes one from the blocks before it.
                 {1, 0, 0},
                 {3, 0, 508},
                 {3, 1, 508}};
    for (const auto& c : cases) {
        DiskBuilder disk;
        for (int i = 0; i + 1 < c.blocks; ++i)
            disk.RawBlock({5, i}, 5, static_cast<std::uint8_t>(i + 1));
        disk.RawBlock({5, c.blocks - 1}, 0, c.last);
        FileChain chain;
        Assemble(chain, disk.Image(), 5, 0);
        EXPECT_EQ(chain.length, c.length) << c.blocks << " blocks, last index " << int{c.last};
    }
}

TEST(FileChain, GathersTheDataBytesOfEveryBlockInChainOrder) {
    const Bytes data = Counting(600);
    DiskBuilder disk;
    disk.Chain(data, {{20, 3}, {1, 0}, {36 - 1, 16}});
    FileChain chain;
    Assemble(chain, disk.Image(), 20, 3);
    ASSERT_EQ(chain.length, 600);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), chain.Data().begin(), chain.Data().end()));
}

TEST(FileChain, ContentWindowSkipsOnlyALoadAddress) {
    FileChain chain;
    chain.Take(Bytes(254));
    chain.length = 10;
    EXPECT_EQ(chain.ContentOffset(), 0);
    EXPECT_EQ(chain.ContentLength(), 10);
    EXPECT_EQ(chain.Content().data(), chain.Read().data());
    chain.hasLoadAddress = true;
    EXPECT_EQ(chain.ContentOffset(), 2);
    EXPECT_EQ(chain.ContentLength(), 8);
    EXPECT_EQ(chain.Content().size(), 8u);
    EXPECT_EQ(chain.Content().data(), chain.Read().data() + 2);
    for (std::int32_t length : {2, 1, 0, -1}) {
        chain.length = length;
        EXPECT_EQ(chain.ContentLength(), length - 2);
        EXPECT_TRUE(chain.Content().empty());
    }
    EXPECT_TRUE(chain.Data().empty());
}

// Each broken chain keeps the blocks read before the block that stops it.
TEST(FileChain, StopsAtEveryLimitKeepingTheBlocksRead) {
    const struct {
        const char* what;
        std::size_t imageSize;
        std::uint8_t linkTrack, linkSector;
        std::int32_t length;
    } cases[] = {
        {"track 36 on a single-sided image", kD64Size, 36, 0, 254},
        {"track 71 on a double-sided image", kD71Size, 71, 0, 254},
        {"sector past the end of the image", kD64Size, 35, 17, 254},
        {"sector 255 on a double-sided image", kD71Size, 70, 255, 254},
        {"back to itself", kD64Size, 1, 0, 254},
        {"track 36 on a double-sided image", kD71Size, 36, 0, 2 * 254},
        {"track 36 on a larger image", kD71Size + 1366, 36, 0, 2 * 254},
    };
    for (const auto& c : cases) {
        DiskBuilder disk(c.imageSize);
        disk.RawBlock({1, 0}, c.linkTrack, c.linkSector, Counting(254));
        if (c.imageSize >= kD71Size) disk.RawBlock({36, 0}, 1, 0);
        FileChain chain;
        Assemble(chain, disk.Image(), 1, 0);
        EXPECT_EQ(chain.length, c.length) << c.what;
    }
}

TEST(FileChain, RefusedFirstBlockGivesLengthZero) {
    DiskBuilder disk(kD64Size);
    disk.bytes().resize(kD64Size - 100);
    FileChain chain;
    chain.length = 99;
    for (const auto& [track, sector] :
         {std::pair{35, 16}, {36, 0}, {0, 0}, {71, 0}, {1, -1}, {1, 256}}) {
        Assemble(chain, disk.Image(), track, sector);
        EXPECT_EQ(chain.length, 0) << track << "/" << sector;
    }
}

TEST(FileChain, ReadsChainsOfAnyLengthWhole) {
    DiskBuilder disk = DiskBuilder::D71();
    const std::vector<Block> blocks = testing::ConsecutiveBlocks(1000);
    const Bytes data = Counting(1000 * 254 - 100);
    disk.Chain(data, blocks);
    FileChain chain;
    Assemble(chain, disk.Image(), 1, 0);
    EXPECT_EQ(chain.length, 1000 * 254 - 100);
    EXPECT_TRUE(std::equal(chain.Data().begin(), chain.Data().end(), data.begin(), data.end()));

    // A shorter file read next holds none of the longer one's bytes.
    disk.RawBlock({1, 0}, 0, 3, Bytes{7, 8});
    Assemble(chain, disk.Image(), 1, 0);
    EXPECT_EQ(chain.Read().size(), 254u);
    EXPECT_EQ(Bytes(chain.Data().begin(), chain.Data().end()), (Bytes{7, 8}));
}

}  // namespace
}  // namespace kestrune
