// What differs between two images: the files only one holds (by name, as the list shows it),
// the files of one name with other bytes (from the first byte that differs), and, where both
// are disks of one layout, the sectors that differ.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/loader.h"

namespace kestrune {

struct ChangedFile {
    std::string name;
    std::uint64_t offset = 0;  // the first byte that differs (the shorter file's size at most)
};

struct SectorPlace {
    int track = 0;
    int sector = 0;
    bool operator==(const SectorPlace&) const = default;
};

struct ImageDiff {
    std::vector<std::string> onlyInA;
    std::vector<std::string> onlyInB;
    std::vector<ChangedFile> changed;
    // Nothing when the two are not disks of the same layout.
    std::optional<std::vector<SectorPlace>> sectors;

    bool Same() const {
        return onlyInA.empty() && onlyInB.empty() && changed.empty() &&
               (!sectors || sectors->empty());
    }
};

// Both must hold a volume.
ImageDiff DiffImages(const HeldImage& a, const HeldImage& b);

}  // namespace kestrune
