#include "image/geos_convert.h"

#include <algorithm>
#include <string>

#include "image/cbm_directory.h"
#include "image/faults.h"
#include "image/file_chain.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kBlock = 254;
constexpr std::size_t kRecords = 127;
constexpr std::size_t kSignatureAt = 0x1E;
constexpr std::string_view kSignature = "PRG formatted GEOS file V1.0";
// Convert itself wrote "SEQ formatted ...": what the file was stored as, either way.
constexpr std::string_view kSignatureTail = " formatted GEOS file";

// The 254 data bytes of a sector, zeros where the disk lacks it.
std::vector<std::uint8_t> SectorData(const Volume& volume, int track, int sector) {
    std::vector<std::uint8_t> data(kBlock, 0);
    if (const std::optional<std::uint32_t> offset = volume.layout.Offset(track, sector)) {
        for (std::size_t i = 0; i < kBlock; ++i)
            data[i] = volume.image.ByteAt(*offset + 2 + i);
    }
    return data;
}

void Append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::u16string Number(std::uint64_t value) {
    return GroupedDecimal(value);
}

}  // namespace

bool IsGeosFile(const DirectoryEntry& entry) {
    return entry.geosType != 0 && entry.auxTrack != 0 && !entry.storedFile;
}

std::optional<std::vector<std::uint8_t>> GeosConvertFile(const Volume& volume,
                                                         const DirectoryEntry& entry) {
    if (!IsGeosFile(entry) || volume.image.size() == 0) return std::nullopt;
    std::vector<std::uint8_t> out(kBlock, 0);
    out[0] = entry.type;
    std::copy(entry.name.begin(), entry.name.end(), out.begin() + 3);
    out[0x15] = entry.recordLength;
    out[0x16] = entry.geosType;
    std::copy(entry.date.begin(), entry.date.end(), out.begin() + 0x17);
    std::copy(kSignature.begin(), kSignature.end(), out.begin() + kSignatureAt);
    Append(out, SectorData(volume, entry.auxTrack, entry.auxSector));

    // The entry's block count is the file's as read: its info block, its index block and the
    // blocks of its data, whatever the directory said.
    const auto setBlocks = [&](std::size_t blocks) {
        out[0x1C] = static_cast<std::uint8_t>(blocks);
        out[0x1D] = static_cast<std::uint8_t>(blocks >> 8);
    };
    if (entry.recordLength != 1) {
        FileChain chain;
        Assemble(chain, volume.image, volume.layout, entry.track, entry.sector, volume.unreadable);
        Append(out, chain.Data());
        setBlocks(1 + chain.Read().size() / kBlock);
        return out;
    }
    // A VLIR file: its index block's pairs become block counts, and its records follow.
    const std::vector<std::uint8_t> index = SectorData(volume, entry.track, entry.sector);
    std::vector<std::uint8_t> records(kBlock, 0);
    std::vector<FileChain> chains(kRecords);
    std::vector<std::size_t> counts(kRecords, 0);
    std::size_t last = kRecords;
    for (std::size_t record = 0; record < kRecords; ++record) {
        const std::uint8_t track = index[2 * record];
        const std::uint8_t sector = index[2 * record + 1];
        if (track == 0) {
            records[2 * record + 1] = sector;
            continue;
        }
        FileChain& chain = chains[record];
        Assemble(chain, volume.image, volume.layout, track, sector, volume.unreadable);
        const std::size_t blocks = chain.Read().size() / kBlock;
        if (blocks == 0) continue;
        const auto used =
            static_cast<std::size_t>(std::max(0, chain.length)) - kBlock * (blocks - 1);
        // A record of more than 255 blocks has its count wrapped, as cbmconvert writes it; only
        // the last can be that long and still be read back, running to the file's end.
        records[2 * record] = static_cast<std::uint8_t>(blocks);
        records[2 * record + 1] = static_cast<std::uint8_t>(std::min<std::size_t>(used + 1, 0xFF));
        counts[record] = blocks;
        last = record;
    }
    Append(out, records);
    std::size_t blocks = 2;
    for (std::size_t record = 0; record < kRecords; ++record) {
        blocks += counts[record];
        if (counts[record] == 0) continue;
        // Every record but the last fills its blocks, the bytes past its end as zeros.
        Append(out, chains[record].Data());
        if (record != last)
            out.resize(out.size() + kBlock * counts[record] - chains[record].Data().size());
    }
    setBlocks(blocks);
    return out;
}

