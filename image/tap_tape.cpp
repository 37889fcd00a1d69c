#include "image/tap_tape.h"

#include <algorithm>
#include <array>
#include <string>

#include "image/faults.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kHeaderSize = 0x14;
constexpr std::size_t kMostFiles = 65535;
// A pulse longer than this many cycles is a pause, not a signal.
constexpr std::uint32_t kPauseCycles = 0x100 * 8;
// A version 0 pause: its length is not recorded.
constexpr std::uint32_t kUnknownPause = 0x100 * 8;
// The fewest like pulses a leader has before a block (the second copy's leader is 79).
constexpr std::size_t kLeastLeader = 40;
// The most pulses looked through for the next byte after a pulse that belongs to no byte.
constexpr std::size_t kResyncPulses = 60;
// Pulses a byte takes: its marker and nine bits of two pulses each.
constexpr std::size_t kPulsesPerByte = 20;
// The ROM loader's blocks: a countdown of nine bytes, at most 64 KiB of data, a checksum.
constexpr std::size_t kCountdown = 9;
constexpr std::size_t kMostBlockBytes = kCountdown + 0x10000 + 1;
// A tape header is a block of 192 bytes.
constexpr std::size_t kHeaderBlock = 192;
// Stretches of pulses outside the ROM loader's blocks: fewer than this are taken as noise (a
// block's trailing tone is 78 pulses), and a pause of a tenth of a second ends one.
constexpr std::size_t kLeastUnreadPulses = 256;
constexpr std::uint32_t kPartBreak = 100000;

// The clock a machine's pulses are counted in, by its platform byte and video standard.
std::uint32_t ClockOf(std::uint8_t platform, std::uint8_t video) {
    const bool ntsc = video == 1 || video == 2;
    switch (platform) {
        case 1:
            return ntsc ? 1022727 : 1108405;
        case 2:
            return ntsc ? 894886 : 886724;
        default:
            return ntsc ? 1022727 : video == 3 ? 1023440 : 985248;
    }
}

constexpr std::array<std::u16string_view, 3> kPlatforms = {u"C64", u"VIC-20", u"C16 or Plus/4"};
constexpr std::array<std::u16string_view, 4> kVideo = {u"PAL", u"NTSC", u"old NTSC", u"PAL-N"};

// The pulses of the tape, one after the other, with the time each starts at.
class PulseReader {
  public:
    PulseReader(std::span<const std::uint8_t> data, std::uint8_t version)
        : data_(data), version_(version) {}

    bool AtEnd() const { return at_ >= data_.size(); }
    std::uint64_t Time() const { return time_; }

    // The next pulse's length in cycles; 0 at the end.
    std::uint32_t Next() {
        if (AtEnd()) return 0;
        std::uint32_t cycles = Value();
        // Version 2 holds half waves: two make a pulse.
        if (version_ == 2 && !AtEnd()) cycles += Value();
        time_ += cycles;
        return cycles;
    }

  private:
    std::uint32_t Value() {
        const std::uint8_t value = data_[at_++];
        if (value != 0) return value * 8u;
        if (version_ == 0) return kUnknownPause;
        std::uint32_t cycles = 0;
        for (int i = 0; i < 3 && !AtEnd(); ++i)
            cycles |= static_cast<std::uint32_t>(data_[at_++]) << (8 * i);
        return std::max<std::uint32_t>(cycles, 1);
    }

    std::span<const std::uint8_t> data_;
    std::uint8_t version_;
    std::size_t at_ = 0;
    std::uint64_t time_ = 0;
};

enum class Kind { Noise, Short, Medium, Long, Pause };

// Classifies pulses by the length of a short pulse, as the leader before a block gives it; the
// ROM loader's medium and long pulses are about 1.375 and 1.79 times as long.
class PulseKinds {
  public:
    explicit PulseKinds(double shortCycles) : short_(shortCycles) {}

    Kind Of(std::uint32_t cycles) {
        const double ratio = cycles / short_;
        if (ratio < 0.55) return Kind::Noise;
        if (ratio < 1.19) {
            // The tape's speed drifts: the short pulses keep the measure.
            short_ += (cycles - short_) / 16;
            return Kind::Short;
        }
        if (ratio < 1.58) return Kind::Medium;
        if (ratio < 2.3) return Kind::Long;
        return Kind::Pause;
    }

  private:
    double short_;
};

