// Showing a directory entry: the file's chain assembled, every renderer run so
// that all five panes hold the file, and the view chosen by its start address. Rows that name no
// file to show (first track 0, a directory label of 0 blocks, GEOS files) give a message instead.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "image/file_chain.h"
#include "image/volume.h"
#include "text/marked_text.h"
#include "viewer/text_panes.h"
#include "viewer/view_mode.h"
#include "views/basic_dialects.h"
#include "views/pictures.h"

namespace kestrune {

inline constexpr std::u16string_view kNothingToDisplay = u"Nothing to display";
inline constexpr std::u16string_view kNothingToDisplayLabel =
    u"Nothing to display (directory label)";
inline constexpr std::u16string_view kPartitionMessage =
    u"1581 partition: open it (double-click or Enter) to list its files";
// What a partition row says it is: kPartitionMessage for a 1581 partition.
std::u16string_view PartitionMessage(PartitionKind kind);
std::u16string GeosFileMessage(
    std::u16string_view geosType);  // "GEOS File (%s). Unable to display."

// What the window keeps from one showing to the next.
struct ViewerState {
    FileChain fileChain;           // the file on show
    std::int32_t disasmStart = 0;  // start address of the last disassembly
    std::int32_t rangeStart = 0;   // the addresses the last disassembled file covers
    std::int32_t rangeEnd = 0;
    std::int32_t gotoAddress = 0;  // an address the disassembly is asked to begin at, 0 for none
    bool notBasic = false;         // the last BASIC listing's verdict
    bool allOpcodes = false;       // the disassembly decodes every opcode, not only documented ones
    std::optional<BasicDialect> basicDialect;  // the listing's dialect; none to detect it
    std::optional<std::size_t> paneLimit;      // the most content a text pane's text covers
};

struct RowDisplay {
    enum class Kind {
        Message,       // message: into every pane; the visible pane stays, the box reads "0"
        Full,          // every pane, the chosen view, the box's state
        AssemblyOnly,  // a requested start address: only the Assembly pane changes
    };
    Kind kind = Kind::Message;
    std::u16string message;
    std::u16string page;                // the browser pane's page
    std::optional<MarkedText> listing;  // the lines of that page when it is a BASIC listing
    std::optional<std::int32_t> sys;    // a SYS address in the listing's first line, in the file
    TextPanes panes;                    // the text panes; with AssemblyOnly only the Assembly pane
    ViewMode view = ViewBasic;
    const PictureFormat* picture = nullptr;  // the picture format the file names, if any
    bool addressBoxEnabled = false;
    std::optional<std::u16string> addressBoxText;  // the box's new text, if it changes
    std::optional<std::u16string> status;          // the status line's new text, if it changes
};

// The message a row shows in place of a file (first track 0, a directory label, a GEOS file, a
// partition that holds a directory), or nothing for a row that names a file.
std::optional<std::u16string> EntryMessage(const DirectoryEntry& entry);

// Shows the file of entry from volume. A gotoAddress above 0 in state redoes only the disassembly,
// from that address; the disassembly then clears it.
RowDisplay ShowRow(const Volume& volume, const DirectoryEntry& entry, ViewerState& state);

}  // namespace kestrune
