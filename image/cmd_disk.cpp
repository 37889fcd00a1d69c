#include "image/cmd_disk.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>

#include "image/cbm_directory.h"
#include "image/d81.h"
#include "image/directory.h"
#include "image/faults.h"
#include "image/geometry.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// The CMD floppies: 81 tracks, the last the system's.
constexpr int kFloppyTracks = 81;
constexpr int kTableSector = 8;
constexpr std::size_t kTableEntries = 32;
constexpr std::uint64_t kPartitionBlock = 512;
constexpr std::array<std::uint8_t, 16> kSystemName = {
    'S', 'Y', 'S', 'T', 'E', 'M', 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0, 0xA0};

struct Floppy {
    std::uint64_t size;
    int sectors;
    std::string_view format;
};
constexpr std::array<Floppy, 3> kFloppies = {
    {{kD1MSize, 40, "d1m"}, {kD2MSize, 80, "d2m"}, {kD4MSize, 160, "d4m"}}};

// Partition types of the table, and what each opens as.
constexpr std::uint8_t kNativeType = 1;
constexpr std::uint8_t kLastOpenedType = 4;
constexpr std::uint8_t kSystemType = 0xFF;
constexpr std::array<std::u16string_view, 8> kPartitionTypes = {u"",
                                                                u"native",
                                                                u"1541 emulation",
                                                                u"1571 emulation",
                                                                u"1581 emulation",
                                                                u"1581 CP/M emulation",
                                                                u"print buffer",
                                                                u"foreign"};
// The sizes in blocks an emulation partition needs to hold its disk.
constexpr std::array<std::uint64_t, 5> kLeastBlocks = {0, 0, 683, 1366, 3200};

// Native partitions: tracks of 256 sectors, the header, BAM and directory on track 1.
constexpr int kNativeSectors = 256;
constexpr std::uint64_t kNativeTrackSize = 256 * 256;
constexpr int kHeaderSector = 1;
constexpr int kBamSector = 2;
constexpr int kLastBamSector = 33;
constexpr std::uint32_t kLastTrackByte = 0x08;
constexpr std::uint32_t kDiskName = 0x04;
constexpr std::uint32_t kDiskId = 0x16;
constexpr std::uint32_t kDosType = 0x19;
constexpr std::uint32_t kGeosSignature = 0xAD;
constexpr std::uint32_t kBamBytesPerTrack = 32;
constexpr std::uint8_t kDirectoryType = 6;

const Floppy* FloppyOfSize(std::uint64_t size) {
    for (const Floppy& floppy : kFloppies) {
        // With or without an error byte for each sector.
        if (size == floppy.size || size == floppy.size + floppy.size / 256) return &floppy;
    }
    return nullptr;
}

std::uint64_t TableOffset(const Floppy& floppy) {
    return (static_cast<std::uint64_t>(kFloppyTracks - 1) * floppy.sectors + kTableSector) * 256;
}

std::uint64_t BigEndian24(const std::uint8_t* bytes) {
    return static_cast<std::uint64_t>(bytes[0]) << 16 | bytes[1] << 8 | bytes[2];
}

std::u16string Quoted(std::span<const std::uint8_t> name) {
    return u"\"" + FileNameText(name) + u"\"";
}

std::u16string_view TypeName(std::uint8_t type) {
    return type < kPartitionTypes.size() && type != 0 ? kPartitionTypes[type] : u"unknown";
}

