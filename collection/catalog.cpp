#include "collection/catalog.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "collection/file_record.h"
#include "collection/hashes.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// The files of an image in their order; and by load address, with what a hit shows of them: a
// find by load address reads the index alone, not a file's page for each hit.
constexpr std::string_view kFileIndexes =
    "CREATE INDEX files_image ON files(image, row);"
    "CREATE INDEX files_load ON files(load, image, row, name, type, blocks, content);";

// A find of at most a few hits that names no file by its name, text, digest or bytes walks the
// files in the order they are listed in and stops at its last hit, when its load address is
// this common or it has none; otherwise it takes its hits by their load address and sorts them.
constexpr int kCommonLoadHits = 2000;

// How often opening tries to make the journal a write-ahead log, 10 ms apart.
constexpr int kJournalTries = 500;

constexpr std::string_view kSchema = R"(
CREATE TABLE sources(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, size INTEGER NOT NULL,
                     modified INTEGER NOT NULL);
CREATE TABLE images(id INTEGER PRIMARY KEY, source INTEGER NOT NULL REFERENCES sources(id),
                    member TEXT, partition TEXT NOT NULL, format TEXT NOT NULL,
                    disk_name TEXT NOT NULL, disk_id TEXT NOT NULL, sha1 BLOB, findings INTEGER,
                    error TEXT);
CREATE TABLE contents(id INTEGER PRIMARY KEY, sha256 BLOB NOT NULL UNIQUE, sha1 BLOB NOT NULL,
                      size INTEGER NOT NULL, data BLOB NOT NULL);
CREATE TABLE files(id INTEGER PRIMARY KEY, image INTEGER NOT NULL REFERENCES images(id),
                   row INTEGER NOT NULL, name TEXT NOT NULL, type TEXT NOT NULL,
                   blocks INTEGER NOT NULL, load INTEGER, content INTEGER REFERENCES contents(id));
CREATE INDEX images_source ON images(source);
CREATE INDEX files_content ON files(content);
CREATE INDEX contents_sha1 ON contents(sha1);
CREATE VIRTUAL TABLE file_names USING fts5(name, tokenize='trigram', content='files',
                                           content_rowid='id');
CREATE VIRTUAL TABLE content_texts USING fts5(text, tokenize='trigram');
CREATE TRIGGER files_added AFTER INSERT ON files BEGIN
    INSERT INTO file_names(rowid, name) VALUES (new.id, new.name);
END;
CREATE TRIGGER files_removed AFTER DELETE ON files BEGIN
    INSERT INTO file_names(file_names, rowid, name) VALUES ('delete', old.id, old.name);
END;
)";

constexpr std::string_view kTables[] = {"file_names", "files", "contents", "images", "sources"};

// One prepared statement; its values are bound from 1 on.
class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql) {
        if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_,
                               nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int at, std::int64_t value) {
        sqlite3_bind_int64(statement_, at, value);
        return *this;
    }
    Statement& Bind(int at, std::string_view text) {
        sqlite3_bind_text(statement_, at, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int at, std::span<const std::uint8_t> blob) {
        sqlite3_bind_blob(statement_, at, blob.data(), static_cast<int>(blob.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindNull(int at) {
        sqlite3_bind_null(statement_, at);
        return *this;
    }
    // Steps once: true while there is a row.
    bool Step() {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) return true;
        if (result != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(sqlite3_db_handle(statement_)));
        return false;
    }
    void Reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    std::int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text == nullptr ? std::string() : std::string(text);
    }
    std::span<const std::uint8_t> Blob(int column) const {
        const auto* blob =
            static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
        return {blob, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
    }
    std::string Hex(int column) const {
        const auto* blob =
            static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
        return HexText({blob, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))});
    }

  private:
    sqlite3_stmt* statement_ = nullptr;
};

