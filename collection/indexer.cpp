#include "collection/indexer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <thread>

#include "collection/file_record.h"
#include "image/path_names.h"
#include "image/recognition.h"
#include "image/zipcode.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace fs = std::filesystem;

namespace {

struct Candidate {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

std::int64_t ModifiedOf(const fs::directory_entry& entry, std::error_code& error) {
    return entry.last_write_time(error).time_since_epoch().count();
}

// Every indexed file under folder, its links to folders followed once.
void Walk(const fs::path& folder, std::vector<Candidate>& found, std::set<fs::path>& visited,
          std::vector<std::string>& problems) {
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    if (error || !visited.insert(real).second) {
        problems.push_back(error ? folder.string() + ": " + error.message()
                                 : folder.string() + ": a link back into a folder being indexed");
        return;
    }
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error) {
        problems.push_back(folder.string() + ": " + error.message());
        return;
    }
    std::vector<fs::path> folders;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            problems.push_back(folder.string() + ": " + error.message());
            break;
        }
        const fs::directory_entry& entry = *it;
        std::error_code kind;
        if (entry.is_directory(kind)) {
            folders.push_back(entry.path());
            continue;
        }
        if (!entry.is_regular_file(kind) || !IsIndexedName(entry.path().filename().string()))
            continue;
        std::error_code about;
        Candidate candidate{entry.path().string(), entry.file_size(about),
                            ModifiedOf(entry, about)};
        if (about) {
            problems.push_back(entry.path().string() + ": " + about.message());
            continue;
        }
        found.push_back(std::move(candidate));
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& inner : folders)
        Walk(inner, found, visited, problems);
}

// A batch of files read is stored when it holds this many, this many bytes of files, or when its
// first file has waited this long.
constexpr std::size_t kMostBatchFiles = 256;
constexpr std::size_t kMostBatchBytes = 32 << 20;
// The most bytes of files that readers hold before they are stored.
constexpr std::size_t kMostHeldBytes = 2 * kMostBatchBytes;
constexpr auto kMostBatchAge = std::chrono::milliseconds(500);

std::size_t BytesOf(const FileRecord& record) {
    std::size_t bytes = 0;
    for (const ImageRecord& image : record.images) {
        for (const FileRow& file : image.files)
            bytes += file.bytes ? file.bytes->size() : 0;
    }
    return bytes;
}

}  // namespace

std::string SummaryLine(const IndexSummary& summary) {
    const auto grouped = [](std::size_t value) { return Utf16ToUtf8(GroupedDecimal(value)); };
    return grouped(summary.images) + (summary.images == 1 ? " image, " : " images, ") +
           grouped(summary.files) + (summary.files == 1 ? " file, " : " files, ") +
           grouped(summary.failed) + " failed (" + grouped(summary.read) + " read, " +
           grouped(summary.unchanged) + " unchanged, " + grouped(summary.removed) + " removed)";
}

bool IsIndexedName(std::string_view fileName) {
    if (const std::optional<int> part = ZipCodePart(fileName)) return *part == 1;
    return IsKnownExtension(ExtensionOf(fileName));
}