// One copy of a block as it was read.
struct Block {
    int copy = 0;                          // 1 or 2, by its countdown
    std::vector<std::uint8_t> data;        // without the countdown and the checksum
    std::vector<std::uint32_t> bad;        // offsets in data of bytes with a parity error
    bool cutShort = false;                 // no end marker, or the last byte is missing
    std::optional<std::uint8_t> checksum;  // the checksum byte, when read without a fault
    bool checksumOk = false;
    std::uint64_t leaderStart = 0;  // times in cycles
    std::uint64_t end = 0;

    bool Ok() const { return !cutShort && bad.empty() && checksumOk; }
};

// Reads the bits of one byte: nine pulse pairs after its marker. Nothing when a pair is neither
// short-medium nor medium-short.
std::optional<std::uint8_t> ReadBits(PulseReader& pulses, PulseKinds& kinds, bool& parityOk) {
    int value = 0;
    int ones = 0;
    for (int bit = 0; bit < 9; ++bit) {
        if (pulses.AtEnd()) return std::nullopt;
        const Kind first = kinds.Of(pulses.Next());
        if (pulses.AtEnd()) return std::nullopt;
        const Kind second = kinds.Of(pulses.Next());
        int one;
        if (first == Kind::Short && second == Kind::Medium) {
            one = 0;
        } else if (first == Kind::Medium && second == Kind::Short) {
            one = 1;
        } else {
            return std::nullopt;
        }
        ones += one;
        if (bit < 8) value |= one << bit;
    }
    parityOk = ones % 2 == 1;
    return static_cast<std::uint8_t>(value);
}

enum class Marker { Byte, End, None };

Marker ReadMarker(PulseReader& pulses, PulseKinds& kinds) {
    if (pulses.AtEnd()) return Marker::None;
    if (kinds.Of(pulses.Next()) != Kind::Long || pulses.AtEnd()) return Marker::None;
    const Kind second = kinds.Of(pulses.Next());
    if (second == Kind::Medium) return Marker::Byte;
    if (second == Kind::Short) return Marker::End;
    return Marker::None;
}

// Looks a few pulses on for the next marker after a byte that could not be read; the reader is
// left before it. The number of pulses passed over, or nothing when none is near.
std::optional<std::size_t> Resync(PulseReader& pulses, PulseKinds kinds) {
    for (std::size_t skipped = 0; skipped < kResyncPulses && !pulses.AtEnd(); ++skipped) {
        PulseReader ahead = pulses;
        PulseKinds aheadKinds = kinds;
        const Kind first = aheadKinds.Of(ahead.Next());
        if (first == Kind::Long && !ahead.AtEnd()) {
            const Kind second = aheadKinds.Of(ahead.Next());
            if (second == Kind::Medium || second == Kind::Short) return skipped;
        }
        kinds.Of(pulses.Next());
    }
    return std::nullopt;
}

int CountdownCopy(std::span<const std::uint8_t> bytes) {
    int first = 0;
    int second = 0;
    for (std::size_t i = 0; i < kCountdown; ++i) {
        first += bytes[i] == 0x89 - i;
        second += bytes[i] == 0x09 - i;
    }
    if (first >= 6) return 1;
    if (second >= 6) return 2;
    return 0;
}

// Reads a block from just after its leader; nothing when what follows is no ROM loader block.
std::optional<Block> ReadBlock(PulseReader& pulses, double shortCycles, std::uint64_t leaderStart) {
    PulseKinds kinds(shortCycles);
    Block block;
    block.leaderStart = leaderStart;
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> bad;
    bool ended = false;
    while (bytes.size() < kMostBlockBytes) {
        PulseReader before = pulses;
        const Marker marker = ReadMarker(pulses, kinds);
        if (marker == Marker::End) {
            ended = true;
            break;
        }
        bool parityOk = false;
        std::optional<std::uint8_t> value;
        if (marker == Marker::Byte) value = ReadBits(pulses, kinds, parityOk);
        if (value) {
            if (!parityOk) bad.push_back(static_cast<std::uint32_t>(bytes.size()));
            bytes.push_back(*value);
        } else {
            // A pulse out of place: the byte is lost, and those its pulses reached into. The
            // next marker is looked for from the pulse after this byte's first.
            if (bytes.size() < kCountdown) return std::nullopt;
            if (before.AtEnd()) break;
            pulses = before;
            kinds.Of(pulses.Next());
            const std::optional<std::size_t> skipped = Resync(pulses, kinds);
            if (!skipped) break;
            const std::size_t lost =
                std::max<std::size_t>(1, (*skipped + 1 + kPulsesPerByte / 2) / kPulsesPerByte);
            for (std::size_t i = 0; i < lost && bytes.size() < kMostBlockBytes; ++i) {
                bad.push_back(static_cast<std::uint32_t>(bytes.size()));
                bytes.push_back(0);
            }
        }
        if (bytes.size() == kCountdown) {
            block.copy = CountdownCopy(bytes);
            if (block.copy == 0) return std::nullopt;
        }
    }
    if (bytes.size() < kCountdown) return std::nullopt;
    block.end = pulses.Time();
    block.cutShort = !ended || bytes.size() == kCountdown;
    const std::size_t dataEnd = block.cutShort ? bytes.size() : bytes.size() - 1;
    block.data.assign(bytes.begin() + kCountdown, bytes.begin() + dataEnd);
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : block.data)
        sum ^= byte;
    if (!block.cutShort && (bad.empty() || bad.back() != dataEnd)) block.checksum = bytes.back();
    block.checksumOk = block.checksum == sum;
    for (const std::uint32_t at : bad) {
        if (at >= kCountdown && at < dataEnd) block.bad.push_back(at - kCountdown);
    }
    return block;
}

