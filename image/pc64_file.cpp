#include "image/pc64_file.h"

#include <array>

#include "image/path_names.h"
#include "text/unicode.h"

namespace kestrune {

namespace {

constexpr std::string_view kMagic{"C64File\0", 8};
constexpr std::size_t kNameAt = 8;
constexpr std::size_t kRecordLengthAt = 25;
constexpr std::size_t kDataAt = 26;

// The type a letter of the extension names: .D00 DEL, .S00 SEQ, .P00 PRG, .U00 USR, .R00 REL.
constexpr std::array<std::pair<char, std::uint8_t>, 5> kTypeLetters = {{
    {'d', 0x80},
    {'s', 0x81},
    {'p', 0x82},
    {'u', 0x83},
    {'r', 0x84},
}};

}  // namespace

bool LooksLikePc64File(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kMagic.size() &&
           std::equal(kMagic.begin(), kMagic.end(), bytes.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

std::optional<Volume> OpenPc64File(std::vector<std::uint8_t> bytes, std::string_view fileName) {
    if (!LooksLikePc64File(bytes) || bytes.size() < kDataAt) return std::nullopt;
    // An extension without a known letter (a file renamed) is read as a program.
    std::uint8_t type = 0x82;
    const std::string extension = AsciiLower(ExtensionOf(fileName));
    for (const auto& [letter, letterType] : kTypeLetters) {
        if (extension.size() == 4 && extension[1] == letter) type = letterType;
    }
    std::array<std::uint8_t, 16> name;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const std::uint8_t byte = bytes[kNameAt + i];
        name[i] = byte == 0 ? 0xA0 : byte;
    }
    Volume volume;
    volume.format = "p00";
    volume.disk.diskName = AsciiUpper(VisibleUtf8(fileName));
    const std::uint8_t recordLength = type == 0x84 ? bytes[kRecordLengthAt] : 0;
    Hold(volume, std::move(bytes));
    AddStoredFile(volume, name, type,
                  StoredFile{kDataAt, volume.held->size() - kDataAt, std::nullopt, {}},
                  recordLength);
    return volume;
}

}  // namespace kestrune
