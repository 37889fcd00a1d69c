#include "views/pages.h"

#include <gtest/gtest.h>

#include "tests/support/printers.h"

namespace kestrune {
namespace {

std::vector<std::u16string_view> Split(std::u16string_view text, std::u16string_view separator) {
    std::vector<std::u16string_view> lines;
    for (std::size_t at = 0;;) {
        const std::size_t end = text.find(separator, at);
        lines.push_back(text.substr(
            at, end == std::u16string_view::npos ? std::u16string_view::npos : end - at));
        if (end == std::u16string_view::npos) return lines;
        at = end + separator.size();
    }
}

TEST(Pages, MessagePage) {
    EXPECT_EQ(MessagePage(u"Nothing to display"),
              u"<html><body><h3 style = \"font-family: sans-serif\">Nothing to "
              u"display</h3></body></html>");
}

TEST(Pages, NotBasicPageHasElevenLinesEndedByCrLfButTheLast) {
    const auto lines = Split(kNotBasicPage, u"\r\n");
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], u"<!DOCTYPE html>");
    EXPECT_EQ(lines[6], u"\tbody{ font-family: sans-serif; font-size: 12pt; }");
    EXPECT_EQ(lines[10], u"<p>Unable to display as a BASIC program</p></body></html>");
    EXPECT_EQ(kNotBasicPage.find(u'\n'), kNotBasicPage.find(u'\r') + 1);
}

TEST(Pages, InstructionsPageHas76LinesEachEndedByLineFeed) {
    ASSERT_EQ(kInstructionsPage.back(), u'\n');
    EXPECT_EQ(kInstructionsPage.find(u'\r'), std::u16string_view::npos);
    const auto lines = Split(kInstructionsPage.substr(0, kInstructionsPage.size() - 1), u"\n");
    ASSERT_EQ(lines.size(), 76u);
    EXPECT_EQ(lines[1], u"<html lang=\"en\">");
    EXPECT_EQ(lines[16], u"\t<caption>Disclaimer</caption>");
    EXPECT_EQ(lines[18].substr(0, 7), u"\t\t<td>T");
    EXPECT_EQ(lines[57],
              u"\t<td>6502 machine language disassembly. Common kernal routines &amp; addresses "
              u"are labeled</td>");
    EXPECT_EQ(lines[75], u"</html>");
    // Shorter than 4096 bytes, so start-up writes it anew every time.
    EXPECT_LT(kInstructionsPage.size(), 4096u);
    for (const char16_t c : kInstructionsPage)
        EXPECT_LT(c, 0x80);
}

}  // namespace
}  // namespace kestrune