void Exec(sqlite3* db, std::string_view sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    if (text.size() % 2 != 0) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        for (std::size_t j = i; j < i + 2; ++j) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[j])));
            if (c >= '0' && c <= '9') {
                value = value * 16 + static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value = value * 16 + static_cast<unsigned>(c - 'a' + 10);
            } else {
                return std::nullopt;
            }
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

// Text as one quoted FTS5 phrase, matched as it stands.
std::string Phrase(std::string_view text) {
    std::string phrase = "\"";
    for (const char c : text)
        phrase += c == '"' ? std::string("\"\"") : std::string(1, c);
    return phrase + "\"";
}

// The longest run of a glob's own characters (outside *, ? and [...]): every name it matches
// holds it.
std::string LongestLiteral(std::string_view glob) {
    std::string longest, run;
    for (std::size_t i = 0; i < glob.size(); ++i) {
        const char c = glob[i];
        if (c == '*' || c == '?' || c == '[') {
            if (run.size() > longest.size()) longest = run;
            run.clear();
            if (c == '[') {
                // A class ends at the first ] after its first character.
                const std::size_t end = glob.find(']', i + 2);
                if (end == std::string_view::npos) return longest;
                i = end;
            }
            continue;
        }
        run += c;
    }
    return run.size() > longest.size() ? run : longest;
}

int HexDigit(char c) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Whether pattern occurs in bytes: the first byte it fixes is looked for with memchr.
bool Holds(std::span<const std::uint8_t> bytes, const std::vector<int>& pattern) {
    if (bytes.size() < pattern.size()) return false;
    const auto fixed = std::find_if(pattern.begin(), pattern.end(), [](int b) { return b >= 0; });
    if (fixed == pattern.end()) return true;
    const std::size_t k = static_cast<std::size_t>(fixed - pattern.begin());
    const std::size_t last = bytes.size() - pattern.size();
    const auto* data = bytes.data();
    for (std::size_t start = 0; start <= last;) {
        const void* found = std::memchr(data + start + k, *fixed, last - start + 1);
        if (found == nullptr) return false;
        start = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - data) - k;
        bool all = true;
        for (std::size_t i = 0; i < pattern.size() && all; ++i)
            all = pattern[i] < 0 || data[start + i] == pattern[i];
        if (all) return true;
        ++start;
    }
    return false;
}

std::string PartitionText(const std::vector<int>& rows) {
    std::string text;
    for (const int row : rows)
        text += (text.empty() ? "" : ",") + std::to_string(row);
    return text;
}

std::vector<int> PartitionRows(const std::string& text) {
    std::vector<int> rows;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t comma = text.find(',', at);
        rows.push_back(std::stoi(text.substr(at, comma - at)));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return rows;
}

}  // namespace

std::optional<std::uint16_t> ParseLoadAddress(std::string_view text) {
    int base = 10;
    if (text.starts_with('$')) {
        text.remove_prefix(1);
        base = 16;
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::vector<int>> ParseBytePattern(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c != ' ') digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
    std::vector<int> pattern;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        if (digits[i] == '?' && digits[i + 1] == '?') {
            pattern.push_back(-1);
            continue;
        }
        const int high = HexDigit(digits[i]);
        const int low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        pattern.push_back(high * 16 + low);
    }
    return pattern;
}

struct Catalog::Database {
    sqlite3* db = nullptr;
    std::string path;
    // Prepared once: it is asked for every file of a folder.
    std::optional<Statement> indexedAs;
    // Whether files were indexed anew since bytes no file holds were last forgotten.
    bool replaced = false;
    ~Database() { sqlite3_close_v2(db); }
};

Catalog::Catalog(std::unique_ptr<Database> database) : database_(std::move(database)) {}
Catalog::~Catalog() = default;
Catalog::Catalog(Catalog&&) noexcept = default;
Catalog& Catalog::operator=(Catalog&&) noexcept = default;

