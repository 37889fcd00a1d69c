// Builds images of the formats beyond D64 and D71 for tests, each freshly formatted or well formed
// by default with the few bytes a fault needs open to change: D81 and D80/D82 disks, G64 and G71
// images encoded from a D64 or D71 with chosen sector faults, T64 archives, zip files.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/disk_layout.h"
#include "tests/support/disk_builder.h"

namespace kestrune::testing {

// A disk of a zoned layout with the directory entries and chains of a 1541 (D81, D80, D82).
class LayoutDiskBuilder {
  public:
    // A formatted D81: header 40/0 (name, ID "KT", "3D"), BAM 40/1-2 with every track but 40
    // free, an empty directory sector 40/3. 3160 blocks free.
    static LayoutDiskBuilder D81(std::string_view name = "KESTRUNE D81");
    // A formatted D80 (77 tracks) or D82 (154): header 39/0, BAM chain from 38/0 (50 tracks a
    // sector), an empty directory sector 39/1. 2052 or 4133 blocks free.
    static LayoutDiskBuilder D80(bool d82, std::string_view name = "KESTRUNE D80");

    Bytes& bytes() { return bytes_; }
    const DiskLayout& layout() const { return layout_; }
    std::span<std::uint8_t> Sector(int track, int sector);

    // Writes an entry into slot 0 to 7 of a directory sector.
    LayoutDiskBuilder& Entry(Block directorySector, int slot, const EntrySpec& entry);
    // Spreads data over the blocks as DiskBuilder::Chain does.
    LayoutDiskBuilder& Chain(std::span<const std::uint8_t> data, std::span<const Block> blocks);
    // Writes a header, BAM and empty directory for a 1581 partition from track first, of tracks
    // tracks, at first/0 to first/3.
    LayoutDiskBuilder& PartitionDirectory(int first, int tracks, std::string_view name);

    // A formatted CMD native partition of tracks tracks of 256 sectors: its header at 1/1 (ID
    // "KT", DOS type "1H"), BAM from 1/2 with track 1's sectors 0 to 34 used, an empty directory
    // sector at 1/34.
    static LayoutDiskBuilder Dnp(int tracks, std::string_view name = "NATIVE");
    // Writes a native directory header at header (a subdirectory's, or the partition's) whose
    // directory starts at the empty sector directory.
    LayoutDiskBuilder& NativeHeader(Block header, Block directory, std::string_view name);

