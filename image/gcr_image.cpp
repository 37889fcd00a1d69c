#include "image/gcr_image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "image/geometry.h"

namespace kestrune {

namespace {

constexpr std::string_view kSignature1541 = "GCR-1541";
constexpr std::string_view kSignature1571 = "GCR-1571";
constexpr std::size_t kHeaderSize = 12;  // signature, version, track entries, maximum track size
constexpr std::size_t kTrackCountAt = 9;
constexpr int kHalfTracksPerSide = 84;  // 42 tracks
constexpr int kLastTrackPerSide = 42;

// The 5-bit codes of the 16 nibbles; every other code is not GCR.
constexpr std::array<std::uint8_t, 16> kGcrCodes = {
    0x0A, 0x0B, 0x12, 0x13, 0x0E, 0x0F, 0x16, 0x17,  // 0-7
    0x09, 0x19, 0x1A, 0x1B, 0x0D, 0x1D, 0x1E, 0x15,  // 8-F
};
constexpr std::uint8_t kNotGcr = 0xFF;
constexpr std::array<std::uint8_t, 32> kNibbleOfCode = [] {
    std::array<std::uint8_t, 32> table{};
    table.fill(kNotGcr);
    for (std::uint8_t nibble = 0; nibble < 16; ++nibble)
        table[kGcrCodes[nibble]] = nibble;
    return table;
}();

// The DOS's error codes for a sector, as a D64's error bytes keep them.
enum ErrorByte : std::uint8_t {
    kNoError = 1,
    kHeaderNotFound = 2,  // 20 READ ERROR
    kNoSync = 3,          // 21
    kDataNotFound = 4,    // 22
    kDataChecksum = 5,    // 23
    kByteDecoding = 6,    // 24
    kHeaderChecksum = 9,  // 27
    kIdMismatch = 11,     // 29 DISK ID MISMATCH
};

constexpr std::uint8_t kHeaderBlock = 0x08;
constexpr std::uint8_t kDataBlock = 0x07;
constexpr std::size_t kHeaderGcrBytes = 10;  // 8 bytes
constexpr std::size_t kDataGcrBytes = 325;   // 260 bytes: block id, 256 data, checksum, 2 off bytes
constexpr int kSyncBits = 10;

// One track's bits twice over, so that a block that runs past the end continues from its start.
class TrackBits {
  public:
    explicit TrackBits(std::span<const std::uint8_t> track) : length_(track.size()) {
        bytes_.reserve(2 * length_ + kDataGcrBytes + 2);
        while (bytes_.size() < 2 * length_ + kDataGcrBytes + 2) {
            const std::size_t piece =
                std::min(length_, 2 * length_ + kDataGcrBytes + 2 - bytes_.size());
            bytes_.insert(bytes_.end(), track.begin(),
                          track.begin() + static_cast<std::ptrdiff_t>(piece));
        }
    }

    std::size_t bitLength() const { return 8 * length_; }

    // The bit positions right after each run of ten or more 1 bits, in order, each once.
    std::vector<std::size_t> SyncEnds() const {
        std::vector<std::size_t> ends;
        int ones = 0;
        // A second lap finds the runs that started before the end of the first.
        for (std::size_t i = 0; i < 2 * length_; ++i) {
            const std::uint8_t byte = bytes_[i];
            if (byte == 0xFF) {
                ones += 8;
                continue;
            }
            const int leading = std::countl_one(byte);
            if (ones + leading >= kSyncBits)
                ends.push_back((8 * i + static_cast<std::size_t>(leading)) % bitLength());
            ones = std::countr_one(byte);
        }
        std::sort(ends.begin(), ends.end());
        ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
        return ends;
    }

