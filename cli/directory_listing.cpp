#include "cli/directory_listing.h"

#include "image/unicode.h"

namespace kestrune::cli {

namespace {

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

// text followed by spaces up to width characters.
std::u16string Padded(std::u16string_view text, std::size_t width) {
    std::u16string padded(text);
    if (padded.size() < width) padded.append(width - padded.size(), u' ');
    return padded;
}

}  // namespace

void WriteDirectoryListing(std::ostream& out, const DiskSession& session,
                           const std::vector<DirectoryEntry>& rows) {
    const DiskFields& disk = session.directory.disk;
    out << "0 \"" << Utf16ToUtf8(Padded(disk.diskName, 16)) << "\" " << Utf16ToUtf8(disk.diskId)
        << ' ' << Utf16ToUtf8(disk.dosType) << '\n';
    for (const DirectoryEntry& row : rows) {
        std::u16string line = Padded(Trimmed(row[ColumnSize]), 5);
        line += Padded(u"\"" + std::u16string(Trimmed(row[ColumnFileName])) + u"\"", 19);
        line += Padded(row[ColumnType], 6);
        line += Padded(row[ColumnStart], 14);
        line += u"  " + row[ColumnTrack].str() + u"/" + row[ColumnSector].str();
        if (!row[ColumnGeos].empty()) line += u"  " + row[ColumnGeos].str();
        out << Utf16ToUtf8(line) << '\n';
    }
    out << disk.blocksFree << " blocks free.\n";
    if (!rows.empty()) {
        out << '\n'
            << Utf16ToUtf8(FilesFoundMessage(Utf8ToUtf16(session.fileName), disk.diskName,
                                             static_cast<int>(rows.size()))
                               .text)
            << '\n';
    }
}

}  // namespace kestrune::cli
