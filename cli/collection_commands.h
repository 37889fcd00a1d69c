// The commands of kestrune-cli over a collection's index: index folders, find files in them.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kestrune::cli {

// The index used: the file given, or the default one.
struct CatalogOptions {
    std::optional<std::string> db;
};

struct IndexOptions : CatalogOptions {
    std::vector<std::string> paths;
    int jobs = 0;  // 0: one for each core
    bool rebuild = false;
};

struct FindOptions : CatalogOptions {
    std::optional<std::string> name;
    std::optional<std::uint16_t> load;
    std::optional<std::string> type;
    std::optional<std::string> format;
    std::optional<std::string> sha1;
    std::optional<std::string> sha256;
    std::optional<std::string> text;
    std::optional<std::vector<int>> bytes;
    std::size_t limit = 0;
    bool json = false;
};

struct DupesOptions : CatalogOptions {
    int minBlocks = 0;
    bool json = false;
};

struct DiffOptions {
    std::string a, b;
    std::optional<std::string> memberA, memberB;  // the image to take from an archive of several
    bool json = false;
};

// Both return the exit code.
int RunIndex(const IndexOptions& options, std::ostream& out, std::ostream& err);
int RunFind(const FindOptions& options, std::ostream& out, std::ostream& err);
int RunDupes(const DupesOptions& options, std::ostream& out, std::ostream& err);
// Exits 0 when the two are the same, 4 when they differ.
int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err);
// Every file of the index, one JSON document a line, with find's keys.
int RunExport(const CatalogOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kestrune::cli
