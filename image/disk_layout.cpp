#include "image/disk_layout.h"

#include "image/geometry.h"

namespace kestrune {

DiskLayout ZonedLayout(std::span<const TrackZone> zones, int sideTracks, int lastTrack) {
    DiskLayout layout;
    layout.lastTrack = lastTrack;
    std::uint32_t offset = 0;
    for (int track = 1; track <= lastTrack; ++track) {
        const int sideTrack = track > sideTracks ? track - sideTracks : track;
        int sectors = 0;
        for (const TrackZone& zone : zones) {
            if (sideTrack <= zone.lastTrack) {
                sectors = zone.sectors;
                break;
            }
        }
        layout.trackOffset[track] = offset;
        layout.sectors[track] = static_cast<std::uint16_t>(sectors);
        offset += 256u * static_cast<std::uint32_t>(sectors);
    }
    return layout;
}

DiskLayout Layout1541(std::uint64_t imageSize) {
    DiskLayout layout;
    layout.lastTrack = LastTrackOfSize(imageSize);
    layout.sectorsUnchecked = true;
    for (int track = 1; track <= layout.lastTrack; ++track) {
        layout.trackOffset[track] = SectorOffsetIn(imageSize, track, 0);
        const bool extraTrack = track > kLastTrackD64 && layout.lastTrack < kLastTrackD71;
        layout.sectors[track] = static_cast<std::uint16_t>(extraTrack ? 17 : SectorsOnTrack(track));
    }
    return layout;
}

}  // namespace kestrune
