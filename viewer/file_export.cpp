#include "viewer/file_export.h"

#include <array>
#include <string_view>

#include "image/volume.h"
#include "text/unicode.h"
#include "viewer/row_texts.h"

namespace kestrune {

namespace {

constexpr std::array<std::string_view, 5> kNativeExtensions = {".del", ".seq", ".prg", ".usr",
                                                               ".rel"};
constexpr std::array<std::string_view, 5> kContainerExtensions = {".d00", ".s00", ".p00", ".u00",
                                                                  ".r00"};
constexpr std::string_view kContainerMagic{"C64File\0", 8};

}  // namespace

std::vector<std::uint8_t> P00Container(const DirectoryEntry& entry,
                                       const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> container;
    container.reserve(kContainerMagic.size() + entry.name.size() + 2 + bytes.size());
    for (const char c : kContainerMagic)
        container.push_back(static_cast<std::uint8_t>(c));
    for (const std::uint8_t b : entry.name)
        container.push_back(b);
    container.push_back(0x00);
    container.push_back((entry.type & 7) == 4 ? entry.recordLength : 0x00);
    container.insert(container.end(), bytes.begin(), bytes.end());
    return container;
}

std::string ExportFileName(const DirectoryEntry& entry, bool geosDisk, ExportFormat format) {
    RowTexts row;
    FormatRow(entry, geosDisk, row);
    std::u16string name(row[ColumnFileName].view());
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    for (char16_t& c : name) {
        if (c == u'/' || c < 0x20 || c == 0x7F) c = u'_';
    }
    if (name.empty() || name.front() == u'.') name.insert(name.begin(), u'_');
    const int code = entry.type & 7;
    const std::string_view extension =
        code < 5
            ? (format == ExportFormat::P00 ? kContainerExtensions[code] : kNativeExtensions[code])
            : (format == ExportFormat::P00 ? std::string_view(".p00") : std::string_view(".prg"));
    return Utf16ToUtf8(name) + std::string(extension);
}

}  // namespace kestrune
