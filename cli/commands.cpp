#include "cli/commands.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <filesystem>
#include <fstream>

#include "cli/directory_listing.h"
#include "cli/disk_report.h"
#include "cli/json_string.h"
#include "cli/piped_sink.h"
#include "cli/png_file.h"
#include "cli/utf8_output.h"
#include "text/unicode.h"
#include "viewer/session.h"
#include "viewer/view_table.h"

namespace kestrune::cli {

namespace {

using nlohmann::ordered_json;

std::string Utf8(std::u16string_view text) {
    return Utf16ToUtf8(text);
}

// The window's message boxes as lines on stderr; questions are answered as --yes says. The "files
// found" box belongs to the readable listing: it is kept for it instead.
class Reporter {
  public:
    Reporter(std::ostream& err, bool yes) : err_(err), yes_(yes) {}

    bool operator()(const Message& message) {
        if (message.id == MessageId::FilesFound) {
            filesFound_ = message.text;
            return true;
        }
        err_ << Utf8(message.text) << '\n';
        if (message.kind == MessageKind::Question && !yes_)
            err_ << "kestrune-cli: the answer was No; --yes answers Yes\n";
        return yes_;
    }

    const std::optional<std::u16string>& filesFound() const { return filesFound_; }

  private:
    std::ostream& err_;
    bool yes_;
    std::optional<std::u16string> filesFound_;
};

// Text from a file (a file or member name) as it may reach a terminal: its control characters
// made visible.
std::string Shown(std::string_view text) {
    return Utf16ToUtf8(VisibleUtf8(text));
}

// The images of an archive, numbered from 1 as --member takes them.
void WriteNames(std::ostream& err, const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
        err << "  " << i + 1 << ": " << Shown(names[i]) << '\n';
}

// The member that --member names: by its name, or else by its number from 1.
std::optional<std::size_t> MemberNamed(const std::vector<std::string>& names,
                                       const std::string& wanted) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == wanted) return i;
    }
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(wanted.data(), wanted.data() + wanted.size(), number);
    if (error == std::errc() && end == wanted.data() + wanted.size() && number >= 1 &&
        number <= names.size())
        return number - 1;
    return std::nullopt;
}

// Opens the image options name, telling through reporter; the exit code when it is not opened.
std::optional<int> OpenImage(Session& session, const ImageOptions& options, Reporter& reporter,
                             std::ostream& err) {
    const ImageChooser choose =
        [&](const std::vector<std::string>& names) -> std::optional<std::size_t> {
        const std::string file = Shown(std::filesystem::path(options.image).filename().string());
        if (!options.member) {
            err << "kestrune-cli: " << file
                << " holds several images; choose one with --member NAME or --member NUMBER:\n";
            WriteNames(err, names);
            return std::nullopt;
        }
        if (const std::optional<std::size_t> chosen = MemberNamed(names, *options.member))
            return chosen;
        err << "kestrune-cli: " << file << " holds no image named " << Shown(*options.member)
            << "; it holds:\n";
        WriteNames(err, names);
        return std::nullopt;
    };
    if (!session.Open(options.image, std::ref(reporter), choose)) return kNotShown;
    for (const int row : options.partitions) {
        if (!session.OpenPartition(row - 1)) {
            err << "kestrune-cli: row " << row << " of " << Shown(session.FileName())
                << " is no partition that holds a directory\n";
            return kNotShown;
        }
    }
    return std::nullopt;
}

ordered_json DirectoryJson(const Session& session, std::optional<Charset> charset) {
    ordered_json json = {
        {"file", Utf8(Utf8ToUtf16(session.FileName()))},
        {"caption", Utf8(session.Caption())},
        {"diskName", Utf8(session.DiskName())},
        {"diskId", Utf8(session.DiskId())},
        {"dosType", Utf8(session.DosType())},
        {"blocksFree", session.BlocksFree()},
        {"status", Utf8(session.Status())},
        {"readError", session.ReadError()},
        {"format", std::string(session.Format())},
        {"rows", ordered_json::array()},
    };
    if (charset && !session.DiskNameBytes().empty())
        json["diskName"] = C64NameText(session.DiskNameBytes(), *charset).utf8;
    for (int position = 0; position < session.RowCount(); ++position) {
        const RowTexts& row = session.Row(position);
        json["rows"].push_back(
            {{"size", Utf8(row[ColumnSize])},
             {"name", charset ? C64NameText(session.RowNameBytes(position), *charset).utf8
                              : Utf8(row[ColumnFileName])},
             {"type", Utf8(row[ColumnType])},
             {"start", Utf8(row[ColumnStart])},
             {"track", Utf8(row[ColumnTrack])},
             {"sector", Utf8(row[ColumnSector])},
             {"geos", Utf8(row[ColumnGeos])}});
    }
    return json;
}

