#include <gtest/gtest.h>

#include "tests/support/printers.h"
#include "views/hex_dump.h"
#include "views/text_views.h"

#include <algorithm>

#include "text/c64_charsets.h"
#include "text/charsets.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::u16string_view kHeading =
    u"Offset Bytes                  | PETSCII  | ScrCode\r\n"
    u"------------------------------+----------+---------\r\n";

TEST(HexDump, HeadingLinesAreFiftyCharactersWide) {
    EXPECT_EQ(kHeading.find(u'\r'), 50u);
    EXPECT_EQ(HexDump({}, 0x0801), std::u16string(kHeading) + u"0801: ");
    EXPECT_EQ(HexDump({}, 0), std::u16string(kHeading) + u"0000: ");
}

TEST(HexDump, AFullLineWritesTheNextAddressAtOnce) {
    const Bytes bytes = {0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x20, 0xC1, 0x81};
    EXPECT_EQ(HexDump(bytes, 0x0801),
              std::u16string(kHeading) +
                  u"0801: 48 45 4c 4c 4f 20 c1 81 | hello A. | HELLO Aa\r\n0809: ");
}

TEST(HexDump, ThePartialLastLineIsPaddedToTheColumns) {
    EXPECT_EQ(HexDump(Bytes{0x41, 0x0D, 0x5C}, 0xC000),
              std::u16string(kHeading) + u"c000: 41 0d 5c                | a.£      | Am.");
    const Bytes nine(9, 0x20);
    EXPECT_EQ(HexDump(nine, 0xFFF8), std::u16string(kHeading) +
                                         u"fff8: 20 20 20 20 20 20 20 20 |          |         \r\n"
                                         u"10000: 20                      |          |  ");
}

TEST(HexDump, EveryLineLinesUpWithTheHeading) {
    Bytes bytes(100);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 37);
    const std::u16string text = HexDump(bytes, 0x1000);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(u"\r\n", at), text.size());
        const std::u16string_view line = std::u16string_view(text).substr(at, end - at);
        EXPECT_EQ(line[30], line.size() > 2 && line[0] == u'-' ? u'+' : u'|') << lines;
        EXPECT_EQ(line[41], line[0] == u'-' ? u'+' : u'|') << lines;
        ++lines;
        at = end + 2;
    }
    EXPECT_EQ(lines, 2u + 13u);
}

// The UTF-8 dump a terminal gets is the UTF-8 of the pane's text, byte for byte, whatever the
// length and the addresses; and a sink that asks to stop is not handed more.
TEST(HexDump, Utf8DumpIsTheUtf8OfTheText) {
    Bytes every(256 * 3 + 5);
    for (std::size_t i = 0; i < every.size(); ++i)
        every[i] = static_cast<std::uint8_t>(i * 7);
    for (const std::size_t size : {0u, 3u, 8u, 777u, 8 * 2000u + 5}) {
        for (const std::int32_t start : {0, 0x0801, 0xFFF8, 0xFFFFFF0}) {
            const std::span<const std::uint8_t> data(every.data(), std::min(size, every.size()));
            Bytes big;
            if (size > every.size()) big.assign(size, 0x5C);
            const std::span<const std::uint8_t> bytes = big.empty() ? data : std::span(big);
            std::string utf8;
            EXPECT_TRUE(HexDumpUtf8(bytes, start, [&](std::string_view piece) {
                utf8.append(piece);
                return true;
            }));
            EXPECT_EQ(utf8, Utf16ToUtf8(HexDump(bytes, start))) << size << " " << start;
        }
    }
    int pieces = 0;
    EXPECT_FALSE(HexDumpUtf8(Bytes(100000), 0, [&](std::string_view) { return ++pieces < 2; }));
    EXPECT_EQ(pieces, 2);
}

