// Reading the header sector and the directory of a loaded image into the disk fields and the
// directory entries.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/disk_image.h"
#include "image/volume.h"

namespace kestrune {

struct Block {
    int track;
    int sector;
};

struct Directory {
    DiskFields disk;
    std::vector<Block> sectors;           // the directory sectors read, in order
    std::vector<DirectoryEntry> entries;  // in directory order
    bool readError = false;               // an entry named a first track above 70 and was left out
};

Directory ReadDirectory(const DiskImage& image);

// A D64 or D71 image (35, 40 or 42 tracks, one or two sides, any size the user accepted) as a
// volume; unreadable marks the sectors a GCR image did not decode.
Volume OpenD64(DiskImage image, std::vector<bool> unreadable = {});

}  // namespace kestrune
