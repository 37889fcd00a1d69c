// kestrune-cli as a whole program: exit codes, stderr, and the exact bytes it prints.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

#include <png.h>
#include <nlohmann/json.hpp>

#include "tests/support/basic_program.h"
#include "tests/support/disk_builder.h"
#include "tests/support/fixture_disk.h"
#include "tests/support/format_builders.h"
#include "tests/support/run_program.h"
#include "views/basic_listing.h"
#include "views/pages.h"

namespace kestrune {
namespace {

using nlohmann::json;
using testing::Bytes;
using testing::DiskBuilder;
using testing::ProgramRun;

ProgramRun Cli(const std::vector<std::string>& arguments) {
    return testing::RunProgram(KESTRUNE_CLI_PATH, arguments);
}

const std::string kHelloPage =
    std::string(kBasicPageHeader) +
    "<p>10 <font color=\"blue\">print </font>\"hi\"<br>\r\n</p></body></html>";

class CliTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const DiskBuilder& disk) {
        return disk.WriteTo(dir_ / name).string();
    }

    testing::TempDir dir_;
    const std::string fixture_ = Write("fixture.d64", testing::FixtureDisk());
};

TEST_F(CliTest, BadUsageExitsWithOne) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"dir"},
                                               {"list", fixture_},
                                               {"show", fixture_},
                                               {"show", fixture_, "--row", "x"},
                                               {"show", fixture_, "--row", "1", "--name", "HELLO"},
                                               {"show", fixture_, "--row", "1", "--as", "text"},
                                               {"dir", fixture_, "--sort", "colour"},
                                               {"dir", fixture_, "--bogus"}}) {
        const ProgramRun run = Cli(arguments);
        EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(run.out.empty());
        EXPECT_FALSE(run.err.empty());
    }
    const ProgramRun help = Cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("show"), std::string::npos);
    EXPECT_NE(Cli({"show", "--help"}).out.find("--at"), std::string::npos);
}

TEST_F(CliTest, LoadingMessagesGoToStderrInTheWindowsOrder) {
    DiskBuilder odd(kD64Size + 684);
    DiskBuilder bad;
    bad.HeaderLink(0x12, 0x04);
    DiskBuilder oddAndBad(200000);
    oddAndBad.HeaderLink(0, 0);
    const std::string small = (dir_ / "small.d64").string();
    testing::WriteFile(small, Bytes(91393));
    const std::string wrongSize =
        "\"odd.d64\"\n\nFile is not the correct size\nfor a .D64 image file\n\n         File size: "
        "175532\n"
        "Expected size: 174848\n\nContinue?\n";
    const std::string badHeader =
        "\"bad.D64\"\n\nInvalid bytes found at:\n\nTrack: 18\nSector: 0\n\nPossible invalid or "
        "corrupt image\n\n"
        "Continue?\n";
    const std::string answeredNo = "kestrune-cli: the answer was No; --yes answers Yes\n";
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"dir", testing::WriteFile(dir_ / "disk.txt", Bytes(100, 'x')).string()},
         2,
         "disk.txt\n\nNot a disk image, archive or Commodore file that Kestrune reads.\n\n"
         "It reads D64, D71, D81, D80, D82, D1M, D2M, D4M, DNP, G64, G71, NIB, NBZ, X64, T64, LNX, "
         "ARC and SDA images and archives, TAP tapes, CRT cartridges, GEOS files in the Convert "
         "layout (CVT), PC64 files (P00, S00, U00, R00, D00), Commodore files on their own (PRG, "
         "SEQ, USR, REL, DEL), and any of these in a ZIP or GZ archive"
         ".\n"},
        {{"dir", (dir_ / "missing.d64").string()},
         2,
         "\"missing.d64\"\n\nUnable to open file: there is no such file.\n"},
        {{"dir", dir_.path().string() + "/"}, 2, "\"\"\n\nUnable to open file: it is a folder.\n"},
        {{"dir", small},
         2,
         "\"small.d64\"\n\nFile is too small to be a D64 or D71 image file.\n\n          File "
         "size: 91393\n"
         "Minimum size: 91394\n\nSelect another image.\n"},
        // A question answered No says so, and how to answer Yes.
        {{"dir", Write("odd.d64", odd)}, 2, wrongSize + answeredNo},
        {{"dir", Write("odd.d64", odd), "--yes", "--json"}, 0, wrongSize},
        {{"dir", Write("bad.D64", bad)}, 2, badHeader + answeredNo},
        {{"dir", Write("bad.D64", bad), "--yes"}, 0, badHeader},
        {{"dir", Write("both.d71", oddAndBad), "--yes", "--json"},
         0,
         "\"both.d71\"\n\nFile is not the correct size\nfor a .D71 image file\n\n         File "
         "size: 200000\n"
         "Expected size: 349696\n\nContinue?\n"
         "\"both.d71\"\n\nInvalid bytes found at:\n\nTrack: 18\nSector: 0\n\nPossible invalid or "
         "corrupt image\n\n"
         "Continue?\n"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = Cli(c.arguments);
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err, c.err);
        if (c.exitCode == 2) {
            EXPECT_TRUE(run.out.empty());
        }
    }
}

