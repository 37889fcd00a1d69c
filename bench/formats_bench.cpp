// Opening the formats that need work beyond reading sectors: a 42-track G64 decoded from its GCR
// bits, a D81 directory of 296 entries, a zipped D64, a ZipCode set of four files, a ten-minute
// TAP, a D4M with a partition of each kind. Each is opened as the window and kestrune-cli open
// it, from a file, through to the list's texts.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "image/cbm_directory.h"
#include "image/d81.h"
#include "image/directory.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "viewer/disk_analysis.h"
#include "viewer/row_texts.h"
#include "viewer/session.h"

namespace kestrune {
namespace {

using testing::Block;
using testing::Bytes;

const auto kQuiet = [](const Message&) { return false; };

// Opens path in a session and reads every row's texts.
void OpenAndList(benchmark::State& state, const std::string& path) {
    Session session;
    for (auto _ : state) {
        session.Open(path, kQuiet);
        std::size_t characters = 0;
        for (int row = 0; row < session.RowCount(); ++row)
            characters += session.Row(row)[ColumnFileName].size();
        benchmark::DoNotOptimize(characters);
    }
    state.counters["rows"] = session.RowCount();
}

// A 42-track disk with a full directory and files on every side of the tracks, as a G64.
void BM_OpenFortyTwoTrackG64(benchmark::State& state) {
    testing::DiskBuilder disk(205312);
    disk.Chain(testing::Program(0x0801, testing::Noise(5000)), testing::ConsecutiveBlocks(20));
    for (int i = 0; i < 144; ++i)
        disk.AddEntry({0x82, 1, 0, "FILE " + std::to_string(i), 20});
    const testing::TempDir dir;
    const auto path = testing::WriteFile(dir / "disk.g64", testing::EncodeGcrImage(disk.bytes()));
    OpenAndList(state, path.string());
}
BENCHMARK(BM_OpenFortyTwoTrackG64)->Unit(benchmark::kMillisecond);

testing::LayoutDiskBuilder D81With296Entries() {
    testing::LayoutDiskBuilder disk = testing::LayoutDiskBuilder::D81();
    disk.Chain(testing::Program(0x0801, Bytes{0, 0}), std::vector<Block>{{1, 0}});
    // 37 directory sectors, 40/3 to 40/39, of 8 entries each.
    for (int sector = 3; sector <= 39; ++sector) {
        disk.Sector(40, sector)[0] = sector < 39 ? 40 : 0;
        disk.Sector(40, sector)[1] = static_cast<std::uint8_t>(sector < 39 ? sector + 1 : 0xFF);
        for (int slot = 0; slot < 8; ++slot)
            disk.Entry({40, sector}, slot,
                       {0x82, 1, 0, "FILE " + std::to_string(8 * sector + slot), 1});
    }
    return disk;
}

// The directory alone: the walk, the entries and their texts, from an image in memory.
void BM_ListD81With296Entries(benchmark::State& state) {
    Volume volume = OpenD81(DiskImage{D81With296Entries().bytes()});
    std::vector<RowTexts> rows;
    for (auto _ : state) {
        volume.entries.clear();
        ReadDirectoryChain(volume, 40, 3);
        rows.resize(volume.entries.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            FormatRow(volume.entries[i], false, rows[i]);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_ListD81With296Entries)->Unit(benchmark::kMicrosecond);

// The whole open of that D81 from its file, reading 800 KB included.
void BM_OpenD81With296Entries(benchmark::State& state) {
    const testing::TempDir dir;
    const auto path = testing::WriteFile(dir / "full.d81", D81With296Entries().bytes());
    OpenAndList(state, path.string());
}
BENCHMARK(BM_OpenD81With296Entries)->Unit(benchmark::kMicrosecond);

void BM_OpenZippedD64(benchmark::State& state) {
    testing::DiskBuilder disk;
    for (int i = 0; i < 30; ++i)
        disk.AddFile("FILE " + std::to_string(i), 0x82,
                     testing::Program(0x0801, testing::Noise(4000, static_cast<std::uint32_t>(i))));
    const testing::TempDir dir;
    const auto path =
        testing::WriteFile(dir / "disk.zip", testing::ZipArchive({{"disk.d64", disk.bytes()}}));
    OpenAndList(state, path.string());
}
BENCHMARK(BM_OpenZippedD64)->Unit(benchmark::kMillisecond);

// A full disk of noise as a ZipCode set, opened from its second part: the other three read from
// the folder, every sector laid into the D64.
void BM_OpenZipCodeSet(benchmark::State& state) {
    testing::DiskBuilder disk;
    for (int i = 0; i < 30; ++i)
        disk.AddFile("FILE " + std::to_string(i), 0x82,
                     testing::Program(0x0801, testing::Noise(5000, static_cast<std::uint32_t>(i))));
    const testing::TempDir dir;
    const std::vector<testing::Bytes> parts = testing::ZipCodeParts(disk.bytes());
    for (std::size_t part = 0; part < parts.size(); ++part)
        testing::WriteFile(dir / (std::to_string(part + 1) + "!disk"), parts[part]);
    OpenAndList(state, (dir / "2!disk").string());
}
BENCHMARK(BM_OpenZipCodeSet)->Unit(benchmark::kMillisecond);

// A ten-minute tape: twelve programs of 1,000 to 2,100 bytes saved by the ROM loader, each header
// and data block twice, then a minute of turbo pulses the ROM loader cannot read (10:28 in all).
// Decoded from its 1.45 MB of pulses and listed.
void BM_OpenTenMinuteTap(benchmark::State& state) {
    testing::TapWriter writer;
    for (int i = 0; i < 12; ++i)
        writer.File(3, "PART " + std::to_string(i), 0x1000,
                    testing::Noise(1000 + 100 * static_cast<std::size_t>(i),
                                   static_cast<std::uint32_t>(i)));
    writer.Turbo(210000);
    const testing::TempDir dir;
    const auto path = testing::WriteFile(dir / "tape.tap", writer.Tap());
    OpenAndList(state, path.string());
    Session session;
    session.Open(path.string(), kQuiet);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_OpenTenMinuteTap)->Unit(benchmark::kMillisecond);

// A D4M of a native partition of 100 files, 1541, 1571 and 1581 emulation partitions: the
// partition table opened and listed, then each partition opened, listed and left.
void BM_OpenD4MAndItsPartitions(benchmark::State& state) {
    testing::LayoutDiskBuilder native = testing::LayoutDiskBuilder::Dnp(8);
    native.Chain(testing::Program(0x0801, testing::Noise(500)), std::vector<Block>{{2, 0}, {2, 1}});
    for (int sector = 34; sector < 47; ++sector) {
        native.Sector(1, sector)[0] = sector < 46 ? 1 : 0;
        native.Sector(1, sector)[1] = static_cast<std::uint8_t>(sector < 46 ? sector + 1 : 0xFF);
        for (int slot = 0; slot < 8; ++slot)
            native.Entry({1, sector}, slot,
                         {0x82, 2, 0, "FILE " + std::to_string(8 * sector + slot), 2});
    }
    testing::DiskBuilder d64;
    testing::DiskBuilder d71 = testing::DiskBuilder::D71();
    for (int i = 0; i < 20; ++i) {
        d64.AddFile("FILE " + std::to_string(i), 0x82,
                    testing::Noise(2000, static_cast<std::uint32_t>(i)));
        d71.AddFile("FILE " + std::to_string(i), 0x82,
                    testing::Noise(4000, static_cast<std::uint32_t>(i)));
    }
    const Bytes d4m =
        testing::CmdFloppy(160, {{1, "NATIVE", 0, 1024, native.bytes()},
                                 {2, "FORTY ONE", 1024, 342, d64.bytes()},
                                 {3, "SEVENTY ONE", 1366, 683, d71.bytes()},
                                 {4, "EIGHTY ONE", 2049, 1600, D81With296Entries().bytes()}});
    const testing::TempDir dir;
    const auto path = testing::WriteFile(dir / "disk.d4m", d4m);
    Session session;
    int rows = 0;
    for (auto _ : state) {
        session.Open(path.string(), kQuiet);
        rows = session.RowCount();
        for (int partition = 0; partition < 4; ++partition) {
            session.OpenPartition(partition);
            rows += session.RowCount();
            session.LeavePartition();
        }
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenD4MAndItsPartitions)->Unit(benchmark::kMillisecond);

// The sector map and the check of a full D71: 130 files of 10 blocks over both sides.
void BM_MapAndCheckFullD71(benchmark::State& state) {
    testing::DiskBuilder disk = testing::DiskBuilder::D71();
    for (int i = 0; i < 130; ++i)
        disk.AddFile("FILE " + std::to_string(i), 0x82,
                     testing::Program(0x0801, testing::Noise(2530, static_cast<std::uint32_t>(i))));
    const Volume volume = OpenD64(disk.Image());
    std::size_t findings = 0;
    for (auto _ : state) {
        const DiskAnalysis analysis = AnalyseDisk(volume, volume.entries);
        findings = analysis.findings.size();
        benchmark::DoNotOptimize(analysis.map.tracks.data());
    }
    state.counters["rows"] = static_cast<double>(volume.entries.size());
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_MapAndCheckFullD71)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrune
