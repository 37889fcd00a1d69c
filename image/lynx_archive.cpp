#include "image/lynx_archive.h"

#include <algorithm>
#include <array>
#include <string>

#include "image/cbm_directory.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kBlockSize = 254;
constexpr std::uint16_t kBasicStart = 0x0801;
constexpr int kMaximumStubLines = 64;
constexpr std::uint8_t kReturn = 0x0D;

// Reads the CR-ended lines of the directory, never past the archive's end.
class DirectoryReader {
  public:
    DirectoryReader(std::span<const std::uint8_t> bytes, std::size_t at) : bytes_(bytes), at_(at) {}

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

    // The 16 bytes of a name before a CR.
    std::optional<std::array<std::uint8_t, 16>> Name() {
        if (at_ + 17 > bytes_.size() || bytes_[at_ + 16] != kReturn) return std::nullopt;
        std::array<std::uint8_t, 16> name;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), 16, name.begin());
        at_ += 17;
        return name;
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_;
};

// Where the directory starts: after the BASIC program's last line (its link of 0), and a CR.
std::optional<std::size_t> DirectoryStart(std::span<const std::uint8_t> bytes) {
    std::size_t at = 2;
    for (int line = 0; line < kMaximumStubLines; ++line) {
        if (at + 2 > bytes.size()) return std::nullopt;
        const std::uint16_t link = static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
        if (link == 0) {
            at += 2;
            return at < bytes.size() && bytes[at] == kReturn ? std::optional(at + 1) : std::nullopt;
        }
        if (link < kBasicStart) return std::nullopt;
        const std::size_t next = 2 + (link - kBasicStart);
        if (next <= at) return std::nullopt;
        at = next;
    }
    return std::nullopt;
}

bool HasSignature(std::span<const std::uint8_t> line) {
    static constexpr std::string_view kLynx = "LYNX";
    return std::search(line.begin(), line.end(), kLynx.begin(), kLynx.end(),
                       [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }) !=
           line.end();
}

// The 1541 type of a type letter.
std::optional<std::uint8_t> TypeOfLetter(std::span<const std::uint8_t> line) {
    static constexpr std::array<std::pair<char, std::uint8_t>, 5> kLetters = {{
        {'D', 0x80},
        {'S', 0x81},
        {'P', 0x82},
        {'U', 0x83},
        {'R', 0x84},
    }};
    for (const std::uint8_t c : line) {
        if (c == ' ') continue;
        for (const auto& [letter, type] : kLetters) {
            if (c == letter) return type;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

bool LooksLikeLynx(std::span<const std::uint8_t> bytes) {
    const std::optional<std::size_t> start = DirectoryStart(bytes);
    if (!start) return false;
    DirectoryReader reader(bytes, *start);
    std::span<const std::uint8_t> signature;
    return reader.Number(&signature) && HasSignature(signature);
}

std::optional<Volume> OpenLynx(std::span<const std::uint8_t> bytes, std::string_view fileName) {
    const std::optional<std::size_t> start = DirectoryStart(bytes);
    if (!start) return std::nullopt;
    DirectoryReader reader(bytes, *start);
    std::span<const std::uint8_t> signature;
    const std::optional<long> directoryBlocks = reader.Number(&signature);
    const std::optional<long> fileCount = reader.Number();
    if (!directoryBlocks || !HasSignature(signature) || !fileCount) return std::nullopt;

    Volume volume;
    volume.format = "lnx";
    volume.disk.diskName = AsciiUpper(Utf8ToUtf16(fileName));
    std::size_t data = kBlockSize * static_cast<std::size_t>(*directoryBlocks);
    for (long file = 0; file < *fileCount; ++file) {
        const auto name = reader.Name();
        const auto blocks = reader.Number();
        const auto typeLine = reader.Line();
        const std::uint8_t type = typeLine ? TypeOfLetter(*typeLine).value_or(0) : 0;
        const auto recordLength = type == 0x84 ? reader.Number() : std::optional<long>(0);
        const auto lastUsed = reader.Number();
        if (!name || !blocks || type == 0 || !recordLength || !lastUsed || *blocks < 1 ||
            *lastUsed < 1 || *lastUsed > 255) {
            volume.fault = u"Lynx archive: the directory ends after " +
                           Widen(std::to_string(file)) + u" of its " +
                           Widen(std::to_string(*fileCount)) + u" files";
            break;
        }
        const std::size_t length = kBlockSize * static_cast<std::size_t>(*blocks - 1) +
                                   static_cast<std::size_t>(*lastUsed - 1);
        const std::size_t begin = std::min(data, bytes.size());
        const std::size_t end = std::min(data + length, bytes.size());
        if (end - begin < length && volume.fault.empty()) {
            volume.fault =
                u"Lynx archive: \"" + FileNameText(*name) + u"\" is cut short by the archive's end";
        }
        AddStoredFile(volume, *name, type,
                      {bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                       bytes.begin() + static_cast<std::ptrdiff_t>(end)},
                      static_cast<std::uint8_t>(*recordLength));
        volume.entries.back().blocks = static_cast<std::uint16_t>(std::min(*blocks, 0xFFFFL));
        data += kBlockSize * static_cast<std::size_t>(*blocks);
    }
    return volume;
}

}  // namespace kestrune
