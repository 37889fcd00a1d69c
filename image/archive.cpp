#include "image/archive.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "image/faults.h"
#include "image/path_names.h"
#include "text/number_text.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

// A zip archive ends with its end record, which says where the central directory is: a header
// for each member, naming it and saying where its local header (and after that its data) lies.
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaximumComment = 0xFFFF;
constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kEncrypted = 0x0001;  // general purpose flags, bit 0

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

bool IsGzip(std::span<const std::uint8_t> bytes) {
    return StartsWith(bytes, {0x1F, 0x8B});
}

// Little-endian numbers of the archive; reading past its end gives nothing.
class ZipBytes {
  public:
    explicit ZipBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Holds(std::uint64_t at, std::uint64_t length) const {
        return at <= bytes_.size() && length <= bytes_.size() - at;
    }
    std::uint64_t Number(std::uint64_t at, int length) const {
        std::uint64_t value = 0;
        for (int i = length - 1; i >= 0; --i)
            value = value << 8 | bytes_[at + static_cast<std::uint64_t>(i)];
        return value;
    }
    std::uint16_t U16(std::uint64_t at) const { return static_cast<std::uint16_t>(Number(at, 2)); }
    std::uint32_t U32(std::uint64_t at) const { return static_cast<std::uint32_t>(Number(at, 4)); }
    std::uint64_t U64(std::uint64_t at) const { return Number(at, 8); }
    std::span<const std::uint8_t> Span(std::uint64_t at, std::uint64_t length) const {
        return bytes_.subspan(at, length);
    }
    std::uint64_t size() const { return bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
};

struct ZipEntry {
    std::string name;
    std::uint64_t size = 0;  // inflated
    std::uint64_t compressedSize = 0;
    std::uint64_t localHeader = 0;
    std::uint64_t dataStart = 0;  // once its local header is read
    std::uint32_t crc = 0;
    std::uint16_t method = 0;
    std::uint16_t flags = 0;
};

// Where the central directory lies and how many headers it holds; shift is added to the offsets
// the archive gives, for an archive behind something else (a self-extracting program), which
// counts them from its own start.
struct CentralDirectory {
    std::uint64_t offset = 0;
    std::uint64_t entries = 0;
    std::uint64_t shift = 0;
};

std::optional<CentralDirectory> FindCentralDirectory(const ZipBytes& zip) {
    if (zip.size() < kEndSize) return std::nullopt;
    // The end record is the last thing in the archive but for a comment of up to 65,535 bytes.
    const std::uint64_t lowest =
        zip.size() - kEndSize - std::min<std::uint64_t>(kMaximumComment, zip.size() - kEndSize);
    for (std::uint64_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
        if (zip.U32(at) != kEndSignature) continue;
        CentralDirectory directory{zip.U32(at + 16), zip.U16(at + 10), 0};
        const std::uint64_t size = zip.U32(at + 12);
        if (at >= kZip64LocatorSize && zip.U32(at - kZip64LocatorSize) == kZip64LocatorSignature) {
            const std::uint64_t end64 = zip.U64(at - kZip64LocatorSize + 8);
            if (!zip.Holds(end64, kZip64EndSize) || zip.U32(end64) != kZip64EndSignature)
                return std::nullopt;
            return CentralDirectory{zip.U64(end64 + 48), zip.U64(end64 + 32), 0};
        }
        if (at >= size && at - size > directory.offset) {
            directory.shift = at - size - directory.offset;
            directory.offset = at - size;
        }
        return directory;
    }
    return std::nullopt;
}

// Reads the header at at into entry; false when it is not one or runs past the archive's end.
bool ReadCentralHeader(const ZipBytes& zip, std::uint64_t& at, ZipEntry& entry) {
    if (!zip.Holds(at, kCentralSize) || zip.U32(at) != kCentralSignature) return false;
    entry.flags = zip.U16(at + 8);
    entry.method = zip.U16(at + 10);
    entry.crc = zip.U32(at + 16);
    entry.compressedSize = zip.U32(at + 20);
    entry.size = zip.U32(at + 24);
    const std::uint16_t nameLength = zip.U16(at + 28);
    const std::uint16_t extraLength = zip.U16(at + 30);
    const std::uint16_t commentLength = zip.U16(at + 32);
    entry.localHeader = zip.U32(at + 42);
    const std::uint64_t name = at + kCentralSize;
    if (!zip.Holds(name, std::uint64_t{nameLength} + extraLength + commentLength)) return false;
    const auto nameBytes = zip.Span(name, nameLength);
    entry.name.assign(nameBytes.begin(), nameBytes.end());
    // Sizes and offsets too large for 32 bits are in the zip64 extra field, in this order.
    for (std::uint64_t extra = name + nameLength; extra + 4 <= name + nameLength + extraLength;) {
        const std::uint16_t id = zip.U16(extra);
        const std::uint16_t length = zip.U16(extra + 2);
        std::uint64_t field = extra + 4;
        const std::uint64_t fieldEnd = std::min(field + length, name + nameLength + extraLength);
        if (id == kZip64Extra) {
            for (std::uint64_t* value : {&entry.size, &entry.compressedSize, &entry.localHeader}) {
                if (*value != 0xFFFFFFFF || field + 8 > fieldEnd) continue;
                *value = zip.U64(field);
                field += 8;
            }
        }
        extra = fieldEnd;
    }
    at = name + nameLength + extraLength + commentLength;
    return true;
}

enum class Inflated { Whole, Cut, Damaged };

// Inflates (or, for a stored member, copies) data into out, at most limit bytes: Cut when there
// is more than that.
Inflated Inflate(std::uint16_t method, std::span<const std::uint8_t> data, std::uint64_t limit,
                 std::vector<std::uint8_t>& out) {
    out.clear();
    if (method == kStored) {
        out.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(
                                                    std::min<std::uint64_t>(data.size(), limit)));
        return data.size() > limit ? Inflated::Cut : Inflated::Whole;
    }
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return Inflated::Damaged;
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), UINT32_MAX));
    std::array<std::uint8_t, 65536> buffer;
    Inflated result = Inflated::Damaged;
    for (;;) {
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t got = buffer.size() - stream.avail_out;
        const std::size_t room = static_cast<std::size_t>(limit - out.size());
        out.insert(out.end(), buffer.data(), buffer.data() + std::min(got, room));
        if (got > room) {
            result = Inflated::Cut;
            break;
        }
        if (status == Z_STREAM_END) {
            result = Inflated::Whole;
            break;
        }
        if (status != Z_OK) break;
    }
    inflateEnd(&stream);
    return result;
}