  private:
    LayoutDiskBuilder(DiskLayout layout);
    DiskLayout layout_;
    Bytes bytes_;
};

// What is wrong with one sector of an encoded GCR image.
struct GcrFault {
    enum Kind { NoHeader, HeaderChecksum, NoDataBlock, DataChecksum, NotGcr, OtherId };
    int track;
    int sector;
    Kind kind;
};

// A G64 (or, for a D71, a G71) of the image's sectors as a 1541 writes them: for each sector a
// sync, the header block, a gap, a sync, the data block and a gap, every track 7,928 bytes with
// its speed zone; with shiftBits each track's bits are rotated by that many bits, so that no
// block starts on a byte boundary. The disk ID of every header is "KT".
Bytes EncodeGcrImage(std::span<const std::uint8_t> image, const std::vector<GcrFault>& faults = {},
                     int shiftBits = 0);

// A NIB of a G64's full tracks, each repeated to fill its 8,192 bytes, in track order.
Bytes NibFromG64(std::span<const std::uint8_t> g64);

// An NBZ of a NIB: the marker byte a value the NIB lacks or least has, runs of eight or more
// equal bytes copied from one byte back, every other byte as itself.
Bytes PackNbz(std::span<const std::uint8_t> nib);

struct ArcEntry {
    std::string name;  // PETSCII, up to 16
    char type = 'P';   // P, S, U or R
    Bytes data;
    int mode = 0;  // 0 stored, 1 packed, 2 squeezed, 3 crunched, 4 squeezed and packed, 5 crunched
                   // in one pass
    std::uint8_t recordLength = 0;
};

// An ARC archive (version 2) of the entries, each padded to whole blocks of 254 bytes: packed
// runs of four or more with $FE, squeezed with the most frequent byte a 1-bit code and every
// other a 9-bit one, crunched with LZW as ARC64 does.
Bytes ArcArchive(const std::vector<ArcEntry>& entries);

// The same archive as an SDA: a C64 BASIC line "SYS" of two blocks before it.
Bytes SdaArchive(const std::vector<ArcEntry>& entries);

struct TapeFile {
    std::string name;  // PETSCII, padded with spaces to 16
    std::uint8_t fileType = 0x82;
    std::uint16_t start = 0x0801;
    std::optional<std::uint16_t> end;  // start + the data's size without one
    Bytes data;
    std::uint8_t entryType = 1;
};

// A T64 archive of the files, their data in order right after a directory of one entry for each.
// The header's used entries and directory size (slots) default to the number of files.
Bytes T64Archive(const std::vector<TapeFile>& files, std::optional<std::uint16_t> used = {},
                 std::optional<std::uint16_t> slots = {},
                 std::string_view tapeName = "KESTRUNE TAPE");

struct LynxFile {
    std::string name;  // PETSCII, padded with 0xA0 to 16
    char type = 'P';   // P, S, U, R or D
    Bytes bytes;
};

// A Lynx archive as cbmconvert writes one: a BASIC line, the directory lines, the files.
Bytes LynxArchive(const std::vector<LynxFile>& files);

struct CrtChip {
    std::uint16_t chipType = 0;  // 0 ROM, 1 RAM, 2 Flash
    std::uint16_t bank = 0;
    std::uint16_t load = 0x8000;
    Bytes data;
    std::optional<std::uint16_t> size;  // the packet's size field; the data's size without one
};

// A C64 CRT cartridge image: the 64-byte header (signature, length, version 1.0, hardware type,
// EXROM, GAME, name), then a CHIP packet for each chip.
Bytes CrtCartridge(std::string_view name, std::uint16_t hardware, std::uint8_t exrom,
                   std::uint8_t game, const std::vector<CrtChip>& chips,
                   std::string_view signature = "C64 CARTRIDGE   ");

// A GEOS VLIR file named name (ASCII) in the Convert layout: the signature block, an info block
// of $11 bytes, the record block, then the records in whole blocks, the last ending at its last
// byte (cbmconvert's layout).
Bytes VlirConvertFile(std::string_view name, const std::vector<Bytes>& records);

// The four ZipCode parts of a 35-track D64 image: every sector, a sector of one byte value as a
// fill, any other as its 256 bytes (no run-length packing), in track and sector order.
std::vector<Bytes> ZipCodeParts(std::span<const std::uint8_t> image);

// A TAP file written pulse by pulse as the ROM loader saves: leaders of short pulses, blocks of a
// countdown, data and checksum, files of a header and a data block, each twice.
class TapWriter {
  public:
    // The ROM loader's short, medium and long pulses, in units of 8 cycles.
    static constexpr std::uint8_t kShort = 0x30, kMedium = 0x42, kLong = 0x56;

    TapWriter& Leader(int pulses);
    // A block: its countdown ($89.. for copy 1, $09.. for copy 2), the data, its checksum and
    // the end marker. A byte at an offset in damaged (counted in data) has one bit flipped, so
    // that its parity fails.
    TapWriter& Block(std::span<const std::uint8_t> data, int copy,
                     const std::vector<std::size_t>& damaged = {});
    // A file as the ROM loader saves it: the header (type, start, end, name padded with spaces)
    // and the data, each in two copies with their leaders.
    TapWriter& File(std::uint8_t type, std::string_view name, std::uint16_t start,
                    std::span<const std::uint8_t> data,
                    const std::vector<std::size_t>& damagedFirstData = {});
    TapWriter& Pause(std::uint32_t cycles);
    // Pulses of other lengths than the ROM loader's: a turbo loader's, alternating.
    TapWriter& Turbo(int pulses);

    // The file, in version 0 (pauses as a 0 byte), 1 (pauses as 0 and their length) or 2
    // (half waves).
    Bytes Tap(int version = 1) const;

  private:
    void Byte(std::uint8_t value, bool damage);
    std::vector<std::uint32_t> pulses_;  // in cycles
};

struct CmdPartition {
    std::uint8_t type;  // 1 native, 2 1541, 3 1571, 4 1581 emulation, 5-7 others
    std::string name;
    std::uint32_t start;  // in 512-byte blocks
    std::uint32_t size;   // in 512-byte blocks
    Bytes contents;       // written from its start
};

// A CMD floppy of 81 tracks of sectors sectors (40: D1M, 80: D2M, 160: D4M): the partitions'
// contents, and the partition table from 81/8, the system partition its first entry.
Bytes CmdFloppy(int sectors, const std::vector<CmdPartition>& partitions);

// A zip archive of the named members, deflated.
Bytes ZipArchive(const std::vector<std::pair<std::string, Bytes>>& members);

// A zip archive whose central directory names its one member copies times, every entry on the
// same data, as a zip bomb does: each entry's name is name with its first four characters
// replaced by the entry's number ("0000.d64", "0001.d64", ...).
Bytes ZipEntriesOnOneMember(std::string name, const Bytes& data, int copies);

// A gzip file of bytes.
Bytes Gzip(std::span<const std::uint8_t> bytes);

}  // namespace kestrune::testing
