#include "cli/directory_listing.h"

#include <array>

#include "text/message.h"
#include "text/unicode.h"
#include "viewer/session.h"

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

void WriteDirectoryListing(std::ostream& out, const Session& session,
                           std::optional<Charset> charset) {
    const std::vector<std::uint8_t>& diskName = session.DiskNameBytes();
    if (charset && !diskName.empty()) {
        const C64Name name = C64NameText(diskName, *charset);
        out << "0 \"" << name.utf8 << std::string(name.width < 16 ? 16 - name.width : 0, ' ');
    } else {
        out << "0 \"" << Utf16ToUtf8(Padded(session.DiskName(), 16));
    }
    out << "\" " << Utf16ToUtf8(session.DiskId()) << ' ' << Utf16ToUtf8(session.DosType()) << '\n';
    for (int position = 0; position < session.RowCount(); ++position) {
        const RowTexts& row = session.Row(position);
        std::u16string line = Padded(Trimmed(row[ColumnSize]), 5);
        if (charset) {
            // The name's escapes pass through as they are; the padding counts what shows.
            const std::array<std::uint8_t, 16> bytes = session.RowNameBytes(position);
            const C64Name name = C64NameText(bytes, *charset);
            out << Utf16ToUtf8(line) << '"' << name.utf8 << '"'
                << std::string(name.width + 2 < 19 ? 19 - name.width - 2 : 0, ' ');
            line.clear();
        } else {
            line += Padded(u"\"" + std::u16string(Trimmed(row[ColumnFileName])) + u"\"", 19);
        }
        line += Padded(row[ColumnType], 6);
        line += Padded(row[ColumnStart], 14);
        // A file an archive holds whole lies on no track and sector.
        if (!row[ColumnTrack].empty())
            line += u"  " + row[ColumnTrack].str() + u"/" + row[ColumnSector].str();
        while (!line.empty() && line.back() == u' ')
            line.pop_back();
        if (!row[ColumnGeos].empty()) line += u"  " + row[ColumnGeos].str();
        out << Utf16ToUtf8(line) << '\n';
    }
    out << session.BlocksFree() << " blocks free.\n";
}

}  // namespace kestrune::cli
