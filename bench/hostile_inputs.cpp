#include "bench/hostile_inputs.h"

#include <algorithm>
#include <vector>

#include "tests/support/format_builders.h"

namespace kestrune::hostile {

constexpr std::size_t k64MiB = 64u << 20;

Bytes ZipBomb() {
    return testing::ZipEntriesOnOneMember("0000.d64", Bytes(k64MiB, 0), 1000);
}

Bytes ZippedZeros() {
    return testing::ZipArchive({{"zeros.prg", Bytes(k64MiB, 0)}});
}

Bytes Zeros() {
    return Bytes(k64MiB, 0);
}

Bytes Noise() {
    return testing::Noise(k64MiB);
}

// 65,535 entries whose data all start at offset 0 and claim 64 KB each, gzipped.
Bytes TapeOfSameEntries() {
    Bytes t64(64 + 32 * 65535, 0);
    std::copy_n("C64 tape image file", 19, t64.begin());
    t64[34] = t64[35] = t64[36] = t64[37] = 0xFF;
    for (std::size_t entry = 0; entry < 65535; ++entry) {
        std::uint8_t* e = t64.data() + 64 + 32 * entry;
        e[0] = 1;
        e[1] = 0x82;
        e[2] = 0x01, e[3] = 0x08;  // start $0801
        e[4] = 0xFF, e[5] = 0xFF;  // end $ffff
        std::fill_n(e + 16, 16, 0x20);
        e[16] = 'A';
    }
    return testing::Gzip(t64);
}

// A D82 whose directory chain runs through 2,054 sectors, each of whose 8 entries names the
// directory's first sector: every row's chain is the directory's, 2,054 blocks long.
namespace {

Bytes CrossLinkedD82(bool errorTable) {
    testing::LayoutDiskBuilder disk = testing::LayoutDiskBuilder::D80(true);
    std::vector<testing::Block> sectors;
    for (int track = 1; track <= 154 && sectors.size() < 2054; ++track) {
        if (track == 38 || track == 39) continue;
        for (int sector = 0; sector < disk.layout().sectors[track] && sectors.size() < 2054;
             ++sector)
            sectors.push_back({track, sector});
    }
    sectors.insert(sectors.begin(), testing::Block{39, 1});
    sectors.pop_back();
    for (std::size_t i = 0; i < sectors.size(); ++i) {
        auto bytes = disk.Sector(sectors[i].track, sectors[i].sector);
        const bool last = i + 1 == sectors.size();
        bytes[0] = last ? 0 : static_cast<std::uint8_t>(sectors[i + 1].track);
        bytes[1] = last ? 0xFF : static_cast<std::uint8_t>(sectors[i + 1].sector);
        for (int slot = 0; slot < 8; ++slot)
            disk.Entry(sectors[i], slot, {0x82, 39, 1, "SAME", 2054});
    }
    Bytes bytes = disk.bytes();
    if (errorTable) {
        bytes.resize(bytes.size() + bytes.size() / 256, 1);
        bytes[bytes.size() - 100] = 5;
    }
    return bytes;
}

}  // namespace

Bytes D82() {
    return CrossLinkedD82(false);
}

Bytes D82WithErrors() {
    return CrossLinkedD82(true);
}

// A zip of two images whose names carry terminal escapes.
Bytes EscapingNames() {
    return testing::ZipArchive({{"\x1b]0;owned\a.d64", testing::DiskBuilder::D64().bytes()},
                                {"\x1b[2J.d64", testing::DiskBuilder::D64().bytes()}});
}

}  // namespace kestrune::hostile
