// What an opened image holds for the viewer, whatever its format: the disk's fields, the
// directory's entries, and where each entry's bytes are (a chain of sectors, or bytes an archive
// holds whole).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/disk_image.h"
#include "image/disk_layout.h"
#include "image/file_chain.h"

namespace kestrune {

// What a partition entry opens into: a 1581 partition, a partition of a CMD disk of its kind, or
// a subdirectory of a CMD native partition.
enum class PartitionKind : std::uint8_t {
    Cbm1581,
    Native,
    Emulation1541,
    Emulation1571,
    Emulation1581,
    Subdirectory,
};

// One entry of the directory as it is stored: numbers and the name's own bytes. The list's texts
// are made from it by the viewer.
struct DirectoryEntry {
    std::uint16_t blocks = 0;
    std::array<std::uint8_t, 16> name{};  // PETSCII (or GEOS) bytes, padded with 0xA0
    std::uint8_t type = 0;                // file type in bits 0-2, locked 0x40, closed 0x80
    std::uint8_t track = 0;               // the first block of the file
    std::uint8_t sector = 0;
    // A program's load address, the first two data bytes of its first block: only closed or
    // unclosed PRG files (type 0x82, 0xC2 or 0x02) have one.
    std::optional<std::uint16_t> loadAddress;
    std::uint8_t geosType = 0;           // the GEOS file type byte, 0 for a file without one
    std::array<std::uint8_t, 5> date{};  // a GEOS file's year, month, day, hour and minute
    std::uint8_t recordLength = 0;       // a REL file's record length
    // The track of the directory: an entry of 0 blocks that starts there is a directory label.
    std::uint8_t directoryTrack = 18;
    // A file of a tape or file archive is held whole instead of in sectors: its index in
    // Volume::storedFiles. It has no track and sector.
    std::optional<std::uint32_t> storedFile;
    // A partition that holds a directory of its own (see OpenPartition), and what it is.
    bool partition = false;
    PartitionKind partitionKind = PartitionKind::Cbm1581;
    // Entry bytes 0x15 and 0x16: the first side sector of a REL file, the info block of a GEOS
    // file. A GEOS file whose recordLength byte (its structure) is 1 is a VLIR file: its first
    // block is an index of up to 127 chains.
    std::uint8_t auxTrack = 0;
    std::uint8_t auxSector = 0;

    bool operator==(const DirectoryEntry&) const = default;
};

// Where the bytes of a file that an archive holds whole lie in Volume::held. They are taken
// from there when the file is shown, so an archive whose entries all name the same data costs
// its own size, whatever its entries claim.
struct StoredFile {
    std::uint64_t offset = 0;  // where its data starts
    std::uint64_t length = 0;  // its data's bytes
    // A tape keeps the address a file was saved from apart from its data: the file's bytes start
    // with it.
    std::optional<std::uint16_t> savedFrom;
    // Where a tape holds the file and how it was read, for the status line when it is shown.
    std::u16string note;

    std::uint64_t Size() const { return length + (savedFrom ? 2 : 0); }
};

inline constexpr std::u16string_view kGeosStatus = u"GEOS formatted disk";

struct DiskFields {
    std::u16string diskName;              // in capitals
    std::vector<std::uint8_t> nameBytes;  // the disk name's own bytes; none for a file's name
    std::u16string diskId;                // two characters
    std::u16string dosType;               // two characters
    int blocksFree = 0;
    bool isGeosDisk = false;  // names are then read in the GEOS character set
};

struct Volume {
    std::string_view format;  // "d64", "d71", "d81", "g64", "t64", ...: as dir --json names it
    DiskFields disk;
    std::vector<DirectoryEntry> entries;  // in directory order
    bool readError = false;               // an entry named a track the disk lacks; the walk ended
    // What was wrong with the container and how it was read anyway, for the status line; empty
    // when nothing was.
    std::u16string fault;

    // The sectors of a disk; empty for an archive of files.
    DiskImage image;
    DiskLayout layout;
    std::vector<bool> unreadable;  // by block index: sectors that did not decode
    // A 1581 partition's directory: the tracks the partition spans, which its files' chains keep
    // to. Nothing for a whole disk.
    std::optional<std::pair<int, int>> partitionTracks;

    // The disk's own bookkeeping by block index, for the sector map and the check (all empty for
    // an archive of files): what the BAM says (kBamFree, kBamUsed, or kNoBam for a sector it does
    // not cover), the sectors the file system keeps for itself (header, BAM, directory), and the
    // error byte of each sector (1 for none) where the image carries them.
    std::vector<std::int8_t> bam;
    std::vector<bool> systemSectors;
    std::vector<std::uint8_t> errorBytes;

    // The bytes of an archive of files, shared with the files shown from it, and where each of
    // its files lies in them.
    std::shared_ptr<const std::vector<std::uint8_t>> held =
        std::make_shared<const std::vector<std::uint8_t>>();
    std::vector<StoredFile> storedFiles;
};

inline constexpr std::int8_t kBamUsed = 0;
inline constexpr std::int8_t kBamFree = 1;
inline constexpr std::int8_t kNoBam = -1;

// The number of sectors of a volume that lie wholly in its image: what the map shows.
std::uint32_t MappedSectors(const Volume& volume);

// Sizes the bookkeeping of a sector volume: no BAM, no system sectors, no error bytes.
void StartBookkeeping(Volume& volume);

// Marks a sector as kept by the file system; sectors the layout or image lacks are passed over.
void MarkSystem(Volume& volume, int track, int sector);

// Sets what the BAM says of the sectors of track from its bitmap (bit s % 8 of byte s / 8 set
// for a free sector s).
void SetBam(Volume& volume, int track, std::span<const std::uint8_t> bitmap);

// Takes the error bytes after the image's sectors, one for each sector, when they are there.
void TakeErrorBytes(Volume& volume, std::uint64_t sectorsSize);

// Reads the bytes of entry into chain: its chain of sectors, or the bytes its archive holds.
void ReadFile(FileChain& chain, const Volume& volume, const DirectoryEntry& entry);

// The directory that a partition entry holds, as a volume of its own; nothing when the entry is
// no such partition.
std::optional<Volume> OpenPartition(const Volume& volume, const DirectoryEntry& entry);

// A name of up to 16 PETSCII bytes, padded with 0xA0, from a file name on the host: letters in
// capitals, other printable ASCII kept, every other character a question mark.
std::array<std::uint8_t, 16> PetsciiName(std::string_view hostName);

// Takes bytes as the bytes of an archive of files.
void Hold(Volume& volume, std::vector<std::uint8_t> bytes);

// Adds a file that an archive holds whole, at a place inside volume.held, as an entry of volume:
// its blocks counted 254 bytes each, a PRG's load address from its first two bytes (0 for a
// shorter file).
void AddStoredFile(Volume& volume, const std::array<std::uint8_t, 16>& name, std::uint8_t type,
                   const StoredFile& file, std::uint8_t recordLength = 0);

// Whether a type byte is a PRG file with a load address (0x02, 0x82 or 0xC2).
constexpr bool IsProgramWithStart(std::uint8_t type) {
    return type == 0x02 || type == 0x82 || type == 0xC2;
}

}  // namespace kestrune
