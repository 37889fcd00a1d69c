// Reading a full directory into the list's texts, and assembling a long chain.
#include <benchmark/benchmark.h>

#include "image/directory.h"
#include "image/file_chain.h"
#include "tests/support/disk_builder.h"
#include "viewer/row_texts.h"

namespace kestrune {
namespace {

using testing::Block;
using testing::Bytes;
using testing::DiskBuilder;

// 18 directory sectors of 8 closed PRG entries each, so every row reads its load address.
void BM_ReadFullDirectory(benchmark::State& state) {
    DiskBuilder disk;
    disk.Chain(Bytes{0x01, 0x08, 0x00}, {{1, 0}});
    for (int i = 0; i < 144; ++i)
        disk.AddEntry({0x82, 1, 0, "FILE " + std::to_string(i), 1});
    const DiskImage image = disk.Image();
    std::vector<RowTexts> rows;
    for (auto _ : state) {
        const Directory directory = ReadDirectory(image);
        rows.resize(directory.entries.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            FormatRow(directory.entries[i], directory.disk.isGeosDisk, rows[i]);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_ReadFullDirectory);

void BM_Assemble258Blocks(benchmark::State& state) {
    DiskBuilder disk = DiskBuilder::D71();
    disk.Chain(Bytes(258 * 254, 0xEA), testing::ConsecutiveBlocks(258));
    const DiskImage image = disk.Image();
    FileChain chain;
    for (auto _ : state) {
        Assemble(chain, image, 1, 0);
        benchmark::DoNotOptimize(chain.length);
    }
}
BENCHMARK(BM_Assemble258Blocks);

}  // namespace
}  // namespace kestrune
