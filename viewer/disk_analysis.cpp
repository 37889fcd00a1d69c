#include "viewer/disk_analysis.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::array<std::string_view, 7> kKindOrder = {
    kCrossLinked, kLoop, kBadLink, kSizeMismatch, kErrorSector, kUsedButFree, kOrphan};

int KindRank(std::string_view kind) {
    return static_cast<int>(std::find(kKindOrder.begin(), kKindOrder.end(), kind) -
                            kKindOrder.begin());
}

std::u16string Number(long value) {
    return Widen(std::to_string(value));
}

std::u16string Place(int track, int sector) {
    return u"track " + Number(track) + u", sector " + Number(sector);
}

std::u16string RowsText(const std::vector<int>& rows) {
    std::u16string text = rows.size() == 1 ? u"row " : u"rows ";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) text += i + 1 == rows.size() ? u" and " : u", ";
        text += Number(rows[i]);
    }
    return text;
}

constexpr int kVlirRecords = 127;
constexpr std::uint8_t kVlirStructure = 1;
constexpr std::uint8_t kRelType = 4;

class Analyser {
  public:
    Analyser(const Volume& volume, const std::vector<DirectoryEntry>& entries)
        : volume_(volume),
          entries_(entries),
          count_(MappedSectors(volume)),
          owner_(count_, 0),
          rowStamp_(count_, 0),
          chainStamp_(count_, 0),
          otherRows_(count_) {
        positions_.resize(count_);
        const DiskLayout& layout = volume.layout;
        for (int track = 1; track <= layout.lastTrack; ++track) {
            for (int sector = 0; sector < layout.sectors[track]; ++sector) {
                const std::uint32_t index =
                    layout.trackOffset[track] / 256 + static_cast<std::uint32_t>(sector);
                if (index < count_) positions_[index] = {track, sector};
            }
        }
    }

    DiskAnalysis Run() {
        DiskAnalysis result;
        result.entryErrors.resize(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i)
            WalkEntry(static_cast<int>(i) + 1, entries_[i], result.entryErrors[i]);
        for (std::uint32_t block = 0; block < count_; ++block) {
            if (!otherRows_[block].empty()) {
                std::vector<int> rows = {owner_[block]};
                rows.insert(rows.end(), otherRows_[block].begin(), otherRows_[block].end());
                Add(kCrossLinked, positions_[block], rows,
                    Capitalised(Place(positions_[block])) + u" is in the chains of " +
                        RowsText(rows));
            }
            CheckBam(block);
        }
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             return std::tuple(a.track, a.sector, KindRank(a.kind)) <
                                    std::tuple(b.track, b.sector, KindRank(b.kind));
                         });
        result.findings = std::move(findings_);
        result.map = Map();
        return result;
    }

  private:
    struct Position {
        int track = 0;
        int sector = 0;
    };

    static std::u16string Place(Position at) { return kestrune::Place(at.track, at.sector); }
    static std::u16string Capitalised(std::u16string text) {
        if (!text.empty()) text[0] = static_cast<char16_t>(text[0] - u'a' + u'A');
        return text;
    }

    void Add(std::string_view kind, Position at, std::vector<int> rows, std::u16string text) {
        findings_.push_back({kind, at.track, at.sector, std::move(rows), std::move(text)});
    }

    // The block of a sector the disk has, in its image; nothing for any other.
    std::optional<std::uint32_t> BlockOf(int track, int sector) const {
        const DiskLayout& layout = volume_.layout;
        if (track < 1 || track > layout.lastTrack || sector < 0 || sector >= layout.sectors[track])
            return std::nullopt;
        const std::uint32_t index =
            layout.trackOffset[track] / 256 + static_cast<std::uint32_t>(sector);
        return index < count_ ? std::optional(index) : std::nullopt;
    }

    const std::uint8_t* Data(std::uint32_t block) const {
        return volume_.image.data.data() + 256u * block;
    }

    std::optional<std::uint8_t> ErrorOf(std::uint32_t block) const {
        if (block >= volume_.errorBytes.size() || volume_.errorBytes[block] <= 1)
            return std::nullopt;
        return volume_.errorBytes[block];
    }

    // Counts a block as the row's; a block another row holds already is cross-linked.
    void Own(int row, std::uint32_t block) {
        if (rowStamp_[block] == row) return;
        rowStamp_[block] = row;
        ++rowBlocks_;
        if (owner_[block] == 0) {
            owner_[block] = row;
        } else {
            otherRows_[block].push_back(row);
        }
    }

    // Follows a chain of the row from track, sector, checking every link on the way.
    void WalkChain(int row, int track, int sector, std::vector<Finding>& errors) {
        ++chain_;
        std::optional<Position> from;
        for (;;) {
            const std::optional<std::uint32_t> block = BlockOf(track, sector);
            if (!block) {
                const Position at = from.value_or(Position{track, sector});
                Add(kBadLink, at, {row},
                    (from ? u"Row " + Number(row) + u"'s chain links from " + Place(at) + u" to "
                          : u"Row " + Number(row) + u"'s chain starts at ") +
                        kestrune::Place(track, sector) + u", which the disk does not have");
                return;
            }
            if (chainStamp_[*block] == chain_) {
                Add(kLoop, {track, sector}, {row},
                    u"Row " + Number(row) + u"'s chain loops back to " +
                        kestrune::Place(track, sector));
                return;
            }
            chainStamp_[*block] = chain_;
            Own(row, *block);
            if (const std::optional<std::uint8_t> error = ErrorOf(*block)) {
                Add(kErrorSector, {track, sector}, {row},
                    u"Row " + Number(row) + u"'s chain crosses " + kestrune::Place(track, sector) +
                        u", which carries error " + Number(DosErrorOf(*error)));
                errors.push_back(findings_.back());
            }
            if (*block < volume_.unreadable.size() && volume_.unreadable[*block]) return;
            const std::uint8_t* data = Data(*block);
            if (data[0] == 0) return;
            from = Position{track, sector};
            track = data[0];
            sector = data[1];
        }
    }

    // A single block of the row that links nowhere (a GEOS info block, a VLIR index).
    std::optional<std::uint32_t> OwnBlock(int row, int track, int sector) {
        const std::optional<std::uint32_t> block = BlockOf(track, sector);
        if (block) Own(row, *block);
        return block;
    }

    void WalkEntry(int row, const DirectoryEntry& entry, std::vector<Finding>& errors) {
        // Files an archive holds, entries without a first block and directory labels hold no
        // sectors.
        if (entry.storedFile || entry.track == 0 ||
            (entry.track == entry.directoryTrack && entry.blocks == 0))
            return;
        rowBlocks_ = 0;
        if (entry.partition) {
            // A partition holds its sectors one after the other.
            const std::optional<std::uint32_t> first = BlockOf(entry.track, entry.sector);
            for (std::uint32_t i = 0; first && i < entry.blocks && *first + i < count_; ++i)
                Own(row, *first + i);
            return;
        }
        if (entry.geosType != 0) {
            OwnBlock(row, entry.auxTrack, entry.auxSector);  // the info block
            if (entry.recordLength == kVlirStructure) {
                const std::optional<std::uint32_t> index = OwnBlock(row, entry.track, entry.sector);
                for (int record = 0; index && record < kVlirRecords; ++record) {
                    const std::uint8_t* pair = Data(*index) + 2 + 2 * record;
                    if (pair[0] != 0) WalkChain(row, pair[0], pair[1], errors);
                }
            } else {
                WalkChain(row, entry.track, entry.sector, errors);
            }
        } else {
            WalkChain(row, entry.track, entry.sector, errors);
            if ((entry.type & 7) == kRelType && entry.auxTrack != 0)
                WalkChain(row, entry.auxTrack, entry.auxSector, errors);  // the side sectors
        }
        if (rowBlocks_ != entry.blocks) {
            Add(kSizeMismatch, {entry.track, entry.sector}, {row},
                u"Row " + Number(row) + u" says " + Number(entry.blocks) +
                    u" blocks, its chain holds " + Number(rowBlocks_));
        }
    }

    void CheckBam(std::uint32_t block) {
        if (block >= volume_.bam.size() || volume_.bam[block] == kNoBam) return;
        const bool used = owner_[block] != 0 || volume_.systemSectors[block];
        const Position at = positions_[block];
        if (used && volume_.bam[block] == kBamFree) {
            const std::u16string user =
                owner_[block] != 0 ? u"row " + Number(owner_[block]) : u"the file system";
            Add(kUsedButFree, at,
                owner_[block] != 0 ? std::vector<int>{owner_[block]} : std::vector<int>{},
                Capitalised(Place(at)) + u" is in use (" + user + u") but the BAM calls it free");
        } else if (!used && volume_.bam[block] == kBamUsed) {
            Add(kOrphan, at, {}, Capitalised(Place(at)) + u" is allocated but belongs to no file");
        }
    }

    DiskMap Map() const {
        DiskMap map;
        const DiskLayout& layout = volume_.layout;
        for (int track = 1; track <= layout.lastTrack; ++track) {
            MapTrack row{track, {}};
            for (int sector = 0; sector < layout.sectors[track]; ++sector) {
                const std::optional<std::uint32_t> block = BlockOf(track, sector);
                if (!block) break;
                SectorCell& cell = row.sectors.emplace_back();
                cell.row = owner_[*block];
                cell.system = volume_.systemSectors[*block];
                if (volume_.bam[*block] != kNoBam) cell.free = volume_.bam[*block] == kBamFree;
                cell.error = ErrorOf(*block);
                cell.linkTrack = Data(*block)[0];
                cell.linkSector = Data(*block)[1];
            }
            if (!row.sectors.empty()) map.tracks.push_back(std::move(row));
        }
        return map;
    }

    const Volume& volume_;
    const std::vector<DirectoryEntry>& entries_;
    std::uint32_t count_;
    std::vector<int> owner_;                   // the first row that holds each block, 0 for none
    std::vector<int> rowStamp_;                // the last row that counted the block
    std::vector<int> chainStamp_;              // the last chain that passed the block
    std::vector<std::vector<int>> otherRows_;  // rows beyond the first that hold the block
    std::vector<Position> positions_;
    std::vector<Finding> findings_;
    int chain_ = 0;
    int rowBlocks_ = 0;
};

}  // namespace

DiskAnalysis AnalyseDisk(const Volume& volume, const std::vector<DirectoryEntry>& entries) {
    if (volume.bam.empty()) return {};
    return Analyser(volume, entries).Run();
}

}  // namespace kestrune