TEST_F(CliTest, DirectoryAsJson) {
    const ProgramRun run = Cli({"dir", fixture_, "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const nlohmann::ordered_json listing = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(listing["file"], "fixture.d64");
    EXPECT_EQ(listing["caption"], "Kestrune - FIXTURE.D64");
    EXPECT_EQ(listing["diskName"], "FIXTURE         ");
    EXPECT_EQ(listing["diskId"], "FX");
    EXPECT_EQ(listing["dosType"], "2A");
    EXPECT_EQ(listing["blocksFree"], 657);
    EXPECT_EQ(listing["status"], "");
    EXPECT_EQ(listing["readError"], false);
    EXPECT_EQ(listing["format"], "d64");
    ASSERT_EQ(listing["rows"].size(), std::size_t{testing::kFixtureRows});
    EXPECT_EQ(listing["rows"][0], (nlohmann::ordered_json{{"size", "   1"},
                                                          {"name", "hello           "},
                                                          {"type", "prg"},
                                                          {"start", "  2049 ($0801)"},
                                                          {"track", "01"},
                                                          {"sector", "00"},
                                                          {"geos", ""}}));
    EXPECT_EQ(listing["rows"][2]["type"], "seq");
    EXPECT_EQ(listing["rows"][2]["start"], "");
    EXPECT_EQ(listing["rows"][6]["geos"], "Application");
    EXPECT_EQ(listing["rows"][6]["sector"], "0A");
    std::vector<std::string> keys;
    for (const auto& item : listing.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"file", "caption", "diskName", "diskId", "dosType",
                                        "blocksFree", "status", "readError", "format", "rows"}));
}

TEST_F(CliTest, ReadableDirectoryListing) {
    const ProgramRun run = Cli({"dir", fixture_});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "0 \"FIXTURE         \" FX 2A");
    EXPECT_NE(run.out.find("\n1    \"hello\"            prg     2049 ($0801)  01/00\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\n657 blocks free.\n\nFile: fixture.d64\n\nDisk: FIXTURE         "
                           "\n\n10 files found\n"),
              std::string::npos)
        << run.out;
}

TEST_F(CliTest, EachPaneByteForByte) {
    const struct {
        std::vector<std::string> arguments;
        std::string out;
    } cases[] = {
        {{"--row", "1"}, kHelloPage},
        {{"--name", "hello"}, kHelloPage},
        {{"--name", "hello    "}, kHelloPage},
        {{"--row", "1", "--as", "petscii"}, ".....\"hi\"..."},
        {{"--row", "2"},
         "c000: a9 93     lda #$93\r\nc002: 20 d2 ff  jsr $ffd2\t; print char in [a]\r\nc005: 60   "
         "     rts\r\n"},
        {{"--row", "2", "--as", "basic"}, std::string(kNotBasicPage.begin(), kNotBasicPage.end())},
        {{"--row", "2", "--as", "hex"},
         "Offset Bytes                  | PETSCII  | "
         "ScrCode\r\n------------------------------+----------+---------\r\n"
         "c000: a9 93 20 d2 ff 60       | .. R.-   | )s R. "},
        {{"--row", "3"}, "hi\r\nthere\xC2\xA3"},
        {{"--row", "3", "--as", "scrcode"}, "HImTHERE."},
        {{"--row", "4"}, "hi\r\na"},
        {{"--row", "5"}, "Nothing to display"},
        {{"--row", "5", "--as", "hex"}, "Nothing to display"},
        {{"--row", "6"}, "Nothing to display (directory label)"},
        {{"--row", "7"}, "GEOS File (Application). Unable to display."},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"show", fixture_};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ProgramRun run = Cli(arguments);
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "");
    }
    const ProgramRun missing = Cli({"show", fixture_, "--name", "nothing"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(Cli({"show", fixture_, "--row", "11"}).exitCode, 2);
    EXPECT_EQ(Cli({"show", fixture_, "--row", "0"}).exitCode, 2);
}

TEST_F(CliTest, ShowAsJson) {
    ProgramRun run = Cli({"show", fixture_, "--row", "2", "--json"});
    ASSERT_EQ(run.exitCode, 0);
    nlohmann::ordered_json shown = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(shown["view"], "assembly");
    EXPECT_EQ(shown["status"], "");
    EXPECT_EQ(shown["message"], nullptr);
    EXPECT_EQ(shown["panes"]["basic"], std::string(kNotBasicPage.begin(), kNotBasicPage.end()));
    EXPECT_EQ(shown["panes"]["petscii"], ".. R.-");
    EXPECT_EQ(shown["rangeStart"], 0xC000);
    EXPECT_EQ(shown["rangeEnd"], 0xC005);
    std::vector<std::string> keys;
    for (const auto& item : shown.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"view", "status", "message", "panes", "rangeStart",
                                              "rangeEnd"}));
    std::vector<std::string> panes;
    for (const auto& item : shown["panes"].items())
        panes.push_back(item.key());
    EXPECT_EQ(panes, (std::vector<std::string>{"basic", "assembly", "hex", "petscii", "scrcode"}));

    run = Cli({"show", fixture_, "--row", "5", "--json"});
    shown = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(shown["view"], nullptr);
    EXPECT_EQ(shown["message"], "Nothing to display");
    for (const auto& pane : shown["panes"])
        EXPECT_EQ(pane, "Nothing to display");
    EXPECT_EQ(shown["rangeStart"], 0);
    EXPECT_EQ(shown["rangeEnd"], 0);

    EXPECT_EQ(
        json::parse(Cli({"show", fixture_, "--row", "2", "--json", "--as", "hex"}).out)["view"],
        "hex");
}

