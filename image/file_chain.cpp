#include "image/file_chain.h"

#include <algorithm>

#include "image/geometry.h"

namespace kestrune {

std::span<const std::uint8_t> FileChain::Read() const {
    return storage ? std::span(*storage).subspan(offset) : std::span<const std::uint8_t>{};
}

void FileChain::Take(std::vector<std::uint8_t> bytes) {
    storage = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    offset = 0;
}

std::span<const std::uint8_t> FileChain::Data() const {
    return length > 0 ? Read().first(static_cast<std::size_t>(length))
                      : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> FileChain::Content() const {
    const std::int32_t n = ContentLength();
    return n > 0 ? Read().subspan(static_cast<std::size_t>(ContentOffset()),
                                  static_cast<std::size_t>(n))
                 : std::span<const std::uint8_t>{};
}

void Assemble(FileChain& chain, const DiskImage& image, const DiskLayout& layout, int track,
              int sector, const std::vector<bool>& unreadable) {
    std::vector<bool> read(image.size() / kSectorSize + 1);
    std::vector<std::uint8_t> bytes;
    std::int32_t count = 0;
    // Every block is read at most once, so the walk ends after as many blocks as the image holds.
    for (;;) {
        const std::optional<std::uint32_t> offset = layout.Offset(track, sector);
        if (!offset || !image.Holds(*offset, kSectorSize)) break;
        const std::uint32_t block = *offset / kSectorSize;
        if (read[block] || (block < unreadable.size() && unreadable[block])) break;
        read[block] = true;

        const std::uint8_t* data = image.data.data() + *offset;
        bytes.insert(bytes.end(), data + 2, data + kSectorSize);
        count += kBlockDataSize;
        if (data[0] == 0) {
            // Byte 1 of the last block is the index of its last used byte; a block that holds no
            // byte (index 0 or 1, as drives write the last block of some REL files) adds none.
            chain.length = count - 255 + std::max<std::int32_t>(data[1], 1);
            chain.Take(std::move(bytes));
            return;
        }
        track = data[0];
        sector = data[1];
    }
    chain.length = count;
    chain.Take(std::move(bytes));
}

void Assemble(FileChain& chain, const DiskImage& image, int track, int sector) {
    Assemble(chain, image, Layout1541(image.size()), track, sector);
}

}  // namespace kestrune
