// Indexing folders: every file under them named as an image, an archive or the first part of a
// ZipCode set, read a few at a time and stored one after the other.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "collection/catalog.h"

namespace kestrune {

struct IndexProgress {
    std::size_t done = 0;   // files stored or found unchanged
    std::size_t total = 0;  // files found
    std::size_t images = 0;
};

struct IndexSummary {
    std::size_t images = 0;     // in the files read
    std::size_t files = 0;      // rows of those images
    std::size_t failed = 0;     // images that could not be read
    std::size_t read = 0;       // files read
    std::size_t unchanged = 0;  // files indexed already as they are
    std::size_t removed = 0;    // files that left the folders
    // What could not be walked or read: folders that cannot be listed, links that lead back into
    // a folder being walked, files that cannot be read, images only partly indexed.
    std::vector<std::string> problems;
    bool cancelled = false;
};

// "2,000 images, 20,000 files, 0 failed (2,000 read, 0 unchanged, 0 removed)".
std::string SummaryLine(const IndexSummary& summary);

// Whether a file of this name is indexed: an image's or archive's extension, or a ZipCode set's
// first part (the others are read with it).
bool IsIndexedName(std::string_view fileName);

// Indexes the files and folders (recursively, following links to folders once) of paths,
// reading jobs files side by side. A file indexed with the same size and modification time is
// not read again; a file that left a folder given leaves the index. progress is told after each
// file; cancel, when set, stops the run after the files being read.
IndexSummary IndexPaths(Catalog& catalog, const std::vector<std::string>& paths, int jobs,
                        const std::function<void(const IndexProgress&)>& progress,
                        const std::atomic<bool>* cancel = nullptr);

}  // namespace kestrune