// A stretch of the tape outside the ROM loader's blocks that holds more than noise.
struct UnreadPart {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::size_t pulses = 0;
};

struct Scan {
    std::vector<Block> blocks;
    std::vector<UnreadPart> unread;
    std::uint64_t end = 0;  // the tape's length in cycles
};

// Finds every block: a run of like pulses at least kLeastLeader long, then a block. Pulses
// between blocks are counted into the parts that no block holds.
Scan ScanTape(PulseReader pulses) {
    Scan scan;
    UnreadPart gap;
    const auto closeGap = [&] {
        if (gap.pulses >= kLeastUnreadPulses) scan.unread.push_back(gap);
        gap = {};
    };
    const auto countInGap = [&](std::uint64_t start, std::uint64_t end, std::size_t count) {
        if (gap.pulses == 0) gap.start = start;
        gap.end = end;
        gap.pulses += count;
    };
    std::size_t runLength = 0;
    double runSum = 0;
    std::uint64_t runStart = 0;
    std::uint64_t runEnd = 0;
    while (!pulses.AtEnd()) {
        const PulseReader before = pulses;
        const std::uint64_t start = pulses.Time();
        const std::uint32_t cycles = pulses.Next();
        if (runLength > 0) {
            // Within a fifth of the run's mean length.
            const double scaled = static_cast<double>(cycles) * static_cast<double>(runLength);
            if (scaled >= runSum * 0.8 && scaled <= runSum * 1.2) {
                ++runLength;
                runSum += cycles;
                runEnd = pulses.Time();
                continue;
            }
            if (runLength >= kLeastLeader) {
                PulseReader attempt = before;
                const double mean = runSum / static_cast<double>(runLength);
                if (std::optional<Block> block = ReadBlock(attempt, mean, runStart)) {
                    closeGap();
                    scan.blocks.push_back(std::move(*block));
                    pulses = attempt;
                    runLength = 0;
                    continue;
                }
            }
            countInGap(runStart, runEnd, runLength);
            runLength = 0;
        }
        if (cycles >= kPauseCycles) {
            if (cycles >= kPartBreak) closeGap();
            continue;
        }
        runLength = 1;
        runSum = cycles;
        runStart = start;
        runEnd = pulses.Time();
    }
    if (runLength > 0) countInGap(runStart, runEnd, runLength);
    closeGap();
    scan.end = pulses.Time();
    return scan;
}

// A block as both its copies make it, and what the two said.
struct ReadUnit {
    std::vector<std::uint8_t> data;
    std::uint64_t leaderStart = 0;
    std::uint64_t end = 0;
    std::u16string note;  // how its copies were read, when not both well
};

std::u16string Number(std::uint64_t value) {
    return GroupedDecimal(value);
}

std::u16string Failure(const Block& block) {
    if (block.cutShort) return u"is cut short";
    if (!block.bad.empty())
        return u"has " + Number(block.bad.size()) +
               (block.bad.size() == 1 ? u" byte with a parity error"
                                      : u" bytes with a parity error");
    return u"fails its checksum";
}

std::uint8_t Xor(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes)
        sum ^= byte;
    return sum;
}

