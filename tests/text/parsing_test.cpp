#include "text/parsing.h"

#include <gtest/gtest.h>

#include <limits>

#include "text/unicode.h"

namespace kestrune {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(Parsing, HexadecimalReadsLikeBase16Strtol) {
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

TEST(Parsing, DecimalReadsLikeStrToInt) {
    const std::pair<std::u16string_view, std::int32_t> cases[] = {
        {u"49152", 49152}, {u"12x", 12},       {u"-5", -5},        {u"-", 0},
        {u"", 0},          {u" 12", 0},        {u"+12", 0},        {u"x12", 0},
        {u"--5", 0},       {u"4294967296", 0}, {u"4294967297", 1}, {u"2147483648", kMin},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseDecimalInt(text), value) << Utf16ToUtf8(text);
}

}  // namespace
}  // namespace kestrune
