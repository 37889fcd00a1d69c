// Images written by cc1541 and files extracted by cbmconvert: a reading of the format that is not
// ours. These tests fail when the tools are missing; scripts/setup installs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "image/directory.h"
#include "image/file_chain.h"
#include "image/loader.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/printers.h"
#include "tests/support/row_texts.h"
#include "text/unicode.h"
#include "viewer/disk_analysis.h"

namespace kestrune {
namespace {

using testing::Bytes;
using testing::TempDir;

struct ToolFile {
    std::string name;     // as given to cc1541, lower case; cc1541 stores it as PETSCII capitals
    std::string options;  // cc1541 options for this file
    std::string type;     // our Type text
    std::size_t size;
    std::string extension;  // cbmconvert's extension for the file, empty when it skips the file
};

struct Placement {
    int track, sector, blocks;
};

std::string RunTool(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, got);
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
}

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class RealToolsTest : public ::testing::TestWithParam<const char*> {};

TEST_P(RealToolsTest, DirectoryAndChainsMatchWhatTheToolsWroteAndRead) {
    const std::string imageName = GetParam();
    const bool doubleSided = imageName.ends_with(".d71");
    const bool d81 = imageName.ends_with(".d81");
    // Forty tracks with the BAM of tracks 36 to 40 where SpeedDOS (-4) or DolphinDOS (-5) keep it.
    const std::string fortyTracks = imageName.starts_with("speeddos")     ? " -4"
                                    : imageName.starts_with("dolphindos") ? " -5"
                                                                          : "";
    const std::vector<ToolFile> files = {
        {"basic", "-T PRG", "prg", 1000, "prg"},
        {"load only", "-T PRG", "prg", 2, "prg"},
        {"one byte", "-T SEQ", "seq", 1, "seq"},
        {"exact", "-T SEQ", "seq", 254, "seq"},
        {"just over", "-T USR", "usr", 255, "usr"},
        {"locked", "-T SEQ -P", "seq<", 600, "seq"},
        {"deleted", "-T DEL", "del", 300, "del"},
        {"unclosed", "-T PRG -O", "*prg", 500, ""},
        {"largest", doubleSided || d81 ? "-T PRG -r 40" : "-T PRG", "prg", 80000, "prg"},
        {"placed",
         d81                   ? "-T PRG -r 60"
         : fortyTracks.empty() ? "-T PRG -r 20 -b 7"
                               : "-T PRG -r 37 -b 7",
         "prg", 2000, "prg"},
    };

    TempDir dir;
    std::string command = "cc1541 -v -n 'TOOL DISK' -i 'ab 2a'" + fortyTracks;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto local = dir / ("in" + std::to_string(i));
        testing::WriteFile(local, testing::Noise(files[i].size, static_cast<std::uint32_t>(i)));
        command += " -f '" + files[i].name + "' " + files[i].options + " -w " + local.string();
    }
    const auto imagePath = dir / imageName;
    // Single-sided disks are also written as a G64, whose decoding must give the same sectors.
    const auto gcrPath = dir / "tools.g64";
    const bool gcr = !doubleSided && !d81 && fortyTracks.empty();  // cc1541 writes 35 tracks
    if (gcr) command += " -g " + gcrPath.string();
    const std::string report = RunTool(command + " " + imagePath.string());

