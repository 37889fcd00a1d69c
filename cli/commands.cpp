#include "cli/commands.h"

#include <nlohmann/json.hpp>

#include "cli/directory_listing.h"
#include "cli/disk_session.h"
#include "cli/utf8_output.h"
#include "image/unicode.h"
#include "viewer/address_entry.h"
#include "viewer/show_row.h"
#include "viewer/sorting.h"

namespace kestrune::cli {

namespace {

using nlohmann::ordered_json;

std::string Utf8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

ordered_json DirectoryJson(const DiskSession& session, const std::vector<DirectoryEntry>& rows) {
    const DiskFields& disk = session.directory.disk;
    ordered_json json = {
        {"file", Utf8(Utf8ToUtf16(session.fileName))},
        {"caption", Utf8(session.caption)},
        {"diskName", Utf8(disk.diskName)},
        {"diskId", Utf8(disk.diskId)},
        {"dosType", Utf8(disk.dosType)},
        {"blocksFree", disk.blocksFree},
        {"status", Utf8(session.status)},
        {"readError", session.directory.readError},
        {"rows", ordered_json::array()},
    };
    for (const DirectoryEntry& row : rows) {
        json["rows"].push_back({{"size", Utf8(row[ColumnSize])},
                                {"name", Utf8(row[ColumnFileName])},
                                {"type", Utf8(row[ColumnType])},
                                {"start", Utf8(row[ColumnStart])},
                                {"track", Utf8(row[ColumnTrack])},
                                {"sector", Utf8(row[ColumnSector])},
                                {"geos", Utf8(row[ColumnGeos])}});
    }
    return json;
}

int Finish(const DiskSession& session) {
    return session.directory.readError ? kReadError : kOk;
}

std::u16string_view TrimTrailingSpaces(std::u16string_view text) {
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

// The row asked for, by number or by name.
const DirectoryEntry* FindRow(const std::vector<DirectoryEntry>& rows, const ShowOptions& options) {
    if (options.row) {
        const int index = *options.row - 1;
        return index >= 0 && index < static_cast<int>(rows.size()) ? &rows[index] : nullptr;
    }
    const std::u16string wanted(TrimTrailingSpaces(Utf8ToUtf16(*options.name)));
    for (const DirectoryEntry& row : rows) {
        if (TrimTrailingSpaces(row[ColumnFileName]) == wanted) return &row;
    }
    return nullptr;
}

// What the window shows after a row was selected, as the CLI prints it.
class Shown {
  public:
    explicit Shown(std::u16string status) : status_(std::move(status)) {}

    void Apply(RowDisplay display) {
        if (display.status) status_ = std::move(*display.status);
        switch (display.kind) {
            case RowDisplay::Kind::Message:
                view_.reset();
                message_ = std::move(display.message);
                break;
            case RowDisplay::Kind::Full:
                view_ = display.view;
                message_.reset();
                page_ = std::move(display.page);
                panes_ = std::move(display.panes);
                requested_.reset();
                break;
            case RowDisplay::Kind::AssemblyOnly:
                requested_ = std::move(display.panes);
                break;
        }
    }

    void ShowView(ViewMode view) {
        if (view_) view_ = view;
    }

    const std::optional<ViewMode>& view() const { return view_; }
    const std::optional<std::u16string>& message() const { return message_; }
    const std::u16string& status() const { return status_; }

    // Writes what Text(view) holds as UTF-8.
    void Write(ViewMode view, std::ostream& out) {
        const auto write = [&](std::u16string_view piece) { WriteUtf8(out, piece); };
        if (message_ || view == ViewBasic || (view == ViewAssembly && requested_)) {
            write(Text(view));
        } else {
            panes_.Write(view, write);
        }
    }

    // A row that only shows a message holds it in every pane.
    const std::u16string& Text(ViewMode view) {
        if (message_) return *message_;
        if (view == ViewBasic) return page_;
        if (view == ViewAssembly && requested_) return requested_->Text(ViewAssembly);
        return panes_.Text(view);
    }

  private:
    std::optional<ViewMode> view_;
    std::optional<std::u16string> message_;
    std::u16string page_;
    TextPanes panes_;
    std::optional<TextPanes> requested_;  // the Assembly pane from a typed start address
    std::u16string status_;
};

ordered_json ShowJson(Shown& shown, const ViewerState& state) {
    ordered_json json;
    json["view"] = shown.view() ? ordered_json(kViewNames[*shown.view()]) : ordered_json(nullptr);
    json["status"] = Utf8(shown.status());
    json["message"] =
        shown.message() ? ordered_json(Utf8(*shown.message())) : ordered_json(nullptr);
    ordered_json panes = ordered_json::object();
    for (int view = 0; view < kViewCount; ++view) {
        panes[std::string(kViewNames[view])] = Utf8(shown.Text(static_cast<ViewMode>(view)));
    }
    json["panes"] = std::move(panes);
    json["rangeStart"] = state.rangeStart;
    json["rangeEnd"] = state.rangeEnd;
    return json;
}

}  // namespace

int RunDir(const DirOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<DiskSession> session = OpenDisk(options.image, options.yes, err);
    if (!session) return kNotShown;
    std::vector<DirectoryEntry> rows = session->directory.rows;
    if (options.sortColumn) SortByColumn(rows, *options.sortColumn);
    if (options.json) {
        out << DirectoryJson(*session, rows).dump(2) << '\n';
    } else {
        WriteDirectoryListing(out, *session, rows);
    }
    return Finish(*session);
}

int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err) {
    const std::optional<DiskSession> session = OpenDisk(options.image, options.yes, err);
    if (!session) return kNotShown;
    const DirectoryEntry* row = FindRow(session->directory.rows, options);
    if (row == nullptr) {
        err << "kestrune-cli: no such row in " << session->fileName << '\n';
        return kNotShown;
    }

    auto state = std::make_unique<ViewerState>();
    Shown shown(session->status);
    shown.Apply(ShowRow(session->image, *row, *state));
    // A typed address needs a file to lie in: with only a message on show it does nothing.
    if (options.at && shown.view()) {
        const AddressJudgement judgement =
            JudgeAddress(Utf8ToUtf16(*options.at), state->rangeStart, state->rangeEnd);
        if (judgement.message) {
            Report(err, *judgement.message);
            return kNotShown;
        }
        state->gotoAddress = judgement.address;
        shown.Apply(ShowRow(session->image, *row, *state));
    }
    if (options.view) shown.ShowView(*options.view);

    if (options.json) {
        out << ShowJson(shown, *state).dump(2) << '\n';
    } else {
        shown.Write(shown.view().value_or(ViewBasic), out);
    }
    return Finish(*session);
}

}  // namespace kestrune::cli
