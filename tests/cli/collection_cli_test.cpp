// kestrune-cli index and find over a real folder and a real index file: the summary and exit
// code, what cannot be read named on stderr, hits as JSON; and an indexer killed mid-run leaves
// an index that opens, which the next run completes.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"
#include "tests/support/run_program.h"

extern char** environ;

namespace kestrune {
namespace {

using nlohmann::json;
using testing::Bytes;
using testing::ProgramRun;

ProgramRun Cli(const std::vector<std::string>& arguments) {
    return testing::RunProgram(KESTRUNE_CLI_PATH, arguments);
}

const Bytes kCode = testing::Program(0xC000, Bytes{0xA9, 0x01, 0x60});

TEST(CollectionCli, IndexAFolderAndFindInIt) {
    testing::TempDir dir;
    const std::filesystem::path folder = dir / "disks";
    std::filesystem::create_directories(folder / "more");
    testing::DiskBuilder d64;
    d64.AddFile("HELLO", 0x82, testing::Program(0x0801, Bytes{0, 0}));
    d64.AddFile("CODE", 0x82, kCode);
    d64.WriteTo(folder / "games.d64");
    testing::WriteFile(folder / "more" / "tape.t64",
                       testing::T64Archive({{"CODE", 0x82, 0xC000, {}, {0xA9, 0x01, 0x60}}}));
    testing::WriteFile(folder / "broken.t64", Bytes(10, 'x'));
    testing::WriteFile(folder / "notes.txt", Bytes(10, 'x'));
    std::filesystem::create_directory_symlink(folder, folder / "more" / "back");
    const std::string db = (dir / "index.sqlite").string();

    const ProgramRun index = Cli({"index", folder.string(), "--db", db});
    EXPECT_EQ(index.exitCode, 3);  // an image failed
    EXPECT_EQ(index.out, "3 images, 3 files, 1 failed (3 read, 0 unchanged, 0 removed)\n");
    EXPECT_NE(index.err.find("broken.t64: \"broken.t64\" This T64 archive cannot be read"),
              std::string::npos)
        << index.err;
    EXPECT_NE(index.err.find("back: a link back into a folder being indexed"), std::string::npos)
        << index.err;

    // The keys in their order.
    const nlohmann::ordered_json hits =
        nlohmann::ordered_json::parse(Cli({"find", "--db", db, "--load", "0xC000", "--json"}).out);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].dump(),
              nlohmann::ordered_json(
                  {{"image", (folder / "games.d64").string()},
                   {"member", nullptr},
                   {"partition", json::array()},
                   {"row", 2},
                   {"name", "code"},
                   {"type", "prg"},
                   {"blocks", 1},
                   {"load", 49152},
                   {"size", 5},
                   {"sha1", "dc4bae13347ff49964fc23098ec229fd4399643c"},
                   {"sha256", "d3489e492159d40076699fa6758ccf890ee5348d1ddc390a696b7bef82d413dc"}})
                  .dump());
    EXPECT_EQ(Cli({"find", "--db", db, "--sha256", hits[0]["sha256"].get<std::string>()}).out,
              (folder / "games.d64").string() + ": 2 \"code\" prg 1 $C000\n" +
                  (folder / "more" / "tape.t64").string() + ": 1 \"code\" prg 1 $C000\n");
    EXPECT_EQ(Cli({"find", "--db", db, "--load", "$10000"}).exitCode, 1);
    EXPECT_EQ(Cli({"find", "--db", db, "--hex", "a9 0"}).exitCode, 1);

    // The code is in two places; every file one JSON document a line.
    const nlohmann::ordered_json dupes =
        nlohmann::ordered_json::parse(Cli({"dupes", "--db", db, "--json"}).out);
    EXPECT_EQ(dupes.dump(),
              nlohmann::ordered_json({{"images", json::array()},
                                      {"files",
                                       {{{"sha256", hits[0]["sha256"]},
                                         {"size", 5},
                                         {"places",
                                          {{{"image", (folder / "games.d64").string()},
                                            {"member", nullptr},
                                            {"partition", json::array()},
                                            {"row", 2},
                                            {"name", "code"}},
                                           {{"image", (folder / "more" / "tape.t64").string()},
                                            {"member", nullptr},
                                            {"partition", json::array()},
                                            {"row", 1},
                                            {"name", "code"}}}}}}},
                                      {"filesets", json::array()}})
                  .dump());
    std::istringstream lines(Cli({"export", "--db", db, "--jsonl"}).out);
    std::vector<nlohmann::ordered_json> exported;
    for (std::string line; std::getline(lines, line);)
        exported.push_back(nlohmann::ordered_json::parse(line));
    ASSERT_EQ(exported.size(), 3u);
    EXPECT_EQ(exported[1].dump(), hits[0].dump());

    // Again: nothing read; a file gone leaves the index.
    std::filesystem::remove(folder / "games.d64");
    EXPECT_EQ(Cli({"index", folder.string(), "--db", db}).out,
              "0 images, 0 files, 0 failed (0 read, 2 unchanged, 1 removed)\n");
    EXPECT_EQ(Cli({"find", "--db", db, "--name", "code"}).out,
              (folder / "more" / "tape.t64").string() + ": 1 \"code\" prg 1 $C000\n");

    // An index that is no index is refused, and made anew on request.
    testing::WriteFile(dir / "text.sqlite", Bytes(5000, 'x'));
    const ProgramRun refused = Cli({"find", "--db", (dir / "text.sqlite").string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("kestrune-cli index --rebuild makes it anew"), std::string::npos);
    EXPECT_EQ(Cli({"index", (folder / "more" / "tape.t64").string(), "--db",
                   (dir / "text.sqlite").string(), "--rebuild"})
                  .out,
              "1 image, 1 file, 0 failed (1 read, 0 unchanged, 0 removed)\n");
}

// A count as the summary writes it: "1,470".
std::string Grouped(std::size_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

TEST(CollectionCli, NamesFromTheDiskReachTheTerminalWithoutControlCharacters) {
    testing::TempDir dir;
    const std::filesystem::path folder = dir / "in\x1b[2Jside";
    std::filesystem::create_directory(folder);
    testing::DiskBuilder d64;
    d64.AddFile("CODE", 0x82, kCode);
    testing::WriteFile(folder / "set.zip",
                       testing::ZipArchive({{"a\x1b]0;x\x07.d64", d64.bytes()}}));
    testing::WriteFile(folder / "bad\x1b[31m.t64", Bytes(10, 'x'));
    const std::string db = (dir / "index.sqlite").string();
    const ProgramRun index = Cli({"index", folder.string(), "--db", db});
    const std::string found = Cli({"find", "--db", db, "--name", "code"}).out;
    for (const std::string& text : {index.err, found}) {
        EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
        EXPECT_EQ(text.find('\x07'), std::string::npos) << text;
    }
    EXPECT_NE(found.find("in\u241B[2Jside"), std::string::npos) << found;
    EXPECT_NE(found.find("(a\u241B]0;x\u2407.d64)"), std::string::npos) << found;
    EXPECT_NE(index.err.find("bad\u241B[31m.t64"), std::string::npos) << index.err;
}

TEST(CollectionCli, DiffNamesFilesAndSectors) {
    testing::TempDir dir;
    testing::DiskBuilder a;
    a.AddFile("HELLO", 0x82, testing::Program(0x0801, Bytes(300, 1)));
    a.AddFile("CODE", 0x82, kCode);
    testing::DiskBuilder b;
    Bytes changed(300, 1);
    changed[260] = 2;
    b.AddFile("HELLO", 0x82, testing::Program(0x0801, changed));
    b.AddFile("OTHER", 0x81, Bytes{'X'});
    const std::string zip =
        testing::WriteFile(dir / "two.zip",
                           testing::ZipArchive({{"a.d64", a.bytes()}, {"b.d64", b.bytes()}}))
            .string();
    const ProgramRun run =
        Cli({"diff", zip, zip, "--member-a", "a.d64", "--member-b", "b.d64", "--json"});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(nlohmann::ordered_json::parse(run.out).dump(),
              nlohmann::ordered_json({{"onlyInA", {"code"}},
                                      {"onlyInB", {"other"}},
                                      {"changed", {{{"name", "hello"}, {"offset", 262}}}},
                                      {"sectors",
                                       {{{"track", 1}, {"sector", 1}},
                                        {{"track", 1}, {"sector", 2}},
                                        {{"track", 18}, {"sector", 1}}}}})
                  .dump());
    const std::string image = a.WriteTo(dir / "a.d64").string();
    const ProgramRun same = Cli({"diff", image, image});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "The two images hold the same files in the same sectors.\n");
    EXPECT_EQ(Cli({"diff", image, zip, "--member-b", "c.d64"}).err,
              "kestrune-cli: " + zip + " holds no image named c.d64\n");
}

std::size_t IndexedSources(const std::string& db) {
    sqlite3* handle = nullptr;
    std::size_t count = 0;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(handle, "SELECT count(*) FROM sources", -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            count = static_cast<std::size_t>(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(handle);
    return count;
}

TEST(CollectionCli, AnIndexerKilledMidRunLeavesAnIndexTheNextRunCompletes) {
    testing::TempDir dir;
    const std::filesystem::path folder = dir / "tapes";
    std::filesystem::create_directory(folder);
    constexpr std::size_t kFiles = 1500;
    for (std::size_t i = 0; i < kFiles; ++i) {
        testing::WriteFile(
            folder / ("t" + std::to_string(i) + ".t64"),
            testing::T64Archive({{"FILE " + std::to_string(i),
                                  0x82,
                                  0x0801,
                                  {},
                                  testing::Noise(2000, static_cast<std::uint32_t>(i))}}));
    }
    const std::string db = (dir / "index.sqlite").string();
    const std::vector<std::string> arguments = {
        KESTRUNE_CLI_PATH, "index", folder.string(), "--db", db, "--jobs", "1"};
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, KESTRUNE_CLI_PATH, nullptr, nullptr, argv.data(), environ), 0);
    // Killed once some files are in, long before all are.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (IndexedSources(db) < 20 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::size_t before = IndexedSources(db);
    ASSERT_LT(before, kFiles);

    // The index opens; the next run reads only what is missing.
    EXPECT_EQ(Cli({"find", "--db", db, "--name", "file 1", "--limit", "1"}).exitCode, 0);
    const ProgramRun again = Cli({"index", folder.string(), "--db", db});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    const std::string read = Grouped(kFiles - before);
    EXPECT_EQ(again.out, read + " images, " + read + " files, 0 failed (" + read + " read, " +
                             Grouped(before) + " unchanged, 0 removed)\n");
    EXPECT_EQ(json::parse(Cli({"find", "--db", db, "--type", "prg", "--json"}).out).size(), kFiles);
}

}  // namespace
}  // namespace kestrune
