// The program's fixed pages for the browser pane: the frame of a message, the page for files
// that are no BASIC program, and the instructions shown at start-up. All are ASCII.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// A message as a page of its own: the text in an h3 heading in a sans-serif font.
std::u16string MessagePage(std::u16string_view message);

// Lines end in CR LF, the last line has none.
inline constexpr std::u16string_view kNotBasicPage =
    u"<!DOCTYPE html>\r\n"
    u"<html lang = \"en\">\r\n"
    u"<head>\r\n"
    u"\t<meta charset=\"utf-8\" />\r\n"
    u"\t<title>Kestrune</title>\r\n"
    u"\t<style type=\"text/css\">\r\n"
    u"\tbody{ font-family: sans-serif; font-size: 12pt; }\r\n"
    u"\t</style>\r\n"
    u"</head>\r\n"
    u"<body>\r\n"
    u"<p>Unable to display as a BASIC program</p></body></html>";

// Every line ends in a single LF, the last one too.
// clang-format off
inline constexpr std::u16string_view kInstructionsPage =
    u"<!DOCTYPE html>\n"
    u"<html lang=\"en\">\n"
    u"<head>\n"
    u"\t<meta charset=\"utf-8\" />\n"
    u"\t<title>Kestrune</title>\n"
    u"\t<style type=\"text/css\">\n"
    u"\tbody { margin: 10px; font-family: Verdana, sans-serif; font-size: 10pt; }\n"
    u"\tp { line-height: 1.3; }\n"
    u"\ttable { border-collapse: collapse; }\n"
    u"\ttd { vertical-align: top; padding: 5px; }\n"
    u"\t</style>\n"
    u"</head>\n"
    u"<body>\n"
    u"<h1><center>Kestrune</center></h1>\n"
    u"<div style = \"margin: 36px\">\n"
    u"<table border=\"1\">\n"
    u"\t<caption>Disclaimer</caption>\n"
    u"\t<tr>\n"
    u"\t\t<td>This software is provided \"as is\", without warranty of any kind, express or implied, including but not limited to the warranties of merchantability, fitness for a particular purpose and non-infringement. In no event shall the author be held liable for any claim, damages or other liability, in connection with the use of this software.</td>\n"
    u"\t</tr>\n"
    u"</table>\n"
    u"</div>\n"
    u"<p>Browse D64 and D71 disk image files. Kestrune can parse and display the following:</p>\n"
    u"<ul>\n"
    u"\t<li>Directory contents</li>\n"
    u"\t<li>BASIC programs</li>\n"
    u"\t<li>6502 Machine language programs (disassembly)</li>\n"
    u"\t<li>Word Processor and text documents.</li>\n"
    u"</ul>\n"
    u"<p>Files can only be viewed, you can not edit or save files.</p>\n"
    u"<p>Spreadsheet and database files are not parsed. Use Hex, PETSCII, or ScrCode view to see alphanumeric text. GEOS applications and files are not parsed, only file information will be displayed.</p>\n"
    u"<h3>USAGE:</h3>\n"
    u"<p>Open a D64 or D71 image file using the <i>File&rarr;New</i> menu or simply drag and drop an image file into the window. The contents of the disk will be displayed in the left pane.</p>\n"
    u"<p>The file list is initially displayed in the order in which the files appear in the directory track of the disk (track 18). The list can be sorted in ascending order by clicking on the header of the column you wish to sort by. The list can be reverted back to the original order by pressing the REVERT button located at the bottom right of the list.</p>\n"
    u"<h3>VIEW FILES:</h3>\n"
    u"<p>Click on a file to display its contents in the viewing pane (this pane). Use the buttons at the top to select a view. The box in the lower right displays the start address of the file and can be changed when in Assembly View. The new address may be entered as decimal or hex. For example:</p>\n"
    u"<div style=\"margin-left: 12px\">\n"
    u"<table>\n"
    u"<tr>\n"
    u"\t<td align=\"right\">Decimal:</td>\n"
    u"\t<td>49152</td>\n"
    u"</tr>\n"
    u"<tr>\n"
    u"\t<td>Hexadecimal:</td>\n"
    u"\t<td>$C000</td>\n"
    u"</tr>\n"
    u"</table>\n"
    u"</div>\n"
    u"<p>The different views include:</p>\n"
    u"<div style=\"margin-left: 12px;\">\n"
    u"<table>\n"
    u"<tr>\n"
    u"\t<td align=\"right\">BASIC:</td>\n"
    u"\t<td>Displays BASIC program listings. BASIC listings will Include SIMON's BASIC and Super Expander keywords if present, and are color coded.<br><font color=\"red\">NEW: VisionBASIC programs are now recognized.</font></td>\n"
    u"</tr>\n"
    u"<tr>\n"
    u"\t<td align=\"right\">Assembly:</td>\n"
    u"\t<td>6502 machine language disassembly. Common kernal routines &amp; addresses are labeled</td>\n"
    u"</tr>\n"
    u"<tr>\n"
    u"\t<td align=\"right\">Hex:</td>\n"
    u"\t<td>Display the file contents as hexadecimal bytes with both PETSCII and screen code characters. The characters will be displayed as if the C64 is in upper/lower case mode. No graphic characters are displayed.</td>\n"
    u"</tr>\n"
    u"<tr>\n"
    u"\t<td align=\"right\">PETSCII:</td>\n"
    u"\t<td>Extracts text - only Commodore ASCII/PETSCII characters. This is the default for SEQ files and can be selected with any type of file.</td>\n"
    u"</tr>\n"
    u"<tr>\n"
    u"\t<td align=\"right\">ScrCode:</td>\n"
    u"\t<td>Extracts text - only Commodore screen code characters. Can be used with word processing files or any file that stores text data as screen codes. This view can be selected with any type of file</td>\n"
    u"</tr>\n"
    u"</table>\n"
    u"</div>\n"
    u"<p>The contents of the viewing pane can be selected, copied, and pasted into other applications if desired using the Edit menu or the standard keyboard controls. CTRL-C (copy) and CTRL-V (paste).</p><br>\n"
    u"</body>\n"
    u"</html>\n";
// clang-format on

}  // namespace kestrune