// Both copies fail: each byte is taken from a copy that read it without a parity error.
ReadUnit Merge(const Block& first, const Block& second, std::u16string_view what) {
    ReadUnit unit;
    unit.data = first.data;
    if (first.data.size() < second.data.size()) unit.data = second.data;
    std::vector<bool> doubtful(unit.data.size(), false);
    const auto badIn = [](const Block& block, std::size_t at) {
        return at >= block.data.size() || std::binary_search(block.bad.begin(), block.bad.end(),
                                                             static_cast<std::uint32_t>(at));
    };
    std::size_t inDoubt = 0;
    for (std::size_t at = 0; at < unit.data.size(); ++at) {
        if (!badIn(first, at)) {
            unit.data[at] = first.data[at];
        } else if (!badIn(second, at)) {
            unit.data[at] = second.data[at];
        } else {
            ++inDoubt;
        }
    }
    unit.note = u"both copies of the " + std::u16string(what) + u" fail (the first " +
                Failure(first) + u", the second " + Failure(second) + u"): they are read together";
    const std::optional<std::uint8_t> checksum = first.checksum ? first.checksum : second.checksum;
    if (inDoubt > 0) {
        unit.note +=
            u", " + Number(inDoubt) + (inDoubt == 1 ? u" byte" : u" bytes") + u" still in doubt";
    } else if (checksum && *checksum == Xor(unit.data)) {
        unit.note += u", and pass the checksum";
    } else {
        unit.note += u", and fail the checksum";
    }
    return unit;
}

ReadUnit Pair(const Block* first, const Block* second, std::u16string_view what) {
    const std::u16string name(what);
    ReadUnit unit;
    const Block& any = first != nullptr ? *first : *second;
    unit.leaderStart = any.leaderStart;
    unit.end = second != nullptr ? second->end : first->end;
    if (first != nullptr && second != nullptr) {
        if (first->Ok()) {
            unit.data = first->data;
            if (!second->Ok())
                unit.note = u"the second copy of the " + name + u" " + Failure(*second) +
                            u"; the first is read";
        } else if (second->Ok()) {
            unit.data = second->data;
            unit.note =
                u"the first copy of the " + name + u" " + Failure(*first) + u"; the second is read";
        } else {
            ReadUnit merged = Merge(*first, *second, what);
            unit.data = std::move(merged.data);
            unit.note = std::move(merged.note);
        }
        return unit;
    }
    unit.data = any.data;
    unit.note = u"the " + name + u" has no " + (first != nullptr ? u"second" : u"first") + u" copy";
    if (!any.Ok()) unit.note += u", and its only copy " + Failure(any);
    return unit;
}

class TapeClock {
  public:
    explicit TapeClock(std::uint32_t hertz) : hertz_(hertz) {}

    // "1:02.5": minutes, seconds and tenths.
    std::u16string Time(std::uint64_t cycles) const {
        const std::uint64_t tenths = cycles * 10 / hertz_;
        std::u16string text;
        AppendDecimal(text, static_cast<std::int64_t>(tenths / 600));
        text += tenths / 10 % 60 < 10 ? u":0" : u":";
        AppendDecimal(text, static_cast<std::int64_t>(tenths / 10 % 60));
        text += u'.';
        AppendDecimal(text, static_cast<std::int64_t>(tenths % 10));
        return text;
    }

    // "12.5 s"
    std::u16string Seconds(std::uint64_t cycles) const {
        const std::uint64_t tenths = cycles * 10 / hertz_;
        std::u16string text;
        AppendDecimal(text, static_cast<std::int64_t>(tenths / 10));
        text += u'.';
        AppendDecimal(text, static_cast<std::int64_t>(tenths % 10));
        return text + u" s";
    }

  private:
    std::uint64_t hertz_;
};

bool IsHeader(const ReadUnit& unit) {
    return unit.data.size() == kHeaderBlock && unit.data[0] >= 1 && unit.data[0] <= 5 &&
           unit.data[0] != 2;
}

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::u16string_view HeaderKind(std::uint8_t type) {
    switch (type) {
        case 1:
            return u"a relocatable program";
        case 3:
            return u"a program for its own address";
        default:
            return u"a data file";
    }
}

// Joins the files' notes: "; " between.
void Note(std::u16string& note, std::u16string_view text) {
    if (text.empty()) return;
    AddFault(note, text);
}

class TapeFiles {
  public:
    TapeFiles(Volume& volume, const TapeClock& clock) : volume_(volume), clock_(clock) {}

