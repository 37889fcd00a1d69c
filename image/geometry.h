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

enum class ImageKind { D64, D71 };

// ".d64" or ".d71" in any letter case; anything else is no disk image.
std::optional<ImageKind> ImageKindFromExtension(std::string_view extension);

// The size the loader names for an image of this kind that has an unusual size.
constexpr std::uint64_t ExpectedSize(ImageKind kind) {
    return kind == ImageKind::D64 ? kD64Size : kD71Size;
}

}  // namespace kestrune
