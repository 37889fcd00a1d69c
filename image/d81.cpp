#include "image/d81.h"

#include <array>

#include "image/cbm_directory.h"

namespace kestrune {

namespace {

constexpr int kTracks = 80;
constexpr int kSectorsPerTrack = 40;
constexpr int kHeaderTrack = 40;
constexpr std::array<TrackZone, 1> kZones = {{{kTracks, kSectorsPerTrack}}};

// Offsets in the header sector and in a BAM sector.
constexpr std::uint32_t kDosVersion = 0x02;
constexpr std::uint32_t kDiskName = 0x04;
constexpr std::uint32_t kDiskId = 0x16;
constexpr std::uint32_t kDosType = 0x19;
constexpr std::uint32_t kGeosSignature = 0xAD;
constexpr std::uint32_t kBamEntries = 0x10;  // 6 bytes a track: free count, then 5 bitmap bytes
constexpr int kTracksPerBamSector = 40;
constexpr std::uint8_t kPartitionType = 5;  // CBM

const DiskLayout& Layout() {
    static const DiskLayout layout = ZonedLayout(kZones, kTracks, kTracks);
    return layout;
}

// The fields of a header at track/0 and the free blocks its BAM (track/1 and track/2) counts on
// the tracks from firstTrack to lastTrack, its own track left out.
void ReadHeader(Volume& volume, int track, int firstTrack, int lastTrack) {
    const std::uint8_t* header = SectorOf(volume, track, 0);
    if (!header) return;
    DiskFields& disk = volume.disk;
    disk.isGeosDisk = header[kGeosSignature] == 'G' && header[kGeosSignature + 1] == 'E' &&
                      header[kGeosSignature + 2] == 'O' && header[kGeosSignature + 3] == 'S';
    disk.diskName = DiskNameText(std::span(header + kDiskName, 16), disk.isGeosDisk);
    disk.nameBytes = NameBytes(std::span(header + kDiskName, 16));
    disk.diskId = {header[kDiskId], header[kDiskId + 1]};
    disk.dosType = {header[kDosType], header[kDosType + 1]};
    disk.blocksFree = 0;
    for (int counted = firstTrack; counted <= lastTrack; ++counted) {
        const int bamSector = counted <= kTracksPerBamSector ? 1 : 2;
        const std::uint8_t* bam = SectorOf(volume, track, bamSector);
        if (!bam) continue;
        const int slot = (counted - 1) % kTracksPerBamSector;
        SetBam(volume, counted, std::span(bam + kBamEntries + 6 * slot + 1, 5));
        if (counted != track) disk.blocksFree += bam[kBamEntries + 6 * slot];
    }
    for (int system = 0; system < 3; ++system)
        MarkSystem(volume, track, system);
}

// Marks the partitions that can hold a directory: whole tracks from sector 0, at least three,
// inside the tracks from firstTrack to lastTrack and clear of track 40.
void MarkPartitions(Volume& volume, int firstTrack, int lastTrack) {
    for (DirectoryEntry& entry : volume.entries) {
        if ((entry.type & 7) != kPartitionType || entry.sector != 0) continue;
        if (entry.blocks % kSectorsPerTrack != 0 || entry.blocks < 3 * kSectorsPerTrack) continue;
        const int first = entry.track;
        const int last = first + entry.blocks / kSectorsPerTrack - 1;
        if (first < firstTrack || last > lastTrack) continue;
        if (first <= kHeaderTrack && last >= kHeaderTrack) continue;
        entry.partition = true;
    }
}

}  // namespace

bool LooksLikeD81(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kD81Size && bytes.size() != kD81WithErrorsSize) return false;
    const std::uint32_t header = *Layout().Offset(kHeaderTrack, 0);
    return bytes[header + kDosVersion] == 'D';
}

Volume OpenD81(DiskImage image) {
    Volume volume;
    volume.format = "d81";
    volume.layout = Layout();
    volume.image = std::move(image);
    StartBookkeeping(volume);
    TakeErrorBytes(volume, kD81Size);
    ReadHeader(volume, kHeaderTrack, 1, kTracks);
    ReadDirectoryChain(volume, kHeaderTrack, 3);
    MarkPartitions(volume, 1, kTracks);
    return volume;
}

std::optional<Volume> OpenD81Partition(const Volume& volume, const DirectoryEntry& entry) {
    if (!entry.partition || volume.format != "d81") return std::nullopt;
    const int first = entry.track;
    const int last = first + entry.blocks / kSectorsPerTrack - 1;
    Volume partition;
    partition.format = volume.format;
    partition.layout = volume.layout;
    partition.image = volume.image;
    partition.unreadable = volume.unreadable;
    partition.partitionTracks = std::pair(first, last);
    StartBookkeeping(partition);
    partition.errorBytes = volume.errorBytes;
    ReadHeader(partition, first, first, last);
    ReadDirectoryChain(partition, first, 3);
    MarkPartitions(partition, first + 1, last);
    return partition;
}

}  // namespace kestrune
