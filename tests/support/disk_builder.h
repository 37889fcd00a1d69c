// Builds D64 and D71 images in memory or on disk for tests: a freshly formatted disk by default,
// with every byte the viewer reads open to change.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/disk_image.h"
#include "image/geometry.h"

namespace kestrune::testing {

using Bytes = std::vector<std::uint8_t>;

struct Block {
    int track;
    int sector;
};

struct EntrySpec {
    std::uint8_t type = 0x82;  // closed PRG
    std::uint8_t track = 1;
    std::uint8_t sector = 0;
    std::string name;  // PETSCII bytes, filled up to 16 with 0xA0
    std::uint16_t blocks = 0;
    std::uint8_t geosType = 0;
};

class DiskBuilder {
  public:
    // A formatted, empty disk of the given size: header link 18/1, DOS version "A", every track
    // but 18 free in the BAM (as many sectors as the track has, every sector's bit set; on track
    // 18 all but the header and the directory sectors), disk name "KESTRUNE TEST",
    // ID "KT", DOS type "2A", and one directory sector 18/1 whose link is 0/0xFF.
    explicit DiskBuilder(std::size_t size = kD64Size);
    static DiskBuilder D64() { return DiskBuilder(kD64Size); }
    static DiskBuilder D71() { return DiskBuilder(kD71Size); }

    Bytes& bytes() { return bytes_; }
    // The 256 bytes of a sector that lies wholly inside the image.
    std::span<std::uint8_t> Sector(int track, int sector);
    std::span<std::uint8_t> Header() { return Sector(18, 0); }

    DiskBuilder& HeaderLink(std::uint8_t track, std::uint8_t sector);
    DiskBuilder& DiskName(std::string_view petscii);  // filled up to 16 with 0xA0
    DiskBuilder& DiskId(std::string_view two);
    DiskBuilder& DosType(std::string_view two);
    DiskBuilder& GeosSignature();
    DiskBuilder& FreeSectors(int track, std::uint8_t count);  // first-side BAM count, tracks 1-35
    DiskBuilder& SecondSideBam(std::span<const std::uint8_t> bytes);  // at 53/0 from byte 0

    // Bytes 0 and 1 of directory sector 18/s.
    DiskBuilder& DirectoryLink(int directorySector, std::uint8_t track, std::uint8_t sector);
    // Writes an entry into slot 0 to 7 of directory sector 18/s.
    DiskBuilder& Entry(int directorySector, int slot, const EntrySpec& entry);
    // Writes an entry into the next free slot, following the directory chain from 18/1 and
    // extending it to the next sector of track 18 when the last sector is full.
    DiskBuilder& AddEntry(const EntrySpec& entry);

    // Writes one block: its link bytes and up to 254 data bytes from byte 2 on.
    DiskBuilder& RawBlock(Block at, std::uint8_t linkTrack, std::uint8_t linkSector,
                          std::span<const std::uint8_t> data = {});
    // Spreads data over the blocks in order (254 bytes each), linking each block to the next;
    // the last block links to track 0 with the index of its last used byte.
    DiskBuilder& Chain(std::span<const std::uint8_t> data, std::initializer_list<Block> blocks);
    DiskBuilder& Chain(std::span<const std::uint8_t> data, std::span<const Block> blocks);

    // Places data on free blocks from track 1 on (never track 18), counts them off the first
    // side's BAM, writes the chain and adds a directory entry with the block count. Returns the
    // first block.
    Block AddFile(std::string_view name, std::uint8_t type, std::span<const std::uint8_t> data,
                  std::uint8_t geosType = 0);

    DiskImage Image() const { return DiskImage{bytes_}; }
    // Writes the image and returns the path.
    std::filesystem::path WriteTo(const std::filesystem::path& path) const;

    // Clears a sector's bit in the first side's BAM bitmap (its free count stays).
    void UseInBam(Block block);

  private:
    Block NextFreeBlock();

    Bytes bytes_;
    Block nextFree_{1, 0};
};

// count blocks one after the other from track 1 sector 0 on, passing over track 18.
std::vector<Block> ConsecutiveBlocks(std::size_t count);

// size bytes of repeatable noise: every byte value, in no order.
Bytes Noise(std::size_t size, std::uint32_t seed = 1);

// The bytes of a PRG file: the load address, low byte first, then the program.
Bytes Program(std::uint16_t loadAddress, std::span<const std::uint8_t> body);

// A folder of its own under the system's temporary folder, removed with its contents at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// The whole of a file.
Bytes ReadFileBytes(const std::filesystem::path& path);

// Writes bytes to a file and returns its path.
std::filesystem::path WriteFile(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes);

}  // namespace kestrune::testing
