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
#include "tests/support/printers.h"
#include "tests/support/row_texts.h"
#include "text/unicode.h"

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
        {"largest", doubleSided ? "-T PRG -r 40" : "-T PRG", "prg", 80000, "prg"},
        {"placed", fortyTracks.empty() ? "-T PRG -r 20 -b 7" : "-T PRG -r 37 -b 7", "prg", 2000,
         "prg"},
    };

    TempDir dir;
    std::string command = "cc1541 -v -n 'TOOL DISK' -i 'ab 2a'" + fortyTracks;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto local = dir / ("in" + std::to_string(i));
        testing::WriteFile(local, testing::Noise(files[i].size, static_cast<std::uint32_t>(i)));
        command += " -f '" + files[i].name + "' " + files[i].options + " -w " + local.string();
    }
    const auto imagePath = dir / imageName;
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
    const Directory directory = ReadDirectory(loaded.volume->image);
    EXPECT_EQ(directory.disk.diskName, u"TOOL DISK       ");
    EXPECT_EQ(directory.disk.diskId, u"AB");
    EXPECT_EQ(directory.disk.dosType, u"2A");
    EXPECT_EQ(directory.disk.blocksFree, blocksFree) << report;
    ASSERT_EQ(directory.entries.size(), files.size());

    const auto extracted = dir / "extracted";
    std::filesystem::create_directory(extracted);
    // cbmconvert reads disks of 35 tracks and double-sided ones, not those of 40.
    const bool extracts = fortyTracks.empty();
    if (extracts)
        RunTool("cd " + extracted.string() + " && cbmconvert -N -d " + imagePath.string());

    for (std::size_t i = 0; i < files.size(); ++i) {
        const ToolFile& file = files[i];
        const DirectoryEntry& entry = directory.entries[i];
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
        Assemble(chain, loaded.volume->image, where.track, where.sector);
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
                                           "dolphindos.d64"));

}  // namespace
}  // namespace kestrune
