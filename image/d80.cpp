#include "image/d80.h"

#include <array>

#include "image/cbm_directory.h"

namespace kestrune {

namespace {

constexpr int kSideTracks = 77;
constexpr int kHeaderTrack = 39;
constexpr int kBamTrack = 38;
// clang-format off
constexpr std::array<TrackZone, 4> kZones = {{
    {39, 29},
    {53, 27},
    {64, 25},
    {77, 23},
}};
// clang-format on

// Offsets in the header sector and in a BAM sector.
constexpr std::uint32_t kDosVersion = 0x02;
constexpr std::uint32_t kDiskName = 0x06;
constexpr std::uint32_t kDiskId = 0x18;
constexpr std::uint32_t kDosType = 0x1B;
constexpr std::uint32_t kBamLowTrack = 0x04;   // the first track this BAM sector counts
constexpr std::uint32_t kBamHighTrack = 0x05;  // one past its last
constexpr std::uint32_t kBamEntries = 0x06;    // 5 bytes a track: free count, 4 bitmap bytes
constexpr int kBamSectors = 4;

int LastTrackOfSize(std::uint64_t size) {
    return size >= kD82Size ? 2 * kSideTracks : kSideTracks;
}

DiskLayout Layout(std::uint64_t size) {
    return ZonedLayout(kZones, kSideTracks, LastTrackOfSize(size));
}

// The free blocks of every BAM sector in the chain from 38/0 (which leaves track 38 for the
// directory after the last), the header's track left out; each BAM sector is the file system's.
int ReadBam(Volume& volume) {
    int free = 0;
    std::vector<bool> read(volume.layout.SectorCount());
    int track = kBamTrack;
    int sector = 0;
    for (int count = 0; count < kBamSectors && track == kBamTrack; ++count) {
        const std::uint8_t* bam = SectorOf(volume, track, sector);
        if (!bam) break;
        const std::uint32_t index = *volume.layout.Offset(track, sector) / 256;
        if (read[index]) break;
        read[index] = true;
        MarkSystem(volume, track, sector);
        for (int counted = bam[kBamLowTrack], slot = 0;
             counted < bam[kBamHighTrack] && kBamEntries + 5 * slot + 5 <= 256; ++counted, ++slot) {
            SetBam(volume, counted, std::span(bam + kBamEntries + 5 * slot + 1, 4));
            if (counted != kHeaderTrack) free += bam[kBamEntries + 5 * slot];
        }
        track = bam[0];
        sector = bam[1];
    }
    return free;
}

}  // namespace

bool LooksLikeD80(std::span<const std::uint8_t> bytes) {
    const std::uint64_t size = bytes.size();
    const std::uint64_t sectors80 = kD80Size / 256;
    const std::uint64_t sectors82 = kD82Size / 256;
    if (size != kD80Size && size != kD80Size + sectors80 && size != kD82Size &&
        size != kD82Size + sectors82) {
        return false;
    }
    const std::uint32_t header = *Layout(size).Offset(kHeaderTrack, 0);
    return header + kDosVersion < size && bytes[header + kDosVersion] == 'C';
}

Volume OpenD80(DiskImage image) {
    Volume volume;
    volume.layout = Layout(image.size());
    volume.format = volume.layout.lastTrack == kSideTracks ? "d80" : "d82";
    volume.image = std::move(image);
    StartBookkeeping(volume);
    TakeErrorBytes(volume, 256ull * volume.layout.SectorCount());
    MarkSystem(volume, kHeaderTrack, 0);
    if (const std::uint8_t* header = SectorOf(volume, kHeaderTrack, 0)) {
        DiskFields& disk = volume.disk;
        disk.diskName = DiskNameText(std::span(header + kDiskName, 16), false);
        disk.nameBytes = NameBytes(std::span(header + kDiskName, 16));
        disk.diskId = {header[kDiskId], header[kDiskId + 1]};
        disk.dosType = {header[kDosType], header[kDosType + 1]};
        disk.blocksFree = ReadBam(volume);
    }
    ReadDirectoryChain(volume, kHeaderTrack, 1);
    return volume;
}

}  // namespace kestrune