IndexSummary IndexPaths(Catalog& catalog, const std::vector<std::string>& paths, int jobs,
                        const std::function<void(const IndexProgress&)>& progress,
                        const std::atomic<bool>* cancel) {
    IndexSummary summary;
    std::vector<Candidate> found;
    std::set<fs::path> visited;
    std::map<std::string, std::vector<std::string>> folders;  // each folder given, its files
    for (const std::string& given : paths) {
        const fs::path path = fs::absolute(given).lexically_normal();
        std::error_code error;
        if (fs::is_directory(path, error)) {
            const std::size_t before = found.size();
            Walk(path, found, visited, summary.problems);
            std::string folder = path.string();
            if (folder.back() != '/') folder += '/';
            std::vector<std::string>& present = folders[folder];
            for (std::size_t i = before; i < found.size(); ++i)
                present.push_back(found[i].path);
        } else if (fs::is_regular_file(path, error)) {
            const fs::directory_entry entry(path, error);
            std::error_code about;
            found.push_back({path.string(), entry.file_size(about), ModifiedOf(entry, about)});
        } else {
            summary.problems.push_back(given + ": " +
                                       (error ? error.message() : "no such file or folder"));
        }
    }

    // The files to read; the rest are indexed as they are.
    std::vector<Candidate> toRead;
    for (Candidate& candidate : found) {
        if (catalog.IsCurrent(candidate.path, candidate.size, candidate.modified)) {
            ++summary.unchanged;
        } else {
            toRead.push_back(std::move(candidate));
        }
    }
    IndexProgress shown{summary.unchanged, found.size(), 0};
    if (progress) progress(shown);

    // Readers take files in order and may run a batch ahead of the one storing them, as long as
    // what they hold is not too large. Files are stored a batch at a time, a transaction each:
    // what a batch waits for is bounded by its count, its bytes and its age.
    const std::size_t readers = static_cast<std::size_t>(std::max(1, jobs));
    const std::size_t ahead = kMostBatchFiles + 2 * readers;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<FileRecord>> records(toRead.size());
    std::vector<std::size_t> recordBytes(toRead.size());  // of the files each holds
    std::size_t next = 0;
    std::size_t taken = 0;
    std::size_t held = 0;  // bytes of files read and not yet stored
    bool stop = false;
    const auto read = [&] {
        for (;;) {
            std::size_t mine;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] {
                    return stop || next >= toRead.size() ||
                           (next < taken + ahead && held < kMostHeldBytes);
                });
                if (stop || next >= toRead.size()) return;
                mine = next++;
            }
            FileRecord record = ReadForIndex(toRead[mine].path);
            const std::size_t bytes = BytesOf(record);
            {
                const std::lock_guard lock(mutex);
                held += bytes;
                recordBytes[mine] = bytes;
                records[mine] = std::move(record);
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < readers; ++i)
        threads.emplace_back(read);
    std::vector<SourceFile> batch;
    std::size_t batchBytes = 0;
    const auto store = [&] {
        catalog.Store(batch);
        {
            const std::lock_guard lock(mutex);
            held -= batchBytes;
        }
        changed.notify_all();
        batchBytes = 0;
        for (const SourceFile& file : batch) {
            const IndexedFile counts = CountsOf(file.record);
            summary.images += counts.images;
            summary.files += counts.files;
            summary.failed += counts.failed;
            ++summary.read;
            for (const ImageRecord& image : file.record.images) {
                for (const std::optional<std::string>& said : {image.error, image.note}) {
                    if (said) summary.problems.push_back(file.path + ": " + *said);
                }
            }
        }
        batch.clear();
    };
    try {
        auto batchStart = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < toRead.size(); ++i) {
            FileRecord record;
            {
                std::unique_lock lock(mutex);
                const auto ready = [&] { return records[i].has_value(); };
                if (batch.empty()) {
                    changed.wait(lock, ready);
                } else if (!changed.wait_until(lock, batchStart + kMostBatchAge, ready)) {
                    lock.unlock();
                    store();
                    lock.lock();
                    changed.wait(lock, ready);
                }
                record = std::move(*records[i]);
                records[i].reset();
                taken = i + 1;
                if (cancel != nullptr && cancel->load()) stop = true;
            }
            changed.notify_all();
            if (batch.empty()) batchStart = std::chrono::steady_clock::now();
            batchBytes += recordBytes[i];
            shown.done = summary.unchanged + summary.read + batch.size() + 1;
            shown.images += record.images.size();
            batch.push_back(
                {toRead[i].path, toRead[i].size, toRead[i].modified, std::move(record)});
            if (stop || batch.size() >= kMostBatchFiles || batchBytes >= kMostBatchBytes ||
                std::chrono::steady_clock::now() - batchStart >= kMostBatchAge)
                store();
            if (progress) progress(shown);
            if (stop) {
                summary.cancelled = true;
                break;
            }
        }
        if (!batch.empty()) store();
    } catch (...) {
        {
            const std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread& thread : threads)
            thread.join();
        throw;
    }
    {
        const std::lock_guard lock(mutex);
        stop = true;
    }
    changed.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    if (!summary.cancelled) {
        for (const auto& [folder, present] : folders)
            summary.removed += catalog.ForgetMissing(folder, present);
    }
    return summary;
}

}  // namespace kestrune
