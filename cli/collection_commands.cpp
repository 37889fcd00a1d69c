#include "cli/collection_commands.h"

#include <unistd.h>

#include <nlohmann/json.hpp>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "cli/commands.h"
#include "collection/catalog.h"
#include "collection/catalog_path.h"
#include "collection/image_diff.h"
#include "collection/indexer.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune::cli {

namespace {

using nlohmann::ordered_json;

std::string Grouped(std::uint64_t value) {
    return Utf16ToUtf8(GroupedDecimal(value));
}

// Text from the disk (a path, a member's name, a message naming them) as it may reach a
// terminal: its control characters made visible.
std::string Shown(std::string_view text) {
    return Utf16ToUtf8(VisibleUtf8(text));
}

// Opens the index the options name, telling err why not.
std::optional<Catalog> OpenCatalog(const CatalogOptions& options, bool rebuild, std::ostream& err) {
    const std::string path = options.db.value_or(DefaultCatalogPath());
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    std::string why;
    std::optional<Catalog> catalog = Catalog::Open(path, rebuild, why);
    if (!catalog) err << "kestrune-cli: " << Shown(why) << '\n';
    return catalog;
}

// One line without the breaks of a message, its other control characters made visible.
std::string OneLine(std::string text) {
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    return Shown(line);
}

// The bar a terminal shows while indexing: files done, images a second, time left.
class ProgressBar {
  public:
    explicit ProgressBar(std::ostream& err) : err_(err), start_(Clock::now()) {}

    void Show(const IndexProgress& progress) {
        const auto now = Clock::now();
        if (progress.done < progress.total && now - shown_ < std::chrono::milliseconds(100)) return;
        shown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double perSecond = seconds > 0 ? progress.images / seconds : 0;
        constexpr int kWidth = 30;
        const int filled = progress.total == 0
                               ? kWidth
                               : static_cast<int>(kWidth * progress.done / progress.total);
        std::string line = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                           std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] " +
                           Grouped(progress.done) + "/" + Grouped(progress.total) + " files, " +
                           Grouped(static_cast<std::uint64_t>(perSecond)) + " images/s";
        if (progress.done > 0 && progress.done < progress.total && seconds > 0) {
            const auto left = static_cast<std::uint64_t>(
                seconds * (progress.total - progress.done) / progress.done);
            line += ", " + std::to_string(left / 60) + ":" + (left % 60 < 10 ? "0" : "") +
                    std::to_string(left % 60) + " left";
        }
        err_ << line << "\x1b[K" << std::flush;
    }
    void End() { err_ << '\n'; }

  private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    Clock::time_point start_;
    Clock::time_point shown_{};
};

// "$C000"
std::string HexWord(int value) {
    std::u16string text = u"$";
    AppendHex(text, static_cast<std::uint32_t>(value), 4, true);
    return Utf16ToUtf8(text);
}

ordered_json HitJson(const CatalogHit& hit) {
    return {{"image", hit.image},
            {"member", hit.member ? ordered_json(*hit.member) : ordered_json()},
            {"partition", hit.partition},
            {"row", hit.row},
            {"name", hit.name},
            {"type", hit.type},
            {"blocks", hit.blocks},
            {"load", hit.load ? ordered_json(*hit.load) : ordered_json()},
            {"size", hit.size},
            {"sha1", hit.sha1},
            {"sha256", hit.sha256}};
}

// Where a file lies, as find prints it: the image, the member, the partitions.
std::string PlaceText(const std::string& image, const std::optional<std::string>& member,
                      const std::vector<int>& partition) {
    std::string text = Shown(image);
    if (member) text += " (" + Shown(*member) + ")";
    for (std::size_t i = 0; i < partition.size(); ++i)
        text += (i == 0 ? " > " : ",") + std::to_string(partition[i]);
    return text;
}

}  // namespace

int RunIndex(const IndexOptions& options, std::ostream& out, std::ostream& err) {
    std::optional<Catalog> catalog = OpenCatalog(options, options.rebuild, err);
    if (!catalog) return kNotShown;
    const int jobs = options.jobs > 0
                         ? options.jobs
                         : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::optional<ProgressBar> bar;
    if (::isatty(STDERR_FILENO)) bar.emplace(err);
    IndexSummary summary;
    try {
        summary = IndexPaths(*catalog, options.paths, jobs, [&](const IndexProgress& progress) {
            if (bar) bar->Show(progress);
        });
    } catch (const std::runtime_error& error) {
        if (bar) bar->End();
        err << "kestrune-cli: the index cannot be written: " << error.what() << '\n';
        return kNotShown;
    }
    if (bar) bar->End();
    for (const std::string& problem : summary.problems)
        err << "kestrune-cli: " << OneLine(problem) << '\n';
    out << SummaryLine(summary) << '\n';
    return summary.failed > 0 ? kReadError : kOk;
}

int RunFind(const FindOptions& options, std::ostream& out, std::ostream& err) {
    std::optional<Catalog> catalog = OpenCatalog(options, false, err);
    if (!catalog) return kNotShown;
    CatalogQuery query;
    query.name = options.name;
    query.load = options.load;
    query.type = options.type;
    query.format = options.format;
    query.sha1 = options.sha1;
    query.sha256 = options.sha256;
    query.text = options.text;
    query.bytes = options.bytes;
    query.limit = options.limit;
    std::vector<CatalogHit> hits;
    try {
        hits = catalog->Find(query);
    } catch (const std::runtime_error& error) {
        err << "kestrune-cli: the index cannot be read: " << error.what() << '\n';
        return kNotShown;
    }
    if (options.json) {
        ordered_json json = ordered_json::array();
        for (const CatalogHit& hit : hits)
            json.push_back(HitJson(hit));
        out << json.dump(2) << '\n';
        return kOk;
    }
    for (const CatalogHit& hit : hits) {
        out << PlaceText(hit.image, hit.member, hit.partition) << ": " << hit.row << " \""
            << hit.name << "\" " << hit.type << ' ' << hit.blocks;
        if (hit.load) out << ' ' << HexWord(*hit.load);
        out << '\n';
    }
    return kOk;
}

