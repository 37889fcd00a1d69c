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

// Page files are written as they are: every line ends as its page says, and only ASCII is in them.
TEST(Pages, FixedPagesAreWholeAsciiDocuments) {
    const struct {
        std::u16string_view page;
        std::u16string_view lineEnd;
        bool endsWithLineEnd;
        std::u16string_view says;
    } cases[] = {
        {kNotBasicPage, u"\r\n", false, u"<p>Unable to display as a BASIC program</p>"},
        {kInstructionsPage, u"\n", true, u"<caption>Disclaimer</caption>"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(c.page.starts_with(u"<!DOCTYPE html>"));
        EXPECT_NE(c.page.find(c.says), std::u16string_view::npos);
        EXPECT_EQ(c.page.ends_with(c.lineEnd), c.endsWithLineEnd);
        const std::u16string_view body =
            c.endsWithLineEnd ? c.page.substr(0, c.page.size() - c.lineEnd.size()) : c.page;
        EXPECT_TRUE(body.ends_with(u"</html>"));
        // No line feed or carriage return stands anywhere but in a line end.
        for (const std::u16string_view line : Split(body, c.lineEnd)) {
            EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string_view::npos);
            for (const char16_t ch : line)
                EXPECT_LT(ch, 0x80);
        }
    }
    // Shorter than 4096 bytes, so start-up writes it anew every time.
    EXPECT_LT(kInstructionsPage.size(), 4096u);
}

}  // namespace
}  // namespace kestrune
