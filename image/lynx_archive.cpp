#include "image/lynx_archive.h"

#include <algorithm>
#include <array>
#include <string>

#include "image/cbm_directory.h"
#include "image/faults.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kBlockSize = 254;
// The BASIC program in front of the directory ends with its last line's 0, the end link 0 0 and a
// CR, within this many bytes.
constexpr std::size_t kStubSearch = 1024;
constexpr std::uint8_t kReturn = 0x0D;
// No disk holds more files; an archive that claims more is read no further.
constexpr long kMaximumFiles = 0xFFFF;

// Reads the CR-ended lines of the directory, never past its end.
class DirectoryReader {
  public:
    DirectoryReader(std::span<const std::uint8_t> bytes, std::size_t at) : bytes_(bytes), at_(at) {}

    // The directory takes this many bytes from the archive's start.
    void EndAt(std::size_t end) { bytes_ = bytes_.first(std::min(end, bytes_.size())); }

    std::optional<std::span<const std::uint8_t>> Line() {
        if (at_ >= bytes_.size()) return std::nullopt;
        const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(at_);
        const auto end = std::find(begin, bytes_.end(), kReturn);
        if (end == bytes_.end()) return std::nullopt;
        const std::span<const std::uint8_t> line(begin, end);
        at_ += line.size() + 1;
        return line;
    }

    // A line holding a number between spaces, and whatever follows it.
    std::optional<long> Number(std::span<const std::uint8_t>* rest = nullptr) {
        const auto line = Line();
        if (!line) return std::nullopt;
        std::size_t i = 0;
        while (i < line->size() && (*line)[i] == ' ')
            ++i;
        long value = 0;
        const std::size_t digits = i;
        while (i < line->size() && (*line)[i] >= '0' && (*line)[i] <= '9' && value < 1000000)
            value = value * 10 + ((*line)[i++] - '0');
        if (i == digits) return std::nullopt;
        if (rest) *rest = line->subspan(i);
        return value;
    }

    // A name of up to 16 bytes before a CR, padded with shifted spaces.
    std::optional<std::array<std::uint8_t, 16>> Name() {
        const auto line = Line();
        if (!line || line->size() > 16) return std::nullopt;
        std::array<std::uint8_t, 16> name;
        name.fill(0xA0);
        std::copy(line->begin(), line->end(), name.begin());
        return name;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_;
};

// Where the directory starts: after the BASIC program's last line, its end link and a CR.
std::optional<std::size_t> DirectoryStart(std::span<const std::uint8_t> bytes) {
    static constexpr std::array<std::uint8_t, 4> kStubEnd = {0, 0, 0, kReturn};
    const auto area = bytes.first(std::min(kStubSearch, bytes.size()));
    const auto found = std::search(area.begin(), area.end(), kStubEnd.begin(), kStubEnd.end());
    if (found == area.end()) return std::nullopt;
    return static_cast<std::size_t>(found - area.begin()) + kStubEnd.size();
}

bool HasSignature(std::span<const std::uint8_t> line) {
    static constexpr std::string_view kLynx = "LYNX";
    return std::search(line.begin(), line.end(), kLynx.begin(), kLynx.end(),
                       [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }) !=
           line.end();
}

constexpr std::uint8_t kRelType = 0x84;

// The 1541 type of a type letter; an unknown letter is read as DEL, as cbmconvert reads it.
std::optional<std::uint8_t> TypeOfLetter(std::span<const std::uint8_t> line) {
    static constexpr std::array<std::pair<char, std::uint8_t>, 5> kLetters = {{
        {'D', 0x80},
        {'S', 0x81},
        {'P', 0x82},
        {'U', 0x83},
        {'R', kRelType},
    }};
    for (const std::uint8_t c : line) {
        if (c == ' ') continue;
        for (const auto& [letter, type] : kLetters) {
            if (c == letter) return type;
        }
        return 0x80;
    }
    return std::nullopt;
}

// A REL file is stored with its side sectors before its data: one side sector for every 120
// data blocks. Its directory count holds both; nothing when no number of side sectors fits it.
std::optional<long> SideSectors(long blocks) {
    const long sideSectors = (blocks + 119) / 121;
    if (sideSectors == 0 || blocks < 121 * sideSectors - 119 || blocks > 121 * sideSectors)
        return std::nullopt;
    return sideSectors;
}

}  // namespace