namespace {

// The one number a query gives.
std::int64_t Single(sqlite3* db, std::string_view sql) {
    Statement query(db, sql);
    query.Step();
    return query.Integer(0);
}

const std::string kVersionSet = "PRAGMA user_version=" + std::to_string(kCatalogVersion) + ";";

// Makes change in a write transaction when ask still gives was once it has begun: another program
// may be making the same change at the same moment, and whoever writes first makes it.
void ChangeWhileStill(sqlite3* db, std::string_view ask, std::int64_t was,
                      const std::string& change) {
    Exec(db, "BEGIN IMMEDIATE");
    if (Single(db, ask) == was) Exec(db, change);
    Exec(db, "COMMIT");
}

}  // namespace

std::optional<Catalog> Catalog::Open(const std::string& path, bool rebuild, std::string& why) {
    const std::string rebuildHint = "; kestrune-cli index --rebuild makes it anew";
    if (rebuild) {
        // A damaged file cannot be emptied through SQLite: it is removed with its journals.
        for (const char* suffix : {"", "-wal", "-shm"})
            std::remove((path + suffix).c_str());
    }
    auto database = std::make_unique<Database>();
    database->path = path;
    if (sqlite3_open_v2(path.c_str(), &database->db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        why = "\"" + path + "\" cannot be opened: " + sqlite3_errmsg(database->db);
        return std::nullopt;
    }
    sqlite3* db = database->db;
    try {
        sqlite3_busy_timeout(db, 10000);
        // Each statement is done before the journal mode changes.
        std::int64_t found = 0;
        bool empty = false;
        {
            // Both read at one moment: another program may be making the index.
            Statement state(db,
                            "SELECT user_version, (SELECT count(*) FROM sqlite_master) "
                            "FROM pragma_user_version");
            state.Step();
            found = state.Integer(0);
            empty = state.Integer(1) == 0;
        }
        if (found > kCatalogVersion) {
            why = "\"" + path + "\" is the index of a newer Kestrune (layout " +
                  std::to_string(found) + "; this one reads " + std::to_string(kCatalogVersion) +
                  ")" + rebuildHint;
            return std::nullopt;
        }
        if (found == 0 && !empty) {
            why = "\"" + path + "\" is an SQLite database but no Kestrune index" + rebuildHint;
            return std::nullopt;
        }
        // The journal becomes a write-ahead log, so that readers never wait for a writer. Two
        // programs making an index at the same moment may keep each other from changing it:
        // each tries again until one has.
        for (int tries = 0;; ++tries) {
            try {
                Statement mode(db, "PRAGMA journal_mode=WAL");
                if (mode.Step() && mode.Text(0) == "wal") break;
            } catch (const std::runtime_error&) {
                const int code = sqlite3_errcode(db);
                if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || tries == kJournalTries) throw;
            }
            if (tries == kJournalTries)
                throw std::runtime_error("its journal stays a rollback journal");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Exec(db, "PRAGMA synchronous=NORMAL;");
        if (found == 1) {
            // Layout 1 looked a load address up in the files themselves, and kept an image's
            // files in no order.
            ChangeWhileStill(db, "PRAGMA user_version", 1,
                             "DROP INDEX IF EXISTS files_load; DROP INDEX IF EXISTS files_image; " +
                                 std::string(kFileIndexes) + kVersionSet);
        }
        if (empty) {
            ChangeWhileStill(db, "SELECT count(*) FROM sqlite_master", 0,
                             std::string(kSchema) + std::string(kFileIndexes) + kVersionSet);
        }
    } catch (const std::runtime_error& error) {
        why = "\"" + path + "\" is damaged or no SQLite database (" + error.what() + ")" +
              rebuildHint;
        return std::nullopt;
    }
    return Catalog(std::move(database));
}

bool Catalog::IsCurrent(const std::string& path, std::uint64_t size, std::int64_t modified) const {
    if (!database_->indexedAs)
        database_->indexedAs.emplace(database_->db,
                                     "SELECT size, modified FROM sources WHERE path = ?");
    Statement& query = *database_->indexedAs;
    query.Reset();
    query.Bind(1, path);
    return query.Step() && static_cast<std::uint64_t>(query.Integer(0)) == size &&
           query.Integer(1) == modified;
}

namespace {

void ForgetSource(sqlite3* db, std::int64_t source) {
    Statement files(db,
                    "DELETE FROM files WHERE image IN (SELECT id FROM images WHERE source = ?)");
    files.Bind(1, source).Step();
    Statement images(db, "DELETE FROM images WHERE source = ?");
    images.Bind(1, source).Step();
    Statement sources(db, "DELETE FROM sources WHERE id = ?");
    sources.Bind(1, source).Step();
}

void ForgetUnusedContents(sqlite3* db) {
    Exec(db,
         "DELETE FROM contents WHERE id NOT IN "
         "(SELECT content FROM files WHERE content IS NOT NULL)");
    Exec(db, "DELETE FROM content_texts WHERE rowid NOT IN (SELECT id FROM contents)");
}

}  // namespace

IndexedFile CountsOf(const FileRecord& record) {
    IndexedFile counts;
    for (const ImageRecord& image : record.images) {
        ++counts.images;
        if (image.error) ++counts.failed;
        counts.files += image.files.size();
    }
    return counts;
}

IndexedFile Catalog::IndexFile(const std::string& path, std::uint64_t size, std::int64_t modified) {
    const SourceFile read{path, size, modified, ReadForIndex(path)};
    Store({&read, 1});
    return CountsOf(read.record);
}

void Catalog::Store(std::span<const SourceFile> files) {
    sqlite3* db = database_->db;
    Exec(db, "BEGIN IMMEDIATE");
    try {
        Statement old(db, "SELECT id FROM sources WHERE path = ?");
        Statement source(db, "INSERT INTO sources(path, size, modified) VALUES (?, ?, ?)");
        Statement image(db,
                        "INSERT INTO images(source, member, partition, format, disk_name, disk_id, "
                        "sha1, findings, error) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        Statement content(db,
                          "INSERT OR IGNORE INTO contents(sha256, sha1, size, data) "
                          "VALUES (?, ?, ?, ?)");
        Statement contentId(db, "SELECT id FROM contents WHERE sha256 = ?");
        Statement text(db, "INSERT INTO content_texts(rowid, text) VALUES (?, ?)");
        Statement file(db,
                       "INSERT INTO files(image, row, name, type, blocks, load, content) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?)");
        for (const SourceFile& read : files) {
            old.Reset();
            old.Bind(1, read.path);
            if (old.Step()) {
                ForgetSource(db, old.Integer(0));
                database_->replaced = true;
            }
            source.Reset();
            source.Bind(1, read.path)
                .Bind(2, static_cast<std::int64_t>(read.size))
                .Bind(3, read.modified)
                .Step();
            const std::int64_t sourceId = sqlite3_last_insert_rowid(db);
            for (const ImageRecord& held : read.record.images) {
                image.Reset();
                image.Bind(1, sourceId).Bind(3, PartitionText(held.partition));
                if (held.member) image.Bind(2, *held.member);
                image.Bind(4, held.format).Bind(5, held.diskName).Bind(6, held.diskId);
                if (held.sha1) image.Bind(7, *held.sha1);
                if (held.findings) image.Bind(8, *held.findings);
                if (held.error) image.Bind(9, *held.error);
                image.Step();
                const std::int64_t imageId = sqlite3_last_insert_rowid(db);
                for (const FileRow& row : held.files) {
                    file.Reset();
                    file.Bind(1, imageId).Bind(2, row.row).Bind(3, row.name).Bind(4, row.type);
                    file.Bind(5, row.blocks);
                    if (row.load) file.Bind(6, *row.load);
                    if (row.bytes) {
                        content.Reset();
                        content.Bind(1, row.sha256).Bind(2, row.sha1);
                        content.Bind(3, static_cast<std::int64_t>(row.bytes->size()))
                            .Bind(4, *row.bytes)
                            .Step();
                        std::int64_t id = sqlite3_last_insert_rowid(db);
                        if (sqlite3_changes(db) > 0) {
                            // A text is kept once, with the bytes it was read from.
                            if (!row.text.empty()) {
                                text.Reset();
                                text.Bind(1, id).Bind(2, row.text).Step();
                            }
                        } else {
                            contentId.Reset();
                            contentId.Bind(1, row.sha256);
                            if (!contentId.Step())
                                throw std::runtime_error("a file's bytes vanished");
                            id = contentId.Integer(0);
                        }
                        file.Bind(7, id);
                    }
                    file.Step();
                }
            }
        }
        Exec(db, "COMMIT");
    } catch (...) {
        Exec(db, "ROLLBACK");
        throw;
    }
}

std::size_t Catalog::ForgetMissing(const std::string& folder,
                                   const std::vector<std::string>& present) {
    sqlite3* db = database_->db;
    std::vector<std::string> sorted = present;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::int64_t> gone;
    Statement under(db, "SELECT id, path FROM sources WHERE substr(path, 1, ?) = ?");
    under.Bind(1, static_cast<std::int64_t>(folder.size())).Bind(2, folder);
    while (under.Step()) {
        if (!std::binary_search(sorted.begin(), sorted.end(), under.Text(1)))
            gone.push_back(under.Integer(0));
    }
    if (gone.empty() && !database_->replaced) return 0;
    Exec(db, "BEGIN IMMEDIATE");
    for (const std::int64_t source : gone)
        ForgetSource(db, source);
    ForgetUnusedContents(db);
    Exec(db, "COMMIT");
    database_->replaced = false;
    return gone.size();
}

namespace {

// The ids of the contents between first and last (inclusive) that hold pattern, read on a
// connection of its own.
std::vector<std::int64_t> ContentsHolding(const std::string& path, std::int64_t first,
                                          std::int64_t last, const std::vector<int>& pattern) {
    sqlite3* db = nullptr;
    const int opened =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> closing(db, sqlite3_close_v2);
    if (opened != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db));
    sqlite3_busy_timeout(db, 10000);
    // Read, not mapped: mapping a page costs more than copying it, for a page read once.
    Exec(db, "PRAGMA mmap_size=0");
    std::vector<std::int64_t> found;
    Statement contents(db, "SELECT id, data FROM contents WHERE id BETWEEN ? AND ?");
    contents.Bind(1, first).Bind(2, last);
    while (contents.Step()) {
        if (Holds(contents.Blob(1), pattern)) found.push_back(contents.Integer(0));
    }
    return found;
}

// The ids of the contents of the index db (its file at path) that hold pattern: every file's
// bytes read once, a share of them on each core.
std::vector<std::int64_t> ContentsHolding(sqlite3* db, const std::string& path,
                                          const std::vector<int>& pattern) {
    std::int64_t first = 0, last = -1;
    {
        Statement range(db, "SELECT min(id), max(id) FROM contents");
        if (range.Step() && !range.IsNull(0)) {
            first = range.Integer(0);
            last = range.Integer(1);
        }
    }
    if (last < first) return {};
    const auto parts = static_cast<std::int64_t>(std::max(1u, std::thread::hardware_concurrency()));
    const std::int64_t share = (last - first) / parts + 1;
    std::vector<std::vector<std::int64_t>> found(static_cast<std::size_t>(parts));
    std::vector<std::exception_ptr> failed(static_cast<std::size_t>(parts));
    std::vector<std::thread> threads;
    for (std::int64_t part = 0; part < parts; ++part) {
        threads.emplace_back([&, part] {
            const auto at = static_cast<std::size_t>(part);
            try {
                const std::int64_t from = first + part * share;
                found[at] = ContentsHolding(path, from, std::min(last, from + share - 1), pattern);
            } catch (...) {
                failed[at] = std::current_exception();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::vector<std::int64_t> all;
    for (std::size_t part = 0; part < found.size(); ++part) {
        if (failed[part]) std::rethrow_exception(failed[part]);
        all.insert(all.end(), found[part].begin(), found[part].end());
    }
    return all;
}

}  // namespace

std::vector<FolderImage> Catalog::ImagesUnder(const std::string& folder) const {
    Statement statement(database_->db,
                        "SELECT s.path, i.member, i.partition, i.format, i.disk_name, i.error, "
                        "(SELECT count(*) FROM files f WHERE f.image = i.id) FROM sources s "
                        "JOIN images i ON i.source = s.id WHERE substr(s.path, 1, ?) = ? "
                        "ORDER BY s.path, i.id");
    statement.Bind(1, static_cast<std::int64_t>(folder.size())).Bind(2, folder);
    std::vector<FolderImage> images;
    while (statement.Step()) {
        FolderImage& image = images.emplace_back();
        image.path = statement.Text(0);
        if (!statement.IsNull(1)) image.member = statement.Text(1);
        image.partition = PartitionRows(statement.Text(2));
        image.format = statement.Text(3);
        image.diskName = statement.Text(4);
        if (!statement.IsNull(5)) image.error = statement.Text(5);
        image.files = static_cast<std::size_t>(statement.Integer(6));
    }
    return images;
}

std::vector<CatalogHit> Catalog::Find(const CatalogQuery& query) const {
    std::vector<CatalogHit> hits;
    Each(query, [&](const CatalogHit& hit) { hits.push_back(hit); });
    return hits;
}

void Catalog::Each(const CatalogQuery& query,
                   const std::function<void(const CatalogHit&)>& take) const {
    sqlite3* db = database_->db;
    bool inListOrder = query.limit > 0 && !query.name && !query.text && !query.sha1 &&
                       !query.sha256 && !query.bytes;
    if (inListOrder && query.load) {
        Statement common(db, "SELECT count(*) FROM (SELECT 1 FROM files WHERE load = ? LIMIT " +
                                 std::to_string(kCommonLoadHits) + ")");
        common.Bind(1, static_cast<std::int64_t>(*query.load)).Step();
        inListOrder = common.Integer(0) >= kCommonLoadHits;
    }
    std::string sql =
        "SELECT s.path, i.member, i.partition, f.row, f.name, f.type, f.blocks, f.load, "
        "c.size, c.sha1, c.sha256 FROM ";
    sql += inListOrder ? "sources s CROSS JOIN images i ON i.source = s.id "
                         "CROSS JOIN files f ON f.image = i.id"
                       : "files f JOIN images i ON f.image = i.id "
                         "JOIN sources s ON i.source = s.id";
    sql += " LEFT JOIN contents c ON f.content = c.id WHERE 1";
    std::vector<std::function<void(Statement&, int)>> binds;
    if (query.folder) {
        const std::string& folder = *query.folder;
        sql += " AND substr(s.path, 1, ?) = ?";
        binds.push_back([folder](Statement& s, int at) {
            s.Bind(at, static_cast<std::int64_t>(folder.size()));
        });
        binds.push_back([folder](Statement& s, int at) { s.Bind(at, folder); });
    }
    if (query.name) {
        const std::string& name = *query.name;
        if (name.find_first_of("*?[") != std::string::npos) {
            sql += " AND lower(f.name) GLOB lower(?)";
            binds.push_back([name](Statement& s, int at) { s.Bind(at, name); });
            // Only the names that hold its longest run of letters are tried, through their
            // trigrams.
            if (const std::string literal = LongestLiteral(name);
                Utf8ToUtf16(literal).size() >= 3) {
                const std::string phrase = Phrase(literal);
                sql += " AND f.id IN (SELECT rowid FROM file_names WHERE file_names MATCH ?)";
                binds.push_back([phrase](Statement& s, int at) { s.Bind(at, phrase); });
            }
        } else if (Utf8ToUtf16(name).size() >= 3) {
            // Any part of the name, through its trigrams.
            const std::string phrase = Phrase(name);
            sql += " AND f.id IN (SELECT rowid FROM file_names WHERE file_names MATCH ?)";
            binds.push_back([phrase](Statement& s, int at) { s.Bind(at, phrase); });
        } else {
            sql += " AND instr(lower(f.name), lower(?)) > 0";
            binds.push_back([name](Statement& s, int at) { s.Bind(at, name); });
        }
    }
    if (query.load) {
        sql += " AND f.load = ?";
        const std::int64_t load = *query.load;
        binds.push_back([load](Statement& s, int at) { s.Bind(at, load); });
    }
    if (query.type) {
        sql += " AND replace(replace(f.type, '*', ''), '<', '') = lower(?)";
        const std::string type = *query.type;
        binds.push_back([type](Statement& s, int at) { s.Bind(at, type); });
    }
    if (query.format) {
        sql += " AND i.format = lower(?)";
        const std::string format = *query.format;
        binds.push_back([format](Statement& s, int at) { s.Bind(at, format); });
    }
    for (const auto& [digest, column] :
         {std::pair(query.sha1, "c.sha1"), std::pair(query.sha256, "c.sha256")}) {
        if (!digest) continue;
        const std::optional<std::vector<std::uint8_t>> bytes = FromHex(*digest);
        if (!bytes) return;
        sql += std::string(" AND ") + column + " = ?";
        binds.push_back([blob = *bytes](Statement& s, int at) { s.Bind(at, blob); });
    }
    if (query.text) {
        const std::string& text = *query.text;
        if (Utf8ToUtf16(text).size() >= 3) {
            const std::string phrase = Phrase(text);
            sql +=
                " AND f.content IN (SELECT rowid FROM content_texts WHERE content_texts MATCH ?)";
            binds.push_back([phrase](Statement& s, int at) { s.Bind(at, phrase); });
        } else {
            sql +=
                " AND f.content IN (SELECT rowid FROM content_texts WHERE "
                "instr(lower(text), lower(?)) > 0)";
            binds.push_back([text](Statement& s, int at) { s.Bind(at, text); });
        }
    }
    if (query.bytes) {
        // The contents that hold the bytes, each read once, kept for the query in a table of
        // this connection's own.
        Exec(db, "CREATE TEMP TABLE IF NOT EXISTS byte_hits(id INTEGER PRIMARY KEY)");
        Exec(db, "DELETE FROM byte_hits");
        Statement hit(db, "INSERT INTO byte_hits(id) VALUES (?)");
        for (const std::int64_t id : ContentsHolding(db, database_->path, *query.bytes)) {
            hit.Reset();
            hit.Bind(1, id).Step();
        }
        sql += " AND f.content IN (SELECT id FROM byte_hits)";
    }
    sql += " ORDER BY s.path, i.id, f.row";
    if (query.limit > 0) sql += " LIMIT " + std::to_string(query.limit);

    Statement statement(database_->db, sql);
    for (std::size_t i = 0; i < binds.size(); ++i)
        binds[i](statement, static_cast<int>(i) + 1);
    CatalogHit hit;
    while (statement.Step()) {
        hit = {};
        hit.image = statement.Text(0);
        if (!statement.IsNull(1)) hit.member = statement.Text(1);
        hit.partition = PartitionRows(statement.Text(2));
        hit.row = static_cast<int>(statement.Integer(3));
        hit.name = statement.Text(4);
        hit.type = statement.Text(5);
        hit.blocks = static_cast<int>(statement.Integer(6));
        if (!statement.IsNull(7)) hit.load = static_cast<int>(statement.Integer(7));
        hit.size = static_cast<std::uint64_t>(statement.Integer(8));
        if (!statement.IsNull(9)) hit.sha1 = statement.Hex(9);
        if (!statement.IsNull(10)) hit.sha256 = statement.Hex(10);
        take(hit);
    }
}

namespace {

// An image as dupes names it: its file, the member in it, the partitions it lies in.
std::string ImageLabel(const std::string& path, const std::optional<std::string>& member,
                       const std::string& partition) {
    std::string label = path;
    if (member) label += "/" + *member;
    if (!partition.empty()) label += " > " + partition;
    return label;
}

}  // namespace

Duplicates Catalog::FindDuplicates(int minBlocks) const {
    sqlite3* db = database_->db;
    Duplicates found;
    {
        // Byte-identical images: one SHA-1 in more than one place.
        Statement same(db,
                       "SELECT i.sha1, s.path, i.member, i.partition FROM images i "
                       "JOIN sources s ON i.source = s.id WHERE i.sha1 IN (SELECT sha1 FROM images "
                       "WHERE sha1 IS NOT NULL GROUP BY sha1 HAVING count(*) > 1) "
                       "ORDER BY i.sha1, s.path, i.member");
        std::string previous;
        while (same.Step()) {
            const std::string sha1 = same.Hex(0);
            if (sha1 != previous) found.images.emplace_back();
            previous = sha1;
            found.images.back().push_back(ImageLabel(
                same.Text(1), same.IsNull(2) ? std::nullopt : std::optional(same.Text(2)),
                same.Text(3)));
        }
    }
    {
        // Files held in two places or more.
        Statement files(db,
                        "SELECT c.sha256, c.size, s.path, i.member, i.partition, f.row, f.name "
                        "FROM files f JOIN contents c ON f.content = c.id "
                        "JOIN images i ON f.image = i.id JOIN sources s ON i.source = s.id "
                        "WHERE f.blocks >= ? AND f.content IN (SELECT content FROM files "
                        "WHERE content IS NOT NULL GROUP BY content HAVING count(*) > 1) "
                        "ORDER BY c.sha256, s.path, i.id, f.row");
        files.Bind(1, minBlocks);
        std::string previous;
        while (files.Step()) {
            const std::string sha256 = files.Hex(0);
            if (sha256 != previous) {
                DuplicateFile& file = found.files.emplace_back();
                file.sha256 = sha256;
                file.size = static_cast<std::uint64_t>(files.Integer(1));
            }
            previous = sha256;
            DuplicatePlace& place = found.files.back().places.emplace_back();
            place.image = files.Text(2);
            if (!files.IsNull(3)) place.member = files.Text(3);
            place.partition = PartitionRows(files.Text(4));
            place.row = static_cast<int>(files.Integer(5));
            place.name = files.Text(6);
        }
        // A file the block limit left in one place only is no duplicate.
        std::erase_if(found.files,
                      [](const DuplicateFile& file) { return file.places.size() < 2; });
    }
    {
        // Images of different bytes that hold the same files: the same contents, counted.
        Statement sets(db,
                       "SELECT f.image, s.path, i.member, i.partition, f.content FROM files f "
                       "JOIN images i ON f.image = i.id JOIN sources s ON i.source = s.id "
                       "WHERE f.content IS NOT NULL ORDER BY f.image, f.content");
        std::map<std::vector<std::int64_t>, std::vector<std::string>> bySet;
        std::vector<std::int64_t> contents;
        std::string label;
        std::int64_t image = -1;
        const auto close = [&] {
            if (image >= 0) bySet[contents].push_back(label);
            contents.clear();
        };
        while (sets.Step()) {
            if (sets.Integer(0) != image) {
                close();
                image = sets.Integer(0);
                label = ImageLabel(sets.Text(1),
                                   sets.IsNull(2) ? std::nullopt : std::optional(sets.Text(2)),
                                   sets.Text(3));
            }
            contents.push_back(sets.Integer(4));
        }
        close();
        for (auto& [set, labels] : bySet) {
            if (labels.size() < 2) continue;
            std::sort(labels.begin(), labels.end());
            found.filesets.push_back(std::move(labels));
        }
        // Byte-identical images are said once, above.
        std::erase_if(found.filesets, [&](const std::vector<std::string>& labels) {
            return std::any_of(
                found.images.begin(), found.images.end(),
                [&](const std::vector<std::string>& same) { return same == labels; });
        });
        std::sort(found.filesets.begin(), found.filesets.end());
    }
    return found;
}

}  // namespace kestrune
