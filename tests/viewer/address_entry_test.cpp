#include "viewer/address_entry.h"

#include <gtest/gtest.h>

#include "tests/support/printers.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

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
