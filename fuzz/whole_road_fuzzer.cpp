// The whole road on arbitrary bytes taken as an image of that size: the directory, the sector map
// and the check, every row shown with all five panes, a few start addresses typed for each row,
// every sort column.
#include <cstdint>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <tuple>

#include "image/directory.h"
#include "image/geometry.h"
#include "text/number_text.h"
#include "viewer/address_entry.h"
#include "viewer/disk_analysis.h"
#include "viewer/row_texts.h"
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
        display.panes.Write(static_cast<ViewMode>(view), [&](std::u16string_view piece) {
            total += piece.size();
            return true;
        });
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The loader refuses files shorter than the header's link bytes.
    if (size < kMinimumImageSize) return 0;
    const Volume image = OpenD64(DiskImage{std::vector<std::uint8_t>(data, data + size)});

    // The sector map and the check follow every chain and read every sector's bookkeeping.
    const DiskAnalysis analysis = AnalyseDisk(image, image.entries);
    volatile std::size_t sink = analysis.map.tracks.size() + analysis.findings.size();

    static const auto state = std::make_unique<ViewerState>();
    *state = ViewerState();
    // Entries that name the same file show the same texts; each such file is rendered once.
    std::set<std::tuple<int, int, bool, int>> rendered;
    for (const DirectoryEntry& row : image.entries) {
        state->gotoAddress = 0;
        RowDisplay display = ShowRow(image, row, *state);
        if (display.kind != RowDisplay::Kind::Full) continue;
        if (!rendered
                 .insert({row.track, row.sector, row.loadAddress.has_value(),
                          row.loadAddress.value_or(0)})
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
                again.panes.Write(ViewAssembly, [&](std::u16string_view piece) {
                    sink = sink + piece.size();
                    return true;
                });
            }
        }
    }
    std::vector<RowTexts> rows(image.entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        FormatRow(image.entries[i], image.disk.isGeosDisk, rows[i]);
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (int column = 0; column < kColumnCount; ++column)
        SortByColumn(order, rows, column);
    return 0;
}
