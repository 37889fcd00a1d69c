#include "tests/support/disk_builder.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace kestrune::testing {

namespace {

constexpr std::size_t kDiskNameOffset = 0x90;

void PutFilled(std::span<std::uint8_t> field, std::string_view text) {
    std::fill(field.begin(), field.end(), 0xA0);
    std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
}

}  // namespace

DiskBuilder::DiskBuilder(std::size_t size) : bytes_(size, 0) {
    if (size < kMinimumImageSize) throw std::invalid_argument("image smaller than the header");
    if (size < kHeaderOffset + kSectorSize) return;  // too short for a whole header sector
    HeaderLink(18, 1);
    Header()[2] = 'A';
    for (int track = 1; track <= kLastTrackD64; ++track) {
        if (track != kDirectoryTrack)
            FreeSectors(track, static_cast<std::uint8_t>(SectorsOnTrack(track)));
        // Every sector free in the bitmap but the header and the first directory sector.
        for (int sector = 0; sector < SectorsOnTrack(track); ++sector)
            Header()[4 * track + 1 + sector / 8] |= static_cast<std::uint8_t>(1 << (sector % 8));
    }
    UseInBam({kDirectoryTrack, 0});
    UseInBam({kDirectoryTrack, 1});
    Header()[4 * kDirectoryTrack] = static_cast<std::uint8_t>(SectorsOnTrack(kDirectoryTrack) - 2);
    PutFilled(Header().subspan(kDiskNameOffset, 0x1B), "");
    DiskName("KESTRUNE TEST");
    DiskId("KT");
    DosType("2A");
    if (bytes_.size() >= kDirectoryWindowOffset + kSectorSize) DirectoryLink(1, 0, 0xFF);
}

std::span<std::uint8_t> DiskBuilder::Sector(int track, int sector) {
    const std::size_t offset = SectorOffsetIn(bytes_.size(), track, sector);
    if (offset + kSectorSize > bytes_.size()) throw std::out_of_range("sector outside the image");
    return std::span(bytes_).subspan(offset, kSectorSize);
}

DiskBuilder& DiskBuilder::HeaderLink(std::uint8_t track, std::uint8_t sector) {
    bytes_.at(kHeaderOffset) = track;
    bytes_.at(kHeaderOffset + 1) = sector;
    return *this;
}

DiskBuilder& DiskBuilder::DiskName(std::string_view petscii) {
    PutFilled(Header().subspan(kDiskNameOffset, 16), petscii);
    return *this;
}

DiskBuilder& DiskBuilder::DiskId(std::string_view two) {
    std::copy_n(two.begin(), 2, Header().begin() + 0xA2);
    return *this;
}

DiskBuilder& DiskBuilder::DosType(std::string_view two) {
    std::copy_n(two.begin(), 2, Header().begin() + 0xA5);
    return *this;
}

DiskBuilder& DiskBuilder::GeosSignature() {
    const std::string_view signature = "GEOS format V1.0";
    std::copy(signature.begin(), signature.end(), Header().begin() + 0xAD);
    return *this;
}

DiskBuilder& DiskBuilder::FreeSectors(int track, std::uint8_t count) {
    Header()[4 * track] = count;
    return *this;
}

DiskBuilder& DiskBuilder::SecondSideBam(std::span<const std::uint8_t> bam) {
    std::copy(bam.begin(), bam.end(), Sector(53, 0).begin());
    return *this;
}

DiskBuilder& DiskBuilder::DirectoryLink(int directorySector, std::uint8_t track,
                                        std::uint8_t sector) {
    auto block = Sector(18, directorySector);
    block[0] = track;
    block[1] = sector;
    return *this;
}

DiskBuilder& DiskBuilder::Entry(int directorySector, int slot, const EntrySpec& entry) {
    auto bytes = Sector(18, directorySector).subspan(32 * slot, 32);
    bytes[2] = entry.type;
    bytes[3] = entry.track;
    bytes[4] = entry.sector;
    PutFilled(bytes.subspan(5, 16), entry.name);
    bytes[0x18] = entry.geosType;
    bytes[0x1E] = static_cast<std::uint8_t>(entry.blocks & 0xFF);
    bytes[0x1F] = static_cast<std::uint8_t>(entry.blocks >> 8);
    return *this;
}

