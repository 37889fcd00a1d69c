#include "image/cbm_directory.h"

#include <algorithm>

#include "text/charsets.h"
#include "text/unicode.h"

namespace kestrune {

std::u16string DiskNameText(std::span<const std::uint8_t> name, bool geos) {
    const char16_t* const table = geos ? GeosNameTable : PetsciiTable;
    std::u16string text;
    for (const std::uint8_t byte : name) {
        if (byte == 0) break;
        text.push_back(table[byte]);
    }
    return AsciiUpper(text);
}

std::vector<std::uint8_t> NameBytes(std::span<const std::uint8_t> name) {
    return {name.begin(), std::find(name.begin(), name.end(), std::uint8_t{0})};
}

std::u16string FileNameText(std::span<const std::uint8_t> name) {
    std::u16string text = DiskNameText(name, false);
    while (!text.empty() && text.back() == u' ')
        text.pop_back();
    return text;
}

const std::uint8_t* SectorOf(const Volume& volume, int track, int sector) {
    const std::optional<std::uint32_t> offset = volume.layout.Offset(track, sector);
    if (!offset || !volume.image.Holds(*offset, 256)) return nullptr;
    return volume.image.data.data() + *offset;
}

void ReadDirectoryChain(Volume& volume, int track, int sector) {
    const auto directoryTrack = static_cast<std::uint8_t>(track);
    std::vector<bool> read(volume.layout.SectorCount());
    while (const std::uint8_t* block = SectorOf(volume, track, sector)) {
        const std::uint32_t index = *volume.layout.Offset(track, sector) / 256;
        if (index >= read.size() || read[index]) break;
        read[index] = true;
        MarkSystem(volume, track, sector);
        for (std::uint32_t at = 0; at < 256; at += kEntrySize) {
            const std::uint8_t* entry = block + at;
            if (entry[kEntryType] == 0 || entry[kEntryName] < 2) continue;
            if (entry[kEntryTrack] > volume.layout.lastTrack) {
                volume.readError = true;
                return;
            }
            DirectoryEntry& row = volume.entries.emplace_back();
            row.blocks =
                static_cast<std::uint16_t>(entry[kEntryBlocks] | (entry[kEntryBlocks + 1] << 8));
            std::copy_n(entry + kEntryName, row.name.size(), row.name.begin());
            row.type = entry[kEntryType];
            row.directoryTrack = directoryTrack;
            row.track = entry[kEntryTrack];
            row.sector = entry[kEntrySector];
            row.geosType = entry[kEntryGeosType];
            std::copy_n(entry + kEntryDate, row.date.size(), row.date.begin());
            row.recordLength = entry[kEntryRecordLength];
            row.auxTrack = entry[kEntryAuxTrack];
            row.auxSector = entry[kEntryAuxSector];
            // A program whose first block the disk does not have (track 0, a sector the track
            // lacks) has no load address to show.
            const std::uint8_t* first = SectorOf(volume, row.track, row.sector);
            if (IsProgramWithStart(row.type) && first)
                row.loadAddress = static_cast<std::uint16_t>(first[2] | (first[3] << 8));
        }
        track = block[0];
        sector = block[1];
    }
}

}  // namespace kestrune
