#include "image/loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/disk_builder.h"
#include "tests/support/printers.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::DiskBuilder;
using testing::TempDir;

// Answers the loader's questions from a list and records them.
struct Asker {
    std::vector<bool> answers;
    std::vector<Message> asked;

    AskYesNo Function() {
        return [this](const Message& question) {
            asked.push_back(question);
            const bool answer = asked.size() <= answers.size() && answers[asked.size() - 1];
            return answer;
        };
    }
};

class LoaderTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, std::size_t size, bool goodHeader = true) {
        DiskBuilder disk(std::max<std::size_t>(size, kMinimumImageSize));
        if (!goodHeader) disk.HeaderLink(0x12, 0x04);
        disk.bytes().resize(size);
        return disk.WriteTo(dir_ / name).string();
    }

    LoadOutcome Load(const std::string& path, std::vector<bool> answers = {}) {
        asker_ = Asker{std::move(answers), {}};
        return LoadImage(path, asker_.Function(), {});
    }

    TempDir dir_;
    Asker asker_;
};

// D64 of 35, 40 or 42 tracks and D71, each with or without error bytes, under either extension.
TEST_F(LoaderTest, KnownSizesLoadWithoutQuestion) {
    for (const auto& [name, size] : {std::pair{"GAMES.D64", kD64Size},
                                     {"two.d71", kD71Size},
                                     {"one.d71", kD64Size},
                                     {"big.d64", kD71Size},
                                     {"errors.d64", std::uint64_t{175531}},
                                     {"forty.d64", std::uint64_t{196608}},
                                     {"forty-errors.d64", std::uint64_t{197376}},
                                     {"fortytwo.d64", std::uint64_t{205312}},
                                     {"fortytwo-errors.d64", std::uint64_t{206114}},
                                     {"errors.d71", std::uint64_t{351062}}}) {
        const LoadOutcome outcome = Load(Write(name, size));
        ASSERT_TRUE(outcome.volume) << name;
        EXPECT_EQ(outcome.volume->image.size(), size);
        EXPECT_FALSE(outcome.message);
        EXPECT_TRUE(asker_.asked.empty()) << name;
    }
    EXPECT_EQ(Load(Write("GAMES.D64", kD64Size)).caption, u"Kestrune - GAMES.D64");
    EXPECT_EQ(Load(Write("mixed-Case.d64", kD64Size)).caption, u"Kestrune - MIXED-CASE.D64");
}

TEST_F(LoaderTest, TheWholeFileIsReadByteForByte) {
    DiskBuilder disk(kD64Size + 683);
    for (std::size_t i = 0; i < disk.bytes().size(); ++i) {
        if (i < kHeaderOffset || i >= kHeaderOffset + 2)
            disk.bytes()[i] = static_cast<std::uint8_t>(i * 7);
    }
    const auto path = disk.WriteTo(dir_ / "errors.d64").string();
    const LoadOutcome outcome = Load(path, {true});
    ASSERT_TRUE(outcome.volume);
    EXPECT_EQ(outcome.volume->image.data, disk.bytes());
}

TEST_F(LoaderTest, FileOfNoKnownKindIsNotAnImage) {
    for (const char* name : {"disk.txt", "disk", "disk.d64.bak"}) {
        const LoadOutcome outcome = Load(Write(name, 3000));
        ASSERT_TRUE(outcome.message) << name;
        EXPECT_EQ(outcome.message->id, MessageId::NotAnImage);
        EXPECT_EQ(outcome.message->kind, MessageKind::Warning);
        // The message says what is read instead.
        EXPECT_EQ(outcome.message->text,
                  Utf8ToUtf16(name) +
                      u"\n\nNot a disk image, archive or Commodore file that Kestrune reads.\n\n"
                      u"It reads D64, D71, D81, D80, D82, D1M, D2M, D4M, DNP, G64, G71, NIB, NBZ, "
                      u"X64, T64, LNX, ARC and SDA images and archives, TAP tapes, CRT cartridges, "
                      u"GEOS files in the Convert layout (CVT), PC64 files (P00, S00, U00, R00, "
                      u"D00), Commodore files on their own (PRG, SEQ, USR, REL, DEL), and any of "
                      u"these in a ZIP or GZ archive"
                      u".");
        EXPECT_FALSE(outcome.volume);
        EXPECT_EQ(outcome.caption, u"Kestrune");
    }
}

TEST_F(LoaderTest, PathsThatCannotBeOpened) {
    std::filesystem::create_directory(dir_ / "folder.d64");
    ASSERT_EQ(::mkfifo((dir_ / "pipe.d64").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", dir_ / "device.d64");
    std::filesystem::create_directory(dir_ / "disks");
    // Each names the file and why it cannot be opened, whatever its name says it is.
    const std::pair<const char*, std::u16string_view> cases[] = {
        {"missing.d64", u"there is no such file"},
        {"folder.d64", u"it is a folder"},
        {"disks", u"it is a folder"},
        {"pipe.d64", u"it is not a regular file"},
        {"device.d64", u"it is not a regular file"},
    };
    for (const auto& [name, why] : cases) {
        const LoadOutcome outcome = Load((dir_ / name).string());
        ASSERT_TRUE(outcome.message) << name;
        EXPECT_EQ(*outcome.message,
                  (Message{MessageId::CannotOpen, MessageKind::Error,
                           u"\"" + Utf8ToUtf16(name) + u"\"\n\nUnable to open file: " +
                               std::u16string(why) + u"."}));
        EXPECT_FALSE(outcome.volume);
    }
}

TEST_F(LoaderTest, UnreadableFileCannotBeOpened) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const auto path = Write("secret.d64", kD64Size);
    std::filesystem::permissions(path, std::filesystem::perms::none);
    EXPECT_EQ(Load(path).message->text,
              u"\"secret.d64\"\n\nUnable to open file: permission denied.");
}

TEST_F(LoaderTest, TooSmallNamesTheRealMinimum) {
    const LoadOutcome outcome = Load(Write("tiny.d64", 91393));
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->kind, MessageKind::Error);
    EXPECT_EQ(
        outcome.message->text,
        u"\"tiny.d64\"\n\nFile is too small to be a D64 or D71 image file.\n\n          File size: "
        u"91393\nMinimum size: 91394\n\nSelect another image.");
    EXPECT_TRUE(asker_.asked.empty());
    EXPECT_EQ(Load(Write("empty.d71", 0)).message->id, MessageId::TooSmall);
}

