#include "image/arc_archive.h"

#include <algorithm>
#include <array>
#include <string>

#include "image/cbm_directory.h"
#include "image/faults.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kBlock = 254;
constexpr std::size_t kMostFiles = 65535;
constexpr std::uint64_t kMostUnpacked = 64ull << 20;
// A file crunched in one pass says its size only after its data: it may be at most 64 KiB.
constexpr std::size_t kOnePassMost = 0x10000;
constexpr std::uint8_t kSysToken = 0x9E;
constexpr std::string_view kTypes = "PSUR";
constexpr std::array<std::uint8_t, 4> kTypeBytes = {0x82, 0x81, 0x83, 0x84};
constexpr std::uint8_t kPackedControl = 0xFE;
constexpr int kLongestCode = 24;
constexpr unsigned kEndCode = 256;
constexpr unsigned kFirstFreeCode = 258;
constexpr unsigned kMostCodes = 4096;

enum Mode : std::uint8_t { Stored, Packed, Squeezed, Crunched, SqueezedPacked, CrunchedOnePass };
constexpr std::array<std::u16string_view, 6> kModeNames = {u"Stored",
                                                           u"Packed",
                                                           u"Squeezed",
                                                           u"Crunched",
                                                           u"Squeezed and packed",
                                                           u"Crunched in one pass"};

// The bytes of an entry, read as bytes or as bits (the low bit of each byte first).
class ArcReader {
  public:
    ArcReader(std::span<const std::uint8_t> bytes, std::size_t at) : bytes_(bytes), at_(at) {}

    bool Ended() const { return ended_; }
    std::size_t Position() const { return at_; }

    std::uint8_t Byte() {
        if (at_ >= bytes_.size()) {
            ended_ = true;
            return 0;
        }
        return bytes_[at_++];
    }
    unsigned Bit() {
        if (bitsLeft_ == 0) {
            bits_ = Byte();
            bitsLeft_ = 8;
        }
        const unsigned bit = bits_ & 1;
        bits_ >>= 1;
        --bitsLeft_;
        return bit;
    }
    // count bits, the first the highest.
    std::uint32_t BitsHighFirst(int count) {
        std::uint32_t value = 0;
        while (count-- > 0)
            value = (value << 1) | Bit();
        return value;
    }
    void Fail() { ended_ = true; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_;
    unsigned bits_ = 0;
    int bitsLeft_ = 0;
    bool ended_ = false;
};

struct EntryHeader {
    std::uint8_t version = 0;
    std::uint8_t mode = 0;
    std::uint16_t check = 0;
    std::uint32_t size = 0;
    std::uint16_t blocks = 0;
    std::uint8_t type = 0;  // index into kTypes
    std::array<std::uint8_t, 16> name{};
    std::uint8_t recordLength = 0;
    std::uint8_t control = kPackedControl;
};

// Reads an entry's header; nothing where no entry starts (the archive's end, or padding).
std::optional<EntryHeader> ReadHeader(ArcReader& reader) {
    EntryHeader header;
    header.version = reader.Byte();
    header.mode = reader.Byte();
    header.check = static_cast<std::uint16_t>(reader.Byte() | reader.Byte() << 8);
    header.size = reader.Byte();
    header.size |= static_cast<std::uint32_t>(reader.Byte()) << 8;
    header.size |= static_cast<std::uint32_t>(reader.Byte()) << 16;
    header.blocks = static_cast<std::uint16_t>(reader.Byte() | reader.Byte() << 8);
    const char type = static_cast<char>(reader.Byte());
    const std::uint8_t nameLength = reader.Byte();
    if (reader.Ended() || nameLength > 16) return std::nullopt;
    header.name.fill(0xA0);
    for (std::uint8_t i = 0; i < nameLength; ++i)
        header.name[i] = reader.Byte();
    if (header.version > 1) {
        header.recordLength = reader.Byte();
        reader.Byte();  // the date, two bytes
        reader.Byte();
    }
    if (header.version == 0 || header.version > 2) return std::nullopt;
    if (header.version == 1 && header.mode > Squeezed) return std::nullopt;
    if (header.mode > CrunchedOnePass) return std::nullopt;
    if (header.mode == Packed) header.control = reader.Byte();
    const std::size_t typeIndex = kTypes.find(type);
    if (reader.Ended() || typeIndex == std::string_view::npos) return std::nullopt;
    header.type = static_cast<std::uint8_t>(typeIndex);
    return header;
}

// A Huffman code table: for each code length, its codes (read low bit first) and their bytes.
class HuffmanCodes {
  public:
    // Reads the table: for each byte value a length of 5 bits and a code of that many bits.
    bool Read(ArcReader& reader) {
        for (int value = 0; value < 256; ++value) {
            const unsigned length = reader.Bit() | reader.Bit() << 1 | reader.Bit() << 2 |
                                    reader.Bit() << 3 | reader.Bit() << 4;
            if (length > kLongestCode) return false;
            std::uint32_t code = 0;
            for (unsigned bit = 0; bit < length; ++bit)
                code |= reader.Bit() << bit;
            if (length > 0) codes_[length].push_back({code, static_cast<std::uint8_t>(value)});
        }
        for (auto& codes : codes_)
            std::sort(codes.begin(), codes.end());
        return !reader.Ended();
    }

