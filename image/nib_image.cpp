#include "image/nib_image.h"

#include <algorithm>
#include <string_view>

namespace kestrune {

namespace {

constexpr std::string_view kSignature = "MNIB-1541-RAW";
constexpr std::size_t kTableAt = 0x10;
constexpr std::size_t kTracksAt = 0x100;
constexpr std::size_t kTrackSize = 0x2000;
constexpr std::size_t kMostTracks = (kTracksAt - kTableAt) / 2;
constexpr std::size_t kMostNibSize = kTracksAt + kMostTracks * kTrackSize;
// The first half track a 1541 has: track 1.
constexpr int kFirstHalfTrack = 2;

bool StartsAsNib(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

// Reads a number of up to five bytes, seven bits each, the high bit set on all but the last.
std::optional<std::uint32_t> ReadNumber(std::span<const std::uint8_t> bytes, std::size_t& at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 5 && at < bytes.size(); ++i) {
        const std::uint8_t byte = bytes[at++];
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) return value;
    }
    return std::nullopt;
}

// Unpacks into out, at most limit bytes; false when the stream is broken or holds more, out
// holding what came before.
bool Unpack(std::span<const std::uint8_t> bytes, std::size_t limit,
            std::vector<std::uint8_t>& out) {
    if (bytes.empty()) return false;
    const std::uint8_t marker = bytes[0];
    std::size_t at = 1;
    while (at < bytes.size()) {
        const std::uint8_t symbol = bytes[at++];
        if (symbol != marker) {
            if (out.size() == limit) return false;
            out.push_back(symbol);
            continue;
        }
        if (at < bytes.size() && bytes[at] == 0) {
            ++at;
            if (out.size() == limit) return false;
            out.push_back(marker);
            continue;
        }
        const std::optional<std::uint32_t> length = ReadNumber(bytes, at);
        const std::optional<std::uint32_t> offset = ReadNumber(bytes, at);
        if (!length || !offset || *offset == 0 || *offset > out.size() ||
            *length > limit - out.size())
            return false;
        const std::size_t from = out.size() - *offset;
        for (std::uint32_t i = 0; i < *length; ++i)
            out.push_back(out[from + i]);
    }
    return true;
}

}  // namespace

bool LooksLikeNib(std::span<const std::uint8_t> bytes) {
    return StartsAsNib(bytes);
}

bool LooksLikeNbz(std::span<const std::uint8_t> bytes) {
    // The signature lies in the first few packed bytes: unpack only as far as it.
    std::vector<std::uint8_t> head;
    Unpack(bytes.first(std::min<std::size_t>(bytes.size(), 64)), kSignature.size(), head);
    return StartsAsNib(head);
}

std::optional<std::vector<std::uint8_t>> UnpackNbz(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> nib;
    if (!Unpack(bytes, kMostNibSize, nib)) return std::nullopt;
    return nib;
}

GcrOutcome DecodeNib(std::span<const std::uint8_t> bytes) {
    if (!StartsAsNib(bytes) || bytes.size() < kTracksAt)
        return {std::nullopt, u"its header is cut short"};
    std::vector<std::span<const std::uint8_t>> halfTracks;
    for (std::size_t i = 0; i < kMostTracks; ++i) {
        const int halfTrack = bytes[kTableAt + 2 * i];
        if (halfTrack == 0) break;
        const std::size_t at = kTracksAt + i * kTrackSize;
        if (at >= bytes.size()) break;
        const std::size_t index = static_cast<std::size_t>(halfTrack - kFirstHalfTrack);
        if (halfTrack < kFirstHalfTrack) continue;
        if (halfTracks.size() <= index) halfTracks.resize(index + 1);
        halfTracks[index] = bytes.subspan(at, std::min(kTrackSize, bytes.size() - at));
    }
    return DecodeGcrTracks(
        [&](int index) {
            return index >= 0 && static_cast<std::size_t>(index) < halfTracks.size()
                       ? halfTracks[static_cast<std::size_t>(index)]
                       : std::span<const std::uint8_t>{};
        },
        false);
}

}  // namespace kestrune
