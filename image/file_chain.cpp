#include "image/file_chain.h"

#include <algorithm>
#include <bitset>

#include "image/geometry.h"

namespace kestrune {

namespace {

// Every block a chain can reach lies below this offset: track 70, sector 255.
constexpr std::uint32_t kReachableBlocks = SectorOffset(kLastTrackD71, 255) / kSectorSize + 1;

}  // namespace

std::span<const std::uint8_t> FileChain::Data() const {
    return length > 0 ? std::span(bytes).first(static_cast<std::size_t>(length))
                      : std::span<const std::uint8_t>{};
}

std::span<const std::uint8_t> FileChain::Content() const {
    const std::int32_t n = ContentLength();
    return n > 0 ? std::span(bytes).subspan(static_cast<std::size_t>(ContentOffset()),
                                            static_cast<std::size_t>(n))
                 : std::span<const std::uint8_t>{};
}

void Assemble(FileChain& chain, const DiskImage& image, int track, int sector) {
    const int lastTrack = LastTrackOfSize(image.size());
    std::bitset<kReachableBlocks> read;
    chain.bytes.clear();
    std::int32_t count = 0;
    // Every block is read at most once, so the walk ends after as many blocks as the image holds.
    while (track >= 1 && track <= lastTrack && sector >= 0 && sector <= 255) {
        const std::uint32_t offset = SectorOffsetIn(image.size(), track, sector);
        if (!image.Holds(offset, kSectorSize) || read[offset / kSectorSize]) break;
        read.set(offset / kSectorSize);

        const std::uint8_t* block = image.data.data() + offset;
        chain.bytes.insert(chain.bytes.end(), block + 2, block + kSectorSize);
        count += kBlockDataSize;
        if (block[0] == 0) {
            chain.length = count - 255 + block[1];
            return;
        }
        track = block[0];
        sector = block[1];
    }
    chain.length = count;
}

}  // namespace kestrune
