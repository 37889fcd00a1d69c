// The whole road on arbitrary bytes taken as an image of that size: the directory, every row
// shown with all five panes, a few start addresses typed for each row, every sort column.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "image/directory.h"
#include "image/geometry.h"
#include "image/number_text.h"
#include "viewer/address_entry.h"
#include "viewer/show_row.h"
#include "viewer/sorting.h"

using namespace kestrune;

namespace {

std::u16string Typed(std::u16string_view prefix, std::int64_t value, bool hex) {
    std::u16string text(prefix);
    if (hex) {
        AppendHex(text, static_cast<std::uint32_t>(value), 1);
    } else {
        AppendDecimal(text, value);
    }
    return text;
}

// Renders every pane, so that each renderer reads the whole file; the long texts are passed on
// piece by piece, as kestrune-cli prints them, and counted.
std::size_t RenderAll(RowDisplay& display) {
    std::size_t total = display.page.size();
    for (int view = ViewAssembly; view < kViewCount; ++view) {
        display.panes.Write(static_cast<ViewMode>(view),
                            [&](std::u16string_view piece) { total += piece.size(); });
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader refuses files shorter than the header's link bytes.
    if (size < kMinimumImageSize) return 0;
    const DiskImage image{std::vector<std::uint8_t>(data, data + size)};
    const Directory directory = ReadDirectory(image);

    static const auto state = std::make_unique<ViewerState>();
    *state = ViewerState();
    // Rows that name the same file show the same texts; each such file is rendered once.
    std::set<std::tuple<std::u16string, std::u16string, std::u16string, std::u16string>> rendered;
    volatile std::size_t sink = 0;
    for (const DirectoryEntry& row : directory.rows) {
        state->gotoAddress = 0;
        RowDisplay display = ShowRow(image, row, *state);
        if (display.kind != RowDisplay::Kind::Full) continue;
        if (!rendered
                 .insert({row[ColumnTrack].str(), row[ColumnSector].str(), row[ColumnType].str(),
                          row[ColumnStart].str()})
                 .second) {
            continue;
        }
        sink = sink + RenderAll(display);

        // Typed addresses: inside the file (the last byte, the middle, "0"), outside it, and text
        // that is no address. A file shown afresh shows the same texts again; only a disassembly
        // from a requested address is new.
        const std::int64_t start = state->rangeStart;
        const std::int64_t end = state->rangeEnd;
        const std::u16string typed[] = {Typed(u"", end, false),
                                        Typed(u"$", (start + end) / 2, true),
                                        u"0",
                                        Typed(u"", end + 1, false),
                                        u"$ffffffff",
                                        u"c000",
                                        u"-1"};
        for (const std::u16string& text : typed) {
            const AddressJudgement judgement =
                JudgeAddress(text, state->rangeStart, state->rangeEnd);
            if (judgement.message) continue;
            state->gotoAddress = judgement.address;
            RowDisplay again = ShowRow(image, row, *state);
            if (again.kind == RowDisplay::Kind::AssemblyOnly) {
                again.panes.Write(ViewAssembly,
                                  [&](std::u16string_view piece) { sink = sink + piece.size(); });
            }
        }
    }
    for (int column = 0; column < kColumnCount; ++column) {
        std::vector<DirectoryEntry> rows = directory.rows;
        SortByColumn(rows, column);
    }
    return 0;
}
