// Where each sector of a disk image lies. Every Commodore disk image keeps its 256-byte sectors
// track by track from track 1 on; drives differ in how many sectors each track holds.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrune {

// The most tracks any supported disk has: the 255 of a CMD native partition (an 8250 has 154).
inline constexpr int kMaximumTracks = 255;

// A run of tracks with the same number of sectors: every track up to lastTrack after the zone
// before it.
struct TrackZone {
    int lastTrack;
    int sectors;
};

struct DiskLayout {
    int lastTrack = 0;
    std::array<std::uint32_t, kMaximumTracks + 1> trackOffset{};  // entry 0 stands for no track
    std::array<std::uint16_t, kMaximumTracks + 1> sectors{};  // up to 256
    // 1541 and 1571 images do not compare a sector with its track's count: a larger sector number
    // reads on into the tracks after it (or past the image's end, where nothing is read).
    bool sectorsUnchecked = false;

    // Image offset of a sector, or nothing for a track outside 1 to lastTrack, a sector above 255
    // or, where sectors are checked, a sector the track does not have.
    std::optional<std::uint32_t> Offset(int track, int sector) const {
        if (track < 1 || track > lastTrack || sector < 0) return std::nullopt;
        if (sector >= (sectorsUnchecked ? 256 : sectors[track])) return std::nullopt;
        return trackOffset[track] + 256u * static_cast<std::uint32_t>(sector);
    }
    std::uint32_t SectorCount() const {
        return lastTrack < 1 ? 0 : (trackOffset[lastTrack] / 256u + sectors[lastTrack]);
    }
};

// The layout of a drive whose zones repeat on a second side: tracks sideTracks + 1 on follow the
// zones again. Without a second side sideTracks is the last track.
DiskLayout ZonedLayout(std::span<const TrackZone> zones, int sideTracks, int lastTrack);

// The layout the viewer reads a D64 or D71 image of this size with (see geometry.h).
DiskLayout Layout1541(std::uint64_t imageSize);

}  // namespace kestrune
