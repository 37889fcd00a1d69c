#include "collection/file_record.h"

#include "image/file_chain.h"
#include "image/loader.h"
#include "text/unicode.h"
#include "viewer/disk_analysis.h"
#include "viewer/row_texts.h"
#include "viewer/show_row.h"

namespace kestrune {

namespace {

std::string Trimmed(std::u16string_view text) {
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return Utf16ToUtf8(text);
}

}  // namespace

FileRecord ReadForIndex(const std::string& path) {
    FileRecord record;
    LoadEveryImage(path, [&](const HeldImage& held) {
        ImageRecord& image = record.images.emplace_back();
        image.member = held.member;
        image.partition = held.partition;
        if (!held.bytes.empty()) image.sha1 = Sha1(held.bytes);
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
        RowTexts texts;
        for (std::size_t row = 0; row < volume.entries.size(); ++row) {
            const DirectoryEntry& entry = volume.entries[row];
            FormatRow(entry, volume.disk.isGeosDisk, texts);
            FileRow& file = image.files.emplace_back();
            file.row = static_cast<int>(row) + 1;
            file.name = Trimmed(texts[ColumnFileName]);
            file.type = Utf16ToUtf8(texts[ColumnType]);
            file.blocks = entry.blocks;
            if (entry.loadAddress) file.load = *entry.loadAddress;
            if (EntryMessage(entry)) continue;
            FileChain chain;
            ReadFile(chain, volume, entry);
            const std::span<const std::uint8_t> bytes = chain.Data();
            file.bytes.emplace(bytes.begin(), bytes.end());
            file.sha1 = Sha1(bytes);
            file.sha256 = Sha256(bytes);
        }
    });
    return record;
}

}  // namespace kestrune
