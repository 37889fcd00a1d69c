// Every program of the fixture disk, the demo disk and the real images of ../shared/corpus/ as
// 64tass source, assembled by the real 64tass: the output must be the program's bytes exactly.
// Fails when 64tass is missing; scripts/setup installs it.
#include "views/assembly_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "image/directory.h"
#include "image/file_chain.h"
#include "image/loader.h"
#include "tests/support/disk_builder.h"
#include "tests/support/fixture_disk.h"
#include "tests/support/run_program.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Assembled(const testing::TempDir& dir, std::u16string_view source) {
    const auto input = dir / "program.asm";
    const auto output = dir / "program.prg";
    std::filesystem::remove(output);
    std::ofstream(input, std::ios::binary) << Utf16ToUtf8(source);
    testing::RunProgram("/usr/bin/64tass", {"--quiet", "-o", output.string(), input.string()});
    std::ifstream in(output, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(AssemblySource, ReadsLikeTheAssemblyView) {
    const Bytes program = {0x00, 0xC0, 0xA9, 0x93, 0x20, 0xD2, 0xFF, 0xAD,
                           0x2B, 0x00, 0xD0, 0xF6, 0xA7, 0x12, 0xB0};
    EXPECT_EQ(AssemblySource(program),
              u"\t* = $c000\r\n"
              u"\tlda #$93\r\n"
              u"\tjsr $ffd2\t; print char in [a]\r\n"
              u"\tlda @w $002b\t\t; start of BASIC low byte\r\n"
              u"\tbne $c000\r\n"
              u"\t.byte $a7\r\n"
              u"\t.byte $12\r\n"
              u"\t.byte $b0\r\n");
}

TEST(AssemblySource, EveryProgramReassemblesToItsBytes) {
    ASSERT_EQ(testing::RunProgram("/usr/bin/64tass", {"--version"}).exitCode, 0)
        << "64tass is missing";
    testing::TempDir dir;
    std::vector<std::filesystem::path> images = {
        testing::FixtureDisk().WriteTo(dir / "fixture.d64"),
        std::filesystem::path(KESTRUNE_SOURCE_DIR) / "samples" / "demo.d64"};
    if (std::filesystem::exists(KESTRUNE_CORPUS_DIR)) {
        for (const auto& entry : std::filesystem::directory_iterator(KESTRUNE_CORPUS_DIR)) {
            const std::string extension = AsciiLower(entry.path().extension().string());
            if (extension == ".d64" || extension == ".d71") images.push_back(entry.path());
        }
    }
    // A program file holds 64 KB from its load address: a file that runs past $ffff, or holds
    // nothing after its load address, cannot be one that 64tass writes.
    int programs = 0, identical = 0, beyond = 0;
    for (std::size_t index = 0; index < images.size(); ++index) {
        const auto& path = images[index];
        LoadOutcome loaded = LoadImage(path.string(), [](const Message&) { return true; }, {});
        if (!loaded.volume) {
            EXPECT_GE(index, 2u) << "our own image does not load: " << path;
            continue;
        }
        FileChain chain;
        for (const DirectoryEntry& entry : loaded.volume->entries) {
            if (!entry.loadAddress) continue;
            ReadFile(chain, *loaded.volume, entry);
            const auto data = chain.Data();
            if (data.size() < 2) continue;
            if (data.size() == 2 || (data[0] | (data[1] << 8)) + data.size() - 2 > 0x10000) {
                ++beyond;
                continue;
            }
            ++programs;
            const Bytes bytes(data.begin(), data.end());
            if (Assembled(dir, AssemblySource(bytes)) == bytes) {
                ++identical;
            } else {
                ADD_FAILURE() << path.filename() << " track " << int{entry.track} << " sector "
                              << int{entry.sector};
            }
        }
    }
    std::printf("%d of %d programs reassemble to their bytes; %d cannot be a program file\n",
                identical, programs, beyond);
    EXPECT_GT(programs, 5);
}

}  // namespace
}  // namespace kestrune