TEST(TextViews, Utf8TextsAreTheUtf8OfTheTexts) {
    Bytes every(70000);
    for (std::size_t i = 0; i < every.size(); ++i)
        every[i] = static_cast<std::uint8_t>(i * 13);
    const auto gathered = [](auto write) {
        std::string utf8;
        write([&](std::string_view piece) {
            utf8.append(piece);
            return true;
        });
        return utf8;
    };
    EXPECT_EQ(gathered([&](const Utf8Sink& sink) { return PetsciiTextUtf8(every, sink); }),
              Utf16ToUtf8(PetsciiText(every)));
    EXPECT_EQ(gathered([&](const Utf8Sink& sink) { return ScrCodeTextUtf8(every, sink); }),
              Utf16ToUtf8(ScrCodeText(every)));
}

TEST(TextViews, PetsciiBreaksOnReturnAndShiftedReturn) {
    const Bytes bytes = {0x48, 0x49, 0x0D, 0xC8, 0xC9, 0x8D, 0x0A, 0x41, 0x00};
    EXPECT_EQ(PetsciiText(bytes), u"hi\r\nHI\r\n.a.");
}

TEST(TextViews, ScreenCodesBreakOnlyOn1F) {
    EXPECT_EQ(ScrCodeText(Bytes{0x48, 0x49, 0x0D, 0xC8, 0xC9}), u"HImHI");
    EXPECT_EQ(ScrCodeText(Bytes{0x01, 0x1F, 0x9F, 0x7A, 0xFA}), u"a\r\n←√√");
}

TEST(TextViews, EmptyContent) {
    EXPECT_EQ(PetsciiText({}), u"");
    EXPECT_EQ(ScrCodeText({}), u"");
}

}  // namespace
}  // namespace kestrune

namespace kestrune {
namespace {

// Each code stands on the character that shows its byte: in the HEX/ASCII view's two columns
// (a screen code as the PETSCII code of its glyph), in the PETSCII and ScrCode texts.
TEST(C64Codes, EachCodeStandsOnItsBytesCharacter) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 21; ++i)
        data.push_back(static_cast<std::uint8_t>(i * 13 + 0x0D));
    for (const std::int32_t start : {0x0801, 0xFFF8}) {
        const std::u16string text = HexDump(data, start);
        const std::vector<std::int16_t> codes = HexDumpCodes(data, start);
        ASSERT_LE(codes.size(), text.size());
        std::vector<std::int16_t> expected(text.size(), -1);
        // After the heading, each line's PETSCII column follows its first "| ", its ScrCode
        // column the " | " after that.
        std::size_t line = text.find(u"\r\n", text.find(u"\r\n") + 2) + 2;
        for (std::size_t first = 0; first < data.size(); first += 8) {
            const std::size_t petscii = text.find(u"| ", line) + 2;
            const std::size_t screen = petscii + 8 + 3;
            for (std::size_t i = 0; i < std::min<std::size_t>(8, data.size() - first); ++i) {
                expected[petscii + i] = data[first + i];
                expected[screen + i] = PetsciiOfScreenCode(data[first + i] & 0x7F);
                EXPECT_EQ(text[petscii + i], PetsciiChar(data[first + i]));
                EXPECT_EQ(text[screen + i], ScreenCodeChar(data[first + i]));
            }
            line = text.find(u"\r\n", line) + 2;
        }
        expected.resize(codes.size());
        EXPECT_EQ(codes, expected) << start;
    }

    const std::vector<std::uint8_t> lines = {0x41, 0x0D, 0x42, 0x8D, 0xC1};
    EXPECT_EQ(PetsciiCodes(lines), (std::vector<std::int16_t>{0x41, -1, -1, 0x42, -1, -1, 0xC1}));
    EXPECT_EQ(PetsciiText(lines).size(), PetsciiCodes(lines).size());
    const std::vector<std::uint8_t> screen = {0x01, 0x1F, 0x81, 0x40, 0x60};
    EXPECT_EQ(ScrCodeCodes(screen), (std::vector<std::int16_t>{0x41, -1, -1, 0x41, 0x60, 0xA0}));
}

}  // namespace
}  // namespace kestrune
