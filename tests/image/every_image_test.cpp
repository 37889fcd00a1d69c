// Every image a file holds, read without a question: an archive's members each with their
// partitions, a file that needs a question answered, a file that cannot be read, and a native
// partition whose subdirectory holds itself, read only so deep.
#include <gtest/gtest.h>

#include "image/loader.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::Bytes;

struct Seen {
    std::string member;
    std::vector<int> partition;
    std::string format;
    std::size_t rows = 0;
    std::size_t bytes = 0;
    std::string message;

    bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
    *out << seen.member << " [";
    for (const int row : seen.partition)
        *out << row << ' ';
    *out << "] " << seen.format << ' ' << seen.rows << " rows " << seen.bytes << " bytes "
         << seen.message;
}

std::vector<Seen> Every(const std::filesystem::path& path) {
    std::vector<Seen> seen;
    LoadEveryImage(path.string(), [&](const HeldImage& held) {
        seen.push_back({held.member.value_or(""), held.partition,
                        held.volume ? std::string(held.volume->format) : "",
                        held.volume ? held.volume->entries.size() : 0, held.size,
                        held.message ? Utf16ToUtf8(held.message->text) : ""});
    });
    return seen;
}

TEST(EveryImage, MembersAndTheirPartitionsWithoutAQuestion) {
    testing::TempDir dir;
    auto d81 = testing::LayoutDiskBuilder::D81("OUTER");
    d81.Entry({40, 3}, 0, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    d81.Entry({50, 3}, 0, {0x82, 51, 0, "CODE", 1});
    testing::DiskBuilder d64;
    d64.AddFile("HELLO", 0x82, testing::Program(0x0801, Bytes{0x60}));
    const auto zip = testing::WriteFile(
        dir / "set.zip",
        testing::ZipArchive(
            {{"a.d81", d81.bytes()}, {"notes.txt", Bytes(10, 'x')}, {"b.d64", d64.bytes()}}));
    EXPECT_EQ(Every(zip), (std::vector<Seen>{{"a.d81", {}, "d81", 1, 819200, ""},
                                             {"a.d81", {1}, "d81", 1, 0, ""},
                                             {"b.d64", {}, "d64", 1, 174848, ""}}));

    // A D64 of an odd size asks whether to open it: the answer is Yes.
    Bytes odd = d64.bytes();
    odd.resize(odd.size() + 100);
    EXPECT_EQ(Every(testing::WriteFile(dir / "odd.d64", odd)),
              (std::vector<Seen>{{"", {}, "d64", 1, odd.size(), ""}}));

    const std::vector<Seen> missing = Every(dir / "missing.d64");
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_NE(missing[0].message.find("there is no such file"), std::string::npos);
}

TEST(EveryImage, ASubdirectoryThatHoldsItselfIsReadOnlySoDeep) {
    testing::TempDir dir;
    testing::LayoutDiskBuilder dnp = testing::LayoutDiskBuilder::Dnp(2);
    dnp.Entry({1, 34}, 0, {0x86, 1, 1, "SELF", 1});
    const std::vector<Seen> seen = Every(testing::WriteFile(dir / "loop.dnp", dnp.bytes()));
    ASSERT_EQ(seen.size(), 1 + kDeepestPartition);
    EXPECT_EQ(seen.back().partition, (std::vector<int>{1, 1, 1, 1}));
}

}  // namespace
}  // namespace kestrune