bool LooksLikeLynx(std::span<const std::uint8_t> bytes) {
    const std::optional<std::size_t> start = DirectoryStart(bytes);
    if (!start) return false;
    DirectoryReader reader(bytes, *start);
    std::span<const std::uint8_t> signature;
    return reader.Number(&signature) && HasSignature(signature);
}

std::optional<Volume> OpenLynx(std::vector<std::uint8_t> archive, std::string_view fileName) {
    const std::optional<std::size_t> start = DirectoryStart(archive);
    if (!start) return std::nullopt;
    DirectoryReader reader(archive, *start);
    std::span<const std::uint8_t> signature;
    const std::optional<long> directoryBlocks = reader.Number(&signature);
    const std::optional<long> fileCount = reader.Number();
    if (!directoryBlocks || !HasSignature(signature) || !fileCount) return std::nullopt;

    Volume volume;
    volume.format = "lnx";
    volume.disk.diskName = AsciiUpper(VisibleUtf8(fileName));
    Hold(volume, std::move(archive));
    const std::size_t size = volume.held->size();
    std::size_t data = kBlockSize * static_cast<std::size_t>(*directoryBlocks);
    // The directory lies in the blocks before the data.
    reader.EndAt(data);
    std::u16string& fault = volume.fault;
    const long files = std::min(*fileCount, kMaximumFiles);
    for (long file = 0; file < files; ++file) {
        const auto name = reader.Name();
        const auto blocks = reader.Number();
        const auto typeLine = reader.Line();
        const std::uint8_t type = typeLine ? TypeOfLetter(*typeLine).value_or(0) : 0;
        const bool rel = type == kRelType;
        const auto recordLength = rel ? reader.Number() : std::optional<long>(0);
        const bool described = name && blocks && type != 0 && recordLength;
        std::optional<long> lastUsed = described ? reader.Number() : std::nullopt;
        const auto quoted = [&] { return u"\"" + FileNameText(*name) + u"\""; };
        // The last file's count of bytes in its last block is left out by some writers: its last
        // block is then taken whole.
        if (described && !lastUsed && file + 1 == *fileCount && *blocks > 0) {
            lastUsed = 255;
            AddFault(fault, u"the directory does not say how long " + quoted() +
                                u" is: its last block is read whole");
        }
        const std::optional<long> sideSectors =
            described && rel ? SideSectors(*blocks) : std::optional<long>(0);
        if (!lastUsed || !sideSectors || *blocks < 0 ||
            (*blocks > 0 && (*lastUsed < 2 || *lastUsed > 255)) ||
            (*blocks == 0 && *lastUsed != 0)) {
            AddFault(fault, u"the directory ends after " + Widen(std::to_string(file)) +
                                u" of its " + Widen(std::to_string(*fileCount)) + u" files");
            break;
        }
        data += kBlockSize * static_cast<std::size_t>(*sideSectors);
        const long dataBlocks = *blocks - *sideSectors;
        const std::size_t length = dataBlocks > 0
                                       ? kBlockSize * static_cast<std::size_t>(dataBlocks - 1) +
                                             static_cast<std::size_t>(*lastUsed - 1)
                                       : 0;
        const std::size_t begin = std::min(data, size);
        const std::size_t end = std::min(data + length, size);
        if (end - begin < length) AddFault(fault, quoted() + u" is cut short by the archive's end");
        AddStoredFile(volume, *name, type, StoredFile{begin, end - begin, std::nullopt, {}},
                      static_cast<std::uint8_t>(*recordLength));
        volume.entries.back().blocks = static_cast<std::uint16_t>(std::min(*blocks, 0xFFFFL));
        data += kBlockSize * static_cast<std::size_t>(std::max(dataBlocks, 0L));
    }
    if (*fileCount > kMaximumFiles) {
        AddFault(fault, u"it claims " + GroupedDecimal(static_cast<std::uint64_t>(*fileCount)) +
                            u" files; the first " + GroupedDecimal(kMaximumFiles) + u" are read");
    }
    if (!fault.empty()) fault.insert(0, u"Lynx archive: ");
    return volume;
}

}  // namespace kestrune
