// The BASIC view: a tokenised Commodore BASIC program as a listing, one program line to a line,
// keywords expanded (the longer ones marked, shown in blue) and control and graphic characters
// written as names in braces. The same pass decides whether the file is a BASIC program at all.
// The listing is data; its page writer makes the HTML page of the view.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/marked_text.h"

namespace kestrune {

// The fixed text that opens every listing page.
inline constexpr std::string_view kBasicPageHeader =
    "<!DOCTYPE html>\r\n"
    "<html lang = \"en\">\r\n"
    "<head>\r\n"
    "\t<meta charset=\"utf-8\" />\r\n"
    "\t<title>Kestrune</title>\r\n"
    "\t<style type=\"text/css\">\r\n"
    "\tbody{ margin: 5px; font-family: Consolas, monospace; font-size: 11pt; }\r\n"
    "\tp { line-height:1.2 }\r\n"
    "\t</style>\r\n"
    "</head>\r\n"
    "<body>\r\n";

// The status line after a program was listed.
inline constexpr std::u16string_view kBasicProgramStatus = u"BASIC program";

struct BasicListing {
    std::optional<MarkedText> lines;  // none when the file was rejected as not BASIC
    bool notBasic = false;            // the file is not (plain) BASIC: the view choice reads it
};

// program: the bytes after the load address. The program's address comes from its first line's
// link; a line link outside the file, or more work than the file has bytes, rejects it. Bytes past
// the program read as 0.
BasicListing ListBasic(std::span<const std::uint8_t> program);

// The number after a SYS in the program's first line (the loader stub of a machine-code program:
// 10 SYS2061), or nothing when the first line has no SYS followed by digits.
std::optional<std::int32_t> FirstLineSys(std::span<const std::uint8_t> program);

// The listing's HTML page: the header, then each line as "<p>" ... "<br>\r\n" with the marked
// runs in blue and the characters &, <, >, £, ↑, ← and π as character references.
std::u16string ListingPage(const MarkedText& lines);

}  // namespace kestrune