int Finish(const Session& session) {
    return session.ReadError() ? kReadError : kOk;
}

std::u16string_view TrimTrailingSpaces(std::u16string_view text) {
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

// The position of the row asked for, by number or by name; -1 when there is none.
template <typename Options>
int FindRow(const Session& session, const Options& options) {
    if (options.row) {
        const int position = *options.row - 1;
        return position >= 0 && position < session.RowCount() ? position : -1;
    }
    const std::u16string wanted(TrimTrailingSpaces(Utf8ToUtf16(*options.name)));
    for (int position = 0; position < session.RowCount(); ++position) {
        if (TrimTrailingSpaces(session.Row(position)[ColumnFileName]) == wanted) return position;
    }
    return -1;
}

// The show --json document, written as it is made: the panes, however long, go out piece by
// piece. The layout is nlohmann::json's dump(2).
void WriteShowJson(std::ostream& out, Session& session) {
    const auto field = [&](std::string_view key, const ordered_json& value) {
        out << "  \"" << key << "\": " << value.dump() << ",\n";
    };
    field("view", session.ShowsFile() ? ordered_json(RowOfView(session.View()).key)
                                      : ordered_json(nullptr));
    field("status", Utf8(session.Status()));
    field("message",
          session.Message() ? ordered_json(Utf8(*session.Message())) : ordered_json(nullptr));
    // Every pane that holds text: the page and the text panes.
    out << "  \"panes\": {";
    const char* separator = "\n";
    for (const ViewRow& view : ViewTable) {
        if (view.pane != PaneKind::Page && view.pane != PaneKind::Text) continue;
        out << separator << "    \"" << view.key << "\": ";
        separator = ",\n";
        JsonString text(out);
        {
            // The pane is made here and escaped and written on a thread of its own.
            PipedSink piped(std::ref(text));
            session.WritePaneUtf8(view.view, std::ref(piped));
        }
        text.Close();
    }
    out << "\n  },\n";
    out << "  \"rangeStart\": " << session.RangeStart() << ",\n";
    out << "  \"rangeEnd\": " << session.RangeEnd() << "\n}\n";
}

// The Picture view of the file on show: its format, size and palette as JSON, and the picture as
// a PNG file when asked for. Returns the exit code.
int WritePicture(std::ostream& out, std::ostream& err, Session& session,
                 const ShowOptions& options) {
    const PicturePane& picture = session.Picture();
    if (options.json) {
        const ordered_json json = {
            {"format", picture.format.empty() ? ordered_json(nullptr)
                                              : ordered_json(std::string(picture.format))},
            {"width", picture.width},
            {"height", picture.height},
            {"palette", options.palette},
            {"note",
             picture.note.empty() ? ordered_json(nullptr) : ordered_json(Utf8(picture.note))},
        };
        out << json.dump(2) << '\n';
    }
    if (!options.png) {
        if (!options.json) {
            BlockWriter writer(out);
            session.WritePaneUtf8(ViewPicture,
                                  [&](std::string_view piece) { return writer(piece); });
        }
        return Finish(session);
    }
    if (picture.format.empty()) {
        err << "kestrune-cli: this file's load address and length name no picture format; "
               "name one with --format\n";
        return kNotShown;
    }
    if (!picture.note.empty()) err << "kestrune-cli: " << Shown(Utf8(picture.note)) << '\n';
    const std::vector<std::uint8_t> rgb = session.PictureRgb(options.palette);
    bool written = false;
    if (*options.png == "-") {
        written = WritePng(out, picture.width, picture.height, rgb);
    } else {
        const std::filesystem::path path(*options.png);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
            err << "kestrune-cli: " << Shown(path.string()) << " exists; it is not overwritten\n";
            return kNotShown;
        }
        std::ofstream file(path, std::ios::binary);
        written = file && WritePng(file, picture.width, picture.height, rgb);
        file.close();
        if (!written || !file) {
            written = false;
            std::filesystem::remove(path, error);
        }
    }
    if (!written) {
        err << "kestrune-cli: unable to write " << Shown(*options.png) << '\n';
        return kNotShown;
    }
    return Finish(session);
}

// Writes bytes to path, which must not exist yet: an existing file is never overwritten.
bool WriteNewFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                  std::ostream& err) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        err << "kestrune-cli: " << Shown(path.string()) << " exists; it is not overwritten\n";
        return false;
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        err << "kestrune-cli: cannot write " << Shown(path.string()) << '\n';
        return false;
    }
    return true;
}

}  // namespace

