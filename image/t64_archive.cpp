#include "image/t64_archive.h"

#include <algorithm>
#include <array>
#include <string>

#include "image/cbm_directory.h"
#include "image/faults.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::size_t kHeaderSize = 64;
constexpr std::size_t kTapeEntrySize = 32;
constexpr std::size_t kMaximumEntriesAt = 34;
constexpr std::size_t kUsedEntriesAt = 36;
constexpr std::size_t kTapeNameAt = 40;
constexpr std::size_t kTapeNameLength = 24;
// The directory's size is a 16-bit count.
constexpr std::size_t kMaximumEntries = 0xFFFF;

// Offsets inside a directory entry.
constexpr std::size_t kTapeEntryType = 0;  // 0 free, 1 a tape file, 3 a memory snapshot, ...
constexpr std::size_t kFileType = 1;       // a 1541 type byte, or 0 or 1 for a program
constexpr std::size_t kStartAddress = 2;
constexpr std::size_t kEndAddress = 4;
constexpr std::size_t kDataOffset = 8;
constexpr std::size_t kName = 16;

std::uint16_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::u16string Number(std::size_t value) {
    return Widen(std::to_string(value));
}

struct TapeFile {
    std::size_t entry;  // index in the directory
    std::uint32_t offset;
    std::uint16_t start;
    std::uint16_t end;
};

}  // namespace

bool LooksLikeT64(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view kSignature = "C64";
    return bytes.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), bytes.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::optional<Volume> OpenT64(std::vector<std::uint8_t> archive, std::string_view fileName) {
    if (!LooksLikeT64(archive) || archive.size() < kHeaderSize) return std::nullopt;
    Volume volume;
    volume.format = "t64";
    Hold(volume, std::move(archive));
    const std::span<const std::uint8_t> bytes = *volume.held;

    std::u16string tapeName = DiskNameText(bytes.subspan(kTapeNameAt, kTapeNameLength), false);
    while (!tapeName.empty() && (tapeName.back() == u' ' || tapeName.back() == u'\u00a0'))
        tapeName.pop_back();
    volume.disk.diskName = tapeName.empty() ? AsciiUpper(VisibleUtf8(fileName)) : tapeName;

    // The directory is as long as the header says, or as the used entries need, but it never
    // reaches into the first file's data or past the archive's end. A header that counts no
    // entries at all still has the entries that are there.
    const std::uint16_t slots = Word(bytes, kMaximumEntriesAt);
    const std::uint16_t used = Word(bytes, kUsedEntriesAt);
    const std::size_t said = std::max(slots, used);
    const std::size_t scanned = said > 0 ? said : kMaximumEntries;
    std::size_t directoryEnd = bytes.size();
    std::vector<TapeFile> files;
    std::size_t held = 0;
    for (; held < scanned && kHeaderSize + kTapeEntrySize * (held + 1) <= directoryEnd; ++held) {
        const std::span<const std::uint8_t> entry =
            bytes.subspan(kHeaderSize + kTapeEntrySize * held);
        if (entry[kTapeEntryType] == 0) continue;
        const std::uint32_t offset = static_cast<std::uint32_t>(
            Word(entry, kDataOffset) | (Word(entry, kDataOffset + 2) << 16));
        if (offset >= kHeaderSize + kTapeEntrySize * (held + 1))
            directoryEnd = std::min<std::size_t>(directoryEnd, offset);
        files.push_back({held, offset, Word(entry, kStartAddress), Word(entry, kEndAddress)});
    }
    if (slots > held) {
        AddFault(volume.fault, u"the directory has room for " + Number(slots) +
                                   u" entries, the archive holds " + Number(held));
    }
    if (files.size() != used) {
        AddFault(volume.fault, u"the header says " + Number(used) +
                                   u" files, the directory lists " + Number(files.size()));
    }

    // Each file's data ends at the next file's data, or at the archive's end.
    std::vector<std::uint32_t> offsets;
    for (const TapeFile& file : files)
        offsets.push_back(file.offset);
    std::sort(offsets.begin(), offsets.end());

    RepeatedFault pastTheEnd, wrongEnd;
    for (const TapeFile& file : files) {
        const std::span<const std::uint8_t> entry =
            bytes.subspan(kHeaderSize + kTapeEntrySize * file.entry);
        std::array<std::uint8_t, 16> name;
        std::copy_n(entry.begin() + kName, name.size(), name.begin());
        // Names are padded with spaces on tape; the list shows them padded as on a disk.
        for (std::size_t i = name.size(); i > 0 && name[i - 1] == 0x20; --i)
            name[i - 1] = 0xA0;
        const std::uint8_t fileType = entry[kFileType];
        const bool known = (fileType & 0x80) != 0 && (fileType & 7) <= 4;
        const std::uint8_t type = known ? static_cast<std::uint8_t>(fileType & 0x87) : 0x82;

        const auto quoted = [&] { return u"\"" + FileNameText(name) + u"\""; };
        StoredFile stored;
        if (file.offset > bytes.size()) {
            pastTheEnd.Add(
                [&] { return u"the data of " + quoted() + u" lies past the archive's end"; });
        } else {
            const auto next = std::upper_bound(offsets.begin(), offsets.end(), file.offset);
            const std::size_t limit =
                next == offsets.end() ? bytes.size() : std::min<std::size_t>(*next, bytes.size());
            const std::size_t available = limit - file.offset;
            // An end address of 0 is the end of memory, $10000.
            const std::size_t end = file.end == 0 ? 0x10000 : file.end;
            std::size_t length = end - std::min<std::size_t>(end, file.start);
            if (end < file.start || length > available) {
                length = available;
                wrongEnd.Add([&] {
                    return u"the end address of " + quoted() + u" does not match its data: " +
                           Number(length) + u" bytes read";
                });
            }
            // Every tape file was saved from memory: its bytes start with the address they came
            // from, whatever its type says (as cbmconvert writes them out too).
            stored = StoredFile{file.offset, length, file.start, {}};
        }
        AddStoredFile(volume, name, type, stored);
    }
    pastTheEnd.AppendTo(volume.fault, u"the data of ", u" more files lies past the archive's end");
    wrongEnd.AppendTo(volume.fault, u"the end addresses of ",
                      u" more files do not match their data");
    if (!volume.fault.empty()) volume.fault.insert(0, u"T64 archive: ");
    return volume;
}

}  // namespace kestrune