std::u16string Quoted(std::string_view name) {
    return u"\"" + VisibleUtf8(name) + u"\"";
}

// Inflates a gzip file (its members one after the other) into out, at most kMaximumMemberSize
// bytes. Bytes after the last whole member are left, as gzip leaves them: trailing tells how
// many (a member cut short or damaged after a whole one is such bytes). False when the first
// member is damaged or the file inflates to more.
bool Gunzip(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out,
            std::size_t& trailing) {
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size(), UINT32_MAX));
    std::array<std::uint8_t, 65536> buffer;
    std::optional<std::size_t> wholeSize;  // what the whole members gave
    std::size_t wholeEnd = 0;              // where the last whole member ends
    bool done = false;
    for (;;) {
        stream.next_out = buffer.data();
        stream.avail_out = static_cast<uInt>(buffer.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t got = buffer.size() - stream.avail_out;
        if (out.size() + got > kMaximumMemberSize) break;
        out.insert(out.end(), buffer.data(), buffer.data() + got);
        if (status == Z_STREAM_END) {
            wholeSize = out.size();
            wholeEnd = static_cast<std::size_t>(stream.next_in - bytes.data());
            if (!IsGzip(bytes.subspan(wholeEnd)) || inflateReset(&stream) != Z_OK) {
                trailing = bytes.size() - wholeEnd;
                done = true;
                break;
            }
            continue;
        }
        if (status != Z_OK) {
            if (wholeSize) {
                out.resize(*wholeSize);
                trailing = bytes.size() - wholeEnd;
                done = true;
            }
            break;
        }
    }
    inflateEnd(&stream);
    return done;
}

}  // namespace

struct ArchiveListing::Zip {
    std::vector<ZipEntry> entries;  // of the members listed, by ArchiveMember::entry
};

ArchiveListing::~ArchiveListing() = default;
ArchiveListing::ArchiveListing(ArchiveListing&&) noexcept = default;

