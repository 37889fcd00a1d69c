#include "tests/support/format_builders.h"

#include <cstdio>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

#include "image/geometry.h"

namespace kestrune::testing {

namespace {

void PutFilled(std::span<std::uint8_t> field, std::string_view text, std::uint8_t pad = 0xA0) {
    std::fill(field.begin(), field.end(), pad);
    std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

constexpr std::array<TrackZone, 1> kD81Zones = {{{80, 40}}};
constexpr std::array<TrackZone, 4> kD80Zones = {{{39, 29}, {53, 27}, {64, 25}, {77, 23}}};

// The 1581 header and BAM at track/0 to track/2 for the tracks first to last, track/3 an empty
// directory sector.
void FormatD81Header(LayoutDiskBuilder& disk, int track, int first, int last,
                     std::string_view name) {
    auto header = disk.Sector(track, 0);
    header[0] = static_cast<std::uint8_t>(track);
    header[1] = 3;
    header[2] = 'D';
    PutFilled(header.subspan(4, 16), name);
    PutFilled(header.subspan(0x14, 2), "");
    header[0x16] = 'K';
    header[0x17] = 'T';
    header[0x18] = 0xA0;
    header[0x19] = '3';
    header[0x1A] = 'D';
    for (int side = 0; side < 2; ++side) {
        auto bam = disk.Sector(track, 1 + side);
        bam[0] = side == 0 ? static_cast<std::uint8_t>(track) : 0;
        bam[1] = side == 0 ? 2 : 0xFF;
        bam[2] = 'D';
        bam[3] = 0xBB;
        bam[4] = 'K';
        bam[5] = 'T';
        for (int slot = 0; slot < 40; ++slot) {
            const int counted = 40 * side + slot + 1;
            if (counted < first || counted > last) continue;
            const int free = counted == track ? 36 : 40;
            bam[0x10 + 6 * slot] = static_cast<std::uint8_t>(free);
            std::fill_n(bam.begin() + 0x11 + 6 * slot, 5, 0xFF);
        }
    }
    auto directory = disk.Sector(track, 3);
    directory[0] = 0;
    directory[1] = 0xFF;
}

// Group code recording: four bytes as five.
constexpr std::array<std::uint8_t, 16> kGcr = {0x0A, 0x0B, 0x12, 0x13, 0x0E, 0x0F, 0x16, 0x17,
                                               0x09, 0x19, 0x1A, 0x1B, 0x0D, 0x1D, 0x1E, 0x15};

void AppendGcr(Bytes& out, std::span<const std::uint8_t> bytes) {
    for (std::size_t group = 0; group < bytes.size(); group += 4) {
        std::uint64_t bits = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::uint8_t byte = bytes[group + i];
            bits = (bits << 10) | (kGcr[byte >> 4] << 5) | kGcr[byte & 0x0F];
        }
        for (int k = 4; k >= 0; --k)
            out.push_back(static_cast<std::uint8_t>(bits >> (8 * k)));
    }
}

Bytes RotatedBits(const Bytes& track, int shift) {
    if (shift == 0) return track;
    Bytes rotated(track.size());
    for (std::size_t i = 0; i < track.size(); ++i) {
        const std::uint8_t previous = track[(i + track.size() - 1) % track.size()];
        rotated[i] = static_cast<std::uint8_t>((track[i] >> shift) | (previous << (8 - shift)));
    }
    return rotated;
}

void Put32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

LayoutDiskBuilder::LayoutDiskBuilder(DiskLayout layout)
    : layout_(layout), bytes_(256u * layout.SectorCount(), 0) {}

std::span<std::uint8_t> LayoutDiskBuilder::Sector(int track, int sector) {
    const auto offset = layout_.Offset(track, sector);
    if (!offset || *offset + 256 > bytes_.size()) throw std::out_of_range("no such sector");
    return std::span(bytes_).subspan(*offset, 256);
}

LayoutDiskBuilder LayoutDiskBuilder::Dnp(int tracks, std::string_view name) {
    const std::array<TrackZone, 1> zones = {{{tracks, 256}}};
    LayoutDiskBuilder disk(ZonedLayout(zones, tracks, tracks));
    disk.NativeHeader({1, 1}, {1, 34}, name);
    auto bam = disk.Sector(1, 2);
    bam[2] = 'H';
    bam[3] = static_cast<std::uint8_t>(~'H');
    bam[8] = static_cast<std::uint8_t>(tracks);
    for (int track = 1; track <= tracks; ++track) {
        auto bits =
            disk.Sector(1, 2 + track / 8).subspan(static_cast<std::size_t>(track % 8) * 32, 32);
        std::fill(bits.begin(), bits.end(), 0xFF);
        // Sector 0 is the high bit: track 1's sectors 0 to 34 are the system's.
        if (track == 1) {
            for (int sector = 0; sector <= 34; ++sector)
                bits[static_cast<std::size_t>(sector / 8)] &=
                    static_cast<std::uint8_t>(~(0x80 >> (sector % 8)));
        }
    }
    return disk;
}

LayoutDiskBuilder& LayoutDiskBuilder::NativeHeader(Block header, Block directory,
                                                   std::string_view name) {
    auto bytes = Sector(header.track, header.sector);
    std::fill(bytes.begin(), bytes.end(), 0);
    bytes[0] = static_cast<std::uint8_t>(directory.track);
    bytes[1] = static_cast<std::uint8_t>(directory.sector);
    bytes[2] = 'H';
    PutFilled(bytes.subspan(4, 16), name);
    PutFilled(bytes.subspan(0x14, 2), "");
    bytes[0x16] = 'K';
    bytes[0x17] = 'T';
    bytes[0x18] = 0xA0;
    bytes[0x19] = '1';
    bytes[0x1A] = 'H';
    bytes[0x20] = static_cast<std::uint8_t>(header.track);
    bytes[0x21] = static_cast<std::uint8_t>(header.sector);
    auto dir = Sector(directory.track, directory.sector);
    std::fill(dir.begin(), dir.end(), 0);
    dir[1] = 0xFF;
    return *this;
}

LayoutDiskBuilder LayoutDiskBuilder::D81(std::string_view name) {
    LayoutDiskBuilder disk(ZonedLayout(kD81Zones, 80, 80));
    FormatD81Header(disk, 40, 1, 80, name);
    return disk;
}

LayoutDiskBuilder LayoutDiskBuilder::D80(bool d82, std::string_view name) {
    const int lastTrack = d82 ? 154 : 77;
    LayoutDiskBuilder disk(ZonedLayout(kD80Zones, 77, lastTrack));
    auto header = disk.Sector(39, 0);
    header[0] = 38;
    header[1] = 0;
    header[2] = 'C';
    PutFilled(header.subspan(6, 16), name);
    header[0x18] = 'K';
    header[0x19] = 'T';
    header[0x1B] = '2';
    header[0x1C] = 'C';
    // One BAM sector for every 50 tracks: 38/0, 38/3, 38/6, 38/9, the last linking to 39/1.
    const int bamSectors = (lastTrack + 49) / 50;
    for (int b = 0; b < bamSectors; ++b) {
        auto bam = disk.Sector(38, 3 * b);
        const bool last = b == bamSectors - 1;
        bam[0] = last ? 39 : 38;
        bam[1] = static_cast<std::uint8_t>(last ? 1 : 3 * (b + 1));
        bam[2] = 'C';
        const int low = 50 * b + 1;
        const int high = std::min(low + 50, lastTrack + 1);
        bam[4] = static_cast<std::uint8_t>(low);
        bam[5] = static_cast<std::uint8_t>(high);
        for (int track = low; track < high; ++track) {
            int free = disk.layout().sectors[track];
            if (track == 38) free -= bamSectors;
            bam[6 + 5 * (track - low)] = static_cast<std::uint8_t>(free);
        }
    }
    auto directory = disk.Sector(39, 1);
    directory[0] = 0;
    directory[1] = 0xFF;
    return disk;
}

LayoutDiskBuilder& LayoutDiskBuilder::Entry(Block directorySector, int slot,
                                            const EntrySpec& entry) {
    auto bytes = Sector(directorySector.track, directorySector.sector).subspan(32 * slot, 32);
    bytes[2] = entry.type;
    bytes[3] = entry.track;
    bytes[4] = entry.sector;
    PutFilled(bytes.subspan(5, 16), entry.name);
    bytes[0x18] = entry.geosType;
    bytes[0x1E] = static_cast<std::uint8_t>(entry.blocks);
    bytes[0x1F] = static_cast<std::uint8_t>(entry.blocks >> 8);
    return *this;
}

LayoutDiskBuilder& LayoutDiskBuilder::Chain(std::span<const std::uint8_t> data,
                                            std::span<const Block> blocks) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        auto block = Sector(blocks[i].track, blocks[i].sector);
        const std::size_t begin = std::min(data.size(), 254 * i);
        const std::size_t count = std::min<std::size_t>(254, data.size() - begin);
        std::fill(block.begin(), block.end(), 0);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(begin), count, block.begin() + 2);
        const bool last = i + 1 == blocks.size();
        block[0] = last ? 0 : static_cast<std::uint8_t>(blocks[i + 1].track);
        block[1] = last ? static_cast<std::uint8_t>(count + 1)
                        : static_cast<std::uint8_t>(blocks[i + 1].sector);
    }
    return *this;
}

