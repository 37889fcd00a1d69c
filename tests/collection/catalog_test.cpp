// The collection's index in a real SQLite file: a folder of images indexed (archive members and
// partitions included), found by name, load address, type, format and digest; indexed again as
// files change and leave; two users of one index at once; and the files it refuses to use.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <thread>

#include "collection/catalog.h"
#include "collection/file_record.h"
#include "collection/hashes.h"
#include "tests/support/disk_builder.h"
#include "tests/support/format_builders.h"

namespace kestrune {
namespace {

using testing::Bytes;

const Bytes kHello =
    testing::Program(0x0801, Bytes{0x0B, 0x08, 0x0A, 0x00, 0x99, 0x22, 0x48, 0x49, 0x22, 0, 0, 0});
const Bytes kCode = testing::Program(0xC000, Bytes{0xA9, 0x01, 0x60});

Catalog OpenOrFail(const std::filesystem::path& path, bool rebuild = false) {
    std::string why;
    std::optional<Catalog> catalog = Catalog::Open(path.string(), rebuild, why);
    if (!catalog) throw std::runtime_error(why);
    return std::move(*catalog);
}

// A query with the criteria fill sets.
template <typename Fill>
CatalogQuery Query(Fill fill) {
    CatalogQuery query;
    fill(query);
    return query;
}

void Index(Catalog& catalog, const std::filesystem::path& file) {
    catalog.IndexFile(file.string(), std::filesystem::file_size(file),
                      std::filesystem::last_write_time(file).time_since_epoch().count());
}

// A folder of a D64 holding both programs, and a zip of a D81 whose partition holds the code.
std::vector<std::filesystem::path> Folder(const std::filesystem::path& dir) {
    testing::DiskBuilder d64;
    d64.AddFile("HELLO WORLD", 0x82, kHello);
    d64.AddFile("CODE", 0x82, kCode);
    auto d81 = testing::LayoutDiskBuilder::D81("OUTER");
    d81.Entry({40, 3}, 0, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    d81.Chain(kCode, std::vector<testing::Block>{{51, 0}})
        .Entry({50, 3}, 0, {0x82, 51, 0, "CODE", 1});
    return {
        d64.WriteTo(dir / "games.d64"),
        testing::WriteFile(dir / "more.zip", testing::ZipArchive({{"inner.d81", d81.bytes()}}))};
}

TEST(Catalog, AFolderIndexedAndFound) {
    testing::TempDir dir;
    Catalog catalog = OpenOrFail(dir / "index.sqlite");
    for (const std::filesystem::path& file : Folder(dir.path()))
        Index(catalog, file);

    const std::vector<CatalogHit> world =
        catalog.Find(Query([](CatalogQuery& q) { q.name = "o wor"; }));
    ASSERT_EQ(world.size(), 1u);
    EXPECT_EQ(world[0].image, (dir / "games.d64").string());
    EXPECT_EQ(world[0].member, std::nullopt);
    EXPECT_EQ(world[0].row, 1);
    EXPECT_EQ(world[0].name, "hello world");
    EXPECT_EQ(world[0].type, "prg");
    EXPECT_EQ(world[0].load, 0x0801);
    EXPECT_EQ(world[0].size, kHello.size());
    EXPECT_EQ(world[0].sha256, HexText(Sha256(kHello)));
    EXPECT_EQ(world[0].sha1, HexText(Sha1(kHello)));

    // The code is in the D64 and in the D81's partition, inside the zip: found by its digest.
    const std::vector<CatalogHit> code =
        catalog.Find(Query([](CatalogQuery& q) { q.sha256 = HexText(Sha256(kCode)); }));
    ASSERT_EQ(code.size(), 2u);
    EXPECT_EQ(code[1].image, (dir / "more.zip").string());
    EXPECT_EQ(code[1].member, "inner.d81");
    EXPECT_EQ(code[1].partition, std::vector<int>{1});
    EXPECT_EQ(catalog
                  .Find(Query([](CatalogQuery& q) {
                      q.name = "C*E";
                      q.load = 0xC000;
                  }))
                  .size(),
              2u);
    EXPECT_EQ(catalog.Find(Query([](CatalogQuery& q) { q.name = "co"; })).size(),
              2u);  // shorter than a trigram
    // Globs whose longest run of letters narrows the names tried first.
    for (const auto& [glob, found] :
         std::vector<std::pair<std::string, std::size_t>>{{"HELLO W*", 1},
                                                          {"*lo wor?d", 1},
                                                          {"[gh]ello*", 1},
                                                          {"[]h]ello w*", 1},
                                                          {"*ello [w]orld", 1},
                                                          {"hello wor[x]", 0},
                                                          {"*ode", 2},
                                                          {"*ell*x*", 0}}) {
        EXPECT_EQ(catalog.Find(Query([&](CatalogQuery& q) { q.name = glob; })).size(), found)
            << glob;
    }
    EXPECT_EQ(catalog.Find(Query([](CatalogQuery& q) { q.format = "D81"; })).size(),
              2u);  // the partition and its row
    EXPECT_EQ(catalog
                  .Find(Query([](CatalogQuery& q) {
                      q.type = "prg";
                      q.limit = 1;
                  }))
                  .size(),
              1u);
    EXPECT_TRUE(catalog.Find(Query([](CatalogQuery& q) { q.sha1 = "not hex"; })).empty());
    // The first hits of a find with a limit, walked in list order, are those of the whole find.
    const std::vector<CatalogHit> programs =
        catalog.Find(Query([](CatalogQuery& q) { q.type = "prg"; }));
    const std::vector<CatalogHit> firstTwo = catalog.Find(Query([](CatalogQuery& q) {
        q.type = "prg";
        q.limit = 2;
    }));
    ASSERT_EQ(programs.size(), 3u);
    ASSERT_EQ(firstTwo.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(firstTwo[i].image, programs[i].image);
        EXPECT_EQ(firstTwo[i].row, programs[i].row);
    }

    // The BASIC listing and the bytes.
    const std::vector<CatalogHit> listed =
        catalog.Find(Query([](CatalogQuery& q) { q.text = "PRINT \"HI"; }));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "hello world");
    EXPECT_EQ(catalog.Find(Query([](CatalogQuery& q) { q.text = "hi"; })).size(), 1u);
    for (const char* typed : {"a9 ?? 60", "A9??60", "?? c0 a9"}) {
        const std::vector<CatalogHit> bytes =
            catalog.Find(Query([&](CatalogQuery& q) { q.bytes = ParseBytePattern(typed); }));
        ASSERT_EQ(bytes.size(), 2u) << typed;
        EXPECT_EQ(bytes[0].name, "code");
    }
    EXPECT_TRUE(
        catalog.Find(Query([](CatalogQuery& q) { q.bytes = ParseBytePattern("a9 02"); })).empty());
    EXPECT_EQ(ParseBytePattern("a9 ?"), std::nullopt);
    EXPECT_EQ(ParseBytePattern("zz"), std::nullopt);
}

TEST(Catalog, ChangesAndLeavingFilesAndTwoUsersAtOnce) {
    testing::TempDir dir;
    const std::vector<std::filesystem::path> files = Folder(dir.path());
    Catalog catalog = OpenOrFail(dir / "index.sqlite");
    for (const std::filesystem::path& file : files)
        Index(catalog, file);
    const auto size = std::filesystem::file_size(files[0]);
    const auto time = std::filesystem::last_write_time(files[0]).time_since_epoch().count();
    EXPECT_TRUE(catalog.IsCurrent(files[0].string(), size, time));
    EXPECT_FALSE(catalog.IsCurrent(files[0].string(), size, time + 1));

    // Indexed again: in place of what was there, no hit twice.
    Index(catalog, files[0]);
    EXPECT_EQ(catalog.Find(Query([](CatalogQuery& q) { q.name = "hello"; })).size(), 1u);

    // A second user reads while the first writes.
    Catalog reader = OpenOrFail(dir / "index.sqlite");
    EXPECT_EQ(reader.Find(Query([](CatalogQuery& q) { q.name = "hello"; })).size(), 1u);
    std::filesystem::remove(files[0]);
    EXPECT_EQ(catalog.ForgetMissing(dir.path().string() + "/", {files[1].string()}), 1u);
    EXPECT_TRUE(reader.Find(Query([](CatalogQuery& q) { q.name = "hello"; })).empty());
    EXPECT_EQ(reader.Find(Query([](CatalogQuery& q) { q.name = "code"; })).size(), 1u);
}

TEST(Catalog, WhatTheCollectionHoldsMoreThanOnce) {
    testing::TempDir dir;
    const std::vector<std::filesystem::path> files = Folder(dir.path());
    // A copy of the D64, and the same files under another disk name.
    std::filesystem::copy_file(files[0], dir / "copy.d64");
    testing::DiskBuilder renamed;
    renamed.DiskName("OTHER NAME");
    renamed.AddFile("HELLO WORLD", 0x82, kHello);
    renamed.AddFile("CODE", 0x82, kCode);
    renamed.WriteTo(dir / "renamed.d64");
    Catalog catalog = OpenOrFail(dir / "index.sqlite");
    for (const char* name : {"games.d64", "more.zip", "copy.d64", "renamed.d64"})
        Index(catalog, dir / name);

    const Duplicates found = catalog.FindDuplicates(0);
    const std::string folder = dir.path().string() + "/";
    EXPECT_EQ(found.images,
              (std::vector<std::vector<std::string>>{{folder + "copy.d64", folder + "games.d64"}}));
    EXPECT_EQ(found.filesets,
              (std::vector<std::vector<std::string>>{
                  {folder + "copy.d64", folder + "games.d64", folder + "renamed.d64"}}));
    ASSERT_EQ(found.files.size(), 2u);  // the code in four places, the program in three
    const auto code =
        std::find_if(found.files.begin(), found.files.end(),
                     [](const DuplicateFile& f) { return f.sha256 == HexText(Sha256(kCode)); });
    ASSERT_NE(code, found.files.end());
    EXPECT_EQ(code->size, kCode.size());
    ASSERT_EQ(code->places.size(), 4u);
    EXPECT_EQ(code->places[2].member, "inner.d81");
    EXPECT_EQ(code->places[2].partition, std::vector<int>{1});
    // Files of fewer blocks are left out.
    EXPECT_TRUE(catalog.FindDuplicates(2).files.empty());
}

TEST(Catalog, AnImageOfMoreRowsThanIndexedSaysSo) {
    // A native partition whose directory runs on through 2,049 sectors of eight entries.
    testing::LayoutDiskBuilder dnp = testing::LayoutDiskBuilder::Dnp(10);
    const std::vector<testing::Block> code = {{10, 0}};
    dnp.Chain(kCode, code);
    int track = 1;
    int sector = 34;
    for (int count = 0; count < 2049; ++count) {
        const int nextTrack = sector == 255 ? track + 1 : track;
        const int nextSector = (sector + 1) % 256;
        auto bytes = dnp.Sector(track, sector);
        bytes[0] = static_cast<std::uint8_t>(count < 2048 ? nextTrack : 0);
        bytes[1] = static_cast<std::uint8_t>(count < 2048 ? nextSector : 0xFF);
        for (int slot = 0; slot < 8; ++slot)
            dnp.Entry({track, sector}, slot, {0x82, 10, 0, "CODE", 1});
        track = nextTrack;
        sector = nextSector;
    }
    testing::TempDir dir;
    const FileRecord record =
        ReadForIndex(testing::WriteFile(dir / "big.dnp", dnp.bytes()).string());
    ASSERT_EQ(record.images.size(), 1u);
    EXPECT_EQ(record.images[0].files.size(), kMostIndexedRows);
    EXPECT_EQ(record.images[0].note, "only the first 16,384 of its 16,392 rows are indexed");
}

// A directory whose 320 rows all name one chain of 1,024 blocks claims 83 MB of files in a 5 MB
// image: the files' bytes are read to 64 MiB, and the rest are listed without them.
TEST(Catalog, RowsSharingALongChainAreReadToABudget) {
    testing::LayoutDiskBuilder dnp = testing::LayoutDiskBuilder::Dnp(20);
    std::vector<testing::Block> chain;
    for (int block = 0; block < 1024; ++block)
        chain.push_back({10 + block / 256, block % 256});
    const Bytes data = testing::Program(0x1000, testing::Noise(1024 * 254 - 2));
    dnp.Chain(data, chain);
    for (int sector = 34; sector < 74; ++sector) {
        auto bytes = dnp.Sector(1, sector);
        bytes[0] = static_cast<std::uint8_t>(sector < 73 ? 1 : 0);
        bytes[1] = static_cast<std::uint8_t>(sector < 73 ? sector + 1 : 0xFF);
        for (int slot = 0; slot < 8; ++slot)
            dnp.Entry({1, sector}, slot, {0x82, 10, 0, "LONG", 1024});
    }
    testing::TempDir dir;
    const FileRecord record =
        ReadForIndex(testing::WriteFile(dir / "long.dnp", dnp.bytes()).string());
    ASSERT_EQ(record.images.size(), 1u);
    const std::vector<FileRow>& files = record.images[0].files;
    ASSERT_EQ(files.size(), 320u);
    const std::size_t read = kMostImageFileBytes / data.size();
    EXPECT_EQ(read, 258u);
    for (std::size_t row = 0; row < files.size(); ++row)
        EXPECT_EQ(files[row].bytes.has_value(), row < read) << row;
    EXPECT_EQ(*files[0].bytes, data);
    EXPECT_EQ(record.images[0].note,
              "the bytes of 62 files are left out, past the 64 MiB an image's files are read to");
}

// An index of layout 1 (its load addresses looked up in the files) is brought up to date as it
// is opened, and finds as before.
TEST(Catalog, AnIndexOfTheFirstLayoutIsBroughtUpToDate) {
    testing::TempDir dir;
    {
        Catalog catalog = OpenOrFail(dir / "index.sqlite");
        for (const std::filesystem::path& file : Folder(dir.path()))
            Index(catalog, file);
    }
    sqlite3* db = nullptr;
    sqlite3_open((dir / "index.sqlite").string().c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP INDEX files_load; CREATE INDEX files_load ON files(load); "
                           "PRAGMA user_version=1",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    Catalog catalog = OpenOrFail(dir / "index.sqlite");
    EXPECT_EQ(catalog.Find(Query([](CatalogQuery& q) { q.load = 0xC000; })).size(), 2u);
    sqlite3_open((dir / "index.sqlite").string().c_str(), &db);
    sqlite3_stmt* version = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &version, nullptr);
    ASSERT_EQ(sqlite3_step(version), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(version, 0), kCatalogVersion);
    sqlite3_finalize(version);
    sqlite3_close(db);
}

// The window's indexer and its finder, or two kestrune-cli runs, may make one new index at the
// same moment: each opens it.
TEST(Catalog, ProgramsMakingOneIndexAtOnceAllOpenIt) {
    testing::TempDir dir;
    for (int round = 0; round < 20; ++round) {
        const std::string path = (dir / ("index" + std::to_string(round) + ".sqlite")).string();
        std::vector<std::string> refused(6);
        std::vector<std::thread> programs;
        for (std::string& why : refused) {
            programs.emplace_back([&path, &why] {
                std::string said;
                std::optional<Catalog> catalog = Catalog::Open(path, false, said);
                if (!catalog) why = said.empty() ? "refused" : said;
            });
        }
        for (std::thread& program : programs)
            program.join();
        for (const std::string& why : refused)
            EXPECT_EQ(why, "") << "round " << round;
    }
}

TEST(Catalog, FilesItWillNotUseAreNamedAndRebuilt) {
    testing::TempDir dir;
    const std::filesystem::path text = testing::WriteFile(dir / "text.sqlite", Bytes(5000, 'x'));
    const std::filesystem::path foreign = dir / "foreign.sqlite";
    const std::filesystem::path newer = dir / "newer.sqlite";
    for (const auto& [path, sql] : {std::pair(foreign, "CREATE TABLE notes(text)"),
                                    std::pair(newer, "PRAGMA user_version=99")}) {
        sqlite3* db = nullptr;
        sqlite3_open(path.string().c_str(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    struct Case {
        std::filesystem::path path;
        std::string says;
    };
    for (const Case& c :
         {Case{text, "is damaged or no SQLite database"},
          Case{foreign, "is an SQLite database but no Kestrune index"},
          Case{newer, "is the index of a newer Kestrune (layout 99; this one reads 2)"}}) {
        std::string why;
        EXPECT_FALSE(Catalog::Open(c.path.string(), false, why));
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
        EXPECT_NE(why.find("kestrune-cli index --rebuild makes it anew"), std::string::npos);
        Catalog rebuilt = OpenOrFail(c.path, true);
        EXPECT_TRUE(rebuilt.Find(CatalogQuery()).empty());
    }
}

}  // namespace
}  // namespace kestrune
