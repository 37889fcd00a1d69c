// Gathering a file's data bytes from its chain of blocks. Each 256-byte block starts with a link
// to the next block (track, sector); a link track of 0 marks the last block, whose link sector is
// then the index of its last used byte. Bytes 2 to 255 of each block are data.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "image/disk_image.h"
#include "image/disk_layout.h"

namespace kestrune {

inline constexpr int kBlockDataSize = 254;

struct FileChain {
    // The data bytes of every block read, 254 a block, or the bytes an archive holds the file in,
    // from offset on in storage. Shared: the panes of the file keep them too, and a file an
    // archive holds is not copied. Nothing of an earlier file stays.
    std::shared_ptr<const std::vector<std::uint8_t>> storage;
    std::size_t offset = 0;
    // Data bytes from byte 2 of the first block through the last used byte of the last block:
    // 254 x (blocks - 1) + last index - 1, where a last block that holds no byte (index 0 or 1)
    // adds none. Readers treat 0 or less as no bytes.
    std::int32_t length = 0;
    bool hasLoadAddress = false;    // a PRG row: its first two bytes are its load address
    std::int32_t startAddress = 0;  // the row's load address, 0 without one

    // A program starts with its load address, which is skipped; every other file is shown whole.
    std::int32_t ContentOffset() const { return hasLoadAddress ? 2 : 0; }
    std::int32_t ContentLength() const { return length - ContentOffset(); }

    // The content window: the ContentLength bytes from ContentOffset, empty when that is 0 or less.
    std::span<const std::uint8_t> Content() const;
    // The file's data bytes, empty when length is 0 or less.
    std::span<const std::uint8_t> Data() const;
    // Every byte read, past length too (the whole of a last block).
    std::span<const std::uint8_t> Read() const;
    // Takes bytes as the bytes read.
    void Take(std::vector<std::uint8_t> bytes);
};

// Reads the chain that starts at track, sector into chain and sets chain.length. The chain
// stops, keeping the bytes read so far (length = 254 x blocks read), before a block the layout
// does not have, a block that does not lie wholly inside the image, a block already read and a
// block marked unreadable (by its index, offset / 256). The chain is read whole, however many
// blocks it has. Readers take the bytes through Data() or Content(), never past length.
void Assemble(FileChain& chain, const DiskImage& image, const DiskLayout& layout, int track,
              int sector, const std::vector<bool>& unreadable = {});

// Assemble in a D64 or D71 image: tracks above 35 are refused in an image smaller than a
// double-sided one (unless it is a 40- or 42-track D64), above 70 otherwise.
void Assemble(FileChain& chain, const DiskImage& image, int track, int sector);

}  // namespace kestrune