    std::optional<std::uint8_t> Decode(ArcReader& reader) const {
        std::uint32_t code = 0;
        for (int length = 1; length <= kLongestCode && !reader.Ended(); ++length) {
            code |= reader.Bit() << (length - 1);
            const auto& codes = codes_[static_cast<std::size_t>(length)];
            const auto found = std::lower_bound(codes.begin(), codes.end(),
                                                std::pair<std::uint32_t, std::uint8_t>{code, 0});
            if (found != codes.end() && found->first == code) return found->second;
        }
        return std::nullopt;
    }

  private:
    std::array<std::vector<std::pair<std::uint32_t, std::uint8_t>>, kLongestCode + 1> codes_;
};

// LZW codes of 9 bits at first, 10 after 254 codes, 11 after 512 more, then 12; code 256 ends
// the data; the table grows by one string for each code after the first, up to 4,096.
class Uncruncher {
  public:
    // The next byte; nothing at the end code or a broken code.
    std::optional<std::uint8_t> Next(ArcReader& reader, EntryHeader& header) {
        if (!pending_.empty()) {
            const std::uint8_t byte = pending_.back();
            pending_.pop_back();
            return byte;
        }
        const unsigned code = Code(reader, header);
        if (code == kEndCode || reader.Ended()) return std::nullopt;
        if (!started_) {
            if (code > 255) return std::nullopt;
            started_ = true;
            previous_ = code;
            first_ = static_cast<std::uint8_t>(code);
            return first_;
        }
        unsigned walk = code;
        if (code >= codes_) {
            // A code that the table is about to get: the previous string and its first byte.
            pending_.push_back(first_);
            walk = previous_;
        }
        while (walk > 255) {
            if (walk >= codes_ || pending_.size() >= kMostCodes) return std::nullopt;
            pending_.push_back(table_[walk].second);
            walk = table_[walk].first;
        }
        first_ = static_cast<std::uint8_t>(walk);
        if (codes_ < kMostCodes) table_[codes_++] = {previous_, first_};
        previous_ = code >= codes_ ? codes_ - 1 : code;
        return first_;
    }

  private:
    unsigned Code(ArcReader& reader, EntryHeader& header) {
        const unsigned code = reader.BitsHighFirst(width_);
        if (code == kEndCode && header.mode == CrunchedOnePass) {
            // The checksum and size follow the end code, then 16 bits never used.
            header.check = static_cast<std::uint16_t>(reader.BitsHighFirst(16));
            header.size = reader.BitsHighFirst(24);
            reader.BitsHighFirst(16);
        }
        if (width_ < 12 && --untilWider_ == 0) {
            step_ <<= 1;
            ++width_;
            untilWider_ = step_;
        }
        return code;
    }

    std::array<std::pair<unsigned, std::uint8_t>, kMostCodes> table_{};
    std::vector<std::uint8_t> pending_;  // the rest of a string, last byte first
    unsigned codes_ = kFirstFreeCode;
    unsigned previous_ = 0;
    std::uint8_t first_ = 0;
    bool started_ = false;
    int width_ = 9;
    unsigned step_ = 256;
    unsigned untilWider_ = 254;
};

struct Unpacked {
    std::vector<std::uint8_t> bytes;
    bool whole = true;  // the data gave every byte the header counts
    bool checksumOk = true;
};

// Unpacks an entry's data, at most the bytes its header counts (for a one-pass crunch, 64 KiB).
Unpacked UnpackEntry(ArcReader& reader, EntryHeader& header, std::uint64_t room) {
    Unpacked result;
    HuffmanCodes huffman;
    const bool squeezed = header.mode == Squeezed || header.mode == SqueezedPacked;
    if (squeezed && !huffman.Read(reader)) reader.Fail();
    Uncruncher uncruncher;
    const auto next = [&]() -> std::optional<std::uint8_t> {
        switch (header.mode) {
            case Stored:
            case Packed: {
                const std::uint8_t byte = reader.Byte();
                if (reader.Ended()) return std::nullopt;
                return byte;
            }
            case Squeezed:
            case SqueezedPacked:
                return huffman.Decode(reader);
            default:
                return uncruncher.Next(reader, header);
        }
    };
    const bool runs = header.mode != Stored && header.mode != Squeezed;
    std::uint64_t target = header.mode == CrunchedOnePass ? kOnePassMost : header.size;
    target = std::min(target, room);
    std::vector<std::uint8_t>& out = result.bytes;
    while (out.size() < target) {
        std::optional<std::uint8_t> byte = next();
        if (!byte) break;
        std::size_t count = 1;
        if (runs && *byte == header.control) {
            const std::optional<std::uint8_t> repeat = next();
            byte = next();
            if (!repeat || !byte) break;
            count = *repeat != 0 ? *repeat : header.version == 1 ? 255 : 256;
        }
        out.insert(out.end(), std::min<std::uint64_t>(count, target - out.size()), *byte);
    }
    if (header.mode == CrunchedOnePass && out.size() > header.size) out.resize(header.size);
    result.whole = out.size() >= header.size;
    std::uint32_t sum = 0;
    std::uint8_t step = 0;
    for (const std::uint8_t byte : out)
        sum += header.version == 1 ? byte : static_cast<std::uint8_t>(byte ^ ++step);
    result.checksumOk = (sum & 0xFFFF) == header.check;
    return result;
}

// Where the first entry starts: after an SDA's BASIC program, or at once; nothing when the bytes
// start no archive.
std::optional<std::size_t> FirstEntry(std::span<const std::uint8_t> bytes, bool& sda) {
    sda = false;
    if (bytes.size() < 2) return std::nullopt;
    if (bytes[0] == 2) return 0;
    if (bytes[0] != 1) return std::nullopt;
    if (bytes.size() < 9 || bytes[6] != kSysToken) return 0;
    sda = true;
    // The line number counts the program's blocks with the load address's block and five more.
    const int line = bytes[4] | bytes[5] << 8;
    if (line < 6) return std::nullopt;
    std::size_t skip = static_cast<std::size_t>(line - 6) * kBlock;
    // SDA 2.32 for the C128 is one byte shorter.
    if (line == 15 && bytes[8] == '7') --skip;
    return skip;
}

std::u16string Number(std::uint64_t value) {
    return GroupedDecimal(value);
}

}  // namespace

