// The views of a file, one row each: the buttons, the View menu, kestrune-cli's --as names and
// its JSON, and Export all read this table. A new view is its renderer and one row.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "text/text_sink.h"
#include "viewer/view_mode.h"

namespace kestrune {

// What a view's pane is: the browser's page (the BASIC listing), a text, a picture, or the
// disk's sector map.
enum class PaneKind { Page, Text, Picture, Disk };

// What a text pane is made from: the file's content at its addresses, where its disassembly
// begins and which opcodes it decodes, and how much of the content the text covers (for the
// disassembly, how much from where it begins).
struct PaneSource {
    std::span<const std::uint8_t> content;
    std::int32_t start = 0;
    std::size_t disassemblyFrom = 0;
    bool allOpcodes = false;
    std::size_t limit = SIZE_MAX;
};

// How a text pane's text is made: as UTF-16 for the panes, as UTF-8 for files and the terminal,
// and the PETSCII code each character stands for (no function for a pane without codes). A byte
// of content makes about textPerByte bytes of text.
struct TextRenderer {
    bool (*write)(const PaneSource& source, const TextSink& sink);
    bool (*writeUtf8)(const PaneSource& source, const Utf8Sink& sink);
    std::vector<std::int16_t> (*codes)(const PaneSource& source);
    std::uint64_t textPerByte;
};

struct ViewRow {
    ViewMode view;
    std::string_view key;    // kestrune-cli's --as name and the key of its pane in JSON
    std::string_view label;  // the button's and the View menu's text, & before its key
    PaneKind pane;
    const TextRenderer* text;  // for text panes
};

extern const TextRenderer AssemblyRenderer;
extern const TextRenderer HexRenderer;
extern const TextRenderer PetsciiRenderer;
extern const TextRenderer ScrCodeRenderer;

// clang-format off
inline constexpr std::array<ViewRow, kViewCount> ViewTable = {{
    {ViewBasic,    "basic",    "&BASIC",     PaneKind::Page,    nullptr},
    {ViewAssembly, "assembly", "&Assembly",  PaneKind::Text,    &AssemblyRenderer},
    {ViewHex,      "hex",      "HE&X/ASCII", PaneKind::Text,    &HexRenderer},
    {ViewPetscii,  "petscii",  "&PETSCII",   PaneKind::Text,    &PetsciiRenderer},
    {ViewScrCode,  "scrcode",  "&ScrCode",   PaneKind::Text,    &ScrCodeRenderer},
    {ViewDisk,     "disk",     "&Disk",      PaneKind::Disk,    nullptr},
    {ViewPicture,  "picture",  "Pi&cture",   PaneKind::Picture, nullptr},
}};
// clang-format on

constexpr bool TableInViewOrder() {
    for (std::size_t i = 0; i < ViewTable.size(); ++i) {
        if (ViewTable[i].view != static_cast<ViewMode>(i)) return false;
    }
    return true;
}
static_assert(TableInViewOrder(), "a view's row is found by its number");

inline const ViewRow& RowOfView(ViewMode view) {
    return ViewTable[static_cast<std::size_t>(view)];
}

// Whether a view shows a file's own pane: text, page or picture (the disk's map is the image's).
inline constexpr bool ShowsFilePane(const ViewRow& row) {
    return row.pane != PaneKind::Disk;
}

}  // namespace kestrune