    // Makes the rows from the blocks read: a header and the data that follows it, or a block of
    // data on its own.
    void Read(const std::vector<ReadUnit>& units, std::u16string& faults) {
        std::size_t i = 0;
        while (i < units.size()) {
            const ReadUnit& unit = units[i];
            if (IsHeader(unit) && unit.data[0] == 5) {
                AddFault(faults, u"an end-of-tape marker at " + clock_.Time(unit.leaderStart));
                ++i;
            } else if (IsHeader(unit) && unit.data[0] == 4) {
                i = DataFile(units, i);
            } else if (IsHeader(unit)) {
                i = Program(units, i);
            } else {
                Headerless(unit);
                ++i;
            }
        }
    }

    std::size_t Files() const { return files_.size(); }
    std::size_t Dropped() const { return dropped_; }

    // Stores the files' data as the tape's and lists them.
    void Finish() {
        Hold(volume_, std::move(held_));
        for (PendingFile& file : files_)
            AddStoredFile(volume_, file.name, file.type, file.stored);
    }

  private:
    struct PendingFile {
        std::array<std::uint8_t, 16> name;
        std::uint8_t type;
        StoredFile stored;
    };

    std::u16string HeaderNote(const ReadUnit& header) {
        return u"Header at " + clock_.Time(header.leaderStart) + u" (type " +
               Number(header.data[0]) + u": " + std::u16string(HeaderKind(header.data[0])) + u")";
    }

    std::array<std::uint8_t, 16> NameOf(const ReadUnit& header) {
        std::array<std::uint8_t, 16> name;
        std::copy_n(header.data.begin() + 5, 16, name.begin());
        return name;
    }

    void Add(const std::array<std::uint8_t, 16>& name, std::uint8_t type,
             std::span<const std::uint8_t> data, std::optional<std::uint16_t> savedFrom,
             std::u16string note) {
        if (files_.size() == kMostFiles) {
            ++dropped_;
            return;
        }
        StoredFile stored{held_.size(), data.size(), savedFrom, std::move(note)};
        held_.insert(held_.end(), data.begin(), data.end());
        files_.push_back({name, type, std::move(stored)});
    }

    std::size_t Program(const std::vector<ReadUnit>& units, std::size_t i) {
        const ReadUnit& header = units[i];
        const std::uint16_t start = Word(header.data, 1);
        const std::uint16_t end = Word(header.data, 3);
        const std::size_t length = static_cast<std::uint16_t>(end - start);
        std::u16string note = HeaderNote(header);
        Note(note, header.note);
        const bool hasData =
            i + 1 < units.size() && (units[i + 1].data.size() == length || !IsHeader(units[i + 1]));
        if (!hasData) {
            Note(note, u"no data block follows it");
            Add(NameOf(header), 0x82, {}, start, std::move(note));
            return i + 1;
        }
        const ReadUnit& data = units[i + 1];
        note += u", data at " + clock_.Time(data.leaderStart) + u" to " + clock_.Time(data.end);
        Note(note, data.note);
        if (data.data.size() != length)
            Note(note, u"the header says " + Number(length) + u" bytes, the data block holds " +
                           Number(data.data.size()));
        Add(NameOf(header), 0x82, data.data, start, std::move(note));
        return i + 2;
    }

    // A data file: its header, then blocks of 192 bytes, each of type 2 and 191 bytes of data;
    // the file ends at its first zero byte, as the computer reads it.
    std::size_t DataFile(const std::vector<ReadUnit>& units, std::size_t i) {
        const ReadUnit& header = units[i];
        std::u16string note = HeaderNote(header);
        Note(note, header.note);
        std::vector<std::uint8_t> data;
        std::size_t blocks = 0;
        std::size_t next = i + 1;
        bool ended = false;
        std::u16string notes;
        for (; next < units.size() && units[next].data.size() == kHeaderBlock &&
               units[next].data[0] == 2;
             ++next, ++blocks) {
            if (blocks == 0) note += u", data at " + clock_.Time(units[next].leaderStart);
            Note(notes, units[next].note);
            for (std::size_t at = 1; at < kHeaderBlock && !ended; ++at) {
                if (units[next].data[at] == 0)
                    ended = true;
                else
                    data.push_back(units[next].data[at]);
            }
        }
        if (blocks == 0) {
            Note(note, u"no data block follows it");
        } else {
            note += u" to " + clock_.Time(units[next - 1].end) + u" in " + Number(blocks) +
                    (blocks == 1 ? u" block" : u" blocks");
            Note(note, notes);
        }
        Add(NameOf(header), 0x81, data, std::nullopt, std::move(note));
        return next;
    }