LayoutDiskBuilder& LayoutDiskBuilder::PartitionDirectory(int first, int tracks,
                                                         std::string_view name) {
    FormatD81Header(*this, first, first, first + tracks - 1, name);
    return *this;
}

Bytes EncodeGcrImage(std::span<const std::uint8_t> image, const std::vector<GcrFault>& faults,
                     int shiftBits) {
    const bool doubleSided = image.size() >= kD71Size;
    const int lastTrack = LastTrackOfSize(image.size());
    const int entries = doubleSided ? 168 : 84;
    constexpr std::size_t kTrackLength = 7928;
    Bytes out(12 + 8 * static_cast<std::size_t>(entries), 0);
    const std::string_view signature = doubleSided ? "GCR-1571" : "GCR-1541";
    std::copy(signature.begin(), signature.end(), out.begin());
    out[9] = static_cast<std::uint8_t>(entries);
    out[10] = kTrackLength & 0xFF;
    out[11] = kTrackLength >> 8;
    const auto faultOf = [&](int track, int sector) -> std::optional<GcrFault::Kind> {
        for (const GcrFault& fault : faults) {
            if (fault.track == track && fault.sector == sector) return fault.kind;
        }
        return std::nullopt;
    };
    for (int track = 1; track <= lastTrack; ++track) {
        const int sideTrack = doubleSided && track > 35 ? track - 35 : track;
        const int sectors = !doubleSided && track > 35 ? 17 : SectorsOnTrack(track);
        Bytes bits;
        for (int sector = 0; sector < sectors; ++sector) {
            const auto fault = faultOf(track, sector);
            const std::uint8_t id1 = fault == GcrFault::OtherId ? 'X' : 'K', id2 = 'T';
            std::array<std::uint8_t, 8> header = {0x08,
                                                  0,
                                                  static_cast<std::uint8_t>(sector),
                                                  static_cast<std::uint8_t>(track),
                                                  id2,
                                                  id1,
                                                  0x0F,
                                                  0x0F};
            header[1] = header[2] ^ header[3] ^ header[4] ^ header[5];
            if (fault == GcrFault::HeaderChecksum) header[1] ^= 0xFF;
            if (fault != GcrFault::NoHeader) {
                bits.insert(bits.end(), 5, 0xFF);
                AppendGcr(bits, header);
                bits.insert(bits.end(), 9, 0x55);
            }
            std::array<std::uint8_t, 260> data{};
            data[0] = fault == GcrFault::NoDataBlock ? 0x05 : 0x07;
            const std::size_t offset = SectorOffsetIn(image.size(), track, sector);
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), 256, data.begin() + 1);
            for (int i = 1; i <= 256; ++i)
                data[257] ^= data[i];
            if (fault == GcrFault::DataChecksum) data[257] ^= 0x01;
            bits.insert(bits.end(), 5, 0xFF);
            AppendGcr(bits, data);
            if (fault == GcrFault::NotGcr) bits[bits.size() - 100] = 0x00;
            bits.insert(bits.end(), 8, 0x55);
        }
        bits.resize(kTrackLength, 0x55);
        bits = RotatedBits(bits, shiftBits);
        const int index = (doubleSided && track > 35 ? 84 : 0) + 2 * (sideTrack - 1);
        Put32(out, 12 + 4 * static_cast<std::size_t>(index),
              static_cast<std::uint32_t>(out.size()));
        const int zone = sideTrack <= 17 ? 3 : sideTrack <= 24 ? 2 : sideTrack <= 30 ? 1 : 0;
        Put32(out, 12 + 4 * static_cast<std::size_t>(entries + index),
              static_cast<std::uint32_t>(zone));
        out.push_back(kTrackLength & 0xFF);
        out.push_back(kTrackLength >> 8);
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