TEST_F(CliTest, TheViewFollowsTheStartAddress) {
    DiskBuilder disk;
    const std::vector<std::pair<std::uint16_t, std::string>> table = {
        {0x0000, "petscii"},  {0x0401, "basic"},    {0x0801, "basic"},    {0x1001, "basic"},
        {0x1201, "basic"},    {0x1C01, "basic"},    {0x2001, "basic"},    {0x4001, "basic"},
        {0x02A7, "assembly"}, {0x033C, "assembly"}, {0x0B00, "assembly"}, {0x1300, "assembly"},
        {0x8000, "assembly"}, {0x9000, "assembly"}, {0xC000, "assembly"}, {0x0400, "scrcode"},
        {0x2500, "scrcode"},  {0x2600, "scrcode"},  {0x2800, "scrcode"}};
    for (const auto& [address, view] : table)
        disk.AddFile("F", 0x82, testing::Program(address, testing::kHelloProgram));
    disk.AddFile("BASIC3000", 0x82,
                 testing::Program(0x3000, testing::BasicProgram(0x3001, {{1, {0x80}}})));
    disk.AddFile("CODE3000", 0x82, testing::Program(0x3000, testing::kCodeBytes));
    const std::string path = Write("views.d64", disk);
    for (std::size_t row = 0; row < table.size() + 2; ++row) {
        const std::string expected = row < table.size()    ? table[row].second
                                     : row == table.size() ? "basic"
                                                           : "hex";
        const json shown =
            json::parse(Cli({"show", path, "--row", std::to_string(row + 1), "--json"}).out);
        EXPECT_EQ(shown["view"], expected) << "row " << row + 1;
    }
}

TEST_F(CliTest, StartAddressEntry) {
    const std::string fromC002 =
        "c002: 20 d2 ff  jsr $ffd2\t; print char in [a]\r\nc005: 60        rts\r\n";
    for (const std::string typed : {"49154", "$C002", "$c002", "$$c002"}) {
        const ProgramRun run = Cli({"show", fixture_, "--row", "2", "--at", typed});
        EXPECT_EQ(run.exitCode, 0) << typed;
        EXPECT_EQ(run.out, fromC002) << typed;
    }
    const std::string hint = "Precede hexadecimal numbers with a \"$\"\n\nFor example: $C000\n";
    const std::string range = "Address is out of range of the file.\n";
    const std::pair<std::string, std::string> refused[] = {
        {"c002", hint}, {" $c002", hint}, {"$c006", range}, {"49151", range}, {"0", range}};
    for (const auto& [typed, message] : refused) {
        const ProgramRun run = Cli({"show", fixture_, "--row", "2", "--at", typed, "--json"});
        EXPECT_EQ(run.exitCode, 2) << typed;
        EXPECT_EQ(run.err, message) << typed;
        EXPECT_EQ(run.out, "") << typed;
    }
    // A SEQ file covers 0 to its end: "0" passes and asks for nothing, so the file shows afresh.
    const ProgramRun zero = Cli({"show", fixture_, "--row", "3", "--at", "0", "--json"});
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_EQ(zero.out, Cli({"show", fixture_, "--row", "3", "--json"}).out);
    // Only the Assembly pane changes; the view stays the row's own.
    const json shown =
        json::parse(Cli({"show", fixture_, "--row", "1", "--at", "2052", "--json"}).out);
    EXPECT_EQ(shown["view"], "basic");
    EXPECT_EQ(shown["panes"]["basic"], kHelloPage);
    EXPECT_EQ(std::string(shown["panes"]["assembly"]).substr(0, 6), "0804: ");
}

// With only a message on show there is no file for a typed address: it does nothing.
TEST_F(CliTest, StartAddressWithoutAFileOnShowDoesNothing) {
    for (const std::string row : {"5", "6", "7"}) {
        const ProgramRun run = Cli({"show", fixture_, "--row", row, "--at", "49152", "--json"});
        EXPECT_EQ(run.exitCode, 0) << row;
        EXPECT_EQ(run.err, "") << row;
        EXPECT_EQ(run.out, Cli({"show", fixture_, "--row", row, "--json"}).out) << row;
    }
}

// Locked, open, USR and REL files have no load address; a file with blocks on the directory
// track is a file; a chain of more than 258 blocks is shown whole.
TEST_F(CliTest, FilesShownFromTheirFirstByteAndWhole) {
    DiskBuilder disk;
    disk.AddFile("LOCKED", 0xC1, Bytes{0x4B, 0x45, 0x53});
    disk.AddFile("OPEN", 0x01, Bytes{0x4B, 0x45, 0x53});
    disk.AddFile("USER", 0x83, Bytes{0x4B, 0x45, 0x53});
    disk.AddFile("RECORDS", 0x84, Bytes{0x4B, 0x45, 0x53});
    disk.RawBlock({18, 7}, 0, 4, Bytes{0x00, 0xC0, 0x60});
    disk.AddEntry({0x82, 18, 7, "ON DIR TRACK", 1});
    const std::string image = Write("kinds.d64", disk);
    for (const std::string row : {"1", "2", "3", "4"}) {
        const json shown = json::parse(Cli({"show", image, "--row", row, "--json"}).out);
        EXPECT_EQ(shown["view"], "petscii") << row;
        EXPECT_EQ(shown["panes"]["petscii"], "kes") << row;
        EXPECT_EQ(shown["rangeStart"], 0) << row;
        EXPECT_EQ(shown["rangeEnd"], 2) << row;
    }
    EXPECT_EQ(Cli({"show", image, "--row", "5"}).out, "c000: 60        rts\r\n");

    DiskBuilder large = DiskBuilder::D71();
    large.Chain(Bytes(300 * 254, 0xEA), testing::ConsecutiveBlocks(300));
    large.AddEntry({0x82, 1, 0, "LARGE", 300});
    const std::string largeImage = Write("large.d71", large);
    EXPECT_EQ(json::parse(Cli({"dir", largeImage, "--json"}).out)["format"], "d71");
    const json shown = json::parse(Cli({"show", largeImage, "--row", "1", "--json"}).out);
    EXPECT_EQ(shown["rangeStart"], 0xEAEA);
    EXPECT_EQ(shown["rangeEnd"], 0xEAEA + 300 * 254 - 3);
    const std::string assembly = shown["panes"]["assembly"];
    EXPECT_TRUE(assembly.ends_with("2148f: ea        nop\r\n"))
        << assembly.substr(assembly.size() - 40);
}

