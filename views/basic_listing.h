// The BASIC view: a tokenised Commodore BASIC program as an HTML page, one program line to a page
// line, keywords expanded (the longer ones in blue) and control and graphic characters written as
// names in braces. The same pass decides whether the file is a BASIC program at all.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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
    std::optional<std::u16string> page;  // none when the file was rejected as not BASIC
    bool notBasic = false;               // the file is not (plain) BASIC: the view choice reads it
};

// program: the bytes after the load address. The program's address comes from its first line's
// link; a line link outside the file, or more work than the file has bytes, rejects it. Bytes past
// the program read as 0.
BasicListing ListBasic(std::span<const std::uint8_t> program);

}  // namespace kestrune