    void Headerless(const ReadUnit& unit) {
        const std::u16string at = clock_.Time(unit.leaderStart);
        std::u16string note =
            u"A block without a header at " + at + u" to " + clock_.Time(unit.end);
        Note(note, unit.note);
        Add(PetsciiName("DATA " + Utf16ToUtf8(at)), 0x83, unit.data, std::nullopt, std::move(note));
    }

    Volume& volume_;
    const TapeClock& clock_;
    std::vector<std::uint8_t> held_;
    std::vector<PendingFile> files_;
    std::size_t dropped_ = 0;
};

// Pairs each first copy with the second copy that follows it.
std::vector<ReadUnit> PairCopies(const std::vector<Block>& blocks) {
    std::vector<ReadUnit> units;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        const std::u16string_view what =
            block.data.size() == kHeaderBlock && block.data[0] != 2 ? u"header" : u"data";
        if (block.copy == 1 && i + 1 < blocks.size() && blocks[i + 1].copy == 2) {
            units.push_back(Pair(&block, &blocks[i + 1], what));
            ++i;
        } else if (block.copy == 1) {
            units.push_back(Pair(&block, nullptr, what));
        } else {
            units.push_back(Pair(nullptr, &block, what));
        }
    }
    return units;
}

}  // namespace

bool LooksLikeTap(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12) return false;
    const std::string_view signature(reinterpret_cast<const char*>(bytes.data()), 12);
    return signature == "C64-TAPE-RAW" || signature == "C16-TAPE-RAW";
}

std::optional<Volume> OpenTap(std::vector<std::uint8_t> bytes, std::string_view fileName) {
    if (bytes.size() < kHeaderSize || !LooksLikeTap(bytes)) return std::nullopt;
    const std::span<const std::uint8_t> tap(bytes);
    const std::uint8_t version = tap[0x0C];
    const std::uint8_t platform = tap[0] == 'C' && tap[1] == '1' ? 2 : tap[0x0D];
    const std::uint8_t video = tap[0x0E];
    const std::uint64_t declared =
        tap[0x10] | tap[0x11] << 8 | tap[0x12] << 16 | static_cast<std::uint64_t>(tap[0x13]) << 24;
    const std::uint64_t there = tap.size() - kHeaderSize;

    Volume volume;
    volume.format = "tap";
    volume.disk.diskName = AsciiUpper(VisibleUtf8(fileName));
    const TapeClock clock(ClockOf(platform, video));

    std::u16string faults;
    if (version > 2) AddFault(faults, u"its version byte is " + Number(version) + u", read as 1");
    if (declared != there)
        AddFault(faults, u"the header says " + Number(declared) +
                             u" bytes of pulses, the file holds " + Number(there));
    // A version this reader does not know is read as version 1.
    const std::uint8_t pulseVersion = version == 0 ? 0 : version == 2 ? 2 : 1;
    const PulseReader pulses(tap.subspan(kHeaderSize, std::min(declared, there)), pulseVersion);
    const Scan scan = ScanTape(pulses);
    const std::vector<ReadUnit> units = PairCopies(scan.blocks);

    TapeFiles files(volume, clock);
    std::u16string tapeNotes;
    files.Read(units, tapeNotes);

    std::u16string about =
        u"TAP version " + Number(version) + u" for the " +
        std::u16string(platform < kPlatforms.size() ? kPlatforms[platform] : u"C64") + u" (" +
        std::u16string(video < kVideo.size() ? kVideo[video] : u"PAL") + u"), " +
        clock.Time(scan.end) + u" long: " + Number(files.Files()) +
        (files.Files() == 1 ? u" file" : u" files") + u" read by the ROM loader";
    AddFault(faults, tapeNotes);
    if (!scan.unread.empty()) {
        RepeatedFault parts;
        for (const UnreadPart& part : scan.unread)
            parts.Add([&] {
                return u"the ROM loader cannot read " + clock.Time(part.start) + u" to " +
                       clock.Time(part.end) + u" (" + clock.Seconds(part.end - part.start) + u", " +
                       Number(part.pulses) + u" pulses)";
            });
        parts.AppendTo(faults, u"and ", u" more parts");
    }
    if (files.Dropped() > 0)
        AddFault(faults, u"only the first " + Number(kMostFiles) + u" files are listed");
    volume.fault = faults.empty() ? about : about + u"; " + faults;
    files.Finish();
    return volume;
}

}  // namespace kestrune
