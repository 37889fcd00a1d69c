// The geometry of 1541 (D64) and 1571 (D71) disk images: a raw dump of 256-byte sectors, track by
// track, with no file header.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrune {

inline constexpr std::uint32_t kSectorSize = 256;
inline constexpr std::uint32_t kHeaderOffset = 91392;          // track 18, sector 0
inline constexpr std::uint64_t kMinimumImageSize = 91394;      // the header sector's two link bytes
inline constexpr std::uint64_t kD64Size = 174848;              // 35 tracks, 683 sectors
inline constexpr std::uint64_t kD71Size = 349696;              // 70 tracks, 1366 sectors
inline constexpr std::uint32_t kSecondSideBamOffset = 266240;  // track 53, sector 0
inline constexpr std::uint32_t kSecondSideBamLength = 105;     // 3 bitmap bytes for tracks 36 to 70
inline constexpr int kSecondSideBamTrack = 53;                 // kept whole by the 1571's DOS
inline constexpr std::uint32_t kDirectoryWindowOffset = 91648;  // track 18, sector 1
inline constexpr std::uint32_t kDirectoryWindowLength =
    4864;  // 19 sectors: 18/1 to 18/18, then 19/0
inline constexpr int kLastTrackD64 = 35;
inline constexpr int kLastTrackD71 = 70;
inline constexpr int kDirectoryTrack = 18;

// Sectors on a track; tracks 36 to 70 (the second side of a 1571 disk) repeat the zones of 1 to 35.
constexpr int SectorsOnTrack(int track) {
    const int sideTrack = track > kLastTrackD64 ? track - kLastTrackD64 : track;
    if (sideTrack <= 17) return 21;
    if (sideTrack <= 24) return 19;
    if (sideTrack <= 30) return 18;
    return 17;
}

// Image offset of sector 0 of each track; entry 0 stands for no track and is 0.
inline constexpr std::array<std::uint32_t, kLastTrackD71 + 1> TrackOffsetTable = [] {
    std::array<std::uint32_t, kLastTrackD71 + 1> table{};
    for (int track = 2; track <= kLastTrackD71; ++track) {
        table[track] = table[track - 1] + kSectorSize * SectorsOnTrack(track - 1);
    }
    return table;
}();

// Image offset of a track and sector. The sector is not compared with its track's sector count, so
// the offset may fall on another track or past the end of the image: readers check it against the
// image size. Tracks above 70 have no offset and must be refused by the caller.
constexpr std::uint32_t SectorOffset(int track, int sector) {
    return TrackOffsetTable[track] + kSectorSize * static_cast<std::uint32_t>(sector);
}

// The layouts of the known image sizes: D64 of 35, 40 or 42 tracks and D71, each with or without
// an error byte for every sector after the sectors. Tracks 36 to 42 of a D64 have 17 sectors each
// and follow track 35; tracks 36 to 70 of a D71 are its second side.
struct KnownLayout {
    std::uint64_t size;
    int lastTrack;
    bool errorBytes;
};

// clang-format off
inline constexpr std::array<KnownLayout, 8> KnownLayouts = {{
    {174848, 35, false}, {175531, 35, true},
    {196608, 40, false}, {197376, 40, true},
    {205312, 42, false}, {206114, 42, true},
    {349696, 70, false}, {351062, 70, true},
}};
// clang-format on

// The known layout of an image of this size, if any.
constexpr std::optional<KnownLayout> LayoutOfSize(std::uint64_t size) {
    for (const KnownLayout& layout : KnownLayouts) {
        if (layout.size == size) return layout;
    }
    return std::nullopt;
}

// Image offset of sector 0 of a track past 35 of a D64 of 40 or 42 tracks: 17 sectors a track
// after track 35. Tracks past the image's last one fall past its end.
constexpr std::uint32_t ExtendedTrackOffset(int track) {
    return static_cast<std::uint32_t>(kD64Size) +
           17 * kSectorSize * static_cast<std::uint32_t>(track - (kLastTrackD64 + 1));
}

// The last track an image of this size holds: 40 or 42 for those D64 layouts, else 35 below the
// double-sided size and 70 from it on.
constexpr int LastTrackOfSize(std::uint64_t size) {
    const std::optional<KnownLayout> layout = LayoutOfSize(size);
    if (layout && layout->lastTrack < kLastTrackD71) return layout->lastTrack;
    return size < kD71Size ? kLastTrackD64 : kLastTrackD71;
}

// SectorOffset in an image of this size: tracks past 35 of a D64 of 40 or 42 tracks follow track
// 35, the ones above its last track too, which fall past its end. Tracks above 70 have no offset
// and must be refused by the caller.
constexpr std::uint32_t SectorOffsetIn(std::uint64_t imageSize, int track, int sector) {
    const int lastTrack = LastTrackOfSize(imageSize);
    if (track > kLastTrackD64 && lastTrack > kLastTrackD64 && lastTrack < kLastTrackD71) {
        return ExtendedTrackOffset(track) + kSectorSize * static_cast<std::uint32_t>(sector);
    }
    return SectorOffset(track, sector);
}

enum class ImageKind { D64, D71 };

// ".d64" or ".d71" in any letter case; anything else is no disk image.
std::optional<ImageKind> ImageKindFromExtension(std::string_view extension);

// The size the loader names for an image of this kind that has an unusual size.
constexpr std::uint64_t ExpectedSize(ImageKind kind) {
    return kind == ImageKind::D64 ? kD64Size : kD71Size;
}

}  // namespace kestrune
