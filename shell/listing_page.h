// A BASIC listing page read back into its text as a browser shows it: the lines of the program,
// spaces collapsed as HTML collapses them, with the keywords that the page shows in blue marked.
// The browser pane shows listing pages this way, as fast as the text panes, instead of laying out
// thousands of lines of HTML.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ListingText {
    std::u16string text;                // the program's lines, separated by CR LF
    std::vector<std::uint8_t> keyword;  // 1 for each character of text shown in blue
};

// The text of a page made by the BASIC listing, or nothing for any other page.
std::optional<ListingText> ReadListingPage(std::u16string_view page);
