#include "viewer/address_entry.h"

#include <gtest/gtest.h>

#include <limits>

#include "image/unicode.h"
#include "tests/support/printers.h"

namespace kestrune {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(AddressEntry, HexadecimalReadsLikeBase16Strtol) {
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"c000", 0xC000},    {u"C000", 0xC000},    {u"  \tc000", 0xC000},
        {u"0xc000", 0xC000},  {u"0XC000", 0xC000},  {u"0x", 0},
        {u"0xg", 0},          {u"c0zz", 0xC0},      {u"", 0},
        {u"zz", 0},           {u"-10", -16},        {u"+10", 16},
        {u"7fffffff", kMax},  {u"80000000", kMax},  {u"ffffffffffff", kMax},
        {u"-80000000", kMin}, {u"-80000001", kMin}, {u"- 5", 0},
        {u"0x0x5", 0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseHexadecimalLong(text), value) << Utf16ToUtf8(text);
}

TEST(AddressEntry, DecimalReadsLikeStrToInt) {
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"49152", 49152}, {u"12x", 12},       {u"-5", -5},        {u"-", 0},
        {u"", 0},          {u" 12", 0},        {u"+12", 0},        {u"x12", 0},
        {u"--5", 0},       {u"4294967296", 0}, {u"4294967297", 1}, {u"2147483648", kMin},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseDecimalInt(text), value) << Utf16ToUtf8(text);
}

// A file at $c000 with 100 bytes after its load address: $c000 to $c063.
TEST(AddressEntry, JudgedAgainstTheFilesRange) {
    const struct {
        std::u16string_view typed;
        std::optional<std::int32_t> accepted;
        std::optional<MessageId> refused;
    } cases[] = {
        {u"49152", 0xC000, std::nullopt},
        {u"$C000", 0xC000, std::nullopt},
        {u"$c000", 0xC000, std::nullopt},
        {u"$c063", 0xC063, std::nullopt},
        {u"$$c010", 0xC010, std::nullopt},
        {u"$ c010", 0xC010, std::nullopt},
        {u"$0XC010", 0xC010, std::nullopt},
        {u"$c064", std::nullopt, MessageId::AddressOutOfRange},
        {u"$bfff", std::nullopt, MessageId::AddressOutOfRange},
        {u"C000", std::nullopt, MessageId::AddressHint},
        {u"c000", std::nullopt, MessageId::AddressHint},
        {u" $c000", std::nullopt, MessageId::AddressHint},
        {u"49152e", std::nullopt, MessageId::AddressHint},
        {u"0", std::nullopt, MessageId::AddressOutOfRange},
        {u"$", std::nullopt, MessageId::AddressOutOfRange},
        {u"xyz", std::nullopt, MessageId::AddressOutOfRange},  // no a to f: decimal 0
        {u"$ffffffff", std::nullopt, MessageId::AddressOutOfRange},
    };
    for (const auto& c : cases) {
        const AddressJudgement judgement = JudgeAddress(c.typed, 0xC000, 0xC063);
        SCOPED_TRACE(Utf16ToUtf8(c.typed));
        if (c.accepted) {
            EXPECT_FALSE(judgement.message);
            EXPECT_EQ(judgement.address, *c.accepted);
        } else {
            ASSERT_TRUE(judgement.message);
            EXPECT_EQ(judgement.message->id, *c.refused);
        }
    }
}

TEST(AddressEntry, ZeroPassesARangeThatBeginsAtZeroAndAsksForNothing) {
    const AddressJudgement judgement = JudgeAddress(u"0", 0, 99);
    EXPECT_FALSE(judgement.message);
    EXPECT_EQ(judgement.address, 0);
    EXPECT_EQ(JudgeAddress(u"12x", 0, 99).address, 12);
    // An empty file's range ends below its start: nothing is accepted.
    EXPECT_TRUE(JudgeAddress(u"2049", 2049, 2048).message);
}

TEST(AddressEntry, MessageTexts) {
    EXPECT_EQ(AddressHintMessage().text,
              u"Precede hexadecimal numbers with a \"$\"\n\nFor example: $C000");
    EXPECT_EQ(AddressHintMessage().kind, MessageKind::Error);
    EXPECT_EQ(AddressOutOfRangeMessage().text, u"Address is out of range of the file.");
    EXPECT_EQ(AddressOutOfRangeMessage().kind, MessageKind::Error);
}

}  // namespace
}  // namespace kestrune
