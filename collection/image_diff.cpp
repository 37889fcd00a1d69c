#include "collection/image_diff.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "collection/file_record.h"

namespace kestrune {

namespace {

bool SameLayout(const DiskLayout& a, const DiskLayout& b) {
    return a.lastTrack == b.lastTrack && a.sectors == b.sectors && a.trackOffset == b.trackOffset;
}

}  // namespace

ImageDiff DiffImages(const HeldImage& a, const HeldImage& b) {
    ImageDiff diff;
    const Volume& left = *a.volume;
    const Volume& right = *b.volume;
    // Files are paired by name, the first of a name with the first, and so on.
    std::size_t withoutBytes = 0;
    constexpr std::size_t kEveryRow = std::numeric_limits<std::size_t>::max();
    const std::vector<FileRow> inB = FileRows(right, kEveryRow, withoutBytes);
    std::vector<bool> paired(inB.size(), false);
    // B's rows of each name, in order, and how many of them are paired.
    std::unordered_map<std::string_view, std::pair<std::vector<std::size_t>, std::size_t>> named;
    for (std::size_t i = 0; i < inB.size(); ++i)
        named[inB[i].name].first.push_back(i);
    for (const FileRow& file : FileRows(left, kEveryRow, withoutBytes)) {
        const auto found = named.find(file.name);
        if (found == named.end() || found->second.second == found->second.first.size()) {
            diff.onlyInA.push_back(file.name);
            continue;
        }
        const std::size_t match = found->second.first[found->second.second++];
        paired[match] = true;
        const std::vector<std::uint8_t> none;
        const std::vector<std::uint8_t>& x = file.bytes ? *file.bytes : none;
        const std::vector<std::uint8_t>& y = inB[match].bytes ? *inB[match].bytes : none;
        if (x == y) continue;
        const auto [ex, ey] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
        diff.changed.push_back({file.name, static_cast<std::uint64_t>(ex - x.begin())});
    }
    for (std::size_t i = 0; i < inB.size(); ++i) {
        if (!paired[i]) diff.onlyInB.push_back(inB[i].name);
    }
    if (left.layout.lastTrack > 0 && SameLayout(left.layout, right.layout)) {
        std::vector<SectorPlace>& sectors = diff.sectors.emplace();
        for (int track = 1; track <= left.layout.lastTrack; ++track) {
            for (int sector = 0; sector < left.layout.sectors[track]; ++sector) {
                const std::uint32_t offset = *left.layout.Offset(track, sector);
                const bool inLeft = left.image.Holds(offset, 256);
                const bool inRight = right.image.Holds(offset, 256);
                if (inLeft != inRight ||
                    (inLeft && !std::equal(left.image.data.begin() + offset,
                                           left.image.data.begin() + offset + 256,
                                           right.image.data.begin() + offset)))
                    sectors.push_back({track, sector});
            }
        }
    }
    return diff;
}

}  // namespace kestrune
