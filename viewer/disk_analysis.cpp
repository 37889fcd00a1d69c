#include "viewer/disk_analysis.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

#include "text/number_text.h"
#include "text/unicode.h"
#include "viewer/row_texts.h"

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
    return SectorPlace(track, sector);
}

std::u16string Capitalised(std::u16string text) {
    if (!text.empty() && text[0] >= u'a' && text[0] <= u'z')
        text[0] = static_cast<char16_t>(text[0] - u'a' + u'A');
    return text;
}

constexpr int kVlirRecords = 127;
constexpr std::uint8_t kVlirStructure = 1;
constexpr std::uint8_t kRelType = 4;

struct Position {
    int track = 0;
    int sector = 0;
};

// The first few rows of a set of rows in ascending order, and how many there are in all.
struct RowSet {
    std::vector<int> named;
    long total = 0;

    long More() const { return total - static_cast<long>(named.size()); }
};

// The name of a 1-based row as the list shows it.
using RowName = std::function<std::u16string(int row)>;

// 'row 1 ("one")', 'rows 1 ("one") and 4 ("again")', 'rows 1 ("a"), 2 ("b"), 3 ("c"), 4 ("d"),
// 5 ("e") and 16,427 more'.
std::u16string RowsText(const RowSet& rows, const RowName& name) {
    std::u16string text = rows.total == 1 ? u"row " : u"rows ";
    for (std::size_t i = 0; i < rows.named.size(); ++i) {
        if (i > 0) text += i + 1 == rows.named.size() && rows.More() == 0 ? u" and " : u", ";
        text += Number(rows.named[i]) + u" (\"" + name(rows.named[i]) + u"\")";
    }
    if (rows.More() > 0)
        text += u" and " + GroupedDecimal(static_cast<std::uint64_t>(rows.More())) + u" more";
    return text;
}

// 'The chain of row 2 ("two")', 'The chain of rows 2 ("two") and 5 ("five")'.
std::u16string ChainOf(const RowSet& rows, const RowName& name) {
    return u"The chain of " + RowsText(rows, name);
}

// Where the sectors of a volume lie in its image.
class Sectors {
  public:
    explicit Sectors(const Volume& volume) : volume_(volume), count_(MappedSectors(volume)) {}

    std::uint32_t count() const { return count_; }

    // The block of a sector the disk has, in its image; nothing for any other.
    std::optional<std::uint32_t> BlockOf(int track, int sector) const {
        const DiskLayout& layout = volume_.layout;
        if (track < 1 || track > layout.lastTrack || sector < 0 || sector >= layout.sectors[track])
            return std::nullopt;
        const std::uint32_t index =
            layout.trackOffset[track] / 256 + static_cast<std::uint32_t>(sector);
        return index < count_ ? std::optional(index) : std::nullopt;
    }

    // Whether the directory's files may lie on track: any track of the disk, inside a partition
    // only the partition's.
    bool InReach(int track) const {
        return !volume_.partitionTracks || (track >= volume_.partitionTracks->first &&
                                            track <= volume_.partitionTracks->second);
    }

    const std::uint8_t* Data(std::uint32_t block) const {
        return volume_.image.data.data() + 256u * block;
    }

    std::optional<std::uint8_t> ErrorOf(std::uint32_t block) const {
        if (block >= volume_.errorBytes.size() || volume_.errorBytes[block] <= 1)
            return std::nullopt;
        return volume_.errorBytes[block];
    }

    bool Unreadable(std::uint32_t block) const {
        return block < volume_.unreadable.size() && volume_.unreadable[block];
    }

  private:
    const Volume& volume_;
    std::uint32_t count_;
};

// One chain followed from its first block: the blocks it holds, and how it ends.
struct Chain {
    enum class End { LastBlock, Loop, BadLink, Unreadable };
    std::vector<std::uint32_t> blocks;  // in chain order, each once
    End end = End::LastBlock;
    // A loop: the sector it loops back to. A bad link: the sector linked to, and the block that
    // links there (none when the chain starts there); outside says the sector is a sector of the
    // disk but outside the partition.
    Position to;
    std::optional<Position> from;
    bool outside = false;
};