ArchiveListing::ArchiveListing(std::span<const std::uint8_t> bytes, std::string_view fileName,
                               const KeepMember& keep)
    : bytes_(bytes) {
    if (IsGzip(bytes)) {
        // A gzip file holds one member, named after the file without ".gz".
        std::string name(fileName);
        if (AsciiLower(ExtensionOf(name)) == ".gz") name.resize(name.size() - 3);
        std::vector<std::uint8_t> data;
        std::size_t trailing = 0;
        if (!Gunzip(bytes, data, trailing)) {
            fault_ = u"it is damaged or inflates to more than 64 MiB";
            return;
        }
        if (trailing > 0) {
            AddFault(fault_, GroupedDecimal(trailing) +
                                 (trailing == 1 ? u" byte after the gzip data was not read"
                                                : u" bytes after the gzip data were not read"));
        }
        if (keep(name, std::span(data).first(std::min(data.size(), kMemberHeadSize)),
                 data.size())) {
            members_.push_back({std::move(name), data.size(), 0});
            gunzipped_ = std::move(data);
        }
        return;
    }

    const ZipBytes zip(bytes);
    const std::optional<CentralDirectory> directory = FindCentralDirectory(zip);
    if (!directory) {
        fault_ = u"it is not a zip archive that can be read";
        return;
    }
    zip_ = std::make_unique<Zip>();
    std::map<std::uint64_t, std::pair<std::uint64_t, std::size_t>> taken;  // data ranges, by start
    std::vector<ZipEntry> seen;  // the members whose data is taken, by their index in taken
    RepeatedFault overlapping;
    std::vector<std::uint8_t> head;
    std::uint64_t at = directory->offset;
    for (std::uint64_t index = 0; index < directory->entries; ++index) {
        ZipEntry entry;
        if (!ReadCentralHeader(zip, at, entry)) {
            AddFault(fault_, u"its directory is damaged");
            break;
        }
        if (index == static_cast<std::uint64_t>(kMaximumMembers)) {
            AddFault(fault_, u"only its first " + GroupedDecimal(kMaximumMembers) +
                                 u" members were read; the " +
                                 GroupedDecimal(directory->entries - index) + u" from " +
                                 Quoted(entry.name) + u" on were not");
            break;
        }
        if (entry.name.empty() || entry.name.back() == '/') continue;  // a folder
        const std::u16string name = VisibleUtf8(entry.name);
        const std::uint64_t local = entry.localHeader + directory->shift;
        if (!zip.Holds(local, kLocalSize) || zip.U32(local) != kLocalSignature) {
            AddFault(fault_, name + u" cannot be read");
            continue;
        }
        entry.dataStart = local + kLocalSize + zip.U16(local + 26) + zip.U16(local + 28);
        if (!zip.Holds(entry.dataStart, entry.compressedSize)) {
            AddFault(fault_, name + u" cannot be read");
            continue;
        }
        // A member whose bytes lie inside another's (a bomb's way to inflate the same data many
        // times) is not read again.
        const std::uint64_t end = entry.dataStart + entry.compressedSize;
        auto after = taken.upper_bound(local);
        const auto overlaps = [&](auto range) {
            return range != taken.end() && range->first < end && local < range->second.first;
        };
        const auto before = after == taken.begin() ? taken.end() : std::prev(after);
        const auto other = overlaps(before) ? before : overlaps(after) ? after : taken.end();
        if (other != taken.end()) {
            const std::string& otherName = seen[other->second.second].name;
            overlapping.Add([&] {
                return Quoted(entry.name) + u" overlaps the data of " + Quoted(otherName) +
                       u" and is not read";
            });
            continue;
        }
        taken.emplace(local, std::pair(end, seen.size()));
        seen.push_back(entry);
        if (entry.size > kMaximumMemberSize) {
            AddFault(fault_, name + u" is larger than 64 MiB");
            continue;
        }
        if ((entry.flags & kEncrypted) != 0 ||
            (entry.method != kStored && entry.method != kDeflated)) {
            AddFault(fault_, name + u" cannot be read");
            continue;
        }
        const std::uint64_t headLength = std::min<std::uint64_t>(kMemberHeadSize, budget_);
        const Inflated inflated = Inflate(
            entry.method, zip.Span(entry.dataStart, entry.compressedSize), headLength, head);
        budget_ -= head.size();
        if (inflated == Inflated::Damaged || headLength < kMemberHeadSize) {
            AddFault(fault_, name + u" cannot be read");
            continue;
        }
        if (!keep(entry.name, head, entry.size)) continue;
        members_.push_back({entry.name, entry.size, zip_->entries.size()});
        zip_->entries.push_back(std::move(entry));
    }
    overlapping.AppendTo(fault_, u"",
                         u" more members overlap the data of another and are not read");
}

std::optional<std::vector<std::uint8_t>> ArchiveListing::Read(std::size_t member) {
    if (member >= members_.size()) return std::nullopt;
    if (gunzipped_) return std::move(*gunzipped_);
    const ZipEntry& entry = zip_->entries[members_[member].entry];
    const std::u16string name = VisibleUtf8(entry.name);
    std::vector<std::uint8_t> data;
    const std::uint64_t limit = std::min(kMaximumMemberSize, budget_);
    const Inflated inflated = Inflate(
        entry.method, ZipBytes(bytes_).Span(entry.dataStart, entry.compressedSize), limit, data);
    budget_ -= data.size();
    if (inflated == Inflated::Cut) {
        AddFault(fault_, name + u" is larger than 64 MiB");
        return std::nullopt;
    }
    const auto crc = crc32_z(crc32_z(0, nullptr, 0), data.data(), data.size());
    if (inflated == Inflated::Damaged || data.size() != entry.size || crc != entry.crc) {
        AddFault(fault_, name + u" cannot be read");
        return std::nullopt;
    }
    return data;
}

bool LooksLikeArchive(std::span<const std::uint8_t> bytes) {
    return IsGzip(bytes) || StartsWith(bytes, {'P', 'K', 0x03, 0x04}) ||
           StartsWith(bytes, {'P', 'K', 0x05, 0x06});
}

}  // namespace kestrune
