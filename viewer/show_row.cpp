#include "viewer/show_row.h"

#include <array>

#include "text/number_text.h"
#include "text/unicode.h"
#include "viewer/row_texts.h"
#include "views/basic_listing.h"
#include "views/disassembly.h"
#include "views/pages.h"

namespace kestrune {

namespace {

RowDisplay Message(std::u16string text) {
    RowDisplay display;
    display.kind = RowDisplay::Kind::Message;
    display.message = std::move(text);
    display.addressBoxText = u"0";
    return display;
}

std::u16string Decimal(std::int32_t value) {
    std::u16string text;
    AppendDecimal(text, value);
    return text;
}

// Plans the disassembly, keeps what the window remembers of it, and makes the panes of the file.
TextPanes Panes(ViewerState& state, RowDisplay& display) {
    const DisassemblyPane pane = DisplayDisassembly(state.fileChain, state.gotoAddress);
    state.disasmStart = pane.disasmStart;
    state.rangeStart = pane.rangeStart;
    state.rangeEnd = pane.rangeEnd;
    state.gotoAddress = 0;
    if (!pane.fromRequest) display.addressBoxText = Decimal(pane.disasmStart);
    return TextPanes(state.fileChain.storage, state.fileChain.Content(),
                     state.fileChain.startAddress, pane.first, state.allOpcodes, state.paneLimit);
}

}  // namespace

std::u16string_view PartitionMessage(PartitionKind kind) {
    static constexpr std::array<std::u16string_view, 6> kMessages = {
        kPartitionMessage,
        u"CMD native partition: open it (double-click or Enter) to list its files",
        u"CMD 1541 emulation partition: open it (double-click or Enter) to list its files",
        u"CMD 1571 emulation partition: open it (double-click or Enter) to list its files",
        u"CMD 1581 emulation partition: open it (double-click or Enter) to list its files",
        u"Subdirectory: open it (double-click or Enter) to list its files",
    };
    return kMessages[static_cast<std::size_t>(kind)];
}

std::u16string GeosFileMessage(std::u16string_view geosType) {
    return u"GEOS File (" + std::u16string(geosType) + u"). Unable to display.";
}

std::optional<std::u16string> EntryMessage(const DirectoryEntry& entry) {
    // A file an archive holds whole has no track: it is always there to show.
    if (entry.storedFile) return std::nullopt;
    if (entry.partition) return std::u16string(PartitionMessage(entry.partitionKind));
    if (entry.track == 0) return std::u16string(kNothingToDisplay);
    // A directory label has no blocks; a file with blocks that starts on the directory track is
    // shown like any other.
    if (entry.track == entry.directoryTrack && entry.blocks == 0)
        return std::u16string(kNothingToDisplayLabel);
    if (!GeosTypeName(entry.geosType).empty()) return GeosFileMessage(GeosTypeName(entry.geosType));
    return std::nullopt;
}

RowDisplay ShowRow(const Volume& volume, const DirectoryEntry& entry, ViewerState& state) {
    if (std::optional<std::u16string> message = EntryMessage(entry))
        return Message(std::move(*message));

    FileChain& chain = state.fileChain;
    ReadFile(chain, volume, entry);
    chain.hasLoadAddress = entry.loadAddress.has_value();
    chain.startAddress = entry.loadAddress.value_or(0);

    RowDisplay display;
    if (state.gotoAddress > 0) {
        display.kind = RowDisplay::Kind::AssemblyOnly;
        display.panes = Panes(state, display);
        return display;
    }

    display.kind = RowDisplay::Kind::Full;
    display.page = std::u16string(kNotBasicPage);
    if (chain.startAddress > 0) {
        // The program follows its two-byte load address.
        const auto data = chain.Data();
        BasicListing listing =
            ListBasic(data.subspan(std::min<std::size_t>(2, data.size())), state.basicDialect);
        state.notBasic = listing.notBasic;
        if (listing.lines) {
            const auto sys = FirstLineSys(data.subspan(std::min<std::size_t>(2, data.size())));
            const std::int32_t last = chain.startAddress + chain.ContentLength() - 1;
            if (sys && *sys >= chain.startAddress && *sys <= last) display.sys = sys;
            display.page = ListingPage(*listing.lines);
            display.listing = std::move(listing.lines);
            // A dialect other than V2 is named: "BASIC program (BASIC 7.0)".
            display.status = std::u16string(kBasicProgramStatus);
            if (listing.dialect != BasicDialect::V2) {
                display.status->append(u" (");
                AppendWidened(*display.status,
                              kBasicDialectNames[static_cast<int>(listing.dialect)]);
                display.status->append(u")");
            }
        }
    }
    display.panes = Panes(state, display);

    display.view = ChooseView(chain.startAddress, state.notBasic);
    // A file whose load address and length name a picture format opens as that picture.
    display.picture = DetectPicture(
        chain.hasLoadAddress ? std::optional<std::int32_t>(chain.startAddress) : std::nullopt,
        chain.Content());
    if (display.picture != nullptr) display.view = ViewPicture;
    if (display.view == ViewAssembly || display.view == ViewPicture) {
        // Machine code or a picture: the listing, had it worked, would only be a misreading.
        display.page = std::u16string(kNotBasicPage);
        display.listing.reset();
        display.addressBoxEnabled = display.view == ViewAssembly;
    }
    if (display.view == ViewPicture) {
        display.sys.reset();
        display.status.reset();
    }
    // A tape says where it holds the file and how it was read.
    if (entry.storedFile) {
        const std::u16string& note = volume.storedFiles.at(*entry.storedFile).note;
        if (!note.empty()) display.status = display.status ? *display.status + u"; " + note : note;
    }
    return display;
}

}  // namespace kestrune
