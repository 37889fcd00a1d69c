// Writes the seed inputs of the fuzz targets: images built by the test support, BASIC programs
// and typed start addresses. The real images of ../shared/corpus/ are added by scripts/fuzz.
//   make_seeds OUTPUT_FOLDER   (writes a folder for each target in it)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/basic_program.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "views/pictures.h"

namespace {

using kestrune::testing::Block;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

const Bytes kHello =
    kestrune::testing::BasicProgram(0x0801, {{10, {0x99, 0x22, 0x93, 0x48, 0x49, 0x20, 0x20, 0x22}},
                                             {20, {0x81, 0x49, 0xB2, 0x31, 0xA4, 0x39}}});
const Bytes kCode = {0xA9, 0x93, 0x20, 0xD2, 0xFF, 0xA5, 0xC5, 0xD0, 0xFE, 0x6C, 0xFE, 0xFF, 0x60};

DiskBuilder EveryKindOfRow() {
    DiskBuilder disk;
    disk.AddFile("BASIC", 0x82, kestrune::testing::Program(0x0801, kHello));
    disk.AddFile("CODE", 0x82, kestrune::testing::Program(0xC000, kCode));
    disk.AddFile("TEXT", 0x81, Bytes{0x48, 0x49, 0x0D, 0xC8, 0x1F, 0x9F, 0x8D});
    disk.AddFile("SCREEN", 0x82, kestrune::testing::Program(0x0400, Bytes{1, 2, 3, 0x81, 0x1F}));
    disk.AddFile("LOCKED", 0xC2, kestrune::testing::Program(0x3000, kHello));
    disk.AddFile("OPEN", 0x02, kestrune::testing::Program(0x1C01, kHello));
    disk.AddFile("REL", 0x84, Bytes(300, 0x20));
    disk.AddEntry({0x80, 0, 0, "DEL", 0});
    disk.AddEntry({0x82, 18, 0, "LABEL", 0});
    disk.AddEntry({0x83, 3, 10, "GEOS", 12, 6});
    disk.AddEntry({0x85, 1, 0, "ODD TYPE", 1});
    return disk;
}

DiskBuilder LongestChain() {
    DiskBuilder disk = DiskBuilder::D71();
    Bytes data(258 * 254);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    data[0] = 0x00;
    data[1] = 0xC0;
    disk.AddFile("LONGEST", 0x82, data);
    return disk;
}

DiskBuilder Broken() {
    DiskBuilder disk;
    disk.DirectoryLink(1, 18, 2).DirectoryLink(2, 18, 1);  // the directory loops
    disk.Entry(1, 0, {0x82, 1, 0, "LOOP", 1});
    disk.RawBlock({1, 0}, 1, 0, Bytes{0x01, 0x08});  // the file loops
    disk.Entry(1, 1, {0x82, 71, 0, "TRACK 71", 1});
    disk.Entry(2, 0, {0x82, 35, 20, "PAST END", 1});
    disk.Entry(2, 1, {0x81, 36, 0, "SIDE 2", 1});
    return disk;
}

DiskBuilder DoubleSided() {
    DiskBuilder disk = DiskBuilder::D71();
    disk.SecondSideBam(Bytes(105, 0xFF));
    disk.GeosSignature();
    disk.RawBlock(
        {40, 0}, 0, 20,
        kestrune::testing::Program(0x2001, Bytes{0x0B, 0x20, 0x0A, 0x00, 0xCC, 0xCE, 0x02}));
    disk.AddEntry({0x82, 40, 0, "SIDE TWO", 1});
    return disk;
}

// A D64 of 40 or 42 tracks (by size): a program on track 37, a SpeedDOS BAM for tracks 36-40.
DiskBuilder FortyTracks(std::size_t size) {
    DiskBuilder disk(size);
    const std::size_t track37 = kestrune::kD64Size + 17 * 256;
    const Bytes program = kestrune::testing::Program(0x0801, kHello);
    disk.bytes()[track37] = 0;
    disk.bytes()[track37 + 1] = static_cast<std::uint8_t>(program.size() + 1);
    std::copy(program.begin(), program.end(), disk.bytes().begin() + track37 + 2);
    for (int track = 0; track < 5; ++track) {
        const std::size_t entry =
            kestrune::kHeaderOffset + 0xC0 + 4 * static_cast<std::size_t>(track);
        disk.bytes()[entry] = 17;
        disk.bytes()[entry + 1] = 0xFF;
        disk.bytes()[entry + 2] = 0xFF;
        disk.bytes()[entry + 3] = 0x01;
    }
    disk.AddEntry({0x82, 37, 0, "FAR", 1});
    return disk;
}

void Write(const std::filesystem::path& path, const Bytes& bytes) {
    kestrune::testing::WriteFile(path, bytes);
}

// The bytes of an image from offset on, then those before it: the container targets lay their
// input over an image from its header's sector on.
Bytes FromOffset(const Bytes& image, std::size_t offset) {
    Bytes rotated(image.begin() + static_cast<std::ptrdiff_t>(offset), image.end());
    rotated.insert(rotated.end(), image.begin(),
                   image.begin() + static_cast<std::ptrdiff_t>(offset));
    // Sectors of zeros at the end add nothing.
    while (!rotated.empty() && rotated.back() == 0)
        rotated.pop_back();
    return rotated;
}

// A Lynx archive's directory with the text from written as to, its first block kept as long.
Bytes EditedLynx(Bytes archive, std::string_view from, std::string_view to) {
    const auto at =
        std::search(archive.begin(), archive.end(), from.begin(), from.end(),
                    [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    const auto next = archive.erase(at, at + static_cast<std::ptrdiff_t>(from.size()));
    archive.insert(next, to.begin(), to.end());
    archive.insert(archive.begin() + 254 - static_cast<std::ptrdiff_t>(from.size() - to.size()),
                   from.size() - to.size(), 0);
    return archive;
}

// A native partition of two tracks: a program, and a subdirectory that holds one.
Bytes NativeSeed() {
    namespace t = kestrune::testing;
    t::LayoutDiskBuilder dnp = t::LayoutDiskBuilder::Dnp(2);
    dnp.Chain(kestrune::testing::Program(0x0801, kHello), std::vector<Block>{{2, 0}})
        .Entry({1, 34}, 0, {0x82, 2, 0, "HELLO", 1});
    dnp.NativeHeader({2, 10}, {2, 11}, "SUB").Entry({1, 34}, 1, {0x86, 2, 10, "SUB", 2});
    dnp.Chain(kCode, std::vector<Block>{{2, 20}}).Entry({2, 11}, 0, {0x82, 2, 20, "CODE", 1});
    return dnp.bytes();
}

// A D1M of a native, a 1541 and a 1581 emulation partition and a CP/M one.
Bytes CmdSeed() {
    namespace t = kestrune::testing;
    t::DiskBuilder d64;
    d64.AddFile("HELLO", 0x82, kestrune::testing::Program(0x0801, kHello));
    t::LayoutDiskBuilder d81 = t::LayoutDiskBuilder::D81();
    d81.Chain(kCode, std::vector<Block>{{1, 0}}).Entry({40, 3}, 0, {0x82, 1, 0, "CODE", 1});
    return t::CmdFloppy(40, {{1, "NATIVE", 0, 256, NativeSeed()},
                             {2, "D64", 256, 342, d64.bytes()},
                             {4, "D81", 598, 1600, d81.bytes()},
                             {5, "CPM", 2198, 100, {}}});
}

// A tape of two programs, the second's first copy damaged, and a turbo part after them.
Bytes TapeSeed() {
    namespace t = kestrune::testing;
    Bytes header(192, 0x20);
    header[0] = 3;
    header[1] = 0x00;
    header[2] = 0xC0;
    header[3] = static_cast<std::uint8_t>(kCode.size());
    header[4] = 0xC0;
    t::TapWriter writer;
    writer.Leader(200).Block(header, 1).Leader(79).Block(header, 2).Pause(200000);
    writer.Leader(200).Block(kCode, 1, {1, 5}).Leader(79).Block(kCode, 2).Pause(200000);
    writer.Leader(100).Block(kHello, 2).Turbo(300);
    return writer.Tap(1);
}

void WriteContainerSeeds(const std::filesystem::path& out) {
    namespace t = kestrune::testing;
    t::LayoutDiskBuilder d81 = t::LayoutDiskBuilder::D81();
    d81.Chain(kestrune::testing::Program(0x0801, kHello), std::vector<Block>{{1, 0}})
        .Entry({40, 3}, 0, {0x82, 1, 0, "HELLO", 1});
    d81.Entry({40, 3}, 1, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    d81.Chain(kCode, std::vector<Block>{{51, 0}}).Entry({50, 3}, 0, {0x82, 51, 0, "CODE", 1});
    Write(out / "d81/partition", FromOffset(d81.bytes(), 39 * 40 * 256));
    for (const bool d82 : {false, true}) {
        t::LayoutDiskBuilder d80 = t::LayoutDiskBuilder::D80(d82);
        d80.Chain(Bytes(600, 0x41), std::vector<Block>{{1, 0}, {78 - (d82 ? 0 : 1), 0}, {2, 0}})
            .Entry({39, 1}, 0, {0x81, 1, 0, "TEXT", 3});
        Bytes seed = FromOffset(d80.bytes(), 38 * 29 * 256);
        // The header's link to the BAM (not read) is the byte whose low bit chooses the 8250.
        seed[0] = d82 ? 39 : 38;
        Write(out / (d82 ? "d80/d82" : "d80/d80"), seed);
    }
    Write(out / "gcr/every-kind.g64", t::EncodeGcrImage(EveryKindOfRow().bytes()));
    Write(
        out / "gcr/shifted-faults.g64",
        t::EncodeGcrImage(EveryKindOfRow().bytes(),
                          {{1, 0, t::GcrFault::DataChecksum}, {18, 1, t::GcrFault::NoHeader}}, 5));
    Write(out / "gcr/double-sided.g71", t::EncodeGcrImage(DoubleSided().bytes()));
    const Bytes nib = t::NibFromG64(
        t::EncodeGcrImage(EveryKindOfRow().bytes(),
                          {{1, 0, t::GcrFault::DataChecksum}, {18, 1, t::GcrFault::NoHeader}}));
    Write(out / "nib/faults.nib", nib);
    Write(out / "nib/faults.nbz", t::PackNbz(nib));
    Write(out / "cmd/partitions", FromOffset(CmdSeed(), (80 * 40 + 8) * 256));
    Write(out / "dnp/subdirectory", FromOffset(NativeSeed(), 256));
    Write(out / "tap/files.tap", TapeSeed());
    for (int mode = 0; mode <= 5; ++mode) {
        Write(out / ("arc/mode" + std::to_string(mode) + ".arc"),
              t::ArcArchive({{"HELLO", 'P', kestrune::testing::Program(0x0801, kHello), mode, 0},
                             {"TEXT", 'S', Bytes(300, 0x41), mode, 0},
                             {"RECORDS", 'R', Bytes(100, 0xFE), mode, 20}}));
    }
    Write(out / "arc/files.sda", t::SdaArchive({{"CODE", 'P', kCode, 3, 0}}));
    Write(out / "t64/files.t64",
          t::T64Archive(
              {{"HELLO", 0x82, 0x0801, {}, kHello}, {"CODE", 0x01, 0xC000, 0xC3C6, kCode}}, 5, 8));
    Write(out / "crt/banks.crt", t::CrtCartridge("SEEDS", 32, 0, 1,
                                                 {{0, 0, 0x8000, kCode, {}},
                                                  {2, 1, 0xA000, Bytes(300, 0x41), {}},
                                                  {1, 2, 0xE000, Bytes(16, 0), 8192}}));
    Write(out / "cvt/records.cvt",
          t::VlirConvertFile("SEEDS", {kCode, Bytes(600, 0x41), Bytes(3, 0x20)}));
    Write(out / "lynx/files.lnx",
          t::LynxArchive({{"HELLO", 'P', kestrune::testing::Program(0x0801, kHello)},
                          {"TEXT", 'S', Bytes(300, 0x41)},
                          {"RECORDS", 'R', Bytes(100, 0x20)}}));
    Write(out / "archive/two.zip",
          t::ZipArchive({{"a.d64", EveryKindOfRow().bytes()},
                         {"b.prg", kestrune::testing::Program(0x0801, kHello)}}));
    Write(out / "archive/one.gz", t::Gzip(EveryKindOfRow().bytes()));
    // Hostile archives: entries that all point at one member, bytes after the gzip data.
    Write(out / "archive/overlapping.zip",
          t::ZipEntriesOnOneMember("0000.d64", EveryKindOfRow().bytes(), 6));
    Bytes trailing = t::Gzip(kestrune::testing::Program(0x0801, kHello));
    trailing.insert(trailing.end(), {0x1F, 0x8B, 0x08, 0x00, 0xFF});
    Write(out / "archive/trailing.gz", trailing);
    // A header that counts no files over a directory that lists two.
    Write(out / "t64/zero-header.t64",
          t::T64Archive(
              {{"HELLO", 0x82, 0x0801, {}, kHello}, {"CODE", 0x01, 0xC000, 0xC3C6, kCode}}, 0, 0));
    // Names shorter than 16 characters, and the last file without its last block's count.
    std::string padded = "TEXT";
    padded.resize(16, '\xA0');
    const Bytes lynx = t::LynxArchive({{"HELLO", 'P', kestrune::testing::Program(0x0801, kHello)},
                                       {"TEXT", 'S', Bytes(300, 0x41)}});
    Write(out / "lynx/damaged.lnx",
          EditedLynx(EditedLynx(lynx, padded + "\r", "TEXT\r"), "S\r 47 \r", "S\r"));
    Bytes p00 = {'C', '6', '4', 'F', 'i', 'l', 'e', 0, 'H', 'E', 'L', 'L', 'O'};
    p00.resize(26, 0);
    const Bytes hello = kestrune::testing::Program(0x0801, kHello);
    p00.insert(p00.end(), hello.begin(), hello.end());
    Write(out / "contents/hello.p00", p00);
    Bytes x64(64, 0);
    x64[0] = 0x43, x64[1] = 0x15, x64[2] = 0x41, x64[3] = 0x64;
    const Bytes d64 = EveryKindOfRow().bytes();
    x64.resize(64 + d64.size());
    std::copy(d64.begin(), d64.end(), x64.begin() + 64);
    Write(out / "contents/every-kind.x64", x64);
}

void WriteAddress(const std::filesystem::path& path, std::int32_t first, std::int32_t last,
                  const std::string& text) {
    Bytes bytes(8 + text.size());
    std::memcpy(bytes.data(), &first, 4);
    std::memcpy(bytes.data() + 4, &last, 4);
    std::memcpy(bytes.data() + 8, text.data(), text.size());
    Write(path, bytes);
}

}  // namespace

// A seed for each picture format: its index, its load address, and a picture of its size with a
// few bytes set; the packed forms as short runs with their escapes.
void WritePictureSeeds(const std::filesystem::path& folder) {
    for (std::size_t i = 0; i < kestrune::PictureFormats.size(); ++i) {
        const kestrune::PictureFormat& format = kestrune::PictureFormats[i];
        const auto load = static_cast<std::uint16_t>(std::max(0, format.loadAddress));
        Bytes seed = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(load & 0xFF),
                      static_cast<std::uint8_t>(load >> 8)};
        if (format.packing == kestrune::Packing::EscapeFe) {
            seed.insert(seed.end(), {0x11, 0xFE, 0x22, 0x40, 0xFE, 0x00, 0x00, 0x33});
        } else if (format.packing == kestrune::Packing::EscapeC2) {
            seed.insert(seed.end(), {0x11, 0xC2, 0x40, 0x22, 0x33, 0xC2, 0x00});
        } else {
            Bytes picture(format.size, 0);
            for (std::size_t at = 0; at < picture.size(); at += 97)
                picture[at] = static_cast<std::uint8_t>(at * 7);
            seed.insert(seed.end(), picture.begin(), picture.end());
        }
        Write(folder / std::string(format.key), seed);
    }
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTPUT_FOLDER\n");
        return 1;
    }
    const std::filesystem::path out = argv[1];
    for (const char* target :
         {"whole_road", "basic_listing", "start_address", "pictures", "d81", "d80", "gcr", "nib",
          "cmd", "dnp", "t64", "tap", "crt", "cvt", "lynx", "arc", "archive", "contents"}) {
        std::filesystem::create_directories(out / target);
    }
    EveryKindOfRow().WriteTo(out / "whole_road/every-kind.d64");
    LongestChain().WriteTo(out / "whole_road/longest-chain.d71");
    Broken().WriteTo(out / "whole_road/broken.d64");
    DoubleSided().WriteTo(out / "whole_road/double-sided.d71");
    DiskBuilder().WriteTo(out / "whole_road/blank.d64");
    DiskBuilder(kestrune::kMinimumImageSize).WriteTo(out / "whole_road/smallest.d64");
    FortyTracks(196608).WriteTo(out / "whole_road/forty-tracks.d64");
    FortyTracks(206114).WriteTo(out / "whole_road/forty-two-tracks-errors.d64");

    Write(out / "basic_listing/hello", kHello);
    Write(out / "basic_listing/code", kCode);
    Write(out / "basic_listing/super-expander",
          kestrune::testing::BasicProgram(0x1201,
                                          {{1, {0xCC, 0x22, 0xCC, 0x22, 0xCE, 0x02, 0x64, 0x01}}}));

    WriteContainerSeeds(out);

    WriteAddress(out / "start_address/decimal", 0xC000, 0xC063, "49152");
    WriteAddress(out / "start_address/hex", 0xC000, 0xC063, "$c010");
    WriteAddress(out / "start_address/prefixed", 0, 99, "$ -0x12zz");
    WriteAddress(out / "start_address/hint", 0, 99, "c000");
    WriteAddress(out / "start_address/overflow", 0, 0x7FFFFFFF, "99999999999");

    WritePictureSeeds(out / "pictures");
    return 0;
}