    // Decodes count GCR bytes from bit position bit (5 GCR bytes give 4 bytes); false when a
    // code is not GCR.
    bool Decode(std::size_t bit, std::size_t count, std::uint8_t* out) const {
        bool valid = true;
        for (std::size_t group = 0; group + 5 <= count; group += 5) {
            std::uint64_t bits = 0;
            for (std::size_t k = 0; k < 5; ++k)
                bits = (bits << 8) | ByteAtBit(bit + 8 * (group + k));
            for (int n = 0; n < 4; ++n) {
                const std::uint8_t high = kNibbleOfCode[(bits >> (35 - 10 * n)) & 0x1F];
                const std::uint8_t low = kNibbleOfCode[(bits >> (30 - 10 * n)) & 0x1F];
                if (high == kNotGcr || low == kNotGcr) valid = false;
                *out++ = static_cast<std::uint8_t>(((high & 0x0F) << 4) | (low & 0x0F));
            }
        }
        return valid;
    }

  private:
    std::uint8_t ByteAtBit(std::size_t bit) const {
        const std::size_t i = bit / 8;
        const unsigned shift = bit % 8;
        if (shift == 0) return bytes_[i];
        return static_cast<std::uint8_t>((bytes_[i] << shift) | (bytes_[i + 1] >> (8 - shift)));
    }

    std::size_t length_;
    std::vector<std::uint8_t> bytes_;
};

struct SectorRead {
    std::uint8_t error = kHeaderNotFound;
    std::array<std::uint8_t, 256> data{};
    std::array<std::uint8_t, 2> id{};
};

// Reads every sector of one track as the DOS would: the first header with a good checksum for
// the sector, then the data block after the next sync.
std::vector<SectorRead> ReadTrack(std::span<const std::uint8_t> track, int trackNumber,
                                  int sectors) {
    std::vector<SectorRead> result(static_cast<std::size_t>(sectors));
    if (track.empty()) {
        for (SectorRead& sector : result)
            sector.error = kNoSync;
        return result;
    }
    const TrackBits bits(track);
    const std::vector<std::size_t> syncs = bits.SyncEnds();
    if (syncs.empty()) {
        for (SectorRead& sector : result)
            sector.error = kNoSync;
        return result;
    }
    std::vector<bool> found(result.size());
    for (std::size_t s = 0; s < syncs.size(); ++s) {
        std::array<std::uint8_t, 8> header{};
        if (!bits.Decode(syncs[s], kHeaderGcrBytes, header.data()) || header[0] != kHeaderBlock)
            continue;
        const int sector = header[2];
        if (header[3] != trackNumber || sector >= sectors || found[sector]) continue;
        SectorRead& read = result[sector];
        if ((header[1] ^ header[2] ^ header[3] ^ header[4] ^ header[5]) != 0) {
            read.error = kHeaderChecksum;
            continue;
        }
        found[sector] = true;
        read.id = {header[5], header[4]};
        const std::size_t next = syncs[(s + 1) % syncs.size()];
        std::array<std::uint8_t, 260> block{};
        const bool valid = bits.Decode(next, kDataGcrBytes, block.data());
        if (syncs.size() < 2 || block[0] != kDataBlock) {
            read.error = kDataNotFound;
            continue;
        }
        std::copy_n(block.begin() + 1, 256, read.data.begin());
        std::uint8_t checksum = 0;
        for (const std::uint8_t byte : read.data)
            checksum ^= byte;
        read.error = !valid ? kByteDecoding : checksum != block[257] ? kDataChecksum : kNoError;
    }
    return result;
}

std::uint32_t Little32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
                                      (bytes[at + 3] << 24));
}

// The bytes of the track at a half-track index, empty when the image holds none there.
std::span<const std::uint8_t> TrackData(std::span<const std::uint8_t> bytes, int trackEntries,
                                        int index) {
    if (index < 0 || index >= trackEntries) return {};
    const std::uint32_t offset = Little32(bytes, kHeaderSize + 4 * static_cast<std::size_t>(index));
    if (offset == 0 || offset > bytes.size() - 2) return {};
    const std::size_t length = bytes[offset] | (bytes[offset + 1] << 8);
    return bytes.subspan(offset + 2, std::min<std::size_t>(length, bytes.size() - offset - 2));
}

}  // namespace

