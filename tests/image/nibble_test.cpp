// NIB and NBZ images of a disk open as the sectors they were made from, a damaged sector read as
// the error it is; a broken or over-long packed stream is refused.
#include <gtest/gtest.h>

#include "image/recognition.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::Bytes;

Opened Open(std::string_view name, Bytes bytes) {
    return OpenContents(name, std::move(bytes), [](const Message&) { return false; });
}

TEST(Nib, NibAndNbzOpenAsTheirDisk) {
    testing::DiskBuilder disk;
    disk.AddFile("HELLO", 0x82, testing::Noise(3000));
    const Bytes nib = testing::NibFromG64(testing::EncodeGcrImage(disk.bytes()));
    const Bytes damaged = testing::NibFromG64(
        testing::EncodeGcrImage(disk.bytes(), {{1, 3, testing::GcrFault::DataChecksum}}));
    struct Case {
        std::string_view name;
        Bytes bytes;
        std::string_view format;
    };
    for (const Case& c :
         {Case{"disk.nib", nib, "nib"}, Case{"disk.nbz", testing::PackNbz(nib), "nbz"},
          Case{"packed.bin", testing::PackNbz(nib), "nbz"}}) {
        SCOPED_TRACE(c.name);
        const Opened opened = Open(c.name, c.bytes);
        ASSERT_TRUE(opened.volume) << (opened.message ? Utf16ToUtf8(opened.message->text) : "");
        EXPECT_EQ(opened.volume->format, c.format);
        EXPECT_TRUE(opened.volume->image.data == disk.bytes());
        ASSERT_EQ(opened.volume->entries.size(), 1u);
    }
    const Opened opened = Open("disk.nbz", testing::PackNbz(damaged));
    ASSERT_TRUE(opened.volume);
    // Track 1 sector 3: error 23, the byte 5 of a D64's error table.
    ASSERT_EQ(opened.volume->errorBytes.size(), 683u);
    EXPECT_EQ(opened.volume->errorBytes[3], 5);
    EXPECT_TRUE(opened.volume->unreadable[3]);
}

TEST(Nib, BrokenImagesAreRefused) {
    Bytes nib = testing::NibFromG64(testing::EncodeGcrImage(testing::DiskBuilder().bytes()));
    Bytes packed = testing::PackNbz(nib);
    // A copy from further back than anything unpacked, and a run longer than any NIB.
    Bytes backwards = {0xFF, 'M', 'N', 'I', 'B', '-',  '1',  '5', '4',
                       '1',  '-', 'R', 'A', 'W', 0xFF, 0x05, 0x7F};
    Bytes bomb = {0xFF, 'M', 'N', 'I', 'B',  '-',  '1',  '5',  '4',  '1',
                  '-',  'R', 'A', 'W', 0xFF, 0x81, 0x80, 0x80, 0x00, 0x01};
    for (const Bytes& bytes : {backwards, bomb}) {
        const Opened opened = Open("disk.nbz", bytes);
        ASSERT_TRUE(opened.message);
        EXPECT_NE(opened.message->text.find(u"This NBZ image cannot be read: its packed data is "
                                            u"broken or unpacks to more than a NIB holds"),
                  std::u16string::npos)
            << Utf16ToUtf8(opened.message->text);
    }
    nib.resize(100);
    const Opened cut = Open("disk.nib", nib);
    ASSERT_TRUE(cut.message);
    EXPECT_NE(cut.message->text.find(u"its header is cut short"), std::u16string::npos);
    EXPECT_FALSE(Open("disk.nib", Bytes(300, 0)).volume);
}

}  // namespace
}  // namespace kestrune
