// Following every chain of a volume to map its sectors to their owners and to check them against
// the BAM, the directory's block counts, the geometry and the error bytes. Each distinct chain is
// followed once, however many entries share it, so a directory whose thousands of rows all name
// one chain costs no more than that chain.
#pragma once

#include <cstdint>
#include <vector>

#include "image/volume.h"
#include "viewer/disk_map.h"

namespace kestrune {

struct DiskAnalysis {
    DiskMap map;
    std::vector<Finding> findings;  // by track, sector and kind
};

// entries are the volume's, in directory order (a Session keeps them apart from it).
DiskAnalysis AnalyseDisk(const Volume& volume, const std::vector<DirectoryEntry>& entries);

// A sector with an error byte that a file's chain crosses.
struct ErrorCrossing {
    int track = 0;
    int sector = 0;
    std::uint8_t errorByte = 0;

    bool operator==(const ErrorCrossing&) const = default;
};

// The error sectors the chains of one entry cross, in the order its chains pass them, each once;
// empty for a volume without error bytes. It follows that entry's chains alone.
std::vector<ErrorCrossing> ErrorSectorsOf(const Volume& volume, const DirectoryEntry& entry);

}  // namespace kestrune