bool LooksLikeGcrImage(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kSignature1541.size()) return false;
    const std::string_view start(reinterpret_cast<const char*>(bytes.data()), 8);
    return start == kSignature1541 || start == kSignature1571;
}

GcrOutcome DecodeGcrImage(std::span<const std::uint8_t> bytes) {
    if (!LooksLikeGcrImage(bytes) || bytes.size() < kHeaderSize)
        return {std::nullopt, u"its header is cut short"};
    const bool doubleSided =
        std::string_view(reinterpret_cast<const char*>(bytes.data()), 8) == kSignature1571;
    const int trackEntries = bytes[kTrackCountAt];
    if (bytes.size() < kHeaderSize + 8 * static_cast<std::size_t>(trackEntries))
        return {std::nullopt, u"its track table is cut short"};
    return DecodeGcrTracks([&](int index) { return TrackData(bytes, trackEntries, index); },
                           doubleSided);
}

GcrOutcome DecodeGcrTracks(const HalfTrackBits& halfTrack, bool doubleSided) {
    // A full track's bits, or where it has none those of the half track above, then below.
    const auto trackOf = [&](int track) {
        const int sideBase = track > kLastTrackD64 && doubleSided ? kHalfTracksPerSide : 0;
        const int sideTrack = sideBase ? track - kLastTrackD64 : track;
        const int index = sideBase + 2 * (sideTrack - 1);
        for (const int candidate : {index, index + 1, index - 1}) {
            const std::span<const std::uint8_t> data = halfTrack(candidate);
            if (!data.empty()) return data;
        }
        return std::span<const std::uint8_t>{};
    };

    // Tracks 36 to 42 of a single-sided image are read when they hold sectors, making a D64 of
    // 40 or 42 tracks.
    const int readTracks = doubleSided ? kLastTrackD71 : kLastTrackPerSide;
    std::vector<std::vector<SectorRead>> tracks(static_cast<std::size_t>(readTracks) + 1);
    int lastTrack = doubleSided ? kLastTrackD71 : kLastTrackD64;
    for (int track = 1; track <= readTracks; ++track) {
        const int sectors = track > kLastTrackD64 && !doubleSided ? 17 : SectorsOnTrack(track);
        tracks[track] = ReadTrack(trackOf(track), track, sectors);
        if (track > lastTrack &&
            std::any_of(tracks[track].begin(), tracks[track].end(),
                        [](const SectorRead& s) { return s.error == kNoError; }))
            lastTrack = track;
    }
    if (!doubleSided && lastTrack > kLastTrackD64) lastTrack = lastTrack <= 40 ? 40 : 42;

    // The disk ID is the one in the headers of track 18; a sector with another reads as error 29.
    std::array<std::uint8_t, 2> diskId{};
    for (const SectorRead& sector : tracks[kDirectoryTrack]) {
        if (sector.error == kNoError) {
            diskId = sector.id;
            break;
        }
    }

    std::vector<std::uint8_t> sectors;
    std::vector<std::uint8_t> errors;
    bool anyError = false;
    for (int track = 1; track <= lastTrack; ++track) {
        for (SectorRead& sector : tracks[track]) {
            if (sector.error == kNoError && sector.id != diskId) sector.error = kIdMismatch;
            if (sector.error != kNoError) {
                sector.data.fill(0);
                anyError = true;
            }
            sectors.insert(sectors.end(), sector.data.begin(), sector.data.end());
            errors.push_back(sector.error);
        }
    }
    DecodedDisk disk;
    disk.doubleSided = doubleSided;
    disk.unreadable.resize(errors.size());
    for (std::size_t i = 0; i < errors.size(); ++i)
        disk.unreadable[i] = errors[i] != kNoError;
    disk.image.data = std::move(sectors);
    if (anyError) disk.image.data.insert(disk.image.data.end(), errors.begin(), errors.end());
    return {std::move(disk), {}};
}

}  // namespace kestrune