    // cc1541 reports where each file starts and how many blocks it takes, and the blocks free.
    std::map<std::string, Placement> placed;
    int blocksFree = -1;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        Placement where{};
        const auto arrow = line.find("=> \"");
        if (arrow != std::string::npos && std::sscanf(line.c_str(), "%d/%d %d", &where.track,
                                                      &where.sector, &where.blocks) == 3) {
            placed[line.substr(arrow + 4, line.rfind('"') - arrow - 4)] = where;
        }
        if (line.ends_with(" blocks free.")) blocksFree = std::stoi(line);
    }
    ASSERT_EQ(placed.size(), files.size()) << report;

    const LoadOutcome loaded =
        LoadImage(imagePath.string(), [](const Message&) { return false; }, {});
    ASSERT_TRUE(loaded.volume);
    const Volume& volume = *loaded.volume;
    EXPECT_EQ(volume.format, imageName.substr(imageName.size() - 3));
    EXPECT_EQ(volume.disk.diskName, u"TOOL DISK       ");
    EXPECT_EQ(volume.disk.diskId, u"AB");
    EXPECT_EQ(volume.disk.dosType, u"2A");
    EXPECT_EQ(volume.disk.blocksFree, blocksFree) << report;
    ASSERT_EQ(volume.entries.size(), files.size());

    // The map gives each file's blocks to its row, and the check finds nothing on cc1541's disks.
    const DiskAnalysis analysis = AnalyseDisk(volume, volume.entries);
    EXPECT_EQ(analysis.findings, std::vector<Finding>{});
    for (std::size_t i = 0; i < files.size(); ++i) {
        int track = volume.entries[i].track, sector = volume.entries[i].sector, blocks = 0;
        while (track != 0) {
            const MapTrack& mapped = analysis.map.tracks.at(static_cast<std::size_t>(track - 1));
            EXPECT_EQ(mapped.sectors.at(static_cast<std::size_t>(sector)).row,
                      static_cast<int>(i) + 1)
                << files[i].name << " " << track << "/" << sector;
            const auto offset = *volume.layout.Offset(track, sector);
            track = volume.image.data[offset];
            sector = volume.image.data[offset + 1];
            ++blocks;
        }
        EXPECT_EQ(blocks, volume.entries[i].blocks) << files[i].name;
    }

    if (gcr) {
        const LoadOutcome decoded =
            LoadImage(gcrPath.string(), [](const Message&) { return false; }, {});
        ASSERT_TRUE(decoded.volume);
        EXPECT_EQ(decoded.volume->format, "g64");
        EXPECT_EQ(decoded.volume->image.data, volume.image.data);
        EXPECT_EQ(decoded.volume->entries, volume.entries);
    }

    const auto extracted = dir / "extracted";
    std::filesystem::create_directory(extracted);
    // cbmconvert reads disks of 35 tracks and double-sided ones, not those of 40.
    const bool extracts = fortyTracks.empty();
    if (extracts)
        RunTool("cd " + extracted.string() + " && cbmconvert -N -d " + imagePath.string());

    for (std::size_t i = 0; i < files.size(); ++i) {
        const ToolFile& file = files[i];
        const DirectoryEntry& entry = volume.entries[i];
        RowTexts row;
        FormatRow(entry, false, row);
        const Placement& where = placed.at(file.name);
        SCOPED_TRACE(file.name);
        std::string padded = file.name;
        padded.resize(16, ' ');
        EXPECT_EQ(row[ColumnFileName], Widen(padded));
        EXPECT_EQ(row[ColumnType], Widen(file.type));
        EXPECT_EQ(entry.blocks, where.blocks);
        EXPECT_EQ(entry.track, where.track);
        EXPECT_EQ(entry.sector, where.sector);

        FileChain chain;
        ReadFile(chain, volume, entry);
        const Bytes ours(chain.Data().begin(), chain.Data().end());
        EXPECT_EQ(ours, testing::Noise(file.size, static_cast<std::uint32_t>(i)));
        if (extracts && !file.extension.empty()) {
            EXPECT_EQ(ours, ReadAll(extracted / (file.name + "." + file.extension)));
        }
        if (file.type == "prg" && file.size >= 2) {
            char start[32];
            std::snprintf(start, sizeof start, "%6d ($%04X)", ours[0] | (ours[1] << 8),
                          ours[0] | (ours[1] << 8));
            EXPECT_EQ(row[ColumnStart], Widen(start));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Images, RealToolsTest,
                         ::testing::Values("tools.d64", "tools.d71", "speeddos.d64",
                                           "dolphindos.d64", "tools.d81"));

// cbmconvert writes the same files into each container it knows and reads them back out of them:
// both must give the bytes the files were made of.
TEST(CbmconvertRoundTrip, EveryContainerGivesBackItsFiles) {
    struct NativeFile {
        std::string name;  // as cbmconvert names it when it writes the file out
        std::string extension;
        std::uint8_t type;
        Bytes bytes;
    };
    const std::vector<NativeFile> files = {
        {"alpha", "prg", 0x82, testing::Program(0x0801, testing::Noise(1000, 1))},
        {"beta", "seq", 0x81, testing::Noise(254, 2)},
        {"gamma", "usr", 0x83, testing::Noise(255, 3)},
        {"delta", "prg", 0x82, testing::Program(0xC000, testing::Noise(5000, 4))},
        {"tiny", "prg", 0x82, {0x00, 0x10}},
    };
    TempDir dir;
    std::string names;
    for (const NativeFile& file : files) {
        testing::WriteFile(dir / (file.name + "." + file.extension), file.bytes);
        names += " " + file.name + "." + file.extension;
    }
    const auto load = [](const std::filesystem::path& path) {
        LoadOutcome outcome = LoadImage(path.string(), [](const Message&) { return false; }, {});
        EXPECT_TRUE(outcome.volume) << path;
        return outcome.volume.value_or(Volume{});
    };
    const auto fileOf = [](const Volume& volume, std::size_t row) {
        FileChain chain;
        ReadFile(chain, volume, volume.entries.at(row));
        return Bytes(chain.Data().begin(), chain.Data().end());
    };

    // The T64 is ours; every other container is cbmconvert's.
    std::vector<testing::TapeFile> tape;
    for (const NativeFile& file : files) {
        std::string petscii = file.name;  // capitals are PETSCII's unshifted letters
        for (char& c : petscii)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        // Every tape file begins with its start address; the others' are 0.
        const bool program = file.type == 0x82;
        const std::uint16_t start = program ? (file.bytes[0] | (file.bytes[1] << 8)) : 0;
        tape.push_back({petscii,
                        file.type,
                        start,
                        {},
                        Bytes(file.bytes.begin() + (program ? 2 : 0), file.bytes.end())});
    }
    testing::WriteFile(dir / "out.t64", testing::T64Archive(tape));
    const std::vector<std::pair<std::string, std::string>> containers = {
        {"-D4", "out.d64"}, {"-D7", "out.d71"}, {"-D8", "out.d81"}, {"-L", "out.lnx"}};
    for (const auto& [option, name] : containers)
        RunTool("cd " + dir.path().string() + " && cbmconvert -n " + option + " " + name + names);

    const std::vector<std::pair<std::string, std::string>> readers = {{"-d", "out.d64"},
                                                                      {"-d", "out.d71"},
                                                                      {"-d", "out.d81"},
                                                                      {"-l", "out.lnx"},
                                                                      {"-t", "out.t64"}};
    for (const auto& [option, name] : readers) {
        SCOPED_TRACE(name);
        const Volume volume = load(dir / name);
        ASSERT_EQ(volume.entries.size(), files.size());
        const auto extracted = dir / ("from-" + name);
        std::filesystem::create_directory(extracted);
        RunTool("cd " + extracted.string() + " && cbmconvert -N " + option + " ../" + name);
        for (std::size_t i = 0; i < files.size(); ++i) {
            SCOPED_TRACE(files[i].name);
            EXPECT_EQ(volume.entries[i].type, files[i].type);
            const bool addressed = name == "out.t64" && files[i].type != 0x82;
            EXPECT_EQ(fileOf(volume, i),
                      addressed ? testing::Program(0, files[i].bytes) : files[i].bytes);
            EXPECT_EQ(fileOf(volume, i),
                      ReadAll(extracted / (files[i].name + "." + files[i].extension)));
        }
    }

    // PC64 files, one for each file.
    const auto pc64 = dir / "pc64";
    std::filesystem::create_directory(pc64);
    RunTool("cd " + dir.path().string() + " && cbmconvert -n -P" + names + " && mv *.?00 pc64/");
    for (const NativeFile& file : files) {
        SCOPED_TRACE(file.name);
        const auto path = pc64 / (file.name + "." + file.extension.substr(0, 1) + "00");
        const Volume volume = load(path);
        ASSERT_EQ(volume.entries.size(), 1u);
        EXPECT_EQ(volume.entries[0].type, file.type);
        EXPECT_EQ(fileOf(volume, 0), file.bytes);
    }
}

// cbmconvert reads a Lynx archive's REL file after its side sectors, and so do we.
TEST(CbmconvertRoundTrip, LynxRelativeFileAfterItsSideSectors) {
    const Bytes records = testing::Noise(1000, 4);
    TempDir dir;
    const auto archive = testing::WriteFile(
        dir / "rel.lnx", testing::LynxArchive({{"RECORDS", 'R', records}, {"AFTER", 'S', {1, 2}}}));
    RunTool("cd " + dir.path().string() + " && cbmconvert -N -l rel.lnx");
    EXPECT_EQ(ReadAll(dir / "records.l40"), records);
    const LoadOutcome outcome =
        LoadImage(archive.string(), [](const Message&) { return false; }, {});
    ASSERT_TRUE(outcome.volume);
    FileChain chain;
    ReadFile(chain, *outcome.volume, outcome.volume->entries.at(0));
    EXPECT_EQ(Bytes(chain.Data().begin(), chain.Data().end()), records);
}

}  // namespace
}  // namespace kestrune
