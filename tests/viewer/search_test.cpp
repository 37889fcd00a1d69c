#include "viewer/search.h"

#include <gtest/gtest.h>

#include "views/hex_dump.h"

namespace kestrune {
namespace {

TEST(Search, TextIgnoresTheCaseOfLetters) {
    const SearchHits hits = FindText(u"LDA $c000\r\nlda #$C0\r\nsta", u"lDa");
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits.Hit(0)[0], (TextRange{0, 3}));
    EXPECT_EQ(hits.Hit(1)[0], (TextRange{11, 3}));
    EXPECT_EQ(FindText(u"$c0 $C0", u"$c0").size(), 2u);
    EXPECT_EQ(FindText(u"aaaa", u"aa").size(), 2u);  // not overlapping
    EXPECT_EQ(FindText(u"abc", u"").size(), 0u);
    EXPECT_EQ(FindText(u"ab", u"abc").size(), 0u);
}

TEST(Search, BytePatterns) {
    const std::pair<std::u16string_view, std::optional<std::vector<int>>> cases[] = {
        {u"a9 00 8d", std::vector<int>{0xA9, 0x00, 0x8D}},
        {u"A9008D", std::vector<int>{0xA9, 0x00, 0x8D}},
        {u"a9 ?? 8d", std::vector<int>{0xA9, -1, 0x8D}},
        {u" 20 ", std::vector<int>{0x20}},
        {u"a9 0", std::nullopt},
        {u"lda", std::nullopt},
        {u"   ", std::nullopt},
        {u"a?", std::nullopt},
    };
    for (const auto& [query, pattern] : cases)
        EXPECT_EQ(BytePattern(query), pattern);
    const std::vector<std::uint8_t> bytes = {0xA9, 0x00, 0x8D, 0xA9, 0x01, 0x8D, 0xA9};
    EXPECT_EQ(FindBytes(bytes, {0xA9, -1, 0x8D}), (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(FindBytes(bytes, {0xA9}), (std::vector<std::size_t>{0, 3, 6}));
    EXPECT_TRUE(FindBytes(bytes, {0xA9, 0x8D}).empty());
}

// The offset of every byte's pair agrees with the dump itself, also where the addresses grow a
// fifth digit.
TEST(Search, HexDumpOffsetsPointAtEachBytesPair) {
    for (const std::int32_t start : {0, 0xC000, 0xFFF0, 0xFFF3}) {
        std::vector<std::uint8_t> bytes(100);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i * 7);
        const std::u16string dump = HexDump(bytes, start);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::size_t at = HexDumpOffset(start, i);
            const char16_t* digits = u"0123456789abcdef";
            ASSERT_EQ(dump.substr(at, 2),
                      std::u16string({digits[bytes[i] >> 4], digits[bytes[i] & 0xF]}))
                << start << " byte " << i;
            const std::size_t lineStart = dump.rfind(u'\n', at) + 1;
            EXPECT_EQ(dump[at - 2 - 3 * (i % 8)], u':') << start << " byte " << i;
            EXPECT_LT(lineStart, at);
        }
    }
}

}  // namespace
}  // namespace kestrune