// Reads the header of a native directory at track/sector, the partition's BAM and the
// directory its header links to.
void ReadNativeDirectory(Volume& volume, int track, int sector) {
    const std::uint8_t* header = SectorOf(volume, track, sector);
    if (header == nullptr) {
        volume.readError = true;
        return;
    }
    DiskFields& disk = volume.disk;
    disk.isGeosDisk = std::equal(header + kGeosSignature, header + kGeosSignature + 4, "GEOS");
    disk.diskName = DiskNameText(std::span(header + kDiskName, 16), disk.isGeosDisk);
    disk.nameBytes = NameBytes(std::span(header + kDiskName, 16));
    disk.diskId = {header[kDiskId], header[kDiskId + 1]};
    disk.dosType = {header[kDosType], header[kDosType + 1]};
    disk.blocksFree = 0;
    MarkSystem(volume, 1, 0);
    MarkSystem(volume, track, sector);
    const std::uint8_t* first = SectorOf(volume, 1, kBamSector);
    const int lastTrack =
        first == nullptr ? 0 : std::min<int>(first[kLastTrackByte], volume.layout.lastTrack);
    for (int bamSector = kBamSector; bamSector <= kLastBamSector; ++bamSector)
        MarkSystem(volume, 1, bamSector);
    for (int counted = 1; counted <= lastTrack; ++counted) {
        const std::uint8_t* bam = SectorOf(volume, 1, kBamSector + counted / 8);
        if (bam == nullptr) continue;
        // Sector 0 is the high bit of the first byte.
        std::array<std::uint8_t, kBamBytesPerTrack> bitmap;
        const std::uint8_t* bits = bam + (counted % 8) * kBamBytesPerTrack;
        for (std::size_t i = 0; i < bitmap.size(); ++i) {
            std::uint8_t reversed = 0;
            for (int bit = 0; bit < 8; ++bit)
                reversed |= ((bits[i] >> bit) & 1) << (7 - bit);
            bitmap[i] = reversed;
            disk.blocksFree += std::popcount(bits[i]);
        }
        SetBam(volume, counted, bitmap);
    }
    ReadDirectoryChain(volume, header[0], header[1]);
    for (DirectoryEntry& entry : volume.entries) {
        if ((entry.type & 7) != kDirectoryType || !volume.layout.Offset(entry.track, entry.sector))
            continue;
        entry.partition = true;
        entry.partitionKind = PartitionKind::Subdirectory;
    }
}

Volume NativeVolume(DiskImage image) {
    Volume volume;
    volume.format = "dnp";
    const int tracks =
        static_cast<int>(std::min<std::uint64_t>(image.size() / kNativeTrackSize, kMaximumTracks));
    const std::array<TrackZone, 1> zones = {{{tracks, kNativeSectors}}};
    volume.layout = ZonedLayout(zones, tracks, tracks);
    volume.image = std::move(image);
    StartBookkeeping(volume);
    return volume;
}

// The bytes of a partition of a CMD floppy.
DiskImage PartitionBytes(const Volume& volume, const DirectoryEntry& entry, std::uint64_t size) {
    const std::uint32_t offset = *volume.layout.Offset(entry.track, entry.sector);
    const auto begin = volume.image.data.begin() + offset;
    return DiskImage{{begin, begin + static_cast<std::ptrdiff_t>(size)}};
}

}  // namespace

bool LooksLikeCmdFloppy(std::span<const std::uint8_t> bytes) {
    const Floppy* floppy = FloppyOfSize(bytes.size());
    if (floppy == nullptr) return false;
    const std::uint64_t table = TableOffset(*floppy);
    return std::equal(kSystemName.begin(), kSystemName.end(), bytes.begin() + table + 5);
}

Volume OpenCmdFloppy(DiskImage image, std::string_view fileName) {
    const Floppy& floppy = *FloppyOfSize(image.size());
    Volume volume;
    volume.format = floppy.format;
    const std::array<TrackZone, 1> zones = {{{kFloppyTracks, floppy.sectors}}};
    volume.layout = ZonedLayout(zones, kFloppyTracks, kFloppyTracks);
    volume.image = std::move(image);
    StartBookkeeping(volume);
    TakeErrorBytes(volume, floppy.size);
    volume.disk.diskName = AsciiUpper(VisibleUtf8(fileName));
    for (int sector = 0; sector < floppy.sectors; ++sector)
        MarkSystem(volume, kFloppyTracks, sector);

    // Partitions lie on the tracks before the system's.
    const std::uint64_t partitionBlocks =
        static_cast<std::uint64_t>(kFloppyTracks - 1) * static_cast<std::uint64_t>(floppy.sectors);
    std::u16string faults;
    std::size_t partitions = 0;
    for (std::size_t i = 1; i < kTableEntries; ++i) {
        const std::uint8_t* slot = volume.image.data.data() + TableOffset(floppy) + i * kEntrySize;
        const std::uint8_t type = slot[kEntryType];
        if (type == 0 || type == kSystemType) continue;
        ++partitions;
        DirectoryEntry& entry = volume.entries.emplace_back();
        std::copy_n(slot + kEntryName, entry.name.size(), entry.name.begin());
        entry.type = 0x80 | 5;
        const std::uint64_t start = BigEndian24(slot + 0x15) * (kPartitionBlock / 256);
        const std::uint64_t blocks = BigEndian24(slot + 0x1D) * (kPartitionBlock / 256);
        entry.blocks = static_cast<std::uint16_t>(std::min<std::uint64_t>(blocks, 0xFFFF));
        const std::u16string what =
            std::u16string(TypeName(type)) + u" partition " + Quoted(entry.name);
        if (start + blocks > partitionBlocks) {
            AddFault(faults, u"the " + what + u" reaches past track " +
                                 GroupedDecimal(kFloppyTracks - 1) + u" and is not read");
            continue;
        }
        if (type > kLastOpenedType) continue;
        if (blocks < kLeastBlocks[type] || (type == kNativeType && blocks < kNativeSectors)) {
            AddFault(faults, u"the " + what + u" is too small to hold its disk and is not read");
            continue;
        }
        entry.track = static_cast<std::uint8_t>(start / floppy.sectors + 1);
        entry.sector = static_cast<std::uint8_t>(start % floppy.sectors);
        entry.partition = true;
        entry.partitionKind = static_cast<PartitionKind>(type);
    }
    std::u16string about = u"CMD " +
                           AsciiUpper(std::u16string(floppy.format.begin(), floppy.format.end())) +
                           u" disk: " + GroupedDecimal(partitions) +
                           (partitions == 1 ? u" partition" : u" partitions");
    volume.fault = faults.empty() ? about : about + u"; " + faults;
    return volume;
}

bool LooksLikeDnp(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kNativeTrackSize || bytes.size() % kNativeTrackSize != 0 ||
        bytes.size() / kNativeTrackSize > kMaximumTracks)
        return false;
    const std::uint8_t* header = bytes.data() + kHeaderSector * 256;
    return header[2] == 'H' && header[kDosType] == '1' && header[kDosType + 1] == 'H';
}

Volume OpenDnp(DiskImage image) {
    Volume volume = NativeVolume(std::move(image));
    ReadNativeDirectory(volume, 1, kHeaderSector);
    return volume;
}

std::optional<Volume> OpenCmdPartition(const Volume& volume, const DirectoryEntry& entry) {
    if (!entry.partition) return std::nullopt;
    if (volume.format == "dnp" && entry.partitionKind == PartitionKind::Subdirectory) {
        Volume directory;
        directory.format = volume.format;
        directory.layout = volume.layout;
        directory.image = volume.image;
        StartBookkeeping(directory);
        ReadNativeDirectory(directory, entry.track, entry.sector);
        return directory;
    }
    if (volume.format != "d1m" && volume.format != "d2m" && volume.format != "d4m")
        return std::nullopt;
    switch (entry.partitionKind) {
        case PartitionKind::Native:
            return OpenDnp(PartitionBytes(volume, entry, entry.blocks * 256ull));
        case PartitionKind::Emulation1541:
            return OpenD64(PartitionBytes(volume, entry, kD64Size));
        case PartitionKind::Emulation1571:
            return OpenD64(PartitionBytes(volume, entry, kD71Size));
        case PartitionKind::Emulation1581:
            return OpenD81(PartitionBytes(volume, entry, kD81Size));
        default:
            return std::nullopt;
    }
}

}  // namespace kestrune
