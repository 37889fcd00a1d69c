#include "viewer/row_texts.h"

#include "image/directory.h"
#include "text/charsets.h"
#include "text/number_text.h"

namespace kestrune {

namespace {

constexpr std::array<std::u16string_view, 5> kTypeNames = {u"del", u"seq", u"prg", u"usr", u"rel"};
constexpr std::u16string_view kPartitionTypeName = u"cbm";
constexpr std::u16string_view kSubdirectoryTypeName = u"dir";

constexpr std::array<std::u16string_view, 15> kGeosTypeNames = {
    u"",                       // 0: no GEOS file
    u"",                       // 1
    u"Assembler file",         // 2
    u"Data file",              // 3
    u"System file",            // 4
    u"Desk Accessory",         // 5
    u"Application",            // 6
    u"Application data",       // 7
    u"Font file",              // 8
    u"Printer driver",         // 9
    u"Input driver",           // 10
    u"Disk driver or device",  // 11
    u"System boot file",       // 12
    u"Temporary file",         // 13
    u"Auto-Execute file",      // 14
};

char16_t* PutTypeText(char16_t* out, std::uint8_t type) {
    const int code = type & 7;
    if (code >= static_cast<int>(kTypeNames.size())) {
        *out++ = u'?';
        return out;
    }
    if ((type & 0x80) == 0) *out++ = u'*';
    out = std::copy(kTypeNames[code].begin(), kTypeNames[code].end(), out);
    if (type & 0x40) *out++ = u'<';
    return out;
}

char16_t* PutStartText(char16_t* out, std::uint16_t load) {
    out = PutDecimal(out, load, 6);
    out = std::copy_n(u" ($", 3, out);
    out = PutHex(out, load, 4, true);
    *out++ = u')';
    return out;
}

}  // namespace

std::u16string_view GeosTypeName(std::uint8_t geosType) {
    return geosType < kGeosTypeNames.size() ? kGeosTypeNames[geosType] : std::u16string_view();
}

void FormatRow(const DirectoryEntry& entry, bool geosDisk, RowTexts& row) {
    const char16_t* const table = geosDisk ? GeosNameTable : PetsciiTable;
    char16_t text[CellText::kCapacity];
    row[ColumnSize].assign(text, PutDecimal(text, entry.blocks, 4));
    for (std::size_t i = 0; i < entry.name.size(); ++i)
        text[i] = table[entry.name[i]];
    row[ColumnFileName].assign(text, entry.name.size());
    // A 1581 partition that holds a directory is named by its type; other type 5 entries read "?".
    if (entry.partition) {
        row[ColumnType] = entry.partitionKind == PartitionKind::Subdirectory ? kSubdirectoryTypeName
                                                                            : kPartitionTypeName;
    } else {
        row[ColumnType].assign(text, PutTypeText(text, entry.type));
    }
    if (entry.loadAddress) {
        row[ColumnStart].assign(text, PutStartText(text, *entry.loadAddress));
    } else {
        row[ColumnStart].clear();
    }
    if (entry.storedFile) {
        // A file an archive holds whole lies on no track.
        row[ColumnTrack].clear();
        row[ColumnSector].clear();
    } else {
        row[ColumnTrack].assign(text, PutHex(text, entry.track, 2, true));
        row[ColumnSector].assign(text, PutHex(text, entry.sector, 2, true));
    }
    row[ColumnGeos] = GeosTypeName(entry.geosType);
}

}  // namespace kestrune