bool LooksLikeArc(std::span<const std::uint8_t> bytes) {
    bool sda = false;
    const std::optional<std::size_t> first = FirstEntry(bytes, sda);
    if (!first || *first >= bytes.size()) return false;
    ArcReader reader(bytes, *first);
    return ReadHeader(reader).has_value();
}

std::optional<Volume> OpenArc(std::vector<std::uint8_t> bytes, std::string_view fileName) {
    bool sda = false;
    const std::optional<std::size_t> first = FirstEntry(bytes, sda);
    if (!first || *first >= bytes.size()) return std::nullopt;
    Volume volume;
    volume.format = sda ? "sda" : "arc";
    volume.disk.diskName = AsciiUpper(VisibleUtf8(fileName));

    struct Pending {
        EntryHeader header;
        StoredFile stored;
    };
    std::vector<Pending> files;
    std::vector<std::uint8_t> held;
    std::u16string faults;
    RepeatedFault checksums;
    RepeatedFault cut;
    std::size_t at = *first;
    while (at < bytes.size()) {
        ArcReader reader(bytes, at);
        std::optional<EntryHeader> header = ReadHeader(reader);
        if (!header) break;
        if (files.size() == kMostFiles) {
            AddFault(faults, u"only the first " + Number(kMostFiles) + u" files are listed");
            break;
        }
        const std::uint64_t room = kMostUnpacked - held.size();
        Unpacked unpacked = UnpackEntry(reader, *header, room);
        const std::u16string quoted = u"\"" + FileNameText(header->name) + u"\"";
        if (!unpacked.whole) {
            cut.Add([&] {
                return quoted + u" unpacks to " + Number(unpacked.bytes.size()) + u" of its " +
                       Number(header->size) + u" bytes";
            });
        } else if (!unpacked.checksumOk) {
            checksums.Add([&] { return quoted + u" fails its checksum"; });
        }
        // A one-pass crunch counts its blocks from where its data ended.
        std::size_t blocks = header->blocks;
        if (header->mode == CrunchedOnePass)
            blocks = (reader.Position() - at + kBlock - 1) / kBlock;
        std::u16string note = std::u16string(kModeNames[header->mode]) + u" in the archive: " +
                              Number(blocks) + (blocks == 1 ? u" block" : u" blocks");
        files.push_back(
            {*header, {held.size(), unpacked.bytes.size(), std::nullopt, std::move(note)}});
        held.insert(held.end(), unpacked.bytes.begin(), unpacked.bytes.end());
        if (held.size() >= kMostUnpacked) {
            AddFault(faults, u"only the first " + Number(kMostUnpacked >> 20) +
                                 u" MiB of unpacked files are read");
            break;
        }
        if (blocks == 0) {
            AddFault(faults, quoted + u" takes no block, so no entry can follow it");
            break;
        }
        at += blocks * kBlock;
    }
    cut.AppendTo(faults, u"", u" more files are cut short");
    checksums.AppendTo(faults, u"", u" more files fail their checksums");

    Hold(volume, std::move(held));
    for (const Pending& file : files)
        AddStoredFile(volume, file.header.name, kTypeBytes[file.header.type], file.stored,
                      file.header.recordLength);
    const std::u16string about = std::u16string(sda ? u"SDA (self-dissolving ARC)" : u"ARC") +
                                 u" archive: " + Number(files.size()) +
                                 (files.size() == 1 ? u" file" : u" files");
    volume.fault = faults.empty() ? about : about + u"; " + faults;
    return volume;
}

}  // namespace kestrune