// Follows chains, each distinct first block once.
class ChainWalker {
  public:
    explicit ChainWalker(const Sectors& sectors) : sectors_(sectors), stamp_(sectors.count(), -1) {}

    // The chain from track, sector, by its number.
    int Walk(int track, int sector) {
        const int key = (track & 0xFF) << 8 | (sector & 0xFF);
        const auto [known, added] = byStart_.try_emplace(key, static_cast<int>(chains_.size()));
        if (!added) return known->second;
        const int id = known->second;
        Chain& chain = chains_.emplace_back();
        std::optional<Position> from;
        for (;;) {
            const std::optional<std::uint32_t> block = sectors_.BlockOf(track, sector);
            if (!block || !sectors_.InReach(track)) {
                chain.end = Chain::End::BadLink;
                chain.to = {track, sector};
                chain.from = from;
                chain.outside = block.has_value();
                break;
            }
            if (stamp_[*block] == id) {
                chain.end = Chain::End::Loop;
                chain.to = {track, sector};
                break;
            }
            stamp_[*block] = id;
            chain.blocks.push_back(*block);
            if (sectors_.Unreadable(*block)) {
                chain.end = Chain::End::Unreadable;
                break;
            }
            const std::uint8_t* data = sectors_.Data(*block);
            if (data[0] == 0) break;
            from = Position{track, sector};
            track = data[0];
            sector = data[1];
        }
        return id;
    }

    const Chain& chain(int id) const { return chains_[static_cast<std::size_t>(id)]; }
    int size() const { return static_cast<int>(chains_.size()); }

  private:
    const Sectors& sectors_;
    std::vector<int> stamp_;  // the last chain that passed each block
    std::unordered_map<int, int> byStart_;
    std::vector<Chain> chains_;
};

// What of the disk an entry's file takes: its chains, single blocks that link nowhere (a GEOS
// info block, a VLIR index) and, for a partition, a run of sectors one after the other.
struct EntryParts {
    std::vector<int> chains;
    std::vector<std::optional<std::uint32_t>> blocks;
    std::optional<std::pair<std::optional<std::uint32_t>, std::uint32_t>> run;

    bool Empty() const { return chains.empty() && blocks.empty() && !run; }
};

EntryParts PartsOf(const Sectors& sectors, ChainWalker& walker, const DirectoryEntry& entry) {
    EntryParts parts;
    // Files an archive holds, entries without a first block and directory labels hold no sectors.
    if (entry.storedFile || entry.track == 0 ||
        (entry.track == entry.directoryTrack && entry.blocks == 0))
        return parts;
    if (entry.partition && entry.partitionKind == PartitionKind::Subdirectory) {
        // A subdirectory's header and the chain of its directory sectors.
        parts.chains.push_back(walker.Walk(entry.track, entry.sector));
        return parts;
    }
    if (entry.partition) {
        parts.run = std::pair(sectors.BlockOf(entry.track, entry.sector), entry.blocks);
        return parts;
    }
    if (entry.geosType != 0) {
        parts.blocks.push_back(sectors.BlockOf(entry.auxTrack, entry.auxSector));  // info block
        if (entry.recordLength == kVlirStructure) {
            const std::optional<std::uint32_t> index = sectors.BlockOf(entry.track, entry.sector);
            parts.blocks.push_back(index);
            for (int record = 0; index && record < kVlirRecords; ++record) {
                const std::uint8_t* pair = sectors.Data(*index) + 2 + 2 * record;
                if (pair[0] != 0) parts.chains.push_back(walker.Walk(pair[0], pair[1]));
            }
        } else {
            parts.chains.push_back(walker.Walk(entry.track, entry.sector));
        }
        return parts;
    }
    parts.chains.push_back(walker.Walk(entry.track, entry.sector));
    if ((entry.type & 7) == kRelType && entry.auxTrack != 0)
        parts.chains.push_back(walker.Walk(entry.auxTrack, entry.auxSector));  // side sectors
    return parts;
}

// Entries whose files take exactly the same parts form one group: each group's sectors are
// counted once, whatever the number of its rows.
struct Group {
    EntryParts parts;
    std::vector<int> rows;  // ascending
    // Rows by what their entries say: block count, first track and sector.
    std::map<std::tuple<int, int, int>, std::vector<int>> said;
    std::uint32_t blocks = 0;  // the distinct sectors its parts hold
};

class Analyser {
  public:
    Analyser(const Volume& volume, const std::vector<DirectoryEntry>& entries)
        : volume_(volume),
          entries_(entries),
          name_([this](int row) { return ListName(row); }),
          sectors_(volume),
          walker_(sectors_),
          groupsAt_(sectors_.count()),
          positions_(sectors_.count()) {
        const DiskLayout& layout = volume.layout;
        for (int track = 1; track <= layout.lastTrack; ++track) {
            for (int sector = 0; sector < layout.sectors[track]; ++sector) {
                if (const auto block = sectors_.BlockOf(track, sector))
                    positions_[*block] = {track, sector};
            }
        }
    }

    DiskAnalysis Run() {
        GroupEntries();
        std::vector<std::vector<int>> chainGroups(static_cast<std::size_t>(walker_.size()));
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            CountSectors(static_cast<int>(g));
            for (const int chain : groups_[g].parts.chains) {
                std::vector<int>& through = chainGroups[static_cast<std::size_t>(chain)];
                if (through.empty() || through.back() != static_cast<int>(g))
                    through.push_back(static_cast<int>(g));
            }
        }
        for (int chain = 0; chain < walker_.size(); ++chain)
            CheckChain(walker_.chain(chain), RowsOf(chainGroups[static_cast<std::size_t>(chain)]));
        for (const Group& group : groups_) {
            for (const auto& [said, rows] : group.said) {
                const auto [blocks, track, sector] = said;
                if (static_cast<std::uint32_t>(blocks) == group.blocks) continue;
                const RowSet set = Named(rows);
                const bool one = set.total == 1;
                Add(kSizeMismatch, {track, sector}, set,
                    Capitalised(RowsText(set, name_)) + (one ? u" says " : u" say ") +
                        Number(blocks) +
                        (one ? u" blocks, its chain holds " : u" blocks, their chain holds ") +
                        Number(group.blocks));
            }
        }
        for (std::uint32_t block = 0; block < sectors_.count(); ++block) {
            const std::vector<int>& groups = groupsAt_[block];
            if (groups.size() > 1 || (groups.size() == 1 && groups_[groups[0]].rows.size() > 1)) {
                const RowSet rows = RowsOf(groups);
                Add(kCrossLinked, positions_[block], rows,
                    Capitalised(Place(positions_[block])) + u" is in the chains of " +
                        RowsText(rows, name_));
            }
            CheckBam(block);
        }
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const Finding& a, const Finding& b) {
                             return std::tuple(a.track, a.sector, KindRank(a.kind)) <
                                    std::tuple(b.track, b.sector, KindRank(b.kind));
                         });
        DiskAnalysis result;
        result.findings = std::move(findings_);
        result.map = Map();
        return result;
    }

  private:
    static std::u16string Place(Position at) { return kestrune::Place(at.track, at.sector); }

    // A row's file name as the list shows it, without its trailing spaces.
    std::u16string ListName(int row) const {
        RowTexts texts;
        FormatRow(entries_[static_cast<std::size_t>(row - 1)], volume_.disk.isGeosDisk, texts);
        std::u16string_view name = texts[ColumnFileName];
        while (!name.empty() && name.back() == u' ')
            name.remove_suffix(1);
        return std::u16string(name);
    }

    void Add(std::string_view kind, Position at, const RowSet& rows, std::u16string text) {
        findings_.push_back({kind, at.track, at.sector, rows.named, std::move(text),
                             static_cast<int>(rows.More())});
    }

    static RowSet Named(const std::vector<int>& rows) {
        RowSet set;
        set.total = static_cast<long>(rows.size());
        set.named.assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(
                                                          std::min(kNamedRows, rows.size())));
        return set;
    }

    // The rows of some groups together.
    RowSet RowsOf(const std::vector<int>& groups) const {
        RowSet set;
        for (const int g : groups) {
            const std::vector<int>& rows = groups_[static_cast<std::size_t>(g)].rows;
            set.total += static_cast<long>(rows.size());
            set.named.insert(
                set.named.end(), rows.begin(),
                rows.begin() + static_cast<std::ptrdiff_t>(std::min(kNamedRows, rows.size())));
        }
        std::sort(set.named.begin(), set.named.end());
        if (set.named.size() > kNamedRows) set.named.resize(kNamedRows);
        return set;
    }

    void GroupEntries() {
        std::map<std::vector<std::int64_t>, std::size_t> byParts;
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const DirectoryEntry& entry = entries_[i];
            EntryParts parts = PartsOf(sectors_, walker_, entry);
            if (parts.Empty()) continue;
            std::vector<std::int64_t> key;
            for (const int chain : parts.chains)
                key.insert(key.end(), {0, chain});
            for (const auto& block : parts.blocks)
                key.insert(key.end(), {1, block ? std::int64_t{*block} : -1});
            if (parts.run)
                key.insert(key.end(), {2, parts.run->first ? std::int64_t{*parts.run->first} : -1,
                                       parts.run->second});
            const auto [known, added] = byParts.try_emplace(std::move(key), groups_.size());
            if (added) groups_.push_back({std::move(parts), {}, {}, 0});
            Group& group = groups_[known->second];
            const int row = static_cast<int>(i) + 1;
            group.rows.push_back(row);
            // A partition's block count is its size, not a chain's.
            if (!entry.partition)
                group.said[{entry.blocks, entry.track, entry.sector}].push_back(row);
        }
    }

    // Counts the distinct sectors of a group and marks each as the group's.
    void CountSectors(int g) {
        Group& group = groups_[static_cast<std::size_t>(g)];
        const auto own = [&](std::uint32_t block) {
            std::vector<int>& groups = groupsAt_[block];
            if (!groups.empty() && groups.back() == g) return;
            groups.push_back(g);
            ++group.blocks;
        };
        if (group.parts.run && group.parts.run->first) {
            const std::uint32_t first = *group.parts.run->first;
            for (std::uint32_t i = 0; i < group.parts.run->second && first + i < sectors_.count();
                 ++i)
                own(first + i);
        }
        for (const auto& block : group.parts.blocks) {
            if (block) own(*block);
        }
        for (const int chain : group.parts.chains) {
            for (const std::uint32_t block : walker_.chain(chain).blocks)
                own(block);
        }
    }

    // The chain's own faults: how it ends, and the error sectors it crosses.
    void CheckChain(const Chain& chain, const RowSet& rows) {
        if (rows.total == 0) return;
        const std::u16string whose = ChainOf(rows, name_);
        for (const std::uint32_t block : chain.blocks) {
            if (const std::optional<std::uint8_t> error = sectors_.ErrorOf(block)) {
                Add(kErrorSector, positions_[block], rows,
                    whose + u" crosses " + Place(positions_[block]) + u", which carries " +
                        ErrorByteText(*error));
            }
        }
        if (chain.end == Chain::End::Loop) {
            Add(kLoop, chain.to, rows, whose + u" loops back to " + Place(chain.to));
        } else if (chain.end == Chain::End::BadLink) {
            const std::u16string where = chain.outside ? u", which lies outside the partition"
                                                       : u", which the disk does not have";
            if (chain.from) {
                Add(kBadLink, *chain.from, rows,
                    whose + u" links from " + Place(*chain.from) + u" to " + Place(chain.to) +
                        where);
            } else {
                Add(kBadLink, chain.to, rows, whose + u" starts at " + Place(chain.to) + where);
            }
        }
    }

    // The first row that holds the block, 0 for none.
    int OwnerOf(std::uint32_t block) const {
        const std::vector<int>& groups = groupsAt_[block];
        return groups.empty() ? 0 : groups_[static_cast<std::size_t>(groups[0])].rows[0];
    }

    void CheckBam(std::uint32_t block) {
        if (block >= volume_.bam.size() || volume_.bam[block] == kNoBam) return;
        const int owner = OwnerOf(block);
        const bool used = owner != 0 || volume_.systemSectors[block];
        const Position at = positions_[block];
        if (used && volume_.bam[block] == kBamFree) {
            RowSet rows;
            if (owner != 0) rows = {{owner}, 1};
            const std::u16string user = owner != 0 ? RowsText(rows, name_) : u"the file system";
            Add(kUsedButFree, at, rows,
                Capitalised(Place(at)) + u" is in use by " + user + u" but the BAM calls it free");
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
                const std::optional<std::uint32_t> block = sectors_.BlockOf(track, sector);
                if (!block) break;
                SectorCell& cell = row.sectors.emplace_back();
                cell.row = OwnerOf(*block);
                cell.system = volume_.systemSectors[*block];
                if (volume_.bam[*block] != kNoBam) cell.free = volume_.bam[*block] == kBamFree;
                cell.error = sectors_.ErrorOf(*block);
                cell.linkTrack = sectors_.Data(*block)[0];
                cell.linkSector = sectors_.Data(*block)[1];
            }
            if (!row.sectors.empty()) map.tracks.push_back(std::move(row));
        }
        return map;
    }

    const Volume& volume_;
    const std::vector<DirectoryEntry>& entries_;
    RowName name_;
    Sectors sectors_;
    ChainWalker walker_;
    std::vector<Group> groups_;               // in the order of their first rows
    std::vector<std::vector<int>> groupsAt_;  // by block: the groups that hold it, in order
    std::vector<Position> positions_;
    std::vector<Finding> findings_;
};

}  // namespace

