// The renderers on a 64 KB file (65,532 bytes, as 258 blocks hold), a 64 KB BASIC program with its
// dialect found, a search through the disassembly, the file as 64tass source, and each picture
// format drawn from noise and written as PNG.
#include <benchmark/benchmark.h>

#include <sstream>

#include "cli/png_file.h"

#include "tests/support/basic_program.h"
#include "tests/support/disk_builder.h"
#include "viewer/search.h"
#include "views/assembly_source.h"
#include "views/basic_listing.h"
#include "views/disassembly.h"
#include "views/hex_dump.h"
#include "views/palettes.h"
#include "views/pictures.h"
#include "views/text_views.h"

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kLargestFile = 65532;

void BM_HexDump(benchmark::State& state) {
    const Bytes data = testing::Noise(kLargestFile);
    for (auto _ : state)
        benchmark::DoNotOptimize(HexDump(data, 0x0801));
}
BENCHMARK(BM_HexDump)->Unit(benchmark::kMicrosecond);

void BM_Disassembly(benchmark::State& state) {
    const Bytes data = testing::Noise(kLargestFile);
    for (auto _ : state)
        benchmark::DoNotOptimize(Disassemble(data, 0x0801));
}
BENCHMARK(BM_Disassembly)->Unit(benchmark::kMicrosecond);

void BM_TextViews(benchmark::State& state) {
    const Bytes data = testing::Noise(kLargestFile);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScrCodeText(data));
        benchmark::DoNotOptimize(PetsciiText(data));
    }
}
BENCHMARK(BM_TextViews)->Unit(benchmark::kMicrosecond);

// 3,000 lines of typical BASIC in 64 KB: keywords, variables, strings with colours and runs.
void BM_BasicListing(benchmark::State& state) {
    std::vector<testing::BasicLine> lines;
    const Bytes printLine = {0x99, 0x22, 0x93, 0x11, 0x11, 0x48, 0x49,
                             0x20, 0x20, 0x20, 0x58, 0x22, 0x3B, 0x41};
    const Bytes forLine = {0x81, 0x49, 0xB2, 0x31, 0xA4, 0x31, 0x30, 0x30, 0x3A, 0x97,
                           0x35, 0x33, 0x32, 0x38, 0x30, 0x2C, 0x49, 0x3A, 0x82};
    for (std::uint16_t number = 1; lines.size() < 3000; ++number) {
        lines.push_back({number, number % 2 ? printLine : forLine});
    }
    const Bytes program = testing::BasicProgram(0x0801, lines);
    state.counters["bytes"] = static_cast<double>(program.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ListBasic(program));
}
BENCHMARK(BM_BasicListing)->Unit(benchmark::kMicrosecond);

// The 1.4 MB disassembly of 64 KB searched for a common mnemonic.
void BM_SearchDisassembly(benchmark::State& state) {
    const std::u16string text = Disassemble(testing::Noise(kLargestFile), 0x0801);
    state.counters["chars"] = static_cast<double>(text.size());
    for (auto _ : state) {
        const SearchHits hits = FindText(text, u"LDA");
        state.counters["hits"] = static_cast<double>(hits.size());
    }
}
BENCHMARK(BM_SearchDisassembly)->Unit(benchmark::kMicrosecond);

void BM_AssemblySource(benchmark::State& state) {
    Bytes data = testing::Noise(kLargestFile);
    data[0] = 0x01;
    data[1] = 0x08;
    for (auto _ : state)
        benchmark::DoNotOptimize(AssemblySource(data));
}
BENCHMARK(BM_AssemblySource)->Unit(benchmark::kMicrosecond);

// Each format by its row in the table, drawn from a file of its size (packed forms from a
// picture of runs as they unpack it, sprites and characters from 64 KiB), and a Koala picture in
// RGB written as PNG.
Bytes PictureFile(const PictureFormat& format) {
    // Sprites and characters: the most one picture draws, 64 KiB of them.
    if (TakesColours(format)) return testing::Noise(65536);
    if (format.packing == Packing::None) return testing::Noise(format.size);
    Bytes packed;
    const std::uint8_t escape = format.packing == Packing::EscapeFe ? 0xFE : 0xC2;
    for (std::size_t made = 0; made < format.size; made += 40) {
        packed.insert(packed.end(), {0x11, 0x22});
        if (format.packing == Packing::EscapeFe) {
            packed.insert(packed.end(), {escape, 0x33, 38});
        } else {
            packed.insert(packed.end(), {escape, 38, 0x33});
        }
    }
    if (format.packing == Packing::EscapeC2) packed.insert(packed.end(), {0xC2, 0x00});
    return packed;
}

void BM_DrawPicture(benchmark::State& state) {
    const PictureFormat& format = PictureFormats[static_cast<std::size_t>(state.range(0))];
    const Bytes file = PictureFile(format);
    state.SetLabel(std::string(format.key));
    for (auto _ : state) {
        const Picture picture = DrawPicture(format, format.loadAddress, file);
        benchmark::DoNotOptimize(PictureRgb(picture, Palettes[0].rgb));
    }
}
BENCHMARK(BM_DrawPicture)->DenseRange(0, PictureFormats.size() - 1)->Unit(benchmark::kMicrosecond);

void BM_PictureAsPng(benchmark::State& state) {
    const Picture picture = DrawPicture(PictureFormats[0], 0x6000, testing::Noise(10001));
    const Bytes rgb = PictureRgb(picture, Palettes[0].rgb);
    for (auto _ : state) {
        std::ostringstream out;
        cli::WritePng(out, picture.width, picture.height, rgb);
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(BM_PictureAsPng)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrune
