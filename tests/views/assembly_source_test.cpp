// Every program of the fixture disk, the demo disk and the real images of ../shared/corpus/ as
// 64tass source, assembled by the real 64tass: the output must be the program's bytes exactly.
// Fails when 64tass is missing; scripts/setup installs it.
#include "views/assembly_source.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

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

// Assembles source with the command its first line names ("; 64tass OPTIONS -o OUT SOURCE").
Bytes Assembled(const testing::TempDir& dir, std::u16string_view source) {
    const auto input = dir / "program.asm";
    const auto output = dir / "program.prg";
    std::filesystem::remove(output);
    std::ofstream(input, std::ios::binary) << Utf16ToUtf8(source);
    const std::string text = Utf16ToUtf8(source);
    const std::string command = text.substr(0, text.find('\r'));
    const std::string_view prefix = "; 64tass", suffix = " -o OUT SOURCE";
    EXPECT_TRUE(command.starts_with(prefix) && command.ends_with(suffix)) << command;
    std::vector<std::string> arguments = {"--quiet"};
    std::istringstream options(
        command.substr(prefix.size(), command.size() - prefix.size() - suffix.size()));
    for (std::string option; options >> option;)
        arguments.push_back(option);
    arguments.insert(arguments.end(), {"-o", output.string(), input.string()});
    testing::RunProgram("/usr/bin/64tass", arguments);
    std::ifstream in(output, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(AssemblySource, ReadsLikeTheAssemblyView) {
    const Bytes program = {0x00, 0xC0, 0xA9, 0x93, 0x20, 0xD2, 0xFF, 0xAD,
                           0x2B, 0x00, 0xD0, 0xF6, 0xA7, 0x12, 0xB0};
    EXPECT_EQ(AssemblySource(program),
              u"; 64tass -o OUT SOURCE\r\n"
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
    // Every file, programs or not, those that run past $ffff (COMAL programs load at $ffff) and
    // those with nothing after their first two bytes among them.
    int files = 0, identical = 0;
    for (std::size_t index = 0; index < images.size(); ++index) {
        const auto& path = images[index];
        LoadOutcome loaded = LoadImage(path.string(), [](const Message&) { return true; }, {});
        if (!loaded.volume) {
            EXPECT_GE(index, 2u) << "our own image does not load: " << path;
            continue;
        }
        FileChain chain;
        for (const DirectoryEntry& entry : loaded.volume->entries) {
            if (entry.track == 0 || entry.geosType != 0 || entry.partition) continue;
            ReadFile(chain, *loaded.volume, entry);
            ++files;
            const Bytes bytes(chain.Data().begin(), chain.Data().end());
            if (Assembled(dir, AssemblySource(bytes)) == bytes) {
                ++identical;
            } else {
                ADD_FAILURE() << path.filename() << " track " << int{entry.track} << " sector "
                              << int{entry.sector};
            }
        }
    }
    std::printf("%d of %d files reassemble to their bytes\n", identical, files);
    EXPECT_GT(files, 5);
}

// Files no program file can hold: too short, nothing after the load address, past $ffff, larger
// than 64 KB.
TEST(AssemblySource, FilesNoProgramFileHoldsAreAssembledRaw) {
    testing::TempDir dir;
    Bytes large = testing::Program(0x0801, testing::Noise(70000, 5));
    const std::vector<Bytes> files = {{},
                                      {0x41},
                                      {0x01, 0x08},
                                      testing::Program(0xFFFF, testing::Noise(300, 6)),
                                      testing::Program(0xFFF0, Bytes{0xA9, 0x00, 0x8D, 0x20, 0xD0}),
                                      large};
    for (const Bytes& file : files) {
        SCOPED_TRACE(file.size());
        EXPECT_EQ(Assembled(dir, AssemblySource(file)), file);
    }
    EXPECT_EQ(AssemblySource(Bytes{0x01, 0x08}),
              u"; 64tass --nostart -o OUT SOURCE\r\n"
              u"; no byte follows the load address, so no program file holds this file: its "
              u"bytes are written as they are\r\n"
              u"\t* = $0000\r\n\t.word $0801\r\n");
    EXPECT_TRUE(AssemblySource(large).starts_with(
        u"; 64tass --m65816 --long-address --nostart -o OUT SOURCE\r\n"));
}

}  // namespace
}  // namespace kestrune