Bytes CrtCartridge(std::string_view name, std::uint16_t hardware, std::uint8_t exrom,
                   std::uint8_t game, const std::vector<CrtChip>& chips,
                   std::string_view signature) {
    const auto putBig = [](Bytes& out, std::size_t at, std::uint32_t value, int bytes) {
        for (int b = 0; b < bytes; ++b)
            out[at + b] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - b)));
    };
    Bytes out(0x40, 0);
    std::copy(signature.begin(), signature.end(), out.begin());
    putBig(out, 0x10, 0x40, 4);
    putBig(out, 0x14, 0x0100, 2);
    putBig(out, 0x16, hardware, 2);
    out[0x18] = exrom;
    out[0x19] = game;
    std::copy(name.begin(), name.end(), out.begin() + 0x20);
    for (const CrtChip& chip : chips) {
        const std::size_t at = out.size();
        out.resize(at + 0x10);
        std::copy_n("CHIP", 4, out.begin() + static_cast<std::ptrdiff_t>(at));
        putBig(out, at + 4, static_cast<std::uint32_t>(0x10 + chip.data.size()), 4);
        putBig(out, at + 8, chip.chipType, 2);
        putBig(out, at + 10, chip.bank, 2);
        putBig(out, at + 12, chip.load, 2);
        putBig(out, at + 14, chip.size.value_or(static_cast<std::uint16_t>(chip.data.size())), 2);
        out.insert(out.end(), chip.data.begin(), chip.data.end());
    }
    return out;
}

