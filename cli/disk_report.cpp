#include "cli/disk_report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string_view>

#include "text/unicode.h"

namespace kestrune::cli {

namespace {

using nlohmann::ordered_json;

// The symbols of the map: a file's row cycles through these; the others stand alone.
constexpr std::string_view kRowSymbols =
    "123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr char kSystem = '#';
constexpr char kFree = '.';
constexpr char kNoBam = '-';
constexpr char kUnowned = 'o';
constexpr char kError = '!';

char SymbolOf(const SectorCell& cell) {
    if (cell.error) return kError;
    if (cell.row != 0)
        return kRowSymbols[static_cast<std::size_t>(cell.row - 1) % kRowSymbols.size()];
    if (cell.system) return kSystem;
    if (!cell.free) return kNoBam;
    return *cell.free ? kFree : kUnowned;
}

}  // namespace

void WriteMap(std::ostream& out, const Session& session, bool json) {
    const DiskMap& map = session.Map();
    if (json) {
        ordered_json tracks = ordered_json::array();
        for (const MapTrack& track : map.tracks) {
            ordered_json sectors = ordered_json::array();
            for (std::size_t sector = 0; sector < track.sectors.size(); ++sector) {
                const SectorCell& cell = track.sectors[sector];
                sectors.push_back(
                    {{"sector", sector},
                     {"row", cell.row != 0 ? ordered_json(cell.row) : ordered_json(nullptr)},
                     {"system", cell.system},
                     {"free", cell.free ? ordered_json(*cell.free) : ordered_json(nullptr)},
                     {"error", cell.error ? ordered_json(*cell.error) : ordered_json(nullptr)}});
            }
            tracks.push_back({{"track", track.track}, {"sectors", std::move(sectors)}});
        }
        const ordered_json document = {{"format", std::string(session.Format())},
                                       {"tracks", std::move(tracks)}};
        out << document.dump(2) << '\n';
        return;
    }
    std::size_t widest = 0;
    for (const MapTrack& track : map.tracks)
        widest = std::max(widest, track.sectors.size());
    // Two heading lines number the sectors: tens, then units.
    for (const int place : {10, 1}) {
        out << "    ";
        for (std::size_t sector = 0; sector < widest; ++sector)
            out << static_cast<char>('0' + (sector / static_cast<std::size_t>(place)) % 10);
        out << '\n';
    }
    for (const MapTrack& track : map.tracks) {
        std::string line = (track.track < 100 ? (track.track < 10 ? "  " : " ") : "") +
                           std::to_string(track.track) + " ";
        for (const SectorCell& cell : track.sectors)
            line += SymbolOf(cell);
        out << line << '\n';
    }
    out << '\n'
        << kSystem << " header, BAM, directory   " << kFree << " free   " << kUnowned
        << " allocated, no file   " << kNoBam << " not in the BAM   " << kError << " error byte\n";
    for (int position = 0;
         position < session.RowCount() && position < static_cast<int>(kRowSymbols.size());
         ++position) {
        out << kRowSymbols[static_cast<std::size_t>(position)] << " row " << position + 1 << " \""
            << Utf16ToUtf8(session.Row(position)[ColumnFileName].view()) << "\"\n";
    }
}

void WriteFindings(std::ostream& out, const Session& session, bool json) {
    const std::vector<Finding>& findings = session.Findings();
    if (json) {
        ordered_json list = ordered_json::array();
        for (const Finding& finding : findings) {
            ordered_json item = {{"kind", std::string(finding.kind)},
                                 {"track", finding.track},
                                 {"sector", finding.sector},
                                 {"rows", finding.rows},
                                 {"text", Utf16ToUtf8(finding.text)}};
            // A finding shared by many rows names the first few; the count of the others follows.
            if (finding.moreRows > 0) item["moreRows"] = finding.moreRows;
            list.push_back(std::move(item));
        }
        out << ordered_json{{"findings", std::move(list)}}.dump(2) << '\n';
        return;
    }
    for (const Finding& finding : findings)
        out << Utf16ToUtf8(finding.text) << '\n';
    out << findings.size() << (findings.size() == 1 ? " finding.\n" : " findings.\n");
}

}  // namespace kestrune::cli