TEST_F(CliTest, UndocumentedOpcodesOnRequest) {
    DiskBuilder disk;
    disk.AddFile("ILLEGAL", 0x82, testing::Program(0xC000, Bytes{0xA7, 0x12, 0x02, 0xEA}));
    const std::string image = Write("illegal.d64", disk);
    EXPECT_EQ(Cli({"show", image, "--row", "1"}).out,
              "c000: a7        ???\r\nc001: 12        ???\r\nc002: 02        ???\r\n"
              "c003: ea        nop\r\n");
    EXPECT_EQ(Cli({"show", image, "--row", "1", "--undocumented"}).out,
              "c000: a7 12     lax $12\r\nc002: 02        jam\r\nc003: ea        nop\r\n");
}

TEST_F(CliTest, SourceOfAFile) {
    EXPECT_EQ(Cli({"show", fixture_, "--row", "2", "--as", "source"}).out,
              "; 64tass -o OUT SOURCE\r\n\t* = $c000\r\n\tlda #$93\r\n\tjsr $ffd2\t; print "
              "char in [a]\r\n\trts\r\n");
    EXPECT_EQ(Cli({"show", fixture_, "--row", "5", "--as", "source"}).out, "Nothing to display");
}

// A C128 program: found to be BASIC 7.0, or listed as V2 on request.
TEST_F(CliTest, BasicDialects) {
    DiskBuilder disk;
    disk.AddFile("C128", 0x82,
                 testing::Program(0x1C01, testing::BasicProgram(0x1C01, {{10, {0xFE, 0x25}}})));
    const std::string image = Write("c128.d64", disk);
    const json found = json::parse(Cli({"show", image, "--row", "1", "--json"}).out);
    EXPECT_EQ(found["status"], "BASIC program (BASIC 7.0)");
    EXPECT_NE(std::string(found["panes"]["basic"]).find("10 <font color=\"blue\">fast</font>"),
              std::string::npos);
    const json v2 = json::parse(Cli({"show", image, "--row", "1", "--json", "--basic", "v2"}).out);
    EXPECT_EQ(v2["status"], "BASIC program");
    EXPECT_NE(std::string(v2["panes"]["basic"]).find("10 {c= v}<br>"), std::string::npos);
    EXPECT_EQ(Cli({"show", image, "--row", "1", "--basic", "v9"}).exitCode, 1);
}

// Every file of the fixture disk taken out, natively and in PC64 containers, against what the real
// cbmconvert writes from the same image (-N and -P). Fails when cbmconvert is missing.
TEST_F(CliTest, ExtractGivesWhatCbmconvertWrites) {
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (const auto& [format, option, names] :
         {std::tuple{
              "native", "-N",
              std::vector<std::pair<std::string, std::string>>{{"hello.prg", "hello.prg"},
                                                               {"code3000.prg", "code3000.prg"},
                                                               {"notes.seq", "notes.seq"},
                                                               {"half.prg", "half.prg"}}},
          std::tuple{"p00", "-P",
                     std::vector<std::pair<std::string, std::string>>{
                         {"hello.p00", "hello.p00"},
                         {"code3000.p00", "code3000.p00"},
                         {"notes.s00", "notes.s00"},
                         {"half.p00", "half.p00"}}}}) {
        const auto ours = dir_ / (std::string("ours-") + format);
        const auto theirs = dir_ / (std::string("theirs-") + format);
        std::filesystem::create_directories(ours);
        std::filesystem::create_directories(theirs);
        const ProgramRun run =
            Cli({"extract", fixture_, "--all", "--as", format, "-d", ours.string()});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        ASSERT_EQ(std::system(("cd " + theirs.string() + " && cbmconvert " + option + " -d " +
                               fixture_ + " >/dev/null 2>&1")
                                  .c_str()),
                  0);
        for (const auto& [mine, cbmconvert] : names) {
            ASSERT_TRUE(std::filesystem::exists(ours / mine)) << mine;
            EXPECT_EQ(read(ours / mine), read(theirs / cbmconvert)) << mine;
        }
        // The rows that show a message name no file: GONE, LABEL and APP are left out.
        int files = 0;
        for ([[maybe_unused]] const auto& file : std::filesystem::directory_iterator(ours))
            ++files;
        EXPECT_EQ(files, 7) << format;
    }
}

