// What indexing one file finds, read apart from the index: files are read side by side, and
// stored one after the other.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "collection/hashes.h"
#include "image/volume.h"

namespace kestrune {

struct FileRow {
    int row = 0;       // 1-based, in directory order
    std::string name;  // as the list shows it, without trailing spaces
    std::string type;  // as the list shows it: "prg", "*seq", "usr<", ...
    int blocks = 0;
    std::optional<int> load;
    // The file's bytes (its chain, or what an archive holds) and their digests; none for a row
    // that names no file (a label, a partition, a GEOS file).
    std::optional<std::vector<std::uint8_t>> bytes;
    Sha1Digest sha1{};
    Sha256Digest sha256{};
    // What a search for text reads of it: its BASIC listing, or its bytes as PETSCII when they
    // are text; at most kMostTextBytes of UTF-8.
    std::string text;
};

inline constexpr std::size_t kMostTextBytes = 16384;

struct ImageRecord {
    std::optional<std::string> member;
    std::vector<int> partition;
    std::string format;
    std::string diskName;
    std::string diskId;
    std::optional<Sha1Digest> sha1;        // of the file's or member's bytes
    std::optional<std::int64_t> findings;  // what the check finds; none for an image not read
    std::optional<std::string> error;      // why it could not be read
    std::optional<std::string> note;       // what of it was left out of the index
    std::vector<FileRow> files;
};

struct FileRecord {
    std::vector<ImageRecord> images;
};

// The text of a file's bytes (load address first) for searching: the listing when it is a BASIC
// program, else the PETSCII text when nine in ten of its bytes are printable or RETURN, else none.
std::string SearchText(std::span<const std::uint8_t> bytes);

// The most rows of one image indexed: a directory that claims more (a native partition can list
// half a million) would cost seconds.
inline constexpr std::size_t kMostIndexedRows = 16384;

// The most bytes of one image's files read: a directory whose rows all name one long chain, or
// one archive's data, claims gigabytes that are not there.
inline constexpr std::size_t kMostImageFileBytes = 64u << 20;

// The first mostRows rows of a volume, without digests or texts, with their files' bytes as long
// as those come to at most kMostImageFileBytes; the rows after are listed without bytes and
// counted in withoutBytes.
std::vector<FileRow> FileRows(const Volume& volume, std::size_t mostRows,
                              std::size_t& withoutBytes);

// Reads every image the file at path holds (see LoadEveryImage), with every file's bytes.
FileRecord ReadForIndex(const std::string& path);

}  // namespace kestrune