int RunDupes(const DupesOptions& options, std::ostream& out, std::ostream& err) {
    std::optional<Catalog> catalog = OpenCatalog(options, false, err);
    if (!catalog) return kNotShown;
    Duplicates found;
    try {
        found = catalog->FindDuplicates(options.minBlocks);
    } catch (const std::runtime_error& error) {
        err << "kestrune-cli: the index cannot be read: " << error.what() << '\n';
        return kNotShown;
    }
    if (options.json) {
        ordered_json files = ordered_json::array();
        for (const DuplicateFile& file : found.files) {
            ordered_json places = ordered_json::array();
            for (const DuplicatePlace& place : file.places) {
                places.push_back(
                    {{"image", place.image},
                     {"member", place.member ? ordered_json(*place.member) : ordered_json()},
                     {"partition", place.partition},
                     {"row", place.row},
                     {"name", place.name}});
            }
            files.push_back({{"sha256", file.sha256}, {"size", file.size}, {"places", places}});
        }
        const ordered_json json = {
            {"images", found.images}, {"files", files}, {"filesets", found.filesets}};
        out << json.dump(2) << '\n';
        return kOk;
    }
    const auto classes = [&](std::string_view heading,
                             const std::vector<std::vector<std::string>>& groups) {
        out << heading << ": " << Grouped(groups.size()) << '\n';
        for (const std::vector<std::string>& group : groups) {
            for (const std::string& image : group)
                out << "  " << Shown(image) << '\n';
            out << '\n';
        }
    };
    classes("Images the same byte for byte", found.images);
    out << "Files in more than one place: " << Grouped(found.files.size()) << '\n';
    for (const DuplicateFile& file : found.files) {
        out << "  " << file.sha256 << ", " << Grouped(file.size) << " bytes:\n";
        for (const DuplicatePlace& place : file.places)
            out << "    " << PlaceText(place.image, place.member, place.partition) << ": "
                << place.row << " \"" << place.name << "\"\n";
    }
    out << '\n';
    classes("Images holding the same files", found.filesets);
    return kOk;
}

int RunExport(const CatalogOptions& options, std::ostream& out, std::ostream& err) {
    std::optional<Catalog> catalog = OpenCatalog(options, false, err);
    if (!catalog) return kNotShown;
    try {
        catalog->Each(CatalogQuery(),
                      [&](const CatalogHit& hit) { out << HitJson(hit).dump() << '\n'; });
    } catch (const std::runtime_error& error) {
        err << "kestrune-cli: the index cannot be read: " << error.what() << '\n';
        return kNotShown;
    }
    return kOk;
}

namespace {

// The image of path to compare: the file's own, or the archive member named; err says why none.
std::optional<HeldImage> ImageToCompare(const std::string& path,
                                        const std::optional<std::string>& member,
                                        std::ostream& err) {
    std::optional<HeldImage> chosen;
    std::optional<std::string> why;
    LoadEveryImage(path, [&](const HeldImage& held) {
        if (chosen || !held.partition.empty()) return;
        if (member && held.member != member) return;
        if (held.volume) {
            chosen = held;
        } else if (!why && held.message) {
            why = Utf16ToUtf8(held.message->text);
        }
    });
    if (!chosen) {
        err << "kestrune-cli: "
            << OneLine(why.value_or(path + " holds no image" +
                                    (member ? " named " + *member : std::string())))
            << '\n';
    }
    return chosen;
}

}  // namespace

int RunDiff(const DiffOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<HeldImage> a = ImageToCompare(options.a, options.memberA, err);
    const std::optional<HeldImage> b = ImageToCompare(options.b, options.memberB, err);
    if (!a || !b) return kNotShown;
    const ImageDiff diff = DiffImages(*a, *b);
    if (options.json) {
        ordered_json changed = ordered_json::array();
        for (const ChangedFile& file : diff.changed)
            changed.push_back({{"name", file.name}, {"offset", file.offset}});
        ordered_json sectors;
        if (diff.sectors) {
            sectors = ordered_json::array();
            for (const SectorPlace& place : *diff.sectors)
                sectors.push_back({{"track", place.track}, {"sector", place.sector}});
        }
        const ordered_json json = {{"onlyInA", diff.onlyInA},
                                   {"onlyInB", diff.onlyInB},
                                   {"changed", changed},
                                   {"sectors", sectors}};
        out << json.dump(2) << '\n';
    } else if (diff.Same()) {
        out << "The two images hold the same files"
            << (diff.sectors ? " in the same sectors.\n" : ".\n");
    } else {
        for (const std::string& name : diff.onlyInA)
            out << "Only in A: \"" << name << "\"\n";
        for (const std::string& name : diff.onlyInB)
            out << "Only in B: \"" << name << "\"\n";
        for (const ChangedFile& file : diff.changed)
            out << "Other bytes: \"" << file.name << "\" from byte " << Grouped(file.offset)
                << '\n';
        if (diff.sectors && !diff.sectors->empty()) {
            out << "Sectors that differ:";
            for (const SectorPlace& place : *diff.sectors)
                out << ' ' << place.track << '/' << place.sector;
            out << '\n';
        }
    }
    return diff.Same() ? kOk : kFindings;
}

}  // namespace kestrune::cli
