// Following every chain of a volume to map its sectors to their owners and to check them against
// the BAM, the directory's block counts, the geometry and the error bytes.
#pragma once

#include <vector>

#include "image/volume.h"
#include "viewer/disk_map.h"

namespace kestrune {

struct DiskAnalysis {
    DiskMap map;
    std::vector<Finding> findings;  // by track, sector and kind
    // For each entry in directory order, the error sectors its chain crosses.
    std::vector<std::vector<Finding>> entryErrors;
};

// entries are the volume's, in directory order (a Session keeps them apart from it).
DiskAnalysis AnalyseDisk(const Volume& volume, const std::vector<DirectoryEntry>& entries);

}  // namespace kestrune
