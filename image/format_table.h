// The formats the viewer reads, one row each, tried in the table's order: the first whose probe
// takes a file opens it. The file dialog's patterns, the extensions a file is known by, what an
// archive member must be to be opened, the MIME types and the desktop entry are all made from
// the rows. A new format is its own file pair and one row.
//
// The order: a file named as a D64 or D71 keeps those images' checks and questions; then the
// formats with a signature (G64/G71, NIB/NBZ, X64, PC64, TAP, T64, Lynx, CRT, CVT), a ZipCode
// part by its name and load address, the CMD disks by their size and partition table or header,
// an ARC or SDA by its name and first entry; then the D64 and D71 sizes, the D81 and the D80/D82
// by their contents or their name and size; last a Commodore file on its own, named by its type. A file named as a format that no probe took is refused with the row's
// reason.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/messages.h"
#include "image/volume.h"
#include "image/zipcode.h"

namespace kestrune {

// Asks the user a question (a message of kind Question); true means Yes.
using AskYesNo = std::function<bool(const Message&)>;

struct Opened {
    std::optional<Volume> volume;    // set when the file is opened
    std::optional<Message> message;  // a refusal to show; none when the user declined
};

// What a format is shown of a file: its name, its extension in small letters with the dot, its
// bytes (all of them when it is opened; the first ones when an archive member is looked at) and
// its size.
struct FileView {
    std::string_view fileName;
    std::string extension;
    std::span<const std::uint8_t> bytes;
    std::uint64_t size = 0;
    // The other files of its folder, for a format whose disk lies in several; empty inside an
    // archive.
    ReadSibling sibling;
};

// A MIME type the desktop learns for a format's files.
struct MimeType {
    std::string_view type;     // "application/x-d64"
    std::string_view comment;  // "Commodore 1541 disk image"
    std::string_view pattern;  // "d64"
};

// An extension a format's files have: a glob pattern in small letters without the dot, and what
// a file so named is called when it is refused (empty: never refused by its name).
struct Extension {
    std::string_view pattern;
    std::u16string_view what;
};

struct ImageFormat {
    std::string_view key;  // the row's name: "d64", "gcr", ...
    std::span<const Extension> extensions;
    std::span<const MimeType> mimeTypes;
    // Whether the row opens the file (all its bytes at hand).
    bool (*probe)(const FileView& file);
    // Whether an archive member with these first bytes and this size is one, whatever its name;
    // nothing for a format known by its name alone.
    bool (*looksLike)(const FileView& file);
    Opened (*open)(const FileView& file, std::vector<std::uint8_t> bytes, const AskYesNo& ask);
    // A partition entry of a volume the row opened, as a volume of its own; nothing for a format
    // without partitions, or an entry that is none.
    std::optional<Volume> (*openPartition)(const Volume& volume, const DirectoryEntry& entry);
    // Why a file named as one is refused when no probe took it.
    std::u16string_view refusal;
};

std::span<const ImageFormat> ImageFormats();

// The extensions of archives that are looked into for an image, in small letters without the dot.
inline constexpr std::array<std::string_view, 2> kArchivePatterns = {"zip", "gz"};

// Whether an extension (".d81", ".P00", ...) matches one of the patterns.
bool MatchesPattern(std::string_view extension, std::string_view pattern);

}  // namespace kestrune
