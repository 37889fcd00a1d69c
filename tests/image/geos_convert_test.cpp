// GEOS files in the Convert layout: every GEOS file of the corpus written out exactly as
// cbmconvert writes it, and read back to the info block and records the disk holds; a Convert
// file that is cut short read as far as it goes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "image/file_chain.h"
#include "image/geos_convert.h"
#include "image/loader.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::Bytes;

const std::filesystem::path kCorpus = KESTRUNE_CORPUS_DIR;

// Every file cbmconvert writes out of an image, as bytes.
std::set<Bytes> CbmconvertFiles(const std::filesystem::path& image) {
    testing::TempDir dir;
    const std::string command =
        "cd " + dir.path().string() + " && cbmconvert -N -d " + image.string() + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::set<Bytes> files;
    for (const auto& file : std::filesystem::directory_iterator(dir.path())) {
        std::ifstream in(file.path(), std::ios::binary);
        files.insert(Bytes(std::istreambuf_iterator<char>(in), {}));
    }
    return files;
}

Bytes FileOf(const Volume& volume, const DirectoryEntry& entry) {
    FileChain chain;
    ReadFile(chain, volume, entry);
    return {chain.Data().begin(), chain.Data().end()};
}

Bytes ChainAt(const Volume& volume, int track, int sector) {
    FileChain chain;
    Assemble(chain, volume.image, volume.layout, track, sector, volume.unreadable);
    return {chain.Data().begin(), chain.Data().end()};
}

TEST(GeosConvert, EveryGeosFileOfTheCorpusGoesOutAsCbmconvertWritesItAndComesBack) {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus folder";
    int files = 0;
    for (const auto& path : std::filesystem::directory_iterator(kCorpus)) {
        const std::string extension = path.path().extension().string();
        if (extension != ".d64" && extension != ".d71") continue;
        const LoadOutcome loaded =
            LoadImage(path.path().string(), [](const Message&) { return false; }, {});
        if (!loaded.volume) continue;
        const Volume& volume = *loaded.volume;
        std::set<Bytes> tools;
        for (const DirectoryEntry& entry : volume.entries) {
            const std::optional<Bytes> cvt = GeosConvertFile(volume, entry);
            if (!cvt) continue;
            if (tools.empty()) tools = CbmconvertFiles(path.path());
            SCOPED_TRACE(path.path().filename().string() + ": " +
                         std::string(entry.name.begin(), entry.name.end()));
            ++files;
            EXPECT_TRUE(tools.contains(*cvt));

            // Read back: the info block, then the data or each record as the disk holds it.
            const std::optional<Volume> back = OpenCvt(*cvt, "file.cvt");
            ASSERT_TRUE(back);
            ASSERT_FALSE(back->entries.empty());
            const std::optional<std::uint32_t> info =
                volume.layout.Offset(entry.auxTrack, entry.auxSector);
            ASSERT_TRUE(info);
            EXPECT_EQ(FileOf(*back, back->entries[0]),
                      Bytes(volume.image.data.begin() + *info + 2,
                            volume.image.data.begin() + *info + 256));
            std::vector<Bytes> parts;
            if (entry.recordLength != 1) {
                parts.push_back(ChainAt(volume, entry.track, entry.sector));
            } else {
                const std::uint32_t index = *volume.layout.Offset(entry.track, entry.sector);
                for (int record = 0; record < 127; ++record) {
                    const std::uint8_t track = volume.image.data[index + 2 + 2 * record];
                    const std::uint8_t sector = volume.image.data[index + 3 + 2 * record];
                    if (track != 0) parts.push_back(ChainAt(volume, track, sector));
                }
            }
            ASSERT_EQ(back->entries.size(), parts.size() + 1);
            for (std::size_t part = 0; part < parts.size(); ++part)
                EXPECT_EQ(FileOf(*back, back->entries[part + 1]), parts[part]) << part;
        }
    }
    EXPECT_GT(files, 60);
}

TEST(GeosConvert, RecordsAreReadAsFarAsTheFileGoes) {
    const Bytes first = testing::Noise(300);
    const Bytes last = testing::Noise(300 * 254 + 17, 2);  // its count wraps past 255 blocks
    Bytes file = testing::VlirConvertFile("RECORDS", {first, last});
    std::optional<Volume> volume = OpenCvt(file, "records.cvt");
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->format, "cvt");
    EXPECT_EQ(volume->disk.diskName, u"RECORDS");
    EXPECT_EQ(volume->fault, u"GEOS Convert file: a VLIR file of 2 records");
    ASSERT_EQ(volume->entries.size(), 3u);
    EXPECT_EQ(FileOf(*volume, volume->entries[0]), Bytes(254, 0x11));
    EXPECT_EQ(FileOf(*volume, volume->entries[1]), first);
    EXPECT_EQ(FileOf(*volume, volume->entries[2]), last);

    // Cut inside its first record: the records hold what is there, and say so.
    file.resize(3 * 254 + 100);
    volume = OpenCvt(file, "records.cvt");
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->fault,
              u"GEOS Convert file: a VLIR file of 2 records; record 0 holds 100 of its 300 "
              u"bytes; record 1 holds 0 of its 11,193 bytes");
    EXPECT_EQ(FileOf(*volume, volume->entries[1]), Bytes(first.begin(), first.begin() + 100));

    // Shorter than its signature and info blocks, or without the signature: no Convert file.
    EXPECT_FALSE(OpenCvt(Bytes(file.begin(), file.begin() + 400), "x.cvt"));
    EXPECT_FALSE(LooksLikeCvt(Bytes(600, 0)));
}

}  // namespace
}  // namespace kestrune
