// A collection's index: an SQLite file in WAL mode, so that the window and kestrune-cli can use
// one at the same time. It holds the files indexed (path, size, modification time), the images
// each holds (archive member, partition rows, format, disk name and ID, the SHA-1 of the image's
// bytes, the check's finding count, or why it could not be read), their files (row, name as the
// list shows it, type, blocks, load address) and every file's bytes once, by SHA-256, with names
// searchable by any part (FTS5, trigrams). Files are stored a few at a time, each batch one
// transaction: an indexer killed mid-run leaves the files it stored, and the next run indexes the
// rest.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "collection/file_record.h"

namespace kestrune {

// The version of the layout this program writes (PRAGMA user_version).
inline constexpr int kCatalogVersion = 2;

struct CatalogQuery {
    std::optional<std::string> folder;  // files under it (absolute, ending in '/') only
    std::optional<std::string> name;    // a glob (*, ?) or, without one, any part of the name
    std::optional<std::uint16_t> load;
    std::optional<std::string> type;    // "prg", "seq", ...
    std::optional<std::string> format;  // "d64", "t64", ...
    std::optional<std::string> sha1;    // of the file's bytes, in hexadecimal
    std::optional<std::string> sha256;
    std::optional<std::string> text;  // any part of the file's listing or text, in any case
    // Bytes the file holds one after the other, -1 for any byte.
    std::optional<std::vector<int>> bytes;
    std::size_t limit = 0;  // 0 for every hit
};

// A byte pattern as typed: two hexadecimal digits a byte, ?? for any byte, spaces anywhere
// ("a9 ?? 8d"); nothing for anything else or an empty pattern.
std::optional<std::vector<int>> ParseBytePattern(std::string_view text);

// A load address as typed: $c000, 0xc000 or decimal; nothing for anything else or past $FFFF.
std::optional<std::uint16_t> ParseLoadAddress(std::string_view text);

struct CatalogHit {
    std::string image;  // the file's absolute path
    std::optional<std::string> member;
    std::vector<int> partition;
    int row = 0;  // 1-based, in directory order
    std::string name;
    std::string type;
    int blocks = 0;
    std::optional<int> load;
    std::uint64_t size = 0;
    std::string sha1;
    std::string sha256;
};

// An image indexed under a folder: a file, an archive's member, or a partition in either.
struct FolderImage {
    std::string path;  // the file's absolute path
    std::optional<std::string> member;
    std::vector<int> partition;
    std::string format;
    std::string diskName;
    std::size_t files = 0;
    std::optional<std::string> error;  // why it could not be read
};

struct DuplicatePlace {
    std::string image;
    std::optional<std::string> member;
    std::vector<int> partition;
    int row = 0;
    std::string name;
};

struct DuplicateFile {
    std::string sha256;
    std::uint64_t size = 0;
    std::vector<DuplicatePlace> places;
};

// What a collection holds more than once. Images are named by their file, "/" and the member in
// it, and " > " and the partition rows they lie in.
struct Duplicates {
    std::vector<std::vector<std::string>> images;    // byte for byte the same
    std::vector<DuplicateFile> files;                // in two places or more
    std::vector<std::vector<std::string>> filesets;  // other bytes, the same files
};

struct IndexedFile {
    std::size_t images = 0;
    std::size_t files = 0;
    std::size_t failed = 0;  // images that could not be read
};

IndexedFile CountsOf(const FileRecord& record);

// A file as read for the index, with the size and modification time it was read at.
struct SourceFile {
    std::string path;  // absolute
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    FileRecord record;
};

// Its calls throw std::runtime_error with SQLite's words when the file turns out damaged.
class Catalog {
  public:
    // Opens the index at path, making it when there is none; nothing, with why, for a file that is
    // damaged, not an index or written by a newer version. rebuild empties it first.
    static std::optional<Catalog> Open(const std::string& path, bool rebuild, std::string& why);
    ~Catalog();
    Catalog(Catalog&&) noexcept;
    Catalog& operator=(Catalog&&) noexcept;

    // Whether the file at path (absolute) is indexed as it is now.
    bool IsCurrent(const std::string& path, std::uint64_t size, std::int64_t modified) const;
    // Indexes every image the file holds, in place of what was indexed of it before: read, then
    // stored.
    IndexedFile IndexFile(const std::string& path, std::uint64_t size, std::int64_t modified);
    // Stores files read, each in place of what was indexed of it before, in one transaction.
    void Store(std::span<const SourceFile> files);
    // Forgets the indexed files under folder (absolute, ending in '/') that are not in present.
    std::size_t ForgetMissing(const std::string& folder, const std::vector<std::string>& present);

    // The images indexed under folder (absolute, ending in '/'), by path and in the order each
    // file holds them.
    std::vector<FolderImage> ImagesUnder(const std::string& folder) const;

    std::vector<CatalogHit> Find(const CatalogQuery& query) const;
    // The same hits one at a time, for a collection too large to hold them.
    void Each(const CatalogQuery& query, const std::function<void(const CatalogHit&)>& take) const;
    // Files of at least minBlocks blocks are counted as duplicates.
    Duplicates FindDuplicates(int minBlocks) const;

  private:
    struct Database;
    explicit Catalog(std::unique_ptr<Database> database);
    std::unique_ptr<Database> database_;
};

}  // namespace kestrune
