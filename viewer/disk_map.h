// The sectors of a disk as the Disk view and kestrune-cli map show them, and what the check finds
// wrong with them. Read only: nothing here changes the image.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

struct SectorCell {
    int row = 0;               // the 1-based directory row whose chain holds the sector, 0 for none
    bool system = false;       // the header, a BAM or a directory sector
    std::optional<bool> free;  // what the BAM says; nothing where it says nothing
    std::optional<std::uint8_t> error;  // the sector's error byte (2 and up) where one is kept
    std::uint8_t linkTrack = 0;         // the sector's first two bytes
    std::uint8_t linkSector = 0;

    // The BAM calls the sector free while a file or the file system uses it, or in use while
    // nothing does.
    bool BamDisagrees() const { return free && *free == (row != 0 || system); }
};

struct MapTrack {
    int track = 0;
    std::vector<SectorCell> sectors;
};

struct DiskMap {
    std::vector<MapTrack> tracks;  // empty for an archive of files, which has no sectors
};

// The kinds of finding, as kestrune-cli check --json names them.
inline constexpr std::string_view kCrossLinked = "cross-linked";
inline constexpr std::string_view kLoop = "loop";
inline constexpr std::string_view kBadLink = "bad-link";
inline constexpr std::string_view kSizeMismatch = "size-mismatch";
inline constexpr std::string_view kUsedButFree = "used-but-free";
inline constexpr std::string_view kOrphan = "orphan";
inline constexpr std::string_view kErrorSector = "error-sector";

struct Finding {
    std::string_view kind;
    int track = 0;
    int sector = 0;
    std::vector<int> rows;  // 1-based directory rows, the first few of them
    std::u16string text;
    int moreRows = 0;  // the rows left out of rows (and named only by their number in text)

    bool operator==(const Finding&) const = default;
};

// A finding names at most this many rows; the text counts the rest.
inline constexpr std::size_t kNamedRows = 5;

// The DOS error each error byte of an image stands for, as the drive would report it reading the
// sector; 0 where the byte means no error or has no DOS meaning.
// clang-format off
inline constexpr std::uint8_t kDosErrorOfByte[16] = {
    0,  0,  20, 21, 22, 23, 24, 25,   // 00-07
    26, 27, 28, 29, 0,  0,  0,  74,   // 08-0F
};
// clang-format on

// Where a sector is, as a text says it: "track 17 ($11), sector 4 ($04)". The list shows tracks
// and sectors in hexadecimal, everything else in decimal: both are given.
std::u16string SectorPlace(int track, int sector);

// What an error byte (2 and up) says: "error 23", or for a byte with no DOS meaning "an unknown
// error (byte $3a)".
std::u16string ErrorByteText(std::uint8_t errorByte);

}  // namespace kestrune
