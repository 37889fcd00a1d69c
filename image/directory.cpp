#include "image/directory.h"

#include <algorithm>
#include <bit>
#include <optional>

#include "image/cbm_directory.h"
#include "image/geometry.h"
#include "text/charsets.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::uint32_t kEntriesPerSector = 8;
constexpr int kWindowSectors = kDirectoryWindowLength / kSectorSize;  // 19

// Byte offsets inside the header sector and inside a directory entry.
constexpr std::uint32_t kBamEntries = 0x04;
constexpr std::uint32_t kDiskName = 0x90;
constexpr std::uint32_t kDiskId = 0xA2;
constexpr std::uint32_t kDosType = 0xA5;
constexpr std::uint32_t kGeosSignature = 0xAD;
constexpr std::uint32_t kNameLength = 16;

// A copy of an area of the image; bytes past the image's end read as 0.
template <std::size_t Length>
class Area {
  public:
    Area(const DiskImage& image, std::uint64_t offset) {
        if (offset < image.size()) {
            const auto available = std::min<std::uint64_t>(Length, image.size() - offset);
            std::copy_n(image.data.begin() + static_cast<std::ptrdiff_t>(offset), available,
                        bytes_.begin());
        }
    }
    std::uint8_t operator[](std::size_t offset) const { return bytes_[offset]; }
    std::uint16_t Word(std::size_t offset) const {
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }

  private:
    std::array<std::uint8_t, Length> bytes_{};
};

// Where 40-track DOS versions keep the BAM entries of tracks 36 to 40 in the header sector.
constexpr std::uint32_t kSpeedDosBam = 0xC0;
constexpr std::uint32_t kDolphinDosBam = 0xAC;
constexpr int kExtraTracks = 5;

// The free blocks of tracks 36 to 40 in the BAM extension at offset, when all five entries are
// consistent: a count that is the number of bits set in its three bitmap bytes, and at most 17.
std::optional<int> ExtensionFreeBlocks(const Area<kSectorSize>& header, std::uint32_t offset) {
    int free = 0;
    for (int track = 0; track < kExtraTracks; ++track) {
        const std::uint32_t entry = offset + 4 * static_cast<std::uint32_t>(track);
        const int bits = std::popcount(header[entry + 1]) + std::popcount(header[entry + 2]) +
                         std::popcount(header[entry + 3]);
        if (header[entry] != bits || bits > 17) return std::nullopt;
        free += bits;
    }
    return free;
}

bool AllZero(const Area<kSectorSize>& header, std::uint32_t offset) {
    for (std::uint32_t i = 0; i < 4 * kExtraTracks; ++i) {
        if (header[offset + i] != 0) return false;
    }
    return true;
}

// Where tracks 36 to 40 are kept: the SpeedDOS extension when consistent and not all zero, else
// the DolphinDOS one when consistent, else nowhere.
std::optional<std::uint32_t> ChosenExtension(const Area<kSectorSize>& header) {
    if (ExtensionFreeBlocks(header, kSpeedDosBam) && !AllZero(header, kSpeedDosBam))
        return kSpeedDosBam;
    if (ExtensionFreeBlocks(header, kDolphinDosBam)) return kDolphinDosBam;
    return std::nullopt;
}

int CountFreeBlocks(const DiskImage& image, const Area<kSectorSize>& header) {
    int free = 0;
    for (int track = 1; track <= kLastTrackD64; ++track) {
        if (track != kDirectoryTrack) free += header[kBamEntries + 4 * (track - 1)];
    }
    const std::optional<KnownLayout> layout = LayoutOfSize(image.size());
    if (!layout) return free;
    if (layout->lastTrack == kLastTrackD71) {
        // A double-sided image, with or without error bytes, counts its second side.
        for (std::uint32_t i = 0; i < kSecondSideBamLength; ++i) {
            free += std::popcount(image.data[kSecondSideBamOffset + i]);
        }
    } else if (layout->lastTrack > kLastTrackD64) {
        // Tracks 36 to 40 as SpeedDOS or DolphinDOS keep them, whichever BAM extension holds.
        if (const std::optional<std::uint32_t> extension = ChosenExtension(header))
            free += *ExtensionFreeBlocks(header, *extension);
    }
    return free;
}