TEST_F(LoaderTest, WrongSizeAsksNamingTheExtensionAndExpectedSize) {
    const auto path = Write("Errors.d64", kD64Size + 684);
    EXPECT_FALSE(Load(path, {false}).volume);
    ASSERT_EQ(asker_.asked.size(), 1u);
    EXPECT_EQ(asker_.asked[0].kind, MessageKind::Question);
    EXPECT_EQ(
        asker_.asked[0].text,
        u"\"Errors.d64\"\n\nFile is not the correct size\nfor a .D64 image file\n\n         File "
        u"size: 175532\nExpected size: 174848\n\nContinue?");

    const LoadOutcome yes = Load(path, {true});
    EXPECT_TRUE(yes.volume);
    EXPECT_FALSE(yes.message);

    Load(Write("odd.D71", 200000), {false});
    ASSERT_EQ(asker_.asked.size(), 1u);
    EXPECT_NE(asker_.asked[0].text.find(u"for a .D71 image file"), std::u16string::npos);
    EXPECT_NE(asker_.asked[0].text.find(u"Expected size: 349696"), std::u16string::npos);
}

TEST_F(LoaderTest, DeclinedQuestionsLeaveNoImageAndNoFurtherMessage) {
    const LoadOutcome outcome = Load(Write("odd.d64", 100000), {false});
    EXPECT_FALSE(outcome.volume);
    EXPECT_FALSE(outcome.message);
    EXPECT_EQ(outcome.caption, u"Kestrune");
}

TEST_F(LoaderTest, BadHeaderAsksAfterWrongSize) {
    const auto path = Write("bad.d64", kD64Size, /*goodHeader=*/false);
    EXPECT_FALSE(Load(path, {false}).volume);
    ASSERT_EQ(asker_.asked.size(), 1u);
    EXPECT_EQ(asker_.asked[0].kind, MessageKind::Question);
    EXPECT_EQ(
        asker_.asked[0].text,
        u"\"bad.d64\"\n\nInvalid bytes found at:\n\nTrack: 18\nSector: 0\n\nPossible invalid or "
        u"corrupt image\n\nContinue?");
    EXPECT_TRUE(Load(path, {true}).volume);

    // Yes to the size question still leads to the header test.
    const auto odd = Write("odd.d64", 100000, /*goodHeader=*/false);
    EXPECT_TRUE(Load(odd, {true, true}).volume);
    ASSERT_EQ(asker_.asked.size(), 2u);
    EXPECT_EQ(asker_.asked[0].id, MessageId::WrongSize);
    EXPECT_EQ(asker_.asked[1].id, MessageId::BadHeader);
}

TEST_F(LoaderTest, TheSmallestImageSkipsTheHeaderTest) {
    const auto path = Write("min.d64", kMinimumImageSize, /*goodHeader=*/false);
    const LoadOutcome outcome = Load(path, {true});
    EXPECT_TRUE(outcome.volume);
    ASSERT_EQ(asker_.asked.size(), 1u);
    EXPECT_EQ(asker_.asked[0].id, MessageId::WrongSize);

    Load(Write("next.d64", kMinimumImageSize + 1, /*goodHeader=*/false), {true, false});
    EXPECT_EQ(asker_.asked.size(), 2u);
}

TEST_F(LoaderTest, TooLargeFilesAreNotRead) {
    const auto path = (dir_ / "huge.d64").string();
    { std::ofstream create(path); }
    std::filesystem::resize_file(path, kMaximumImageSize + 1);  // sparse: costs no disk space
    const LoadOutcome outcome = Load(path, {true, true});
    ASSERT_TRUE(outcome.message);
    EXPECT_EQ(outcome.message->kind, MessageKind::Error);
    EXPECT_EQ(
        outcome.message->text,
        u"\"huge.d64\"\n\nFile is too large to be read as a disk image.\n\nFile size: 67108865"
        u"\n\nSelect another image.");
    EXPECT_FALSE(outcome.volume);
}

TEST(LoaderMessages, DirectoryMessages) {
    EXPECT_EQ(ReadErrorMessage(u"x.d64").text, u"x.d64\n\nError reading image.");
    EXPECT_EQ(ReadErrorMessage(u"x.d64").kind, MessageKind::Error);
    EXPECT_EQ(FilesFoundMessage(u"Games.d64", u"MY DISK", 1).text,
              u"File: Games.d64\n\nDisk: MY DISK\n\n1 files found");
    EXPECT_EQ(FilesFoundMessage(u"a", u"b", 2).kind, MessageKind::Information);
}

}  // namespace
}  // namespace kestrune
