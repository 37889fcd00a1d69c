// Telling what a file holds, from its bytes and its name together, and opening it as a volume,
// through the rows of the format table (image/format_table.h). Content comes first where a
// format has a signature (a D64 named .prg is still a D64); the extension decides where content
// alone cannot.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "image/format_table.h"
#include "image/messages.h"
#include "image/volume.h"

namespace kestrune {

// The extensions of every format the viewer opens, and of the archives it looks into, as glob
// patterns in small letters without the dot, in the table's order (a file dialog's filter is
// made from them).
std::span<const std::string_view> OpenPatterns();

// The formats the viewer reads, as a message names them.
inline constexpr std::u16string_view kReadFormats =
    u"D64, D71, D81, D80, D82, D1M, D2M, D4M, DNP, G64, G71, NIB, NBZ, X64, T64, LNX, ARC and SDA "
    u"images and archives, TAP tapes, CRT cartridges, GEOS files in the Convert layout (CVT), PC64 "
    u"files (P00, S00, U00, R00, D00), Commodore files on their own (PRG, SEQ, USR, REL, DEL), and "
    u"any of these in a ZIP or GZ archive";

// Whether an extension (".d81", ".P00", ".zip", ...) names a format the viewer opens.
bool IsKnownExtension(std::string_view extension);

// Whether a file of this name, starting with these bytes (its first kMemberHeadSize at least)
// and of this size is one the viewer opens (an archive is not: it is looked into instead).
bool IsRecognised(std::string_view fileName, std::span<const std::uint8_t> head,
                  std::uint64_t size);

// The questions a D64 or D71 image asks before it opens, from its size and the link bytes of its
// header sector (nothing for an image too short to have them): TooSmall, WrongSize (not for the
// known layouts) and BadHeader. True when the image is to be opened; refused or declined sets
// outcome's message or leaves it empty.
bool PassesD64Checks(std::u16string_view fileName, std::string_view extension, std::uint64_t size,
                     std::optional<std::array<std::uint8_t, 2>> headerLink, const AskYesNo& ask,
                     Opened& outcome);

// Opens the bytes of a file that is not an archive; sibling reads the other files of its folder
// where a format needs them.
Opened OpenContents(std::string_view fileName, std::vector<std::uint8_t> bytes, const AskYesNo& ask,
                    const ReadSibling& sibling = {});

}  // namespace kestrune