// The load address of a program file: the first two data bytes of its first block.
std::uint16_t LoadAddress(const DiskImage& image, int track, int sector) {
    const std::uint64_t offset = SectorOffsetIn(image.size(), track, sector) + 2;
    return static_cast<std::uint16_t>(image.ByteAt(offset) | (image.ByteAt(offset + 1) << 8));
}

// The BAM of tracks 1 to 35 in the header sector, 36 to 70 of a D71 at 53/0, 36 to 40 of a 40-
// or 42-track D64 where a SpeedDOS or DolphinDOS extension holds them (as the free blocks count
// them); the header, the directory sectors read and a D71's track 53 kept by the DOS; error bytes.
void ReadBookkeeping(Volume& volume, const std::vector<Block>& directorySectors) {
    StartBookkeeping(volume);
    const Area<kSectorSize> header(volume.image, kHeaderOffset);
    const auto bitmapAt = [&](std::uint32_t offset) {
        return std::array<std::uint8_t, 3>{header[offset], header[offset + 1], header[offset + 2]};
    };
    for (int track = 1; track <= kLastTrackD64; ++track)
        SetBam(volume, track, bitmapAt(kBamEntries + 4 * (track - 1) + 1));
    const int lastTrack = volume.layout.lastTrack;
    if (lastTrack == kLastTrackD71 &&
        volume.image.Holds(kSecondSideBamOffset, kSecondSideBamLength)) {
        const std::uint8_t* side = volume.image.data.data() + kSecondSideBamOffset;
        for (int track = kLastTrackD64 + 1; track <= kLastTrackD71; ++track)
            SetBam(volume, track, std::span(side + 3 * (track - kLastTrackD64 - 1), 3));
        // The 1571 formats track 53 all in use: its sectors are the DOS's where the BAM says so.
        MarkSystem(volume, kSecondSideBamTrack, 0);
        const std::uint32_t first = volume.layout.trackOffset[kSecondSideBamTrack] / kSectorSize;
        for (int sector = 1; sector < SectorsOnTrack(kSecondSideBamTrack); ++sector) {
            const std::uint32_t block = first + static_cast<std::uint32_t>(sector);
            if (block < volume.bam.size() && volume.bam[block] == kBamUsed)
                MarkSystem(volume, kSecondSideBamTrack, sector);
        }
    } else if (lastTrack > kLastTrackD64 && LayoutOfSize(volume.image.size())) {
        const std::optional<std::uint32_t> extension = ChosenExtension(header);
        for (int track = kLastTrackD64 + 1; extension && track <= kLastTrackD64 + kExtraTracks;
             ++track)
            SetBam(volume, track, bitmapAt(*extension + 4 * (track - kLastTrackD64 - 1) + 1));
    }
    MarkSystem(volume, kDirectoryTrack, 0);
    for (const Block& block : directorySectors)
        MarkSystem(volume, block.track, block.sector);
    if (const std::optional<KnownLayout> layout = LayoutOfSize(volume.image.size());
        layout && layout->errorBytes) {
        TakeErrorBytes(volume, 256ull * volume.layout.SectorCount());
    }
}

}  // namespace

