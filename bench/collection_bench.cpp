// The collection: a generated folder of 2,000 D64s of known content (each of ten programs, a
// tenth of them shared between disks) indexed with two readers; indexed again unchanged; and
// found in by name, load address, digest, text and a byte pattern.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "collection/catalog.h"
#include "collection/hashes.h"
#include "collection/indexer.h"
#include "tests/support/disk_builder.h"

namespace kestrune {
namespace {

using testing::Bytes;

constexpr int kDisks = 2000;

// A folder of kDisks D64s: disk i holds ten programs; the first is shared by every tenth disk.
const testing::TempDir& Folder() {
    static const testing::TempDir dir;
    static const bool made = [] {
        std::filesystem::create_directory(dir / "disks");
        for (int disk = 0; disk < kDisks; ++disk) {
            testing::DiskBuilder d64;
            for (int file = 0; file < 10; ++file) {
                const auto seed =
                    static_cast<std::uint32_t>(file == 0 ? disk / 10 : disk * 10 + file);
                d64.AddFile("GAME " + std::to_string(disk) + "-" + std::to_string(file), 0x82,
                            testing::Program(static_cast<std::uint16_t>(0x0801 + 0x100 * file),
                                             testing::Noise(1500, seed)));
            }
            d64.WriteTo(dir / "disks" / ("disk" + std::to_string(disk) + ".d64"));
        }
        return true;
    }();
    (void)made;
    return dir;
}

Catalog Open(const std::filesystem::path& path, bool rebuild) {
    std::string why;
    std::optional<Catalog> catalog = Catalog::Open(path.string(), rebuild, why);
    if (!catalog) throw std::runtime_error(why);
    return std::move(*catalog);
}

void BM_IndexTwoThousandD64s(benchmark::State& state) {
    const testing::TempDir& dir = Folder();
    IndexSummary summary;
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(dir / ("bench.sqlite" + std::string(suffix)));
        state.ResumeTiming();
        Catalog catalog = Open(dir / "bench.sqlite", false);
        summary = IndexPaths(catalog, {(dir / "disks").string()}, 2, {});
    }
    state.counters["images/s"] = benchmark::Counter(static_cast<double>(summary.images),
                                                    benchmark::Counter::kIsIterationInvariantRate);
    state.counters["index MB"] =
        static_cast<double>(std::filesystem::file_size(dir / "bench.sqlite")) / 1e6;
    state.counters["images MB"] = kDisks * 174848 / 1e6;
}
BENCHMARK(BM_IndexTwoThousandD64s)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_IndexUnchanged(benchmark::State& state) {
    const testing::TempDir& dir = Folder();
    {
        Catalog catalog = Open(dir / "bench.sqlite", true);
        IndexPaths(catalog, {(dir / "disks").string()}, 2, {});
    }
    Catalog catalog = Open(dir / "bench.sqlite", false);
    for (auto _ : state) {
        const IndexSummary summary = IndexPaths(catalog, {(dir / "disks").string()}, 2, {});
        benchmark::DoNotOptimize(summary.unchanged);
    }
}
BENCHMARK(BM_IndexUnchanged)->Unit(benchmark::kMillisecond);

void Find(benchmark::State& state, CatalogQuery query) {
    const testing::TempDir& dir = Folder();
    if (!std::filesystem::exists(dir / "bench.sqlite")) {
        Catalog catalog = Open(dir / "bench.sqlite", true);
        IndexPaths(catalog, {(dir / "disks").string()}, 2, {});
    }
    Catalog catalog = Open(dir / "bench.sqlite", false);
    std::size_t hits = 0;
    for (auto _ : state)
        hits = catalog.Find(query).size();
    state.counters["hits"] = static_cast<double>(hits);
}

void BM_FindByName(benchmark::State& state) {
    CatalogQuery query;
    query.name = "game 1234-";
    Find(state, query);
}
BENCHMARK(BM_FindByName)->Unit(benchmark::kMillisecond);

void BM_FindByLoadAndLimit(benchmark::State& state) {
    CatalogQuery query;
    query.load = 0x0901;
    query.limit = 100;
    Find(state, query);
}
BENCHMARK(BM_FindByLoadAndLimit)->Unit(benchmark::kMillisecond);

void BM_FindBySha256(benchmark::State& state) {
    CatalogQuery query;
    query.sha256 = HexText(Sha256(testing::Program(0x0801, testing::Noise(1500, 7))));
    Find(state, query);
}
BENCHMARK(BM_FindBySha256)->Unit(benchmark::kMillisecond);

// A pattern no file holds: every distinct file's bytes are read.
void BM_FindByBytes(benchmark::State& state) {
    CatalogQuery query;
    query.bytes = std::vector<int>{0x4C, -1, 0xEA, 0xEA, 0x60, 0x00, 0xFF};
    Find(state, query);
    state.counters["bytes/s"] =
        benchmark::Counter(18200.0 * 1502, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FindByBytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrune

BENCHMARK_MAIN();
