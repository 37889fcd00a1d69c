// ARC and SDA archives in every packing mode open to the files they hold, as cbmconvert
// extracts them; damage is named, and an archive that unpacks to more than the viewer reads is
// cut off where it says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/opened_volume.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::ArcEntry;
using testing::Bytes;
using testing::FileOf;
using testing::NameOf;
using testing::OpenOrFail;

// A program with runs and every byte value, a text with $FE bytes, a REL file.
std::vector<ArcEntry> Entries(int mode) {
    Bytes program = testing::Program(0x0801, testing::Noise(3000, 4));
    program.insert(program.end(), 700, 0x00);
    program.insert(program.end(), {0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 1, 0xFE});
    Bytes text;
    for (int i = 0; i < 400; ++i)
        text.insert(text.end(), {'A', 'B', 'A', 'B', 'C', 13, 0xFE, 0xFF});
    return {{"GAME", 'P', program, mode, 0},
            {"NOTES", 'S', text, mode, 0},
            {"RECORDS", 'R', Bytes(254 * 3, 0x41), mode, 64}};
}

TEST(Arc, EveryModeOpensToTheFilesCbmconvertExtracts) {
    testing::TempDir dir;
    for (int mode = 0; mode <= 5; ++mode) {
        for (const bool sda : {false, true}) {
            SCOPED_TRACE(std::to_string(mode) + (sda ? " sda" : " arc"));
            const std::vector<ArcEntry> entries = Entries(mode);
            const Bytes bytes = sda ? testing::SdaArchive(entries) : testing::ArcArchive(entries);
            const Volume volume = OpenOrFail(sda ? "files.sda" : "files.arc", bytes);
            EXPECT_EQ(volume.format, sda ? "sda" : "arc");
            EXPECT_EQ(Utf16ToUtf8(volume.fault),
                      sda ? "SDA (self-dissolving ARC) archive: 3 files" : "ARC archive: 3 files");
            ASSERT_EQ(volume.entries.size(), 3u);
            EXPECT_EQ(volume.entries[0].type, 0x82);
            EXPECT_EQ(volume.entries[0].loadAddress, 0x0801);
            EXPECT_EQ(volume.entries[1].type, 0x81);
            EXPECT_EQ(volume.entries[2].type, 0x84);
            EXPECT_EQ(volume.entries[2].recordLength, 64);

            const std::filesystem::path out =
                dir / ("out" + std::to_string(mode) + (sda ? "s" : "a"));
            std::filesystem::create_directory(out);
            const std::filesystem::path archive = testing::WriteFile(out / "in.arc", bytes);
            const std::string command =
                "cd " + out.string() + " && cbmconvert -N -a in.arc >/dev/null 2>&1";
            ASSERT_EQ(std::system(command.c_str()), 0);
            for (std::size_t row = 0; row < entries.size(); ++row) {
                EXPECT_EQ(NameOf(volume.entries[row]), entries[row].name);
                EXPECT_EQ(FileOf(volume, row), entries[row].data) << row;
                std::string host = entries[row].name;
                for (char& c : host)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                // cbmconvert names a REL file by its record length.
                const char* extension[] = {".prg", ".seq", ".l40"};
                std::ifstream in(out / (host + extension[row]), std::ios::binary);
                const Bytes extracted(std::istreambuf_iterator<char>(in), {});
                EXPECT_EQ(extracted, entries[row].data) << host;
            }
        }
    }
}

TEST(Arc, DamageIsNamedAndUnpackingIsBounded) {
    // A crunched archive cut short, one with a changed byte, one whose entry takes no block.
    Bytes cut = testing::ArcArchive(Entries(3));
    cut.resize(600);
    Volume volume = OpenOrFail("cut.arc", cut);
    ASSERT_EQ(volume.entries.size(), 1u);
    EXPECT_NE(volume.fault.find(u"\"GAME\" unpacks to "), std::u16string::npos)
        << Utf16ToUtf8(volume.fault);

    Bytes changed = testing::ArcArchive(Entries(0));
    changed[100] ^= 0x55;
    volume = OpenOrFail("changed.arc", changed);
    EXPECT_EQ(Utf16ToUtf8(volume.fault), "ARC archive: 3 files; \"GAME\" fails its checksum");

    Bytes noBlocks = testing::ArcArchive(Entries(0));
    noBlocks[7] = noBlocks[8] = 0;
    volume = OpenOrFail("loop.arc", noBlocks);
    EXPECT_EQ(Utf16ToUtf8(volume.fault),
              "ARC archive: 1 file; \"GAME\" takes no block, so no entry can follow it");

    // Entries that each claim 16 MiB of one byte, packed three bytes a 256-byte run.
    Bytes bomb;
    for (int entry = 0; entry < 5; ++entry) {
        const std::uint32_t size = 0xFFFFFF;
        Bytes data = {2, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 'P', 1, 'B', 0, 0, 0, 0xFE};
        for (std::uint32_t made = 0; made < size; made += 256)
            data.insert(data.end(), {0xFE, 0x00, 0x42});
        const std::size_t blocks = (data.size() + 253) / 254;
        data[7] = static_cast<std::uint8_t>(blocks);
        data[8] = static_cast<std::uint8_t>(blocks >> 8);
        data.resize(blocks * 254);
        bomb.insert(bomb.end(), data.begin(), data.end());
    }
    volume = OpenOrFail("bomb.arc", bomb);
    EXPECT_EQ(volume.held->size(), 64u << 20);
    EXPECT_NE(volume.fault.find(u"only the first 64 MiB of unpacked files are read"),
              std::u16string::npos)
        << Utf16ToUtf8(volume.fault);

    // Named as one, holding none: refused.
    const Opened none =
        OpenContents("none.arc", Bytes(300, 7), [](const Message&) { return false; });
    ASSERT_TRUE(none.message);
    EXPECT_NE(none.message->text.find(u"This ARC archive cannot be read"), std::u16string::npos);
}

}  // namespace
}  // namespace kestrune