TEST_F(CliTest, ExtractNeverOverwrites) {
    const auto folder = dir_ / "out";
    std::filesystem::create_directories(folder);
    EXPECT_EQ(Cli({"extract", fixture_, "--row", "2", "-d", folder.string()}).exitCode, 0);
    const ProgramRun again = Cli({"extract", fixture_, "--row", "2", "-d", folder.string()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_EQ(again.err, "kestrune-cli: " + (folder / "code.prg").string() +
                             " exists; it is not overwritten\n");
    // To standard output, and to a file named by -o.
    const ProgramRun out = Cli({"extract", fixture_, "--name", "code", "-o", "-"});
    EXPECT_EQ(out.out, std::string("\x00\xC0\xA9\x93\x20\xD2\xFF\x60", 8));
    EXPECT_EQ(Cli({"extract", fixture_, "--row", "2", "-o", (dir_ / "code.bin").string()}).exitCode,
              0);
    EXPECT_EQ(std::filesystem::file_size(dir_ / "code.bin"), 8u);
    // A row that shows only a message has no file; --all with -o is no use.
    EXPECT_EQ(Cli({"extract", fixture_, "--row", "5", "-o", "-"}).exitCode, 2);
    EXPECT_EQ(Cli({"extract", fixture_, "--all", "-o", "x"}).exitCode, 1);
    EXPECT_EQ(Cli({"extract", fixture_}).exitCode, 1);
}

TEST_F(CliTest, ArchivesChooseTheirImageByMember) {
    const Bytes program = testing::Program(0x0801, Bytes{0, 0});
    const std::string zip =
        testing::WriteFile(dir_ / "set.zip",
                           testing::ZipArchive({{"disks/one.d64", testing::FixtureDisk().bytes()},
                                                {"two.prg", program}}))
            .string();
    const ProgramRun several = Cli({"dir", zip});
    EXPECT_EQ(several.exitCode, 2);
    EXPECT_EQ(several.out, "");
    EXPECT_EQ(several.err,
              "kestrune-cli: set.zip holds several images; choose one with --member NAME or "
              "--member NUMBER:\n"
              "  1: disks/one.d64\n  2: two.prg\n");
    const ProgramRun wrong = Cli({"dir", zip, "--member", "three.prg"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err,
              "kestrune-cli: set.zip holds no image named three.prg; it holds:\n"
              "  1: disks/one.d64\n  2: two.prg\n");
    EXPECT_EQ(Cli({"dir", zip, "--member", "3"}).exitCode, 2);

    const ProgramRun two = Cli({"dir", zip, "--member", "two.prg"});
    EXPECT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(two.out,
              "0 \"TWO.PRG         \"  \n"
              "1    \"two\"              prg     2049 ($0801)\n"
              "0 blocks free.\n\nFile: set.zip\n\nDisk: TWO.PRG\n\n1 files found\n");
    const json listed = json::parse(Cli({"dir", zip, "--member", "disks/one.d64", "--json"}).out);
    EXPECT_EQ(listed["format"], "d64");
    EXPECT_EQ(listed["rows"].size(), 10u);
    const ProgramRun extracted =
        Cli({"extract", zip, "--member", "two.prg", "--row", "1", "-o", "-"});
    EXPECT_EQ(extracted.out, std::string(program.begin(), program.end()));
}

// Two members of one name: the second is chosen by its number.
TEST_F(CliTest, MembersOfTheSameNameAreChosenByNumber) {
    const std::string zip =
        testing::WriteFile(dir_ / "twice.zip", testing::ZipArchive({{"game.prg", {1, 8, 1}},
                                                                    {"game.prg", {0, 0xC0, 2}}}))
            .string();
    EXPECT_EQ(
        json::parse(Cli({"dir", zip, "--member", "game.prg", "--json"}).out)["rows"][0]["start"],
        "  2049 ($0801)");
    EXPECT_EQ(json::parse(Cli({"dir", zip, "--member", "2", "--json"}).out)["rows"][0]["start"],
              " 49152 ($C000)");
}

// Names from a file reach the terminal with their control characters made visible.
TEST_F(CliTest, ControlCharactersOfNamesAreMadeVisible) {
    const std::string zip =
        testing::WriteFile(
            dir_ / "escape\x1b[2J.zip",
            testing::ZipArchive(
                {{"\x1b]0;owned\a.d64", testing::FixtureDisk().bytes()}, {"two.prg", {1, 8, 0}}}))
            .string();
    const ProgramRun run = Cli({"dir", zip});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.err.find('\a'), std::string::npos);
    EXPECT_EQ(run.err,
              "kestrune-cli: escape\u241b[2J.zip holds several images; choose one with --member "
              "NAME or --member NUMBER:\n  1: \u241b]0;owned\u2407.d64\n  2: two.prg\n");
    const ProgramRun listed = Cli({"dir", zip, "--member", "1"});
    EXPECT_EQ(listed.out.find('\x1b'), std::string::npos);
    EXPECT_NE(listed.out.find("File: escape\u241b[2J.zip"), std::string::npos);
}

TEST_F(CliTest, ExtractIntoAFolderThatIsMissingSaysSoOnce) {
    const ProgramRun run = Cli({"extract", fixture_, "--all", "-d", (dir_ / "missing").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              "kestrune-cli: the folder " + (dir_ / "missing").string() + " does not exist\n");
}

TEST_F(CliTest, PartitionsAreListedShownAndExtractedWithIn) {
    auto disk = testing::LayoutDiskBuilder::D81("OUTER");
    disk.Entry({40, 3}, 0, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    const Bytes code = testing::Program(0xC000, Bytes{0xEA, 0x60});
    disk.Chain(code, std::vector<testing::Block>{{51, 0}})
        .Entry({50, 3}, 0, {0x82, 51, 0, "CODE", 1});
    const std::string image = testing::WriteFile(dir_ / "parts.d81", disk.bytes()).string();

    const json outer = json::parse(Cli({"dir", image, "--json"}).out);
    EXPECT_EQ(outer["format"], "d81");
    EXPECT_EQ(outer["rows"][0]["type"], "cbm");
    const json shown = json::parse(Cli({"show", image, "--row", "1", "--json"}).out);
    EXPECT_EQ(shown["message"],
              "1581 partition: open it (double-click or Enter) to list its files");

    const json inner = json::parse(Cli({"dir", image, "--in", "1", "--json"}).out);
    EXPECT_EQ(inner["diskName"], "INNER           ");
    EXPECT_EQ(inner["blocksFree"], 80);
    ASSERT_EQ(inner["rows"].size(), 1u);
    EXPECT_EQ(inner["rows"][0]["track"], "33");
    EXPECT_EQ(Cli({"show", image, "--in", "1", "--row", "1", "--as", "assembly"}).out.substr(0, 5),
              "c000:");
    const ProgramRun extracted = Cli({"extract", image, "--in", "1", "--name", "code", "-o", "-"});
    EXPECT_EQ(extracted.out, std::string(code.begin(), code.end()));

    EXPECT_EQ(Cli({"dir", image, "--in", "1"}).out,
              "0 \"INNER           \" KT 3D\n"
              "1    \"code\"             prg    49152 ($C000)  33/00\n"
              "80 blocks free.\n\nFile: parts.d81\n\nDisk: INNER           \n\n1 files found\n");
    const ProgramRun notOne = Cli({"dir", image, "--in", "2"});
    EXPECT_EQ(notOne.exitCode, 2);
    EXPECT_EQ(notOne.err,
              "kestrune-cli: row 2 of parts.d81 is no partition that holds a directory\n");
}

TEST_F(CliTest, EveryFormatNamesItselfAndStatesItsFaults) {
    const Bytes tape =
        testing::T64Archive({testing::TapeFile{"GAME", 0x01, 0x0801, 0xC3C6, Bytes(10, 1)}});
    const std::vector<std::tuple<std::string, Bytes, std::string>> images = {
        {"disk.d81", testing::LayoutDiskBuilder::D81().bytes(), "d81"},
        {"disk.d82", testing::LayoutDiskBuilder::D80(true).bytes(), "d82"},
        {"disk.g64", testing::EncodeGcrImage(testing::FixtureDisk().bytes()), "g64"},
        {"tape.t64", tape, "t64"},
        {"notes.seq", Bytes{'A'}, "seq"},
        {"fixture.d64.gz", testing::Gzip(testing::FixtureDisk().bytes()), "d64"},
    };
    for (const auto& [name, bytes, format] : images) {
        const std::string path = testing::WriteFile(dir_ / name, bytes).string();
        const ProgramRun run = Cli({"dir", path, "--json"});
        EXPECT_EQ(run.exitCode, 0) << name << run.err;
        EXPECT_EQ(json::parse(run.out)["format"], format) << name;
    }
    const json t64 = json::parse(Cli({"dir", (dir_ / "tape.t64").string(), "--json"}).out);
    EXPECT_EQ(t64["status"],
              "T64 archive: the end address of \"GAME\" does not match its data: 10 bytes read");
    EXPECT_EQ(t64["rows"][0]["track"], "");
}

TEST_F(CliTest, TapesAndCmdPartitionsFromTheCommandLine) {
    const Bytes code = {0xA9, 0x01, 0x60};
    testing::TapWriter tape;
    tape.File(3, "LOADER", 0xC000, code, {1});
    const std::string tap = testing::WriteFile(dir_ / "game.tap", tape.Tap()).string();
    EXPECT_EQ(Cli({"dir", tap}).out,
              "0 \"GAME.TAP        \"  \n"
              "1    \"loader\"           prg    49152 ($C000)\n"
              "0 blocks free.\n\nFile: game.tap\n\nDisk: GAME.TAP\n\n1 files found\n");
    const json shown = json::parse(Cli({"show", tap, "--row", "1", "--json"}).out);
    EXPECT_EQ(shown["status"],
              "Header at 0:00.0 (type 3: a program for its own address), data at 0:14.9 to "
              "0:17.2; the first copy of the data has 1 byte with a parity error; the second is "
              "read");
    EXPECT_EQ(Cli({"extract", tap, "--row", "1", "-o", "-"}).out,
              std::string("\x00\xC0\xA9\x01\x60", 5));

    testing::DiskBuilder d64;
    d64.AddFile("INSIDE", 0x82, testing::Program(0x0801, code));
    const std::string d2m =
        testing::WriteFile(dir_ / "floppy.d2m",
                           testing::CmdFloppy(80, {{2, "WORK", 0, 342, d64.bytes()}}))
            .string();
    const json table = json::parse(Cli({"dir", d2m, "--json"}).out);
    EXPECT_EQ(table["format"], "d2m");
    EXPECT_EQ(table["status"], "CMD D2M disk: 1 partition");
    EXPECT_EQ(table["rows"][0]["type"], "cbm");
    EXPECT_EQ(json::parse(Cli({"show", d2m, "--row", "1", "--json"}).out)["message"],
              "CMD 1541 emulation partition: open it (double-click or Enter) to list its files");
    const json inner = json::parse(Cli({"dir", d2m, "--in", "1", "--json"}).out);
    EXPECT_EQ(inner["format"], "d64");
    EXPECT_EQ(inner["caption"], "Kestrune - FLOPPY.D2M > work");
    EXPECT_EQ(inner["rows"][0]["name"], "inside          ");
}

TEST_F(CliTest, MapAndCheckOnlyRead) {
    DiskBuilder disk = DiskBuilder::D64();
    disk.AddFile("ONE", 0x82, testing::Program(0x0801, Bytes(300, 1)));
    const std::string clean = Write("clean.d64", disk);
    const Bytes before = testing::ReadFileBytes(clean);

    const json map = json::parse(Cli({"map", clean, "--json"}).out);
    EXPECT_EQ(map["format"], "d64");
    ASSERT_EQ(map["tracks"].size(), 35u);
    EXPECT_EQ(map["tracks"][0]["track"], 1);
    EXPECT_EQ(map["tracks"][0]["sectors"].size(), 21u);
    EXPECT_EQ(
        map["tracks"][0]["sectors"][0],
        json::parse(R"({"sector": 0, "row": 1, "system": false, "free": false, "error": null})"));
    EXPECT_EQ(map["tracks"][0]["sectors"][2]["row"], nullptr);
    EXPECT_EQ(map["tracks"][0]["sectors"][2]["free"], true);
    EXPECT_EQ(map["tracks"][17]["sectors"][0]["system"], true);
    const ProgramRun plain = Cli({"map", clean});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out.substr(0, 78),
              "    000000000011111111112\n    012345678901234567890\n  1 11...................\n");

    const ProgramRun none = Cli({"check", clean});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "0 findings.\n");
    EXPECT_EQ(Cli({"check", clean, "--json"}).out, "{\n  \"findings\": []\n}\n");

    disk.Sector(18, 1)[0x1E] = 9;  // the entry says 9 blocks
    const std::string wrong = Write("wrong.d64", disk);
    const ProgramRun found = Cli({"check", wrong});
    EXPECT_EQ(found.exitCode, 4);
    EXPECT_EQ(found.out, "Row 1 (\"one\") says 9 blocks, its chain holds 2\n1 finding.\n");
    const json findings = json::parse(Cli({"check", wrong, "--json"}).out);
    EXPECT_EQ(findings, json::parse(R"({"findings": [{"kind": "size-mismatch", "track": 1,
        "sector": 0, "rows": [1], "text": "Row 1 (\"one\") says 9 blocks, its chain holds 2"}]})"));
    EXPECT_EQ(testing::ReadFileBytes(clean), before);

    const ProgramRun archive = Cli({"check", (dir_ / "none.prg").string()});
    EXPECT_EQ(archive.exitCode, 2);
}