Directory ReadDirectory(const DiskImage& image) {
    const Area<kSectorSize> header(image, kHeaderOffset);
    Directory directory;
    DiskFields& disk = directory.disk;

    disk.blocksFree = CountFreeBlocks(image, header);
    disk.isGeosDisk = header[kGeosSignature] == 'G' && header[kGeosSignature + 1] == 'E' &&
                      header[kGeosSignature + 2] == 'O' && header[kGeosSignature + 3] == 'S';
    const char16_t* const table = disk.isGeosDisk ? GeosNameTable : PetsciiTable;

    for (std::uint32_t i = 0; i < kNameLength && header[kDiskName + i] != 0; ++i) {
        disk.diskName.push_back(table[header[kDiskName + i]]);
        disk.nameBytes.push_back(header[kDiskName + i]);
    }
    disk.diskName = AsciiUpper(disk.diskName);
    disk.diskId = {header[kDiskId], header[kDiskId + 1]};
    disk.dosType = {header[kDosType], header[kDosType + 1]};

    // The directory chain is followed inside the window of 19 sectors after the header; a link to
    // a sector outside it, or back to a sector already read, ends the walk.
    const Area<kDirectoryWindowLength> window(image, kDirectoryWindowOffset);
    directory.entries.reserve(kWindowSectors * kEntriesPerSector);
    std::array<bool, kWindowSectors + 1> read{};
    for (int sector = 1;;) {
        read[sector] = true;
        // The window's last sector is 19/0.
        directory.sectors.push_back(sector < kWindowSectors ? Block{kDirectoryTrack, sector}
                                                            : Block{kDirectoryTrack + 1, 0});
        const std::size_t base = kSectorSize * (sector - 1);
        for (std::size_t entry = base; entry < base + kSectorSize; entry += kEntrySize) {
            const std::uint8_t type = window[entry + kEntryType];
            if (type == 0 || window[entry + kEntryName] < 2) continue;
            const std::uint8_t track = window[entry + kEntryTrack];
            const std::uint8_t firstSector = window[entry + kEntrySector];
            if (track > kLastTrackD71) {
                directory.readError = true;
                break;
            }
            DirectoryEntry& row = directory.entries.emplace_back();
            row.blocks = window.Word(entry + kEntryBlocks);
            for (std::uint32_t i = 0; i < kNameLength; ++i)
                row.name[i] = window[entry + kEntryName + i];
            row.type = type;
            row.track = track;
            row.sector = firstSector;
            // A program at track 0 has no first block to take a load address from.
            if (IsProgramWithStart(type) && track != 0)
                row.loadAddress = LoadAddress(image, track, firstSector);
            row.geosType = window[entry + kEntryGeosType];
            for (std::uint32_t i = 0; i < row.date.size(); ++i)
                row.date[i] = window[entry + kEntryDate + i];
            row.recordLength = window[entry + kEntryRecordLength];
            row.auxTrack = window[entry + kEntryAuxTrack];
            row.auxSector = window[entry + kEntryAuxSector];
        }
        const std::uint8_t linkTrack = window[base];
        const std::uint8_t linkSector = window[base + 1];
        if (linkTrack != kDirectoryTrack || linkSector < 2 || linkSector > kWindowSectors ||
            read[linkSector]) {
            break;
        }
        sector = linkSector;
    }
    return directory;
}

Volume OpenD64(DiskImage image, std::vector<bool> unreadable) {
    Directory directory = ReadDirectory(image);
    Volume volume;
    volume.format = LastTrackOfSize(image.size()) == kLastTrackD71 ? "d71" : "d64";
    volume.disk = std::move(directory.disk);
    volume.entries = std::move(directory.entries);
    volume.readError = directory.readError;
    volume.layout = Layout1541(image.size());
    volume.image = std::move(image);
    volume.unreadable = std::move(unreadable);
    // A program whose first block did not decode has no load address to show.
    for (DirectoryEntry& entry : volume.entries) {
        const std::uint64_t block =
            SectorOffsetIn(volume.image.size(), entry.track, entry.sector) / kSectorSize;
        if (block < volume.unreadable.size() && volume.unreadable[block]) entry.loadAddress.reset();
    }
    ReadBookkeeping(volume, directory.sectors);
    return volume;
}

}  // namespace kestrune