std::u16string SectorPlace(int track, int sector) {
    std::u16string text = u"track ";
    AppendDecimal(text, track);
    text += u" ($";
    AppendHex(text, static_cast<std::uint32_t>(track), 2, true);
    text += u"), sector ";
    AppendDecimal(text, sector);
    text += u" ($";
    AppendHex(text, static_cast<std::uint32_t>(sector), 2, true);
    return text + u")";
}

std::u16string ErrorByteText(std::uint8_t errorByte) {
    const int error = errorByte < std::size(kDosErrorOfByte) ? kDosErrorOfByte[errorByte] : 0;
    if (error != 0) return u"error " + Number(error);
    constexpr std::u16string_view kDigits = u"0123456789abcdef";
    return std::u16string(u"an unknown error (byte $") + kDigits[errorByte >> 4] +
           kDigits[errorByte & 0xF] + u")";
}

DiskAnalysis AnalyseDisk(const Volume& volume, const std::vector<DirectoryEntry>& entries) {
    if (volume.bam.empty()) return {};
    return Analyser(volume, entries).Run();
}

std::vector<ErrorCrossing> ErrorSectorsOf(const Volume& volume, const DirectoryEntry& entry) {
    std::vector<ErrorCrossing> crossings;
    if (volume.errorBytes.empty()) return crossings;
    const Sectors sectors(volume);
    ChainWalker walker(sectors);
    const EntryParts parts = PartsOf(sectors, walker, entry);
    std::vector<std::uint32_t> seen;
    const DiskLayout& layout = volume.layout;
    for (const int chain : parts.chains) {
        for (const std::uint32_t block : walker.chain(chain).blocks) {
            const std::optional<std::uint8_t> error = sectors.ErrorOf(block);
            if (!error || std::find(seen.begin(), seen.end(), block) != seen.end()) continue;
            seen.push_back(block);
            // The track whose sectors the block lies among.
            int track = 1;
            while (track < layout.lastTrack && layout.trackOffset[track + 1] / 256 <= block)
                ++track;
            crossings.push_back(
                {track, static_cast<int>(block - layout.trackOffset[track] / 256), *error});
        }
    }
    return crossings;
}

}  // namespace kestrune
