#include "collection/file_record.h"

#include <algorithm>
#include <array>

#include "image/file_chain.h"
#include "image/loader.h"
#include "text/number_text.h"
#include "text/unicode.h"
#include "viewer/disk_analysis.h"
#include "viewer/row_texts.h"
#include "viewer/show_row.h"
#include "views/basic_listing.h"
#include "views/text_views.h"

namespace kestrune {

namespace {

std::string Trimmed(std::u16string_view text) {
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return Utf16ToUtf8(text);
}

std::string Grouped(std::size_t value) {
    return Utf16ToUtf8(GroupedDecimal(value));
}

// Cuts text to at most kMostTextBytes, at a character's start.
std::string Capped(std::string text) {
    if (text.size() <= kMostTextBytes) return text;
    std::size_t end = kMostTextBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    text.resize(end);
    return text;
}

}  // namespace

std::string SearchText(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > 2) {
        const BasicListing listing = ListBasic(bytes.subspan(2));
        if (listing.lines) {
            std::u16string text;
            for (std::size_t line = 0;
                 line < listing.lines->LineCount() && text.size() < kMostTextBytes; ++line) {
                for (auto run = listing.lines->LineBegin(line); run != listing.lines->LineEnd(line);
                     ++run)
                    text += listing.lines->Text(*run);
                text += u'\n';
            }
            return Capped(Utf16ToUtf8(text));
        }
    }
    // Counted through a table: on bytes that are no text, a test for each byte mispredicts.
    static constexpr std::array<std::uint8_t, 256> kPrintable = [] {
        std::array<std::uint8_t, 256> printable{};
        for (int byte = 0; byte < 256; ++byte)
            printable[byte] = byte == 0x0D || (byte >= 0x20 && byte < 0x80) || byte >= 0xA0;
        return printable;
    }();
    std::size_t printable = 0;
    for (const std::uint8_t byte : bytes)
        printable += kPrintable[byte];
    if (bytes.empty() || printable * 10 < bytes.size() * 9) return {};
    return Capped(Utf16ToUtf8(PetsciiText(bytes.first(std::min(bytes.size(), kMostTextBytes)))));
}

std::vector<FileRow> FileRows(const Volume& volume, std::size_t mostRows,
                              std::size_t& withoutBytes) {
    std::vector<FileRow> files;
    RowTexts texts;
    std::size_t bytes = 0;
    withoutBytes = 0;
    for (std::size_t row = 0; row < std::min(mostRows, volume.entries.size()); ++row) {
        const DirectoryEntry& entry = volume.entries[row];
        FormatRow(entry, volume.disk.isGeosDisk, texts);
        FileRow& file = files.emplace_back();
        file.row = static_cast<int>(row) + 1;
        file.name = Trimmed(texts[ColumnFileName]);
        file.type = Utf16ToUtf8(texts[ColumnType]);
        file.blocks = entry.blocks;
        if (entry.loadAddress) file.load = *entry.loadAddress;
        if (EntryMessage(entry)) continue;
        if (withoutBytes > 0) {
            ++withoutBytes;
            continue;
        }
        FileChain chain;
        ReadFile(chain, volume, entry);
        if (bytes + chain.Data().size() > kMostImageFileBytes) {
            withoutBytes = 1;
            continue;
        }
        bytes += chain.Data().size();
        file.bytes.emplace(chain.Data().begin(), chain.Data().end());
    }
    return files;
}

FileRecord ReadForIndex(const std::string& path) {
    FileRecord record;
    const auto sha1 = [](std::span<const std::uint8_t> bytes) {
        const Sha1Digest digest = Sha1(bytes);
        return std::string(digest.begin(), digest.end());
    };
    LoadEveryImage(
        path,
        [&](const HeldImage& held) {
            ImageRecord& image = record.images.emplace_back();
            image.member = held.member;
            image.partition = held.partition;
            if (held.size > 0) {
                image.sha1.emplace();
                std::copy(held.digest.begin(), held.digest.end(), image.sha1->begin());
            }
            if (!held.volume) {
                image.error = held.message ? Utf16ToUtf8(held.message->text) : std::string();
                return;
            }
            const Volume& volume = *held.volume;
            image.format = volume.format;
            image.diskName = Trimmed(volume.disk.diskName);
            image.diskId = Utf16ToUtf8(volume.disk.diskId);
            image.findings =
                static_cast<std::int64_t>(AnalyseDisk(volume, volume.entries).findings.size());
            std::size_t withoutBytes = 0;
            image.files = FileRows(volume, kMostIndexedRows, withoutBytes);
            std::vector<std::string> leftOut;
            if (volume.entries.size() > kMostIndexedRows) {
                leftOut.push_back("only the first " + Grouped(kMostIndexedRows) + " of its " +
                                  Grouped(volume.entries.size()) + " rows are indexed");
            }
            if (withoutBytes > 0) {
                leftOut.push_back("the bytes of " + Grouped(withoutBytes) +
                                  (withoutBytes == 1 ? " file are" : " files are") +
                                  " left out, past the " + Grouped(kMostImageFileBytes >> 20) +
                                  " MiB an image's files are read to");
            }
            if (!leftOut.empty()) {
                image.note = leftOut.front();
                if (leftOut.size() > 1) *image.note += "; " + leftOut.back();
            }
            for (FileRow& file : image.files) {
                if (!file.bytes) continue;
                file.sha1 = Sha1(*file.bytes);
                file.sha256 = Sha256(*file.bytes);
                file.text = SearchText(*file.bytes);
            }
        },
        sha1);
    return record;
}

}  // namespace kestrune