// A Convert file of a VLIR file: the signature block, the info block, the record block, then
// the records in whole blocks, the last ending at its last byte.
Bytes VlirConvertFile(std::string_view name, const std::vector<Bytes>& records) {
    Bytes out(254, 0);
    out[0] = 0x83;
    std::copy(name.begin(), name.end(), out.begin() + 3);
    std::fill(out.begin() + 3 + name.size(), out.begin() + 19, 0xA0);
    out[0x15] = 1;
    out[0x16] = 7;
    const std::string_view signature = "PRG formatted GEOS file V1.0";
    std::copy(signature.begin(), signature.end(), out.begin() + 0x1E);
    out.resize(2 * 254, 0x11);
    Bytes index(254, 0);
    Bytes data;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::size_t blocks = (records[i].size() + 253) / 254;
        index[2 * i] = static_cast<std::uint8_t>(blocks);
        index[2 * i + 1] = static_cast<std::uint8_t>(records[i].size() - 254 * (blocks - 1) + 1);
        data.insert(data.end(), records[i].begin(), records[i].end());
        if (i + 1 < records.size()) data.resize(data.size() + 254 * blocks - records[i].size());
    }
    out.insert(out.end(), index.begin(), index.end());
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<Bytes> ZipCodeParts(std::span<const std::uint8_t> image) {
    constexpr int kFirstTrack[] = {1, 9, 17, 26, 36};
    std::vector<Bytes> parts(4);
    parts[0] = {0xFE, 0x03, image[0x165A2], image[0x165A3]};  // the ID from the BAM at 18/0
    for (int part = 1; part < 4; ++part)
        parts[static_cast<std::size_t>(part)] = {0x00, 0x04};
    std::size_t offset = 0;
    for (int track = 1; track <= 35; ++track) {
        const int sectors = SectorsOnTrack(track);
        int part = 0;
        while (part < 3 && track >= kFirstTrack[part + 1])
            ++part;
        Bytes& out = parts[static_cast<std::size_t>(part)];
        for (int sector = 0; sector < sectors; ++sector, offset += 256) {
            const auto data = image.subspan(offset, 256);
            const bool fill =
                std::all_of(data.begin(), data.end(), [&](std::uint8_t b) { return b == data[0]; });
            out.push_back(static_cast<std::uint8_t>(track | (fill ? 0x40 : 0x00)));
            out.push_back(static_cast<std::uint8_t>(sector));
            if (fill) {
                out.push_back(data[0]);
            } else {
                out.insert(out.end(), data.begin(), data.end());
            }
        }
    }
    return parts;
}

