// The collection at the scale of a large archive: an index of 100,000 D64s of ten files each
// (a million rows), written by a generator of known content, then found in by name (any part and
// a glob), load address, digest, text and a byte pattern. Each find is asked 200 times with other
// values, and its median and 95th percentile reported.
//
// The index is made once in $KESTRUNE_SCALE_DIR when set (kept between runs), else in a temporary
// folder; making it takes about a minute.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "collection/catalog.h"
#include "collection/file_record.h"
#include "collection/hashes.h"
#include "tests/support/disk_builder.h"

namespace kestrune {
namespace {

using testing::Bytes;

constexpr int kDisks = 100000;
constexpr int kFilesPerDisk = 10;
constexpr int kQueries = 200;

// The load addresses of the machine code files, spread as in a real collection: a few common,
// many rare.
std::uint16_t LoadOf(int disk, int file) {
    if (file == 0) return 0x0801;
    const std::uint32_t spread = static_cast<std::uint32_t>(disk * 7919 + file * 104729) % 4096;
    return static_cast<std::uint16_t>(0x1000 + spread * 0x10);
}

// File 0 of a disk is a BASIC program whose listing names the disk; file 1 is shared by ten
// disks; the rest are its own.
Bytes FileBytes(int disk, int file) {
    if (file == 0) {
        const std::string text = "\"HELLO FROM DISK " + std::to_string(disk) + "\"";
        Bytes line = {0x00, 0x00, 0x0A, 0x00, 0x99};  // link (mended below), 10, PRINT
        line.insert(line.end(), text.begin(), text.end());
        line.push_back(0);
        const auto next = static_cast<std::uint16_t>(0x0801 + line.size());
        line[0] = static_cast<std::uint8_t>(next & 0xFF);
        line[1] = static_cast<std::uint8_t>(next >> 8);
        line.push_back(0);
        line.push_back(0);
        return testing::Program(0x0801, line);
    }
    const auto seed = static_cast<std::uint32_t>(file == 1 ? disk / 10 : disk * 16 + file);
    return testing::Program(LoadOf(disk, file), testing::Noise(1500, seed));
}

std::string ImagePath(int disk) {
    return "/collection/disks" + std::to_string(disk / 1000) + "/disk" + std::to_string(disk) +
           ".d64";
}

SourceFile Generated(int disk) {
    SourceFile source;
    source.path = ImagePath(disk);
    source.size = 174848;
    source.modified = 1;
    ImageRecord& image = source.record.images.emplace_back();
    image.format = "d64";
    image.diskName = "DISK " + std::to_string(disk);
    image.diskId = "01";
    image.sha1 = Sha1(testing::Noise(64, static_cast<std::uint32_t>(disk)));
    image.findings = 0;
    for (int file = 0; file < kFilesPerDisk; ++file) {
        FileRow& row = image.files.emplace_back();
        row.row = file + 1;
        row.name = "game " + std::to_string(disk) + "-" + std::to_string(file);
        row.type = "prg";
        row.blocks = 6;
        row.load = LoadOf(disk, file);
        row.bytes = FileBytes(disk, file);
        row.sha1 = Sha1(*row.bytes);
        row.sha256 = Sha256(*row.bytes);
        row.text = SearchText(*row.bytes);
    }
    return source;
}

struct Scale {
    std::filesystem::path index;
    std::uint64_t distinctBytes = 0;
};

const Scale& Index() {
    static std::optional<testing::TempDir> temporary;
    static const Scale scale = [] {
        std::filesystem::path folder;
        if (const char* kept = std::getenv("KESTRUNE_SCALE_DIR")) {
            folder = kept;
            std::filesystem::create_directories(folder);
        } else {
            folder = temporary.emplace().path();
        }
        Scale made{folder / "scale.sqlite", 0};
        const bool exists = std::filesystem::exists(made.index);
        std::string why;
        std::optional<Catalog> catalog = Catalog::Open(made.index.string(), false, why);
        if (!catalog) throw std::runtime_error(why);
        if (!exists) {
            std::vector<SourceFile> batch;
            for (int disk = 0; disk < kDisks; ++disk) {
                batch.push_back(Generated(disk));
                if (batch.size() == 256 || disk + 1 == kDisks) {
                    catalog->Store(batch);
                    batch.clear();
                }
            }
        }
        // Distinct files: nine of each disk's own, and one shared by ten disks.
        for (int disk = 0; disk < kDisks; ++disk) {
            for (int file = 0; file < kFilesPerDisk; ++file) {
                if (file != 1 || disk % 10 == 0) made.distinctBytes += FileBytes(disk, file).size();
            }
        }
        return made;
    }();
    return scale;
}

// Asks each query in turn, timing each; reports the median and the 95th percentile.
void Percentiles(benchmark::State& state, const std::vector<CatalogQuery>& queries) {
    std::string why;
    std::optional<Catalog> catalog = Catalog::Open(Index().index.string(), false, why);
    if (!catalog) throw std::runtime_error(why);
    std::vector<double> milliseconds;
    std::size_t hits = 0;
    for (auto _ : state) {
        milliseconds.clear();
        hits = 0;
        for (const CatalogQuery& query : queries) {
            const auto start = std::chrono::steady_clock::now();
            hits += catalog->Find(query).size();
            milliseconds.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    state.counters["p50 ms"] = milliseconds[milliseconds.size() / 2];
    state.counters["p95 ms"] = milliseconds[milliseconds.size() * 95 / 100];
    state.counters["hits/query"] = static_cast<double>(hits) / static_cast<double>(queries.size());
}

template <typename Fill>
std::vector<CatalogQuery> Queries(Fill fill) {
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> disk(0, kDisks - 1);
    std::vector<CatalogQuery> queries(kQueries);
    for (CatalogQuery& query : queries)
        fill(query, disk(random));
    return queries;
}

void BM_ScaleFindNamePart(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int disk) {
                    q.name = "me " + std::to_string(disk) + "-";
                }));
}
BENCHMARK(BM_ScaleFindNamePart)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleFindNameGlob(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int disk) {
                    q.name = "GAME " + std::to_string(disk) + "-?";
                }));
}
BENCHMARK(BM_ScaleFindNameGlob)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleFindLoad(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int disk) { q.load = LoadOf(disk, 5); }));
}
BENCHMARK(BM_ScaleFindLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

// The address a tenth of the files load at, its first hundred.
void BM_ScaleFindCommonLoadFirst100(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int) {
                    q.load = 0x0801;
                    q.limit = 100;
                }));
}
BENCHMARK(BM_ScaleFindCommonLoadFirst100)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleFindSha1(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int disk) {
                    q.sha1 = HexText(Sha1(FileBytes(disk, 3)));
                }));
}
BENCHMARK(BM_ScaleFindSha1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleFindSha256(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int disk) {
                    q.sha256 = HexText(Sha256(FileBytes(disk, 1)));
                }));
}
BENCHMARK(BM_ScaleFindSha256)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ScaleFindText(benchmark::State& state) {
    Percentiles(state, Queries([](CatalogQuery& q, int disk) {
                    q.text = "from disk " + std::to_string(disk) + "\"";
                }));
}
BENCHMARK(BM_ScaleFindText)->Unit(benchmark::kMillisecond)->Iterations(1);

// A pattern no file holds: every distinct file's bytes are read.
void BM_ScaleFindBytes(benchmark::State& state) {
    std::string why;
    std::optional<Catalog> catalog = Catalog::Open(Index().index.string(), false, why);
    if (!catalog) throw std::runtime_error(why);
    CatalogQuery query;
    query.bytes = std::vector<int>{0x4C, -1, 0xEA, 0xEA, 0x60, 0x00, 0xFF, 0x13};
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog->Find(query).size());
    state.counters["bytes/s"] = benchmark::Counter(static_cast<double>(Index().distinctBytes),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ScaleFindBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_ScaleIndexSize(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(Index().index);
    state.counters["index MB"] =
        static_cast<double>(std::filesystem::file_size(Index().index)) / 1e6;
    state.counters["images MB"] = kDisks * 174848.0 / 1e6;
}
BENCHMARK(BM_ScaleIndexSize)->Iterations(1);

}  // namespace
}  // namespace kestrune

BENCHMARK_MAIN();
