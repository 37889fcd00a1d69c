// ZipCode sets as disk2zip writes them: each part opens the whole disk, sector for sector the
// image it was made from; a set that lacks a part, or a part that breaks off, is read as far as
// it goes and says what is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "image/loader.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"

namespace kestrune {
namespace {

using testing::Bytes;

const std::filesystem::path kCorpus = KESTRUNE_CORPUS_DIR;

LoadOutcome Load(const std::filesystem::path& path) {
    return LoadImage(path.string(), [](const Message&) { return false; }, {});
}

// A disk of one file.
std::filesystem::path OurDisk(const std::filesystem::path& path) {
    testing::DiskBuilder disk;
    disk.AddFile("HELLO", 0x82, testing::Noise(5000));
    return disk.WriteTo(path);
}

// disk2zip's parts of an image, written into dir as 1!NAME ... 4!NAME.
void Zip(const std::filesystem::path& image, const std::filesystem::path& dir) {
    const std::string command =
        "cd " + dir.string() + " && disk2zip " + image.string() + " name >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(ZipCode, EveryPartOpensTheDiskItWasMadeFrom) {
    testing::TempDir dir;
    // A disk of ours, and real disks when the corpus is there.
    std::vector<std::filesystem::path> images = {OurDisk(dir / "ours.d64")};
    for (const char* name : {"area10_gd64v2991e2.d64", "vice_lorenz_Disk1.d64"}) {
        if (std::filesystem::exists(kCorpus / name)) images.push_back(kCorpus / name);
    }
    for (const std::filesystem::path& image : images) {
        SCOPED_TRACE(image.filename().string());
        const std::filesystem::path set = dir / ("set-" + image.stem().string());
        std::filesystem::create_directory(set);
        Zip(image, set);
        std::ifstream in(image, std::ios::binary);
        const Bytes original(std::istreambuf_iterator<char>(in), {});
        for (const char* part : {"1!name", "2!name", "3!name", "4!name"}) {
            const LoadOutcome loaded = Load(set / part);
            ASSERT_TRUE(loaded.volume) << part;
            EXPECT_EQ(loaded.volume->format, "zipcode");
            EXPECT_EQ(loaded.volume->fault, u"");
            EXPECT_TRUE(loaded.volume->image.data == original) << part;
        }
    }
}

TEST(ZipCode, FilledAndRawSectorsAreLaidWhereTheySay) {
    testing::TempDir dir;
    testing::DiskBuilder disk;
    disk.AddFile("HELLO", 0x82, testing::Noise(20000));
    const std::vector<Bytes> parts = testing::ZipCodeParts(disk.bytes());
    for (std::size_t part = 0; part < parts.size(); ++part)
        testing::WriteFile(dir / (std::to_string(part + 1) + "!set"), parts[part]);
    const LoadOutcome loaded = Load(dir / "4!set");
    ASSERT_TRUE(loaded.volume);
    EXPECT_EQ(loaded.volume->fault, u"");
    EXPECT_TRUE(loaded.volume->image.data == disk.bytes());
}

TEST(ZipCode, MissingAndBrokenPartsAreNamed) {
    testing::TempDir dir;
    const std::filesystem::path image = OurDisk(dir / "disk.d64");
    Zip(image, dir.path());
    std::filesystem::remove(dir / "3!name");
    LoadOutcome loaded = Load(dir / "1!name");
    ASSERT_TRUE(loaded.volume);
    EXPECT_EQ(loaded.volume->fault, u"ZipCode: 3!name is missing: tracks 17-25 are empty");

    // A part whose first sector names a track of another part.
    std::ofstream(dir / "3!name", std::ios::binary).write("\x00\x04\x01\x00\x00", 5);
    loaded = Load(dir / "2!name");
    ASSERT_TRUE(loaded.volume);
    EXPECT_EQ(loaded.volume->fault, u"ZipCode: 3!name names a sector it does not hold at byte 2");
}

}  // namespace
}  // namespace kestrune