Bytes T64Archive(const std::vector<TapeFile>& files, std::optional<std::uint16_t> used,
                 std::optional<std::uint16_t> slots, std::string_view tapeName) {
    const std::uint16_t slotCount = slots.value_or(static_cast<std::uint16_t>(files.size()));
    Bytes out(64 + 32 * files.size(), 0);
    const std::string_view signature = "C64 tape image file";
    std::copy(signature.begin(), signature.end(), out.begin());
    out[32] = 0x01;
    out[33] = 0x01;
    out[34] = static_cast<std::uint8_t>(slotCount);
    out[35] = static_cast<std::uint8_t>(slotCount >> 8);
    const std::uint16_t usedCount = used.value_or(static_cast<std::uint16_t>(files.size()));
    out[36] = static_cast<std::uint8_t>(usedCount);
    out[37] = static_cast<std::uint8_t>(usedCount >> 8);
    PutFilled(std::span(out).subspan(40, 24), tapeName, 0x20);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TapeFile& file = files[i];
        const auto entry = std::span(out).subspan(64 + 32 * i, 32);
        const std::uint16_t end =
            file.end.value_or(static_cast<std::uint16_t>(file.start + file.data.size()));
        entry[0] = file.entryType;
        entry[1] = file.fileType;
        entry[2] = static_cast<std::uint8_t>(file.start);
        entry[3] = static_cast<std::uint8_t>(file.start >> 8);
        entry[4] = static_cast<std::uint8_t>(end);
        entry[5] = static_cast<std::uint8_t>(end >> 8);
        const auto offset = static_cast<std::uint32_t>(out.size());
        for (int b = 0; b < 4; ++b)
            entry[8 + b] = static_cast<std::uint8_t>(offset >> (8 * b));
        PutFilled(entry.subspan(16, 16), file.name, 0x20);
        out.insert(out.end(), file.data.begin(), file.data.end());
    }
    return out;
}

Bytes LynxArchive(const std::vector<LynxFile>& files) {
    // 10 REM LYNX, at $0801.
    Bytes out = {0x01, 0x08, 0x0B, 0x08, 0x0A, 0x00, 0x8F, 'L', 'Y', 'N', 'X', 0x00, 0x00, 0x00};
    std::string directory =
        "\r 1  *LYNX XII BY KESTRUNE 1*\r " + std::to_string(files.size()) + " \r";
    for (const LynxFile& file : files) {
        std::string name = file.name;
        name.resize(16, '\xA0');
        const std::size_t blocks = std::max<std::size_t>(1, (file.bytes.size() + 253) / 254);
        const std::size_t lastUsed = file.bytes.size() - 254 * (blocks - 1);
        // A REL file's side sectors (one for every 120 blocks) are stored before its data and
        // counted with it.
        const std::size_t sideSectors = file.type == 'R' ? (blocks + 119) / 120 : 0;
        directory += name + "\r " + std::to_string(blocks + sideSectors) + " \r" + file.type + "\r";
        if (file.type == 'R') directory += " 64 \r";
        directory += " " + std::to_string(lastUsed + 1) + " \r";
    }
    out.insert(out.end(), directory.begin(), directory.end());
    out.resize(254 * ((out.size() + 253) / 254), 0);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].type == 'R') {
            const std::size_t blocks = (files[i].bytes.size() + 253) / 254;
            out.resize(out.size() + 254 * ((blocks + 119) / 120), 0);
        }
        out.insert(out.end(), files[i].bytes.begin(), files[i].bytes.end());
        if (i + 1 < files.size()) out.resize(254 * ((out.size() + 253) / 254), 0);
    }
    return out;
}

Bytes ZipArchive(const std::vector<std::pair<std::string, Bytes>>& members) {
    TempDir dir;
    const std::string path = (dir / "archive.zip").string();
    zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) throw std::runtime_error("zipOpen failed");
    for (const auto& [name, bytes] : members) {
        zipOpenNewFileInZip(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_BEST_SPEED);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return ReadFileBytes(path);
}

Bytes ZipEntriesOnOneMember(std::string name, const Bytes& data, int copies) {
    const Bytes zip = ZipArchive({{name, data}});
    const auto number = [&](std::size_t at, int bytes) {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = value << 8 | zip[at + static_cast<std::size_t>(i)];
        return value;
    };
    const std::size_t end = zip.size() - 22;  // the end record, without a comment
    const std::size_t directory = number(end + 16, 4);
    const std::size_t headerSize = number(end + 12, 4);
    Bytes out(zip.begin(), zip.begin() + static_cast<std::ptrdiff_t>(directory));
    for (int copy = 0; copy < copies; ++copy) {
        Bytes header(zip.begin() + static_cast<std::ptrdiff_t>(directory),
                     zip.begin() + static_cast<std::ptrdiff_t>(directory + headerSize));
        char digits[16];
        std::snprintf(digits, sizeof digits, "%04d", copy);
        std::copy_n(digits, 4, header.begin() + 46);
        out.insert(out.end(), header.begin(), header.end());
    }
    Bytes endRecord(zip.begin() + static_cast<std::ptrdiff_t>(end), zip.end());
    const auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            endRecord[at + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(8, static_cast<std::uint32_t>(copies), 2);
    put(10, static_cast<std::uint32_t>(copies), 2);
    put(12, static_cast<std::uint32_t>(headerSize * static_cast<std::size_t>(copies)), 4);
    out.insert(out.end(), endRecord.begin(), endRecord.end());
    return out;
}

Bytes Gzip(std::span<const std::uint8_t> bytes) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, bytes.size()) + 32);
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

TapWriter& TapWriter::Leader(int pulses) {
    pulses_.insert(pulses_.end(), static_cast<std::size_t>(pulses), kShort * 8u);
    return *this;
}

void TapWriter::Byte(std::uint8_t value, bool damage) {
    pulses_.push_back(kLong * 8u);
    pulses_.push_back(kMedium * 8u);
    int ones = 0;
    for (int bit = 0; bit < 9; ++bit) {
        int one = bit < 8 ? (value >> bit) & 1 : ones % 2 == 0;
        ones += one;
        if (damage && bit == 3) one ^= 1;
        pulses_.push_back((one ? kMedium : kShort) * 8u);
        pulses_.push_back((one ? kShort : kMedium) * 8u);
    }
}

TapWriter& TapWriter::Block(std::span<const std::uint8_t> data, int copy,
                            const std::vector<std::size_t>& damaged) {
    for (int i = 0; i < 9; ++i)
        Byte(static_cast<std::uint8_t>((copy == 1 ? 0x89 : 0x09) - i), false);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        Byte(data[i], std::find(damaged.begin(), damaged.end(), i) != damaged.end());
        sum ^= data[i];
    }
    Byte(sum, false);
    pulses_.push_back(kLong * 8u);
    pulses_.push_back(kShort * 8u);
    return *this;
}

TapWriter& TapWriter::File(std::uint8_t type, std::string_view name, std::uint16_t start,
                           std::span<const std::uint8_t> data,
                           const std::vector<std::size_t>& damagedFirstData) {
    Bytes header(192, 0x20);
    header[0] = type;
    const auto end = static_cast<std::uint16_t>(start + data.size());
    header[1] = static_cast<std::uint8_t>(start);
    header[2] = static_cast<std::uint8_t>(start >> 8);
    header[3] = static_cast<std::uint8_t>(end);
    header[4] = static_cast<std::uint8_t>(end >> 8);
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 16), header.begin() + 5);
    Leader(0x6A00).Block(header, 1).Leader(79).Block(header, 2).Leader(78).Pause(400000);
    Leader(0x1500).Block(data, 1, damagedFirstData).Leader(79).Block(data, 2).Leader(78);
    return Pause(400000);
}

TapWriter& TapWriter::Pause(std::uint32_t cycles) {
    pulses_.push_back(cycles);
    return *this;
}

TapWriter& TapWriter::Turbo(int pulses) {
    for (int i = 0; i < pulses; ++i)
        pulses_.push_back((i % 3 == 0 ? 0x1A : 0x28) * 8u);
    return *this;
}