DiskBuilder& DiskBuilder::AddEntry(const EntrySpec& entry) {
    for (int sector = 1;;) {
        auto block = Sector(18, sector);
        for (int slot = 0; slot < 8; ++slot) {
            if (block[32 * slot + 2] == 0) return Entry(sector, slot, entry);
        }
        if (block[0] != 18) {
            DirectoryLink(sector, 18, static_cast<std::uint8_t>(sector + 1));
            DirectoryLink(sector + 1, 0, 0xFF);
            UseInBam({kDirectoryTrack, sector + 1});
        }
        sector = block[1];
    }
}

DiskBuilder& DiskBuilder::RawBlock(Block at, std::uint8_t linkTrack, std::uint8_t linkSector,
                                   std::span<const std::uint8_t> data) {
    auto block = Sector(at.track, at.sector);
    block[0] = linkTrack;
    block[1] = linkSector;
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 254), block.begin() + 2);
    return *this;
}

DiskBuilder& DiskBuilder::Chain(std::span<const std::uint8_t> data,
                                std::initializer_list<Block> blocks) {
    return Chain(data, std::span(blocks.begin(), blocks.size()));
}

DiskBuilder& DiskBuilder::Chain(std::span<const std::uint8_t> data, std::span<const Block> blocks) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::size_t from = std::min(data.size(), 254 * i);
        const auto piece = data.subspan(from, std::min<std::size_t>(254, data.size() - from));
        if (i + 1 < blocks.size()) {
            RawBlock(blocks[i], static_cast<std::uint8_t>(blocks[i + 1].track),
                     static_cast<std::uint8_t>(blocks[i + 1].sector), piece);
        } else {
            RawBlock(blocks[i], 0, static_cast<std::uint8_t>(piece.size() + 1), piece);
        }
    }
    return *this;
}

Block DiskBuilder::NextFreeBlock() {
    const int lastTrack = bytes_.size() >= kD71Size ? kLastTrackD71 : kLastTrackD64;
    if (nextFree_.track == kDirectoryTrack) nextFree_ = {kDirectoryTrack + 1, 0};
    if (nextFree_.track > lastTrack) throw std::length_error("disk full");
    const Block block = nextFree_;
    if (block.track <= kLastTrackD64) {
        --Header()[4 * block.track];  // one sector less free
        UseInBam(block);
    }
    if (++nextFree_.sector == SectorsOnTrack(nextFree_.track)) nextFree_ = {nextFree_.track + 1, 0};
    return block;
}

void DiskBuilder::UseInBam(Block block) {
    if (block.track > kLastTrackD64 || bytes_.size() < kHeaderOffset + kSectorSize) return;
    Header()[4 * block.track + 1 + block.sector / 8] &=
        static_cast<std::uint8_t>(~(1 << (block.sector % 8)));
}

Block DiskBuilder::AddFile(std::string_view name, std::uint8_t type,
                           std::span<const std::uint8_t> data, std::uint8_t geosType) {
    std::vector<Block> blocks(std::max<std::size_t>(1, (data.size() + 253) / 254));
    for (Block& block : blocks)
        block = NextFreeBlock();
    Chain(data, blocks);
    AddEntry({type, static_cast<std::uint8_t>(blocks[0].track),
              static_cast<std::uint8_t>(blocks[0].sector), std::string(name),
              static_cast<std::uint16_t>(blocks.size()), geosType});
    return blocks[0];
}

std::filesystem::path DiskBuilder::WriteTo(const std::filesystem::path& path) const {
    return WriteFile(path, bytes_);
}

std::vector<Block> ConsecutiveBlocks(std::size_t count) {
    std::vector<Block> blocks;
    for (int track = 1; blocks.size() < count; ++track) {
        if (track == kDirectoryTrack) continue;
        for (int sector = 0; sector < SectorsOnTrack(track) && blocks.size() < count; ++sector) {
            blocks.push_back({track, sector});
        }
    }
    return blocks;
}

Bytes Noise(std::size_t size, std::uint32_t seed) {
    Bytes bytes(size);
    for (auto& byte : bytes) {
        seed = seed * 1103515245 + 12345;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

Bytes Program(std::uint16_t loadAddress, std::span<const std::uint8_t> body) {
    Bytes bytes(body.size() + 2);
    bytes[0] = static_cast<std::uint8_t>(loadAddress & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(loadAddress >> 8);
    std::copy(body.begin(), body.end(), bytes.begin() + 2);
    return bytes;
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kestrune-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path WriteFile(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path;
}

Bytes ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace kestrune::testing
