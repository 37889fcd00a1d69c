// The sector map and the check on crafted disks: each fault, made in a few bytes of an otherwise
// clean disk, gives exactly its finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "image/directory.h"
#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/printers.h"
#include "viewer/disk_analysis.h"

namespace kestrune {
namespace {

using testing::Block;
using testing::Bytes;
using testing::DiskBuilder;

// A clean disk of three files: ONE of 1 block at 1/0, TWO of 2 blocks at 1/1 and 1/2, THREE of 3
// blocks at 1/3 to 1/5.
DiskBuilder CleanDisk(std::size_t size = kD64Size) {
    DiskBuilder disk(size);
    disk.AddFile("ONE", 0x82, testing::Program(0x0801, testing::Noise(100, 1)));
    disk.AddFile("TWO", 0x82, testing::Program(0x0801, testing::Noise(400, 2)));
    disk.AddFile("THREE", 0x81, testing::Noise(600, 3));
    return disk;
}

DiskAnalysis Analyse(const DiskBuilder& disk) {
    const Volume volume = OpenD64(disk.Image());
    return AnalyseDisk(volume, volume.entries);
}

TEST(DiskCheck, CleanDiskHasNoFindingsAndEveryBlockItsOwner) {
    const DiskAnalysis analysis = Analyse(CleanDisk());
    EXPECT_EQ(analysis.findings, std::vector<Finding>{});
    const std::vector<SectorCell>& track1 = analysis.map.tracks.at(0).sectors;
    const int owners[] = {1, 2, 2, 3, 3, 3, 0};
    for (std::size_t sector = 0; sector < std::size(owners); ++sector)
        EXPECT_EQ(track1[sector].row, owners[sector]) << sector;
    EXPECT_EQ(track1[6].free, true);
    EXPECT_EQ(track1[0].free, false);
    EXPECT_EQ(track1[1].linkTrack, 1);
    EXPECT_EQ(track1[1].linkSector, 2);
    const std::vector<SectorCell>& track18 = analysis.map.tracks.at(17).sectors;
    EXPECT_TRUE(track18[0].system);
    EXPECT_TRUE(track18[1].system);
    EXPECT_FALSE(track18[2].system);
    EXPECT_EQ(analysis.map.tracks.size(), 35u);
}

TEST(DiskCheck, EachFaultGivesExactlyItsFinding) {
    struct Case {
        const char* what;
        std::function<void(DiskBuilder&)> fault;
        Finding finding;
    };
    const auto header = [](DiskBuilder& disk) { return disk.Header(); };
    const Case cases[] = {
        {"a fourth entry on ONE's block",
         [](DiskBuilder& disk) {
             disk.AddEntry({0x82, 1, 0, "AGAIN", 1});
         },
         {kCrossLinked,
          1,
          0,
          {1, 4},
          u"Track 1 ($01), sector 0 ($00) is in the chains of rows 1 (\"one\") and 4 (\"again\")"}},
        {"TWO's last block links back to its first",
         [](DiskBuilder& disk) { disk.Sector(1, 2)[0] = 1, disk.Sector(1, 2)[1] = 1; },
         {kLoop,
          1,
          1,
          {2},
          u"The chain of row 2 (\"two\") loops back to track 1 ($01), sector 1 ($01)"}},
        {"TWO's last block links to track 36",
         [](DiskBuilder& disk) { disk.Sector(1, 2)[0] = 36, disk.Sector(1, 2)[1] = 0; },
         {kBadLink,
          1,
          2,
          {2},
          u"The chain of row 2 (\"two\") links from track 1 ($01), sector 2 ($02) to track 36 "
          u"($24), sector 0 ($00), which the disk does not have"}},
        {"TWO's last block links to sector 21 of track 1",
         [](DiskBuilder& disk) { disk.Sector(1, 2)[0] = 1, disk.Sector(1, 2)[1] = 21; },
         {kBadLink,
          1,
          2,
          {2},
          u"The chain of row 2 (\"two\") links from track 1 ($01), sector 2 ($02) to track 1 "
          u"($01), sector 21 ($15), which the disk does not have"}},
        {"THREE says 5 blocks",
         [](DiskBuilder& disk) { disk.Sector(18, 1)[64 + 0x1E] = 5; },
         {kSizeMismatch, 1, 3, {3}, u"Row 3 (\"three\") says 5 blocks, its chain holds 3"}},
        {"the BAM calls ONE's block free",
         [header](DiskBuilder& disk) { header(disk)[5] |= 0x01; },
         {kUsedButFree,
          1,
          0,
          {1},
          u"Track 1 ($01), sector 0 ($00) is in use by row 1 (\"one\") but the BAM calls it free"}},
        {"the BAM calls the directory free",
         [header](DiskBuilder& disk) { header(disk)[4 * 18 + 1] |= 0x02; },
         {kUsedButFree,
          18,
          1,
          {},
          u"Track 18 ($12), sector 1 ($01) is in use by the file system but the BAM calls it "
          u"free"}},
        {"the BAM calls an empty sector in use",
         [header](DiskBuilder& disk) { header(disk)[4 * 20 + 1] &= 0xFE; },
         {kOrphan,
          20,
          0,
          {},
          u"Track 20 ($14), sector 0 ($00) is allocated but belongs to no file"}},
    };
    for (const Case& c : cases) {
        DiskBuilder disk = CleanDisk();
        c.fault(disk);
        EXPECT_EQ(Analyse(disk).findings, std::vector<Finding>{c.finding}) << c.what;
    }
}

TEST(DiskCheck, ErrorBytesAreMappedAndAChainCrossingOneIsFound) {
    DiskBuilder disk = CleanDisk(kD64Size + 683);
    disk.bytes()[kD64Size + 4] = 5;   // 1/4, THREE's second block: error 23
    disk.bytes()[kD64Size + 30] = 1;  // no error
    const Volume volume = OpenD64(disk.Image());
    const DiskAnalysis analysis = AnalyseDisk(volume, volume.entries);
    const Finding crossing{kErrorSector,
                           1,
                           4,
                           {3},
                           u"The chain of row 3 (\"three\") crosses track 1 ($01), sector 4 ($04), "
                           u"which carries error 23"};
    EXPECT_EQ(analysis.findings, std::vector<Finding>{crossing});
    EXPECT_EQ(ErrorSectorsOf(volume, volume.entries.at(2)),
              std::vector<ErrorCrossing>({{1, 4, 5}}));
    EXPECT_TRUE(ErrorSectorsOf(volume, volume.entries.at(0)).empty());
    EXPECT_EQ(analysis.map.tracks[0].sectors[4].error, 5);
    EXPECT_EQ(analysis.map.tracks[1].sectors[9].error, std::nullopt);
}

// Error bytes 2 to 11 are the DOS's errors 20 to 29 and 15 its error 74 (drive not ready); a byte
// with no DOS meaning is named as what it is.
TEST(DiskCheck, ErrorBytesAreNamedAsTheDosWouldReportThem) {
    const std::pair<std::uint8_t, std::u16string_view> cases[] = {
        {2, u"error 20"},
        {5, u"error 23"},
        {11, u"error 29"},
        {15, u"error 74"},
        {12, u"an unknown error (byte $0c)"},
        {16, u"an unknown error (byte $10)"},
        {255, u"an unknown error (byte $ff)"},
    };
    for (const auto& [byte, text] : cases)
        EXPECT_EQ(ErrorByteText(byte), text) << int{byte};
}

// Thousands of rows on one chain: the chain is followed once, and each finding names the first
// rows and counts the others.
TEST(DiskCheck, RowsSharingOneChainAreNamedFirstFewThenCounted) {
    DiskBuilder disk;
    disk.Chain(testing::Noise(600), {{1, 0}, {1, 1}, {1, 2}});
    for (int sector = 0; sector < 3; ++sector)
        disk.UseInBam({1, sector});
    for (int i = 0; i < 40; ++i)
        disk.AddEntry({0x82, 1, 0, "SAME" + std::to_string(i), 3});
    const std::vector<Finding> findings = Analyse(disk).findings;
    ASSERT_EQ(findings.size(), 3u);
    for (int sector = 0; sector < 3; ++sector) {
        const Finding& finding = findings[static_cast<std::size_t>(sector)];
        EXPECT_EQ(finding.kind, kCrossLinked);
        EXPECT_EQ(finding.sector, sector);
        EXPECT_EQ(finding.rows, (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_EQ(finding.moreRows, 35);
    }
    EXPECT_EQ(findings[0].text,
              u"Track 1 ($01), sector 0 ($00) is in the chains of rows 1 (\"same0\"), 2 "
              u"(\"same1\"), 3 (\"same2\"), 4 (\"same3\"), 5 (\"same4\") and 35 more");

    // One fault of a shared chain is one finding for all its rows, and so is a count they share.
    disk.Sector(1, 2)[0] = 1;
    disk.Sector(1, 2)[1] = 0;
    for (int slot = 0; slot < 8; ++slot)
        disk.Sector(18, 1)[32 * slot + 0x1E] = 7;
    const std::vector<Finding> looped = Analyse(disk).findings;
    const auto of = [&](std::string_view kind) {
        std::vector<Finding> found;
        for (const Finding& finding : looped) {
            if (finding.kind == kind) found.push_back(finding);
        }
        return found;
    };
    EXPECT_EQ(
        of(kLoop),
        std::vector<Finding>(
            {{kLoop,
              1,
              0,
              {1, 2, 3, 4, 5},
              u"The chain of rows 1 (\"same0\"), 2 (\"same1\"), 3 (\"same2\"), 4 (\"same3\"), 5 "
              u"(\"same4\") and 35 more loops back to track 1 ($01), sector 0 ($00)",
              35}}));
    EXPECT_EQ(
        of(kSizeMismatch),
        std::vector<Finding>({{kSizeMismatch,
                               1,
                               0,
                               {1, 2, 3, 4, 5},
                               u"Rows 1 (\"same0\"), 2 (\"same1\"), 3 (\"same2\"), 4 (\"same3\"), "
                               u"5 (\"same4\") and 3 more say 7 blocks, their chain holds 3",
                               3}}));
}

// Inside a 1581 partition a file's chain keeps to the partition's tracks.
TEST(DiskCheck, AChainLeavingItsPartitionIsABadLink) {
    testing::LayoutDiskBuilder disk = testing::LayoutDiskBuilder::D81();
    disk.Entry({40, 3}, 0, {0x85, 50, 0, "PART", 120});  // tracks 50-52
    disk.PartitionDirectory(50, 3, "INNER");
    disk.Chain(testing::Noise(400), std::vector<testing::Block>{{51, 0}, {10, 0}})
        .Entry({50, 3}, 0, {0x81, 51, 0, "LEAVES", 2});
    const Opened opened =
        OpenContents("parts.d81", disk.bytes(), [](const Message&) { return false; });
    ASSERT_TRUE(opened.volume);
    const std::optional<Volume> inner = OpenPartition(*opened.volume, opened.volume->entries[0]);
    ASSERT_TRUE(inner);
    const std::vector<Finding> findings = AnalyseDisk(*inner, inner->entries).findings;
    const auto bad = std::find_if(findings.begin(), findings.end(),
                                  [](const Finding& f) { return f.kind == kBadLink; });
    ASSERT_NE(bad, findings.end());
    EXPECT_EQ(*bad, (Finding{kBadLink,
                             51,
                             0,
                             {1},
                             u"The chain of row 1 (\"leaves\") links from track 51 ($33), sector 0 "
                             u"($00) to track 10 ($0A), sector 0 ($00), which lies outside the "
                             u"partition"}));
}

TEST(DiskCheck, GcrSectorThatDidNotDecodeStopsTheChainThere) {
    DiskBuilder disk = CleanDisk();
    const Bytes g64 =
        testing::EncodeGcrImage(disk.bytes(), {{1, 4, testing::GcrFault::DataChecksum}});
    const Opened opened = OpenContents("disk.g64", g64, [](const Message&) { return false; });
    ASSERT_TRUE(opened.volume);
    const DiskAnalysis analysis = AnalyseDisk(*opened.volume, opened.volume->entries);
    // The chain stops at the sector it cannot read: 1/5 is then allocated but no file's. The
    // findings come by track and sector.
    EXPECT_EQ(analysis.findings,
              (std::vector<Finding>{
                  {kSizeMismatch, 1, 3, {3}, u"Row 3 (\"three\") says 3 blocks, its chain holds 2"},
                  {kErrorSector,
                   1,
                   4,
                   {3},
                   u"The chain of row 3 (\"three\") crosses track 1 ($01), sector 4 ($04), which "
                   u"carries error 23"},
                  {kOrphan,
                   1,
                   5,
                   {},
                   u"Track 1 ($01), sector 5 ($05) is allocated but belongs to no file"}}));
}

TEST(DiskCheck, ArchivesOfFilesHaveNoSectors) {
    const Opened opened =
        OpenContents("one.prg", Bytes{1, 8, 0}, [](const Message&) { return false; });
    ASSERT_TRUE(opened.volume);
    const DiskAnalysis analysis = AnalyseDisk(*opened.volume, opened.volume->entries);
    EXPECT_TRUE(analysis.map.tracks.empty());
    EXPECT_TRUE(analysis.findings.empty());
}

}  // namespace
}  // namespace kestrune