// Every PETSCII code in a name, printed in both C64 character sets as cc1541 -U prints them.
TEST_F(CliTest, NamesInTheC64CharacterSetsAsCc1541PrintsThem) {
    std::vector<int> codes;
    for (int code = 0; code < 256; ++code) {
        if (code != 0x22 && code != 0xA0) codes.push_back(code);  // a quote, the padding
    }
    const std::string image = (dir_ / "charset.d64").string();
    const std::string payload = (dir_ / "payload").string();
    testing::WriteFile(payload, Bytes{1, 8, 0});
    std::vector<std::string> arguments = {"-q", "-n", "CHARSET"};
    // Each name starts with "A": a name starting with byte 0 or 1 is not listed.
    for (std::size_t first = 0; first < codes.size(); first += 15) {
        std::string name = "#41";
        for (std::size_t i = first; i < std::min(first + 15, codes.size()); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "#%02x", codes[i]);
            name += hex;
        }
        arguments.insert(arguments.end(), {"-f", name, "-w", payload});
    }
    arguments.push_back(image);
    ASSERT_EQ(testing::RunProgram("cc1541", arguments).exitCode, 0);

    for (const auto& [mapping, charset] : {std::pair{"1", "upper"}, {"2", "lower"}}) {
        const ProgramRun tool = testing::RunProgram("cc1541", {"-U", mapping, image});
        ASSERT_EQ(tool.exitCode, 0) << tool.err;
        // Their names: between the quotes of each file's line.
        std::vector<std::string> theirs;
        std::istringstream lines(tool.out);
        for (std::string line; std::getline(lines, line);) {
            const auto open = line.find('"');
            if (line.rfind("1    ", 0) != 0 || open == std::string::npos) continue;
            theirs.push_back(line.substr(open + 1, line.rfind('"') - open - 1));
        }
        const json ours = json::parse(Cli({"dir", image, "--json", "--charset", charset}).out);
        ASSERT_EQ(ours["rows"].size(), theirs.size()) << charset;
        for (std::size_t row = 0; row < theirs.size(); ++row)
            EXPECT_EQ(ours["rows"][row]["name"], theirs[row]) << charset << " row " << row + 1;
    }
}