Bytes TapWriter::Tap(int version) const {
    Bytes tap;
    const std::string_view signature = "C64-TAPE-RAW";
    tap.assign(signature.begin(), signature.end());
    tap.resize(0x14, 0);
    tap[0x0C] = static_cast<std::uint8_t>(version);
    const auto value = [&](std::uint32_t cycles) {
        if (cycles / 8 >= 1 && cycles / 8 <= 0xFF) {
            tap.push_back(static_cast<std::uint8_t>(cycles / 8));
            return;
        }
        tap.push_back(0);
        if (version == 0) return;
        for (int i = 0; i < 3; ++i)
            tap.push_back(static_cast<std::uint8_t>(cycles >> (8 * i)));
    };
    for (const std::uint32_t cycles : pulses_) {
        if (version == 2) {
            value(cycles / 2);
            value(cycles - cycles / 2);
        } else {
            value(cycles);
        }
    }
    const std::uint32_t size = static_cast<std::uint32_t>(tap.size() - 0x14);
    for (int i = 0; i < 4; ++i)
        tap[0x10 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return tap;
}

Bytes CmdFloppy(int sectors, const std::vector<CmdPartition>& partitions) {
    Bytes floppy(81u * static_cast<std::size_t>(sectors) * 256, 0);
    auto table = floppy.begin() + (80 * sectors + 8) * 256;
    table[0] = 1;
    table[1] = 1;
    table[2] = 0xFF;
    PutFilled({&table[5], 16}, "SYSTEM");
    for (std::size_t i = 0; i < partitions.size(); ++i) {
        const CmdPartition& partition = partitions[i];
        auto entry = table + static_cast<std::ptrdiff_t>((i + 1) * 32);
        entry[2] = partition.type;
        PutFilled({&entry[5], 16}, partition.name);
        entry[0x16] = static_cast<std::uint8_t>(partition.start >> 8);
        entry[0x17] = static_cast<std::uint8_t>(partition.start);
        entry[0x1E] = static_cast<std::uint8_t>(partition.size >> 8);
        entry[0x1F] = static_cast<std::uint8_t>(partition.size);
        const std::size_t at = partition.start * 512u;
        std::copy_n(
            partition.contents.begin(),
            std::min(partition.contents.size(), floppy.size() - std::min(at, floppy.size())),
            floppy.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return floppy;
}

Bytes NibFromG64(std::span<const std::uint8_t> g64) {
    Bytes nib(0x100, 0);
    const std::string_view signature = "MNIB-1541-RAW";
    std::copy(signature.begin(), signature.end(), nib.begin());
    nib[13] = 3;
    const int halfTracks = g64[9];
    std::size_t entry = 0x10;
    for (int index = 0; index < halfTracks; index += 2) {
        const std::size_t at = 12 + 4 * static_cast<std::size_t>(index);
        const std::uint32_t offset = g64[at] | g64[at + 1] << 8 | g64[at + 2] << 16 |
                                     static_cast<std::uint32_t>(g64[at + 3]) << 24;
        if (offset == 0) continue;
        const std::size_t length = g64[offset] | g64[offset + 1] << 8;
        nib[entry++] = static_cast<std::uint8_t>(index + 2);
        nib[entry++] = 0;
        for (std::size_t i = 0; i < 0x2000; ++i)
            nib.push_back(g64[offset + 2 + i % length]);
    }
    return nib;
}

Bytes PackNbz(std::span<const std::uint8_t> nib) {
    std::array<std::size_t, 256> counts{};
    for (const std::uint8_t byte : nib)
        ++counts[byte];
    const auto marker =
        static_cast<std::uint8_t>(std::min_element(counts.begin(), counts.end()) - counts.begin());
    const auto number = [](Bytes& out, std::size_t value) {
        Bytes groups;
        do {
            groups.insert(groups.begin(), static_cast<std::uint8_t>(value & 0x7F));
            value >>= 7;
        } while (value != 0);
        for (std::size_t i = 0; i + 1 < groups.size(); ++i)
            groups[i] |= 0x80;
        out.insert(out.end(), groups.begin(), groups.end());
    };
    Bytes packed = {marker};
    for (std::size_t i = 0; i < nib.size();) {
        std::size_t run = 1;
        while (i + run < nib.size() && nib[i + run] == nib[i])
            ++run;
        packed.push_back(nib[i]);
        if (nib[i] == marker) packed.push_back(0);
        if (run >= 8) {
            packed.push_back(marker);
            number(packed, run - 1);
            number(packed, 1);
            i += run;
        } else {
            ++i;
        }
    }
    return packed;
}

namespace {

// Bits into bytes, the low bit of each byte first.
class BitWriter {
  public:
    void Bit(unsigned bit) {
        if (used_ == 0) bytes_.push_back(0);
        bytes_.back() |= static_cast<std::uint8_t>((bit & 1) << used_);
        used_ = (used_ + 1) % 8;
    }
    void LowFirst(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            Bit(value >> i);
    }
    void HighFirst(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            Bit(value >> i);
    }
    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_;
    int used_ = 0;
};

Bytes RunLengthPacked(const Bytes& data) {
    Bytes packed;
    for (std::size_t i = 0; i < data.size();) {
        std::size_t run = 1;
        while (i + run < data.size() && data[i + run] == data[i] && run < 255)
            ++run;
        if (run >= 4 || data[i] == 0xFE) {
            packed.insert(packed.end(), {0xFE, static_cast<std::uint8_t>(run), data[i]});
            i += run;
        } else {
            packed.push_back(data[i++]);
        }
    }
    return packed;
}

// The code table gives $FF a 1-bit code and every other byte a 9-bit one: code lengths that never
// grow with the byte value, the order cbmconvert's table sort leaves as it is (it crashes on a
// table it must reorder).
void Squeeze(BitWriter& bits, const Bytes& stream) {
    const auto code = [](int value) { return 1u | static_cast<std::uint32_t>(value) << 1; };
    for (int value = 0; value < 256; ++value) {
        if (value == 0xFF) {
            bits.LowFirst(1, 5);
            bits.LowFirst(0, 1);
        } else {
            bits.LowFirst(9, 5);
            bits.LowFirst(code(value), 9);
        }
    }
    for (const std::uint8_t byte : stream) {
        if (byte == 0xFF) {
            bits.LowFirst(0, 1);
        } else {
            bits.LowFirst(code(byte), 9);
        }
    }
}

void Crunch(BitWriter& bits, const Bytes& stream, bool onePass, std::uint16_t check,
            std::uint32_t size) {
    std::map<std::pair<int, std::uint8_t>, int> table;
    int next = 258;
    int written = 0;
    const auto emit = [&](int code) {
        const int width = written < 254 ? 9 : written < 766 ? 10 : written < 1790 ? 11 : 12;
        bits.HighFirst(static_cast<std::uint32_t>(code), width);
        ++written;
    };
    int string = -1;
    for (const std::uint8_t byte : stream) {
        if (string < 0) {
            string = byte;
            continue;
        }
        const auto found = table.find({string, byte});
        if (found != table.end()) {
            string = found->second;
            continue;
        }
        emit(string);
        if (next < 4096) table[{string, byte}] = next++;
        string = byte;
    }
    if (string >= 0) emit(string);
    emit(256);
    if (onePass) {
        bits.HighFirst(check, 16);
        bits.HighFirst(size, 24);
        bits.HighFirst(0, 16);
    }
}

}  // namespace

Bytes ArcArchive(const std::vector<ArcEntry>& entries) {
    Bytes archive;
    for (const ArcEntry& entry : entries) {
        std::uint16_t check = 0;
        std::uint8_t step = 0;
        for (const std::uint8_t byte : entry.data)
            check = static_cast<std::uint16_t>(check + static_cast<std::uint8_t>(byte ^ ++step));
        const Bytes stream =
            entry.mode == 0 || entry.mode == 2 ? entry.data : RunLengthPacked(entry.data);
        BitWriter bits;
        Bytes payload;
        if (entry.mode == 0 || entry.mode == 1) {
            payload = stream;
        } else if (entry.mode == 2 || entry.mode == 4) {
            Squeeze(bits, stream);
            payload = bits.bytes();
        } else {
            Crunch(bits, stream, entry.mode == 5, check,
                   static_cast<std::uint32_t>(entry.data.size()));
            payload = bits.bytes();
        }
        const bool onePass = entry.mode == 5;
        const std::uint32_t size = onePass ? 0 : static_cast<std::uint32_t>(entry.data.size());
        Bytes header = {2,
                        static_cast<std::uint8_t>(entry.mode),
                        static_cast<std::uint8_t>(onePass ? 0 : check),
                        static_cast<std::uint8_t>(onePass ? 0 : check >> 8),
                        static_cast<std::uint8_t>(size),
                        static_cast<std::uint8_t>(size >> 8),
                        static_cast<std::uint8_t>(size >> 16),
                        0,
                        0,
                        static_cast<std::uint8_t>(entry.type),
                        static_cast<std::uint8_t>(entry.name.size())};
        header.insert(header.end(), entry.name.begin(), entry.name.end());
        header.insert(header.end(), {entry.recordLength, 0, 0});
        if (entry.mode == 1) header.push_back(0xFE);
        const std::size_t blocks = (header.size() + payload.size() + 253) / 254;
        header[7] = static_cast<std::uint8_t>(blocks);
        header[8] = static_cast<std::uint8_t>(blocks >> 8);
        const std::size_t start = archive.size();
        archive.insert(archive.end(), header.begin(), header.end());
        archive.insert(archive.end(), payload.begin(), payload.end());
        archive.resize(start + blocks * 254, 0);
    }
    return archive;
}

Bytes SdaArchive(const std::vector<ArcEntry>& entries) {
    // 0801: link, line 8 (two blocks of program after the load address's), SYS 2061.
    Bytes sda = {0x01, 0x08, 0x0B, 0x08, 0x08, 0x00, 0x9E, '2', '0', '6', '1', 0, 0, 0};
    sda.resize(2 * 254, 0xEA);
    const Bytes archive = ArcArchive(entries);
    sda.insert(sda.end(), archive.begin(), archive.end());
    return sda;
}

}  // namespace kestrune::testing
