#include "image/volume.h"

#include <algorithm>

#include "image/format_table.h"

namespace kestrune {

std::uint32_t MappedSectors(const Volume& volume) {
    return std::min<std::uint32_t>(volume.layout.SectorCount(),
                                   static_cast<std::uint32_t>(volume.image.size() / 256));
}

void StartBookkeeping(Volume& volume) {
    const std::uint32_t sectors = MappedSectors(volume);
    volume.bam.assign(sectors, kNoBam);
    volume.systemSectors.assign(sectors, false);
    volume.errorBytes.clear();
}

void MarkSystem(Volume& volume, int track, int sector) {
    const std::optional<std::uint32_t> offset = volume.layout.Offset(track, sector);
    if (offset && sector < volume.layout.sectors[track] &&
        *offset / 256 < volume.systemSectors.size())
        volume.systemSectors[*offset / 256] = true;
}

void SetBam(Volume& volume, int track, std::span<const std::uint8_t> bitmap) {
    if (track < 1 || track > volume.layout.lastTrack) return;
    for (int sector = 0; sector < volume.layout.sectors[track]; ++sector) {
        const std::uint32_t index =
            volume.layout.trackOffset[track] / 256 + static_cast<std::uint32_t>(sector);
        const std::size_t byte = static_cast<std::size_t>(sector) / 8;
        if (index >= volume.bam.size() || byte >= bitmap.size()) continue;
        volume.bam[index] = (bitmap[byte] >> (sector % 8)) & 1 ? kBamFree : kBamUsed;
    }
}

void TakeErrorBytes(Volume& volume, std::uint64_t sectorsSize) {
    const std::uint32_t sectors = MappedSectors(volume);
    if (volume.image.size() != sectorsSize + sectors) return;
    volume.errorBytes.assign(volume.image.data.begin() + static_cast<std::ptrdiff_t>(sectorsSize),
                             volume.image.data.end());
}

void ReadFile(FileChain& chain, const Volume& volume, const DirectoryEntry& entry) {
    if (entry.storedFile) {
        const StoredFile& file = volume.storedFiles.at(*entry.storedFile);
        chain.length = static_cast<std::int32_t>(file.Size());
        if (!file.savedFrom) {
            // The file's bytes as the archive holds them, not copied.
            chain.storage = volume.held;
            chain.offset = file.offset;
            return;
        }
        std::vector<std::uint8_t> bytes;
        bytes.reserve(file.Size());
        bytes.push_back(static_cast<std::uint8_t>(*file.savedFrom));
        bytes.push_back(static_cast<std::uint8_t>(*file.savedFrom >> 8));
        const auto data = volume.held->begin() + static_cast<std::ptrdiff_t>(file.offset);
        bytes.insert(bytes.end(), data, data + static_cast<std::ptrdiff_t>(file.length));
        chain.Take(std::move(bytes));
        return;
    }
    Assemble(chain, volume.image, volume.layout, entry.track, entry.sector, volume.unreadable);
}

void Hold(Volume& volume, std::vector<std::uint8_t> bytes) {
    volume.held = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

std::optional<Volume> OpenPartition(const Volume& volume, const DirectoryEntry& entry) {
    if (!entry.partition) return std::nullopt;
    for (const ImageFormat& row : ImageFormats()) {
        if (row.openPartition == nullptr) continue;
        if (std::optional<Volume> partition = row.openPartition(volume, entry)) return partition;
    }
    return std::nullopt;
}

void AddStoredFile(Volume& volume, const std::array<std::uint8_t, 16>& name, std::uint8_t type,
                   const StoredFile& file, std::uint8_t recordLength) {
    DirectoryEntry& entry = volume.entries.emplace_back();
    entry.blocks = static_cast<std::uint16_t>(
        std::min<std::uint64_t>((file.Size() + kBlockDataSize - 1) / kBlockDataSize, 0xFFFF));
    entry.name = name;
    entry.type = type;
    entry.recordLength = recordLength;
    if (IsProgramWithStart(type)) {
        if (file.savedFrom) {
            entry.loadAddress = *file.savedFrom;
        } else {
            const std::uint8_t* data = volume.held->data() + file.offset;
            entry.loadAddress =
                file.length >= 2 ? static_cast<std::uint16_t>(data[0] | (data[1] << 8)) : 0;
        }
    }
    entry.storedFile = static_cast<std::uint32_t>(volume.storedFiles.size());
    volume.storedFiles.push_back(file);
}

std::array<std::uint8_t, 16> PetsciiName(std::string_view hostName) {
    std::array<std::uint8_t, 16> name;
    name.fill(0xA0);
    std::size_t length = 0;
    for (std::size_t i = 0; i < hostName.size() && length < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(hostName[i]);
        // A character of several UTF-8 bytes becomes one question mark.
        if ((c & 0xC0) == 0x80) continue;
        std::uint8_t petscii = '?';
        if (c >= 'a' && c <= 'z') {
            petscii = static_cast<std::uint8_t>(c - 'a' + 'A');
        } else if (c >= 0x20 && c < 0x7F && c != '_' && c != '`' && c != '{' && c != '}' &&
                   c != '|' && c != '~' && c != '\\') {
            petscii = c;
        }
        name[length++] = petscii;
    }
    return name;
}

}  // namespace kestrune