TEST_F(CliTest, SortedListingsForEachColumn) {
    DiskBuilder disk;
    disk.RawBlock({17, 0}, 0, 255, Bytes{0x01, 0x08});
    disk.RawBlock({1, 1}, 0, 255, Bytes{0x00, 0xC0});
    disk.RawBlock({1, 2}, 0, 255, Bytes{0x00, 0xC0});
    disk.RawBlock({1, 3}, 0, 255, Bytes{0x00, 0xC0});
    disk.AddEntry({0x82, 17, 0, "BETA", 10});
    disk.AddEntry({0x81, 19, 4, "alpha", 3, 6});
    disk.AddEntry({0x82, 1, 3, "DUP", 5});
    disk.AddEntry({0x82, 1, 1, "DUP", 5});
    disk.AddEntry({0x82, 1, 2, "DUP", 5});
    disk.AddEntry({0x80, 0, 0, "GONE", 0});
    disk.AddEntry({0xC4, 2, 0, "LOCK", 7});
    disk.AddEntry({0x01, 20, 1, "OPEN", 1, 3});
    const std::string path = Write("sort.d64", disk);
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // Rows with equal keys (the three DUP rows but for Track) land where the Shell sort puts
        // them, worked out by hand from its gaps and moves.
        {"size",
         {"gone/00", "open/01", "ALPHA/04", "dup/02", "dup/03", "dup/01", "lock/00", "beta/00"}},
        {"name",
         {"ALPHA/04", "beta/00", "dup/03", "dup/01", "dup/02", "gone/00", "lock/00", "open/01"}},
        {"type",
         {"open/01", "gone/00", "beta/00", "dup/03", "dup/02", "dup/01", "lock/00", "ALPHA/04"}},
        {"start",
         {"beta/00", "dup/01", "dup/03", "dup/02", "ALPHA/04", "gone/00", "lock/00", "open/01"}},
        {"track",
         {"gone/00", "dup/01", "dup/02", "dup/03", "lock/00", "beta/00", "ALPHA/04", "open/01"}},
        {"sector",
         {"beta/00", "gone/00", "lock/00", "dup/01", "open/01", "dup/02", "dup/03", "ALPHA/04"}},
        {"geos",
         {"ALPHA/04", "beta/00", "open/01", "dup/03", "dup/02", "dup/01", "gone/00", "lock/00"}},
    };
    for (const auto& [column, expected] : cases) {
        const ProgramRun run = Cli({"dir", path, "--sort", column, "--json"});
        ASSERT_EQ(run.exitCode, 0);
        std::vector<std::string> order;
        const json listing = json::parse(run.out);
        for (const auto& row : listing["rows"]) {
            const std::string name = row["name"];
            order.push_back(name.substr(0, name.find(' ')) + "/" + std::string(row["sector"]));
        }
        EXPECT_EQ(order, expected) << column;
    }
}

