// Real images from public repositories, used from ../shared/corpus when that folder exists.
#include <gtest/gtest.h>

#include <filesystem>

#include "image/directory.h"
#include "image/file_chain.h"
#include "image/loader.h"
#include "tests/support/printers.h"
#include "tests/support/row_texts.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

const std::filesystem::path kCorpus = KESTRUNE_CORPUS_DIR;

std::optional<DiskImage> LoadCorpus(const char* name, bool answer = false) {
    if (!std::filesystem::exists(kCorpus / name)) return std::nullopt;
    std::optional<Volume> volume =
        LoadImage((kCorpus / name).string(), [answer](const Message&) { return answer; }, {})
            .volume;
    if (!volume) return std::nullopt;
    return std::move(volume->image);
}

#define LOAD_OR_SKIP(variable, ...)                                            \
    const auto variable = LoadCorpus(__VA_ARGS__);                             \
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus folder"; \
    ASSERT_TRUE(variable)

TEST(Corpus, FullDirectoriesListAll144Files) {
    for (const char* name : {"vice_lorenz_Disk1.d64", "xd2031_dir144_1571.d71"}) {
        LOAD_OR_SKIP(image, name);
        const Directory directory = ReadDirectory(*image);
        EXPECT_EQ(directory.entries.size(), 144u) << name;
        EXPECT_FALSE(directory.readError);
        for (const auto& row : testing::RowsOf(directory))
            EXPECT_EQ(row[ColumnType], u"prg") << name;
    }
}

TEST(Corpus, WholeDiskFileIsReadWhole) {
    LOAD_OR_SKIP(image, "xd2031_fullfile_1541.d64");
    const Directory directory = ReadDirectory(*image);
    ASSERT_EQ(directory.entries.size(), 1u);
    EXPECT_EQ(testing::RowsOf(directory)[0][ColumnSize], u" 664");
    EXPECT_EQ(directory.disk.blocksFree, 0);
    FileChain chain;
    Assemble(chain, *image, directory.entries[0].track, directory.entries[0].sector);
    // All 664 blocks are read.
    EXPECT_EQ(chain.Read().size(), 664u * 254);
    EXPECT_GT(chain.length, 663 * 254);
}

TEST(Corpus, CpmDiskAsksAboutItsHeader) {
    if (!std::filesystem::exists(kCorpus)) GTEST_SKIP() << "no corpus folder";
    std::vector<MessageId> asked;
    const LoadOutcome outcome = LoadImage((kCorpus / "xahmol_cpmutools.d64").string(),
                                          [&](const Message& question) {
                                              asked.push_back(question.id);
                                              return false;
                                          },
                                          {});
    EXPECT_FALSE(outcome.volume);
    EXPECT_EQ(asked, std::vector<MessageId>{MessageId::BadHeader});
}

TEST(Corpus, OddBamCountsOnlyTheFirstBytesOfTracksOtherThan18) {
    LOAD_OR_SKIP(image, "area10_mp33r11aes1.d64");
    const Directory directory = ReadDirectory(*image);
    // Track 18 says 16 free (not counted), track 31 says 1 and tracks 32 to 35 say 17 each.
    EXPECT_EQ(directory.disk.blocksFree, 1 + 4 * 17);
    EXPECT_EQ(directory.disk.dosType, u"3D");
    EXPECT_EQ(directory.entries.size(), 9u);
}

TEST(Corpus, LoopingChainEnds) {
    LOAD_OR_SKIP(image, "lci_simpletest-loop.d64");
    const Directory directory = ReadDirectory(*image);
    EXPECT_EQ(directory.entries.size(), 76u);
    FileChain chain;
    for (const DirectoryEntry& entry : directory.entries) {
        Assemble(chain, *image, entry.track, entry.sector);
        EXPECT_LE(chain.length, 664 * 254);
    }
}

}  // namespace
}  // namespace kestrune
