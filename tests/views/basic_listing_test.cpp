#include "views/basic_listing.h"

#include <gtest/gtest.h>

#include "tests/support/basic_program.h"
#include "tests/support/printers.h"
#include "text/unicode.h"

namespace kestrune {
namespace {

using testing::BasicProgram;
using Bytes = std::vector<std::uint8_t>;

std::optional<std::u16string> PageOf(const BasicListing& listing) {
    if (!listing.lines) return std::nullopt;
    return ListingPage(*listing.lines);
}

std::u16string Page(std::string_view body) {
    return Widen(std::string(kBasicPageHeader) + "<p>" + std::string(body) + "</p></body></html>");
}

// The page body of a one-line program at 0x0801, numbered 10.
// In V2 unless another dialect is named.
std::string LineOf(const Bytes& text, bool* notBasic = nullptr, std::uint16_t base = 0x0801,
                   BasicDialect dialect = BasicDialect::V2) {
    const BasicListing listing = ListBasic(BasicProgram(base, {{10, text}}), dialect);
    if (notBasic) *notBasic = listing.notBasic;
    if (!listing.lines) return "<rejected>";
    const std::string page = Utf16ToUtf8(*PageOf(listing));
    const std::string prefix = std::string(kBasicPageHeader) + "<p>10 ";
    const std::string suffix = "<br>\r\n</p></body></html>";
    return page.substr(prefix.size(), page.size() - prefix.size() - suffix.size());
}

TEST(BasicListing, EmptyProgram) {
    for (const Bytes& program : {Bytes{0, 0}, Bytes{}, Bytes{0}}) {
        const BasicListing listing = ListBasic(program);
        ASSERT_TRUE(PageOf(listing));
        EXPECT_EQ(*PageOf(listing), Page(""));
        EXPECT_FALSE(listing.notBasic);
    }
}

TEST(BasicListing, PrintLineWithKeywordQuotesAndControlCode) {
    const Bytes program = BasicProgram(
        0x0801, {{10, {0x99, 0x20, 0x22, 0x93, 0x48, 0x45, 0x4C, 0x4C, 0x4F, 0x22}}, {20, {0x80}}});
    const BasicListing listing = ListBasic(program);
    ASSERT_TRUE(PageOf(listing));
    EXPECT_EQ(*PageOf(listing), Page("10 <font color=\"blue\">print </font> \"{clr}hello\"<br>\r\n"
                                     "20 <font color=\"blue\">end</font><br>\r\n"));
    EXPECT_FALSE(listing.notBasic);
}

TEST(BasicListing, CharactersAndRuns) {
    const struct {
        Bytes text;
        std::string listed;
    } cases[] = {
        {{0x22, 0x20, 0x20, 0x20, 0x22}, "\"{3 space}\""},
        {{0x22, 0x20, 0x22}, "\" \""},
        {{0x20, 0x20, 0x20}, "   "},
        {{0x22, 0x11, 0x11, 0x22}, "\"{2 down}\""},
        {{0x11, 0x11}, "{down}{down}"},
        {{0x22, 0x41, 0x41, 0x41, 0x22}, "\"aaa\""},
        {{0x22, 0x61, 0x61, 0x61, 0x22}, "\"{3 A}\""},
        {{0x22, 0x1D, 0x1D, 0x14, 0x14, 0x14, 0x22}, "\"{2 right}{3 del}\""},
        {{0x22, 0xA6, 0xA6, 0x22}, "\"{2 c= +}\""},
        {{0x22, 0x5C, 0x5C, 0x22}, "\"&pound;&pound;\""},
        {{0xFF}, "&#960;"},
        {{0x26, 0x3C, 0x3E}, "&amp;&lt;&gt;"},
        {{0x05, 0x1C, 0x22, 0x9E, 0x12, 0x92, 0x22}, "{wht}{red}\"{yel}{rvs}{off}\""},
        {{0x22, 0xAB, 0xB0, 0x22}, "\"{c= q}{c= a}\""},
        {{0x22, 0x8D, 0x85, 0x22}, "\"{shift return}{f1}\""},
        {{0x22, 0x01, 0x22}, "\"\""},
        {{0xAA, 0xB2, 0xB3}, "+=<font color=\"blue\">&lt;</font>"},
        {{0xAE}, "<font color=\"blue\">&uarr;</font>"},
        {{0x8F, 0x99}, "<font color=\"blue\">rem </font><font color=\"blue\">print </font>"},
    };
    for (const auto& c : cases) {
        bool notBasic = true;
        EXPECT_EQ(LineOf(c.text, &notBasic), c.listed);
        EXPECT_FALSE(notBasic) << c.listed;
    }
}

TEST(BasicListing, Classification) {
    const struct {
        Bytes text;
        std::uint16_t base;
        std::string listed;
        bool notBasic;
    } cases[] = {
        {{0xCC}, 0x0801, "<font color=\"blue\">rgr</font>", true},
        {{0x22, 0xCC, 0x22}, 0x0801, "\"L\"", false},
        {{0xCE, 0x02}, 0x0801, "~", true},
        {{0x64, 0x01}, 0x0801, "D", true},
        {{0x65, 0x22, 0x41}, 0x0801, "Ea", true},  // the consumed quote toggles nothing
        {{0xFE, 0x02}, 0x0801, "{c= v}", true},
        {{0x06}, 0x0801, "", true},
        {{0x22, 0x06, 0x22}, 0x0801, "\"\"", true},
        {{0xCB}, 0x0801, "<font color=\"blue\">go</font>", false},
        {{0xDD}, 0x1001, "<font color=\"blue\">pudef </font>", true},
        {{0xCC}, 0x1201, "<font color=\"blue\">rgr</font>", true},
        {{0xCE, 0x02}, 0x2001, "~", true},
    };
    for (const auto& c : cases) {
        bool notBasic = false;
        EXPECT_EQ(LineOf(c.text, &notBasic, c.base), c.listed);
        EXPECT_EQ(notBasic, c.notBasic) << c.listed;
    }
}

TEST(BasicListing, TheProgramsAddressFollowsItsLinks) {
    // A program linked for 0x1C01 lists whatever its load address; the link base is what counts.
    const Bytes program = BasicProgram(0x1C01, {{100, {0x41}}, {65535, {0x42}}});
    const BasicListing listing = ListBasic(program);
    ASSERT_TRUE(PageOf(listing));
    EXPECT_EQ(*PageOf(listing), Page("100 a<br>\r\n65535 b<br>\r\n"));
}

TEST(BasicListing, LinksOutsideTheFileReject) {
    Bytes forward = BasicProgram(0x0801, {{10, {0x41}}, {20, {0x42}}});
    forward[7] = 0xFF;  // the second line's link points far past the end
    EXPECT_EQ(PageOf(ListBasic(forward)), std::nullopt);
    EXPECT_TRUE(ListBasic(forward).notBasic);

    Bytes backward = BasicProgram(0x0801, {{10, {0x41}}, {20, {0x42}}});
    backward[7] = 0x07;  // the second line's link points before it
    EXPECT_EQ(PageOf(ListBasic(backward)), std::nullopt);
    EXPECT_TRUE(ListBasic(backward).notBasic);

    // No zero byte after the first line's start: the first link lies past the end.
    const BasicListing noZero = ListBasic(Bytes{0x0B, 0x08, 0x0A, 0x00, 0x41, 0x42, 0x43});
    EXPECT_FALSE(noZero.lines);
    EXPECT_TRUE(noZero.notBasic);
}

TEST(BasicListing, ALineLinkedToItselfIsRejectedByTheWorkBound) {
    Bytes program = BasicProgram(0x0801, {{10, {0x41}}, {20, {0x42}}});
    program[6] = 0x07;  // the second line, at 0x0807, links to itself
    program[7] = 0x08;
    const BasicListing listing = ListBasic(program);
    EXPECT_EQ(PageOf(listing), std::nullopt);
    EXPECT_FALSE(listing.notBasic);
}

TEST(BasicListing, MachineCodeIsRejected) {
    const Bytes code = {0xA9, 0x93, 0x20, 0xD2, 0xFF, 0xA2, 0x00, 0xBD,
                        0x20, 0xC0, 0xF0, 0x06, 0x20, 0xD2, 0xFF, 0xE8};
    const BasicListing listing = ListBasic(code);
    EXPECT_EQ(PageOf(listing), std::nullopt);
    EXPECT_TRUE(listing.notBasic);
}

TEST(BasicListing, ALinkToTheLastByteReadsTheMissingHighByteAsZero) {
    // One line whose link is the address of the program's last byte: the next link's low byte is
    // that last byte and its high byte lies past the data, reading 0.
    Bytes program = BasicProgram(0x0801, {{10, {0x41}}});
    program.pop_back();  // keep the next link's low byte 0 only
    const BasicListing listing = ListBasic(program);
    ASSERT_TRUE(PageOf(listing));
    EXPECT_EQ(*PageOf(listing), Page("10 a<br>\r\n"));
}

TEST(BasicListing, DialectsAreFoundFromTokensAndAddress) {
    const struct {
        Bytes text;
        std::uint16_t base;
        BasicDialect dialect;
    } cases[] = {
        {{0x99, 0x22, 0xCE, 0x22}, 0x0801, BasicDialect::V2},  // only inside a string
        {{0xCE, 0x02}, 0x0801, BasicDialect::V70},             // a 7.0 two-byte token anywhere
        {{0xFE, 0x25}, 0x1001, BasicDialect::V70},
        {{0x64, 0x01}, 0x0801, BasicDialect::Simons},
        {{0x64, 0x01}, 0x3001, BasicDialect::V2},  // Simons' BASIC is the C64's
        {{0xE8}, 0x1C01, BasicDialect::V70},
        {{0xE8}, 0x4001, BasicDialect::V70},
        {{0xE8}, 0x1001, BasicDialect::V35},
        {{0xDA}, 0x0401, BasicDialect::V40},
        {{0xDB}, 0x0401, BasicDialect::SuperExpander},
        {{0xCC}, 0x1201, BasicDialect::SuperExpander},
        {{0xDE}, 0x2001, BasicDialect::V2},
        {{0xE8}, 0x0801, BasicDialect::V2},
        {{0x99, 0x41}, 0x1C01, BasicDialect::V2},  // nothing beyond V2: V2 wherever it is
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.base << " " << int{c.text[0]});
        EXPECT_EQ(DetectDialect(BasicProgram(c.base, {{10, c.text}})), c.dialect);
        EXPECT_EQ(ListBasic(BasicProgram(c.base, {{10, c.text}})).dialect, c.dialect);
    }
}

TEST(BasicListing, DialectKeywords) {
    const struct {
        Bytes text;
        BasicDialect dialect;
        std::string listed;
    } cases[] = {
        {{0xFE, 0x02, 0x30, 0xCE, 0x0A, 0x28, 0x41, 0x29},
         BasicDialect::V70,
         "<font color=\"blue\">bank </font>0<font color=\"blue\">pointer</font>(a)"},
        {{0xE8, 0xD3},
         BasicDialect::V70,
         "<font color=\"blue\">scnclr</font><font color=\"blue\">err$</font>"},
        {{0xCE, 0x41}, BasicDialect::V35, "<font color=\"blue\">rlum</font>a"},
        {{0xFE, 0x20}, BasicDialect::V70, "{c= v}"},  // no keyword: read as V2 reads it
        {{0xD7}, BasicDialect::V40, "<font color=\"blue\">catalog</font>"},
        {{0xDB}, BasicDialect::V40, "<font color=\"blue\">vol </font>"},  // V2's 3.5 name
        {{0xDD, 0xCC},
         BasicDialect::SuperExpander,
         "<font color=\"blue\">rdot</font><font color=\"blue\">key </font>"},
        {{0x64, 0x22, 0x31}, BasicDialect::Simons, "<font color=\"blue\">&gt;&gt;</font>1"},
        {{0x64, 0x01, 0x64, 0x7F},
         BasicDialect::Simons,
         "<font color=\"blue\">hires </font><font color=\"blue\">out</font>"},
        {{0x22, 0x64, 0x01, 0x22}, BasicDialect::Simons, "\"D\""},  // inside a string
    };
    for (const auto& c : cases) {
        bool notBasic = false;
        EXPECT_EQ(LineOf(c.text, &notBasic, 0x0801, c.dialect), c.listed)
            << kBasicDialectKeys[static_cast<int>(c.dialect)];
    }
}

TEST(BasicListing, SysInTheFirstLine) {
    const std::pair<Bytes, std::optional<std::int32_t>> cases[] = {
        {{0x9E, '2', '0', '6', '1'}, 2061},
        {{0x9E, ' ', '4', '9', '1', '5', '2'}, 49152},
        {{0x9E, '(', '2', '0', '6', '4', ')'}, 2064},
        {{0x99, 0x22, 0x9E, '1', 0x22}, std::nullopt},  // inside quotes
        {{0x9E, 0x41}, std::nullopt},
        {{0x99, ':', 0x9E, '3', '2', '7', '6', '8'}, 32768},
    };
    for (const auto& [line, sys] : cases)
        EXPECT_EQ(FirstLineSys(BasicProgram(0x0801, {{10, line}})), sys);
    EXPECT_EQ(FirstLineSys(BasicProgram(0x0801, {{10, {0x80}}, {20, {0x9E, '1'}}})), std::nullopt);
    EXPECT_EQ(FirstLineSys(Bytes{0, 0}), std::nullopt);
}

}  // namespace
}  // namespace kestrune