TEST_F(CliTest, ReadErrorExitsWithThreeAfterPrintingWhatWasRead) {
    DiskBuilder disk;
    disk.AddFile("FIRST", 0x81, Bytes{0x41});
    disk.AddEntry({0x82, 71, 0, "BAD", 1});
    const std::string path = Write("broken.d64", disk);
    const std::string readError = "broken.d64\n\nError reading image.\n";

    ProgramRun run = Cli({"dir", path, "--json"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, readError);
    EXPECT_EQ(json::parse(run.out)["readError"], true);
    EXPECT_EQ(json::parse(run.out)["rows"].size(), 1u);

    run = Cli({"show", path, "--row", "1"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "a");
    EXPECT_EQ(run.err, readError);

    run = Cli({"show", path, "--row", "2"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.substr(0, readError.size()), readError);
}

// A PNG file read back as RGB triples, with its size.
struct PngPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

PngPicture ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    PngPicture picture;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) return {};
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    return picture;
}

TEST_F(CliTest, PicturesAreShownAsJsonAndWrittenAsPng) {
    // A Koala picture whose first cell's first line shows background, screen high and low
    // nibbles and colour RAM, beside a file that names no picture.
    Bytes koala(10001, 0);
    koala[0] = 0b00011011;
    koala[8000] = 0x23;
    koala[9000] = 0x05;
    koala[10000] = 0x06;
    DiskBuilder disk;
    disk.AddFile("PIC", 0x82, testing::Program(0x6000, koala));
    disk.AddFile("SPRITES", 0x82, testing::Program(0x2000, Bytes(128, 0xFF)));
    const std::string path = Write("pictures.d64", disk);

    ProgramRun run = Cli({"show", path, "--row", "1", "--json"});
    EXPECT_EQ(json::parse(run.out)["view"], "picture");
    run = Cli({"show", path, "--row", "1"});
    EXPECT_EQ(run.out, "Koala Painter, 320 x 200 pixels\r\n");
    run = Cli({"show", path, "--row", "1", "--as", "picture", "--json", "--palette", "colodore"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
              "{\n  \"format\": \"koala\",\n  \"width\": 320,\n  \"height\": 200,\n  "
              "\"palette\": \"colodore\",\n  \"note\": null\n}\n");

    const std::string png = (dir_ / "pic.png").string();
    run = Cli({"show", path, "--row", "1", "--as", "picture", "--png", png});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const PngPicture picture = ReadPng(png);
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 200);
    // Pepto: blue, red, cyan, green, two pixels each.
    const std::vector<std::uint8_t> line(picture.rgb.begin(), picture.rgb.begin() + 24);
    EXPECT_EQ(line,
              (Bytes{0x35, 0x28, 0x79, 0x35, 0x28, 0x79, 0x68, 0x37, 0x2B, 0x68, 0x37, 0x2B,
                     0x70, 0xA4, 0xB2, 0x70, 0xA4, 0xB2, 0x58, 0x8D, 0x43, 0x58, 0x8D, 0x43}));
    // An existing file is not overwritten.
    run = Cli({"show", path, "--row", "1", "--as", "picture", "--png", png});
    EXPECT_EQ(run.exitCode, 2);

    // A file that names no format is drawn in the one asked for.
    run = Cli({"show", path, "--row", "2", "--as", "picture", "--png", png + ".2"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              "kestrune-cli: this file's load address and length name no picture "
              "format; name one with --format\n");
    run = Cli({"show", path, "--row", "2", "--as", "picture", "--format", "sprites-mc", "--json"});
    EXPECT_EQ(json::parse(run.out)["width"], 2 * 25 - 1);  // two sprites side by side
    EXPECT_EQ(Cli({"show", path, "--row", "2", "--png", png + ".3"}).exitCode, 1);
    // Sprites in the colours asked for: $FF bytes are a hires sprite's own colour (light blue)
    // over the background, pairs of %11 a multicolour sprite's multicolour 2 (yellow).
    for (const auto& [format, rgb] : std::vector<std::pair<std::string, Bytes>>{
             {"sprites", {0x6C, 0x5E, 0xB5}}, {"sprites-mc", {0xB8, 0xC7, 0x6F}}}) {
        const std::string out = png + "." + format;
        run = Cli({"show", path, "--row", "2", "--as", "picture", "--format", format, "--colours",
                   "0,14,2,7", "--png", out});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        const PngPicture sprites = ReadPng(out);
        EXPECT_EQ(Bytes(sprites.rgb.begin(), sprites.rgb.begin() + 3), rgb) << format;
    }
    EXPECT_EQ(Cli({"show", path, "--row", "2", "--as", "picture", "--colours", "1,2"}).exitCode, 1);
}

TEST_F(CliTest, GeosFilesAreExtractedInTheConvertLayout) {
    const std::filesystem::path image =
        std::filesystem::path(KESTRUNE_CORPUS_DIR) / "area10_gd64v2991e2.d64";
    if (!std::filesystem::exists(image)) GTEST_SKIP() << "no corpus image";
    // Row 23 is a VLIR file: once "names no file", now its Convert file, named .cvt.
    const std::filesystem::path out = dir_ / "geos";
    std::filesystem::create_directory(out);
    const ProgramRun run = Cli({"extract", image.string(), "--row", "23", "-d", out.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::filesystem::path cvt = out / "gEOhELPvIEW.EN.cvt";
    ASSERT_TRUE(std::filesystem::exists(cvt));
    EXPECT_EQ(std::filesystem::file_size(cvt), 2180u);
    // And it opens as its info block and records.
    const json listing = json::parse(Cli({"dir", cvt.string(), "--json"}).out);
    EXPECT_EQ(listing["format"], "cvt");
    EXPECT_EQ(listing["diskName"], "GeoHelpView.en");
    EXPECT_EQ(listing["rows"].size(), 3u);
    EXPECT_EQ(listing["rows"][1]["name"], "RECORD 0        ");
}

}  // namespace
}  // namespace kestrune