bool LooksLikeCvt(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSignatureAt + 3 + kSignatureTail.size()) return false;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()) + kSignatureAt,
                                3 + kSignatureTail.size());
    return text.substr(3) == kSignatureTail &&
           (text.substr(0, 3) == "PRG" || text.substr(0, 3) == "SEQ" || text.substr(0, 3) == "USR");
}

std::optional<Volume> OpenCvt(std::vector<std::uint8_t> bytes, std::string_view fileName) {
    if (bytes.size() < 2 * kBlock || !LooksLikeCvt(bytes)) return std::nullopt;
    Volume volume;
    volume.format = "cvt";
    volume.disk.isGeosDisk = true;
    std::string name;
    for (std::size_t i = 3; i < 3 + 16 && bytes[i] != 0xA0; ++i)
        name += static_cast<char>(bytes[i]);
    volume.disk.diskName = name.empty() ? AsciiUpper(VisibleUtf8(fileName)) : VisibleUtf8(name);
    const bool vlir = bytes[0x15] == 1;
    const std::uint8_t geosType = bytes[0x16];
    Hold(volume, std::move(bytes));
    const std::vector<std::uint8_t>& data = *volume.held;
    const auto add = [&](const std::string& rowName, std::uint64_t offset, std::uint64_t length) {
        AddStoredFile(volume, PetsciiName(rowName), 0x83, {offset, length, std::nullopt, {}});
        volume.entries.back().geosType = geosType;
    };
    add("INFO", kBlock, kBlock);
    std::u16string faults;
    if (!vlir) {
        add("DATA", 2 * kBlock, data.size() - 2 * kBlock);
        volume.fault = u"GEOS Convert file: a sequential file";
        return volume;
    }
    if (data.size() < 3 * kBlock) {
        AddFault(faults, u"its record block is cut short");
    } else {
        std::uint64_t at = 3 * kBlock;
        std::size_t count = 0;
        std::size_t lastRecord = 0;
        for (std::size_t record = 0; record < kRecords; ++record) {
            if (data[2 * kBlock + 2 * record] != 0) lastRecord = record;
        }
        for (std::size_t record = 0; record < kRecords; ++record) {
            const std::uint8_t blocks = data[2 * kBlock + 2 * record];
            const std::uint8_t lastIndex = data[2 * kBlock + 2 * record + 1];
            if (blocks == 0) continue;
            std::uint64_t length = kBlock * (blocks - 1u) + (lastIndex > 1 ? lastIndex - 1u : 0u);
            const std::uint64_t there = at < data.size() ? data.size() - at : 0;
            // The last record ends the file: one of more than 255 blocks (its count wrapped)
            // runs on to the end.
            if (record == lastRecord && there > length) length = there;
            if (length > there) {
                AddFault(faults, u"record " + Number(record) + u" holds " + Number(there) +
                                     u" of its " + Number(length) + u" bytes");
            }
            add("RECORD " + std::to_string(record), std::min<std::uint64_t>(at, data.size()),
                std::min(length, there));
            ++count;
            at += kBlock * blocks;
        }
        volume.fault = u"GEOS Convert file: a VLIR file of " + Number(count) +
                       (count == 1 ? u" record" : u" records");
    }
    if (!faults.empty())
        volume.fault += (volume.fault.empty() ? u"GEOS Convert file: " : u"; ") + faults;
    return volume;
}

}  // namespace kestrune
