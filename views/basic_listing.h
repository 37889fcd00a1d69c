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
#include "views/basic_dialects.h"

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
    BasicDialect dialect = BasicDialect::V2;  // the dialect it was listed in
};

// program: the bytes after the load address. The program's address comes from its first line's
// link; a line link outside the file, or more work than the file has bytes, rejects it. Bytes past
// the program read as 0.
// The dialect is the one given, or without one the one DetectDialect finds.
BasicListing ListBasic(std::span<const std::uint8_t> program,
                       std::optional<BasicDialect> dialect = std::nullopt);

// The dialect a program is written in, by its tokens outside strings and where it lies: a BASIC
// 7.0 two-byte token (0xCE or 0xFE first) makes it 7.0, a Simons' BASIC one (0x64 first) in a
// program at 0x0801 (the C64) Simons'.
// Single-byte tokens from 0xCC on decide by the program's address: 0x1C01 or 0x4001 (the C128)
// 7.0; 0x1001 (C16, Plus/4) 3.5; 0x0401 (PET) 4.0 when they end at 0xDA, else the Super Expander
// when they end at 0xDD; 0x1201 and 0x2001 (an expanded VIC-20) the Super Expander when they end
// at 0xDD. Everything else is V2.
BasicDialect DetectDialect(std::span<const std::uint8_t> program);

// The number after a SYS in the program's first line (the loader stub of a machine-code program:
// 10 SYS2061), or nothing when the first line has no SYS followed by digits.
std::optional<std::int32_t> FirstLineSys(std::span<const std::uint8_t> program);

// The listing's HTML page: the header, then each line as "<p>" ... "<br>\r\n" with the marked
// runs in blue and the characters &, <, >, £, ↑, ← and π as character references.
std::u16string ListingPage(const MarkedText& lines);

}  // namespace kestrune