int RunExtract(const ExtractOptions& options, std::ostream& out, std::ostream& err) {
    // The folder the files go to must be there: said once, before anything is read.
    if (options.folder) {
        std::error_code error;
        const std::filesystem::file_status folder = std::filesystem::status(*options.folder, error);
        if (!std::filesystem::exists(folder)) {
            err << "kestrune-cli: the folder " << Shown(*options.folder) << " does not exist\n";
            return kNotShown;
        }
        if (!std::filesystem::is_directory(folder)) {
            err << "kestrune-cli: " << Shown(*options.folder) << " is not a folder\n";
            return kNotShown;
        }
    }
    Session session;
    Reporter reporter(err, options.yes);
    if (const std::optional<int> failed = OpenImage(session, options, reporter, err))
        return *failed;
    const ExportFormat format = options.p00 ? ExportFormat::P00 : ExportFormat::Native;

    std::vector<int> positions;
    if (options.all) {
        for (int position = 0; position < session.RowCount(); ++position)
            positions.push_back(position);
    } else {
        const int position = FindRow(session, options);
        if (position == -1) {
            err << "kestrune-cli: no such row in " << Shown(session.FileName()) << '\n';
            return kNotShown;
        }
        positions.push_back(position);
    }

    bool written = true;
    for (const int position : positions) {
        const std::optional<ExportedFile> file = session.ExportFile(position, format);
        if (!file) {
            // --all takes the rows that name files; a row asked for by itself must name one.
            if (options.all) continue;
            err << "kestrune-cli: row " << position + 1 << " names no file\n";
            return kNotShown;
        }
        if (options.output && *options.output == "-") {
            out.write(reinterpret_cast<const char*>(file->bytes.data()),
                      static_cast<std::streamsize>(file->bytes.size()));
        } else {
            const std::filesystem::path path =
                options.output
                    ? std::filesystem::path(*options.output)
                    : std::filesystem::path(options.folder.value_or(".")) / file->fileName;
            written = WriteNewFile(path, file->bytes, err) && written;
        }
    }
    if (!written) return kNotShown;
    return Finish(session);
}

int RunDir(const DirOptions& options, std::ostream& out, std::ostream& err) {
    Session session;
    Reporter reporter(err, options.yes);
    if (const std::optional<int> failed = OpenImage(session, options, reporter, err))
        return *failed;
    if (options.sortColumn) session.SortBy(*options.sortColumn);
    if (options.json) {
        out << DirectoryJson(session, options.charset).dump(2) << '\n';
    } else {
        WriteDirectoryListing(out, session, options.charset);
        // Inside a partition the count is the partition's own.
        const std::optional<std::u16string> found =
            options.partitions.empty() ? reporter.filesFound() : session.FilesFoundText();
        if (found) out << '\n' << Utf8(*found) << '\n';
    }
    return Finish(session);
}

int RunShow(const ShowOptions& options, std::ostream& out, std::ostream& err) {
    Session session;
    Reporter reporter(err, options.yes);
    if (const std::optional<int> failed = OpenImage(session, options, reporter, err))
        return *failed;
    const int position = FindRow(session, options);
    if (position == -1) {
        err << "kestrune-cli: no such row in " << Shown(session.FileName()) << '\n';
        return kNotShown;
    }
    session.SetAllOpcodes(options.undocumented);
    session.SetBasicDialect(options.basic);
    session.Select(position);
    if (options.at && !session.EnterAddress(Utf8ToUtf16(*options.at), std::ref(reporter)))
        return kNotShown;
    if (options.view && session.ShowsFile()) session.ChooseView(*options.view);
    session.SetPictureFormat(options.pictureFormat);
    session.SetPictureColours(options.colours);

    if (session.ShowsFile() && options.view == ViewPicture && (options.json || options.png)) {
        return WritePicture(out, err, session, options);
    } else if (options.source) {
        BlockWriter writer(out);
        session.WriteAssemblySource([&](std::u16string_view piece) { return writer(piece); });
    } else if (options.json) {
        out << "{\n";
        WriteShowJson(out, session);
    } else {
        BlockWriter writer(out);
        session.WritePaneUtf8(session.ShowsFile() ? session.View() : ViewBasic,
                              [&](std::string_view piece) { return writer(piece); });
    }
    return Finish(session);
}

int RunMap(const DiskOptions& options, std::ostream& out, std::ostream& err) {
    Session session;
    Reporter reporter(err, options.yes);
    if (const std::optional<int> failed = OpenImage(session, options, reporter, err))
        return *failed;
    WriteMap(out, session, options.json);
    return Finish(session);
}

int RunCheck(const DiskOptions& options, std::ostream& out, std::ostream& err) {
    Session session;
    Reporter reporter(err, options.yes);
    if (const std::optional<int> failed = OpenImage(session, options, reporter, err))
        return *failed;
    WriteFindings(out, session, options.json);
    if (!session.Findings().empty()) return kFindings;
    return Finish(session);
}

}  // namespace kestrune::cli
