#include "viewer/session.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "image/geos_convert.h"
#include "image/loader.h"
#include "image/path_names.h"
#include "image/recognition.h"
#include "image/volume.h"
#include "text/charsets.h"
#include "text/number_text.h"
#include "text/unicode.h"
#include "viewer/address_entry.h"
#include "viewer/disk_analysis.h"
#include "viewer/show_row.h"
#include "viewer/sorting.h"
#include "views/assembly_source.h"
#include "views/hex_dump.h"
#include "views/pages.h"
#include "views/palettes.h"
#include "views/pictures.h"

namespace kestrune {

namespace {

constexpr std::u16string_view kSelectAFile = u"Select a file";
constexpr std::u16string_view kNoDisk = u"No Disk";

}  // namespace

std::u16string_view InstructionsPage() {
    return kInstructionsPage;
}

struct Session::State {
    // A directory a partition on show lies in, kept as it was left for the way back.
    struct Outer {
        Volume volume;
        std::vector<std::size_t> order, sortOrder;
        std::optional<int> sortColumn;
        int selected = -1;
        std::u16string caption;
    };
    std::optional<Volume> image;
    std::vector<Outer> outer;  // the directories a partition on show lies in, outermost first
    std::vector<DirectoryEntry> entries;  // in directory order
    std::vector<RowTexts> rows;           // the texts of each entry
    std::vector<std::size_t> order;       // the list's positions: indexes into entries
    std::vector<std::size_t> sortOrder;   // the order of the last sort, where the next one starts
    std::optional<int> sortColumn;        // the column of the last sort, until Revert
    bool readError = false;
    std::uint64_t directoryVersion = 0;            // changes with every directory shown or cleared
    mutable std::optional<DiskAnalysis> analysis;  // of image, once asked for
    // By entry: the error sectors its chains cross, as the list's tooltip names them, once asked
    // for.
    mutable std::vector<std::optional<std::u16string>> rowErrors;

    const DiskAnalysis& Analysis() const {
        if (!analysis) analysis = image ? AnalyseDisk(*image, entries) : DiskAnalysis{};
        return *analysis;
    }

    std::string fileName;
    std::u16string caption{kProductName};
    std::u16string diskName, diskId, dosType, status;
    std::u16string diskStatus;  // what the directory on show says, whatever row is on show
    int blocksFree = 0;
    bool geosDisk = false;

    int selected = -1;
    ViewerState viewer;
    bool showsFile = false;
    std::optional<std::u16string> message;
    ViewMode view = ViewBasic;
    std::optional<std::u16string> page;
    std::optional<MarkedText> listing;
    TextPanes panes;
    std::optional<TextPanes> requested;              // the Assembly pane from a typed start address
    const PictureFormat* detectedPicture = nullptr;  // the format the file on show names
    const PictureFormat* chosenPicture = nullptr;    // the format chosen for it
    std::optional<PicturePane> picture;              // drawn when first asked for
    PictureColours pictureColours;                   // sprites' and characters' colours
    std::u16string pictureText;                      // what the Picture view says in words
    std::array<std::uint64_t, kViewCount> paneVersions{};  // the BASIC view's is the page's
    std::uint64_t changes = 0;

    // Marks every pane changed, or with assemblyOnly the Assembly pane alone.
    void PanesChanged(bool assemblyOnly = false) {
        ++changes;
        for (int pane = 0; pane < kViewCount; ++pane) {
            if (!assemblyOnly || pane == ViewAssembly) paneVersions[pane] = changes;
        }
    }
    std::optional<std::int32_t> sys;
    std::u16string addressText = u"0";
    bool addressEnabled = false;
    const std::u16string empty;

    // Every pane holds text; with clearDisk the disk's fields and rows go too.
    void ShowMessage(std::u16string_view text, bool clearDisk) {
        if (clearDisk) {
            diskName.clear();
            diskId.clear();
            dosType.clear();
            blocksFree = 0;
            // A new disk starts with an empty status line, so no status of the last disk stays.
            status.clear();
            diskStatus.clear();
            entries.clear();
            rows.clear();
            analysis.reset();
            rowErrors.clear();
            order.clear();
            sortOrder.clear();
            sortColumn.reset();
            ++directoryVersion;
        }
        showsFile = false;
        sys.reset();
        message = std::u16string(text);
        page = MessagePage(text);
        listing.reset();
        requested.reset();
        ForgetPicture(nullptr);
        addressText = u"0";
        PanesChanged();
    }

    // A new file on show, which names detected: no format is chosen for it, nothing is drawn.
    void ForgetPicture(const PictureFormat* detected) {
        detectedPicture = detected;
        chosenPicture = nullptr;
        picture.reset();
    }

    const PicturePane& DrawnPicture() {
        if (picture) return *picture;
        picture.emplace();
        const PictureFormat* format = chosenPicture != nullptr ? chosenPicture : detectedPicture;
        if (!showsFile) return *picture;
        if (format == nullptr) {
            pictureText =
                u"This file's load address and length name no picture format: choose "
                u"one to draw it as that.";
            return *picture;
        }
        const FileChain& chain = viewer.fileChain;
        kestrune::Picture drawn = DrawPicture(
            *format,
            chain.hasLoadAddress ? std::optional<std::int32_t>(chain.startAddress) : std::nullopt,
            chain.Content(), pictureColours);
        picture->format = format->key;
        picture->formatName = format->name;
        picture->width = drawn.width;
        picture->height = drawn.height;
        picture->pixels = std::move(drawn.pixels);
        picture->note = std::move(drawn.note);
        pictureText = std::u16string(format->name) + u", ";
        AppendDecimal(pictureText, drawn.width);
        pictureText += u" x ";
        AppendDecimal(pictureText, drawn.height);
        pictureText += u" pixels\r\n";
        if (!picture->note.empty()) pictureText += picture->note + u"\r\n";
        return *picture;
    }

    // Takes volume's fields and rows, in directory order.
    void ShowVolume(Volume volume) {
        const DiskFields& disk = volume.disk;
        if (disk.isGeosDisk) status = kGeosStatus;
        if (!volume.fault.empty()) status = volume.fault;
        if (!volume.errorBytes.empty()) {
            // An image with an error table says how many of its sectors carry an error.
            const auto errors = std::count_if(volume.errorBytes.begin(), volume.errorBytes.end(),
                                              [](std::uint8_t code) { return code > 1; });
            if (!status.empty()) status += u"; ";
            status += Widen(std::to_string(errors)) +
                      (errors == 1 ? u" sector carries an error" : u" sectors carry errors");
        }
        diskStatus = status;
        ++directoryVersion;
        analysis.reset();
        rowErrors.clear();
        diskName = disk.diskName;
        diskId = disk.diskId;
        dosType = disk.dosType;
        // The free blocks show also for a disk without files.
        blocksFree = disk.blocksFree;
        geosDisk = disk.isGeosDisk;
        readError = volume.readError;
        entries = std::move(volume.entries);
        volume.entries.clear();
        rows.resize(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            FormatRow(entries[i], disk.isGeosDisk, rows[i]);
        order.resize(entries.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        sortOrder = order;
        image = std::move(volume);
    }

    // Shows the selected row: a message, the file with every pane, or only a new disassembly when
    // a start address was asked for.
    bool ShowSelected() {
        if (selected == -1 || !image) return false;
        RowDisplay display = ShowRow(*image, entries[order[selected]], viewer);
        // The status line follows the row on show: what its file says, or else what the
        // directory says. A new disassembly of the same file leaves it.
        if (display.kind != RowDisplay::Kind::AssemblyOnly)
            status = display.status ? std::move(*display.status) : diskStatus;
        switch (display.kind) {
            case RowDisplay::Kind::Message:
                ShowMessage(display.message, false);
                return true;
            case RowDisplay::Kind::AssemblyOnly:
                requested = std::move(display.panes);
                break;
            case RowDisplay::Kind::Full:
                showsFile = true;
                message.reset();
                page = std::move(display.page);
                listing = std::move(display.listing);
                sys = display.sys;
                panes = std::move(display.panes);
                requested.reset();
                ForgetPicture(display.picture);
                addressEnabled = display.addressBoxEnabled;
                view = display.view;
                break;
        }
        if (display.addressBoxText) addressText = std::move(*display.addressBoxText);
        PanesChanged(display.kind == RowDisplay::Kind::AssemblyOnly);
        return true;
    }
};

Session::Session() : state_(std::make_unique<State>()) {}
Session::~Session() = default;

struct OpenedFile {
    LoadOutcome outcome;
    std::string fileName;
};

bool Session::Open(const std::string& path, const MessageHandler& tell,
                   const ImageChooser& choose) {
    Clear();
    return Show(*Read(path, tell, choose), tell);
}

void Session::Clear() {
    State& s = *state_;
    s.selected = -1;
    s.ShowMessage(kSelectAFile, true);
    s.image.reset();
    s.outer.clear();
    s.readError = false;
    s.caption = kProductName;
}

std::shared_ptr<OpenedFile> Session::Read(const std::string& path, const MessageHandler& tell,
                                          const ImageChooser& choose) {
    const ChooseMember chooseMember = [&](const std::vector<std::string>& names) {
        return choose ? choose(names) : std::nullopt;
    };
    return std::make_shared<OpenedFile>(
        OpenedFile{LoadImage(path, tell, chooseMember), std::string(FileNameOf(path))});
}

bool Session::Show(OpenedFile& read, const MessageHandler& tell) {
    State& s = *state_;
    LoadOutcome& outcome = read.outcome;
    if (outcome.message) tell(*outcome.message);
    s.caption = std::move(outcome.caption);
    if (!outcome.volume) return false;
    s.fileName = read.fileName;
    s.ShowVolume(std::move(*outcome.volume));
    outcome.volume.reset();

    const std::u16string fileName = VisibleUtf8(s.fileName);
    if (!s.rows.empty())
        tell(FilesFoundMessage(fileName, s.diskName, static_cast<int>(s.rows.size())));
    if (s.readError) tell(ReadErrorMessage(fileName));
    return true;
}

bool Session::IsPartition(int position) const {
    const State& s = *state_;
    return position >= 0 && position < RowCount() &&
           s.entries[s.order[static_cast<std::size_t>(position)]].partition;
}

bool Session::OpenPartition(int position) {
    State& s = *state_;
    if (!s.image || !IsPartition(position)) return false;
    std::optional<Volume> partition =
        kestrune::OpenPartition(*s.image, s.entries[s.order[static_cast<std::size_t>(position)]]);
    if (!partition) return false;
    // The directory it lies in keeps its entries, in directory order, its sort and its selection
    // for the way back. The caption names the partitions open, one inside the other.
    std::u16string_view name = Row(position)[ColumnFileName];
    while (!name.empty() && name.back() == u' ')
        name.remove_suffix(1);
    const std::u16string caption = s.caption + u" > " + VisibleText(name);
    s.image->entries = std::move(s.entries);
    s.outer.push_back({std::move(*s.image), std::move(s.order), std::move(s.sortOrder),
                       s.sortColumn, s.selected, s.caption});
    s.caption = caption;
    s.selected = -1;
    s.ShowMessage(kSelectAFile, true);
    s.ShowVolume(std::move(*partition));
    return true;
}

bool Session::LeavePartition() {
    State& s = *state_;
    if (s.outer.empty()) return false;
    State::Outer outer = std::move(s.outer.back());
    s.outer.pop_back();
    s.selected = -1;
    s.ShowMessage(kSelectAFile, true);
    s.ShowVolume(std::move(outer.volume));
    s.order = std::move(outer.order);
    s.sortOrder = std::move(outer.sortOrder);
    s.sortColumn = outer.sortColumn;
    s.caption = std::move(outer.caption);
    s.selected = outer.selected;
    s.ShowSelected();
    return true;
}

const DiskMap& Session::Map() const {
    return state_->Analysis().map;
}

const std::vector<Finding>& Session::Findings() const {
    return state_->Analysis().findings;
}

namespace {

const SectorCell* CellOf(const DiskMap& map, int track, int sector) {
    for (const MapTrack& mapped : map.tracks) {
        if (mapped.track != track) continue;
        if (sector < 0 || sector >= static_cast<int>(mapped.sectors.size())) return nullptr;
        return &mapped.sectors[static_cast<std::size_t>(sector)];
    }
    return nullptr;
}

std::u16string Decimal(long value) {
    return Widen(std::to_string(value));
}

}  // namespace

std::u16string Session::RowErrors(int position) const {
    const State& s = *state_;
    // Only an image with error bytes has error sectors; the list asks for every cell it paints,
    // and need not follow every chain of every other image for it.
    if (position < 0 || position >= RowCount() || !s.image || s.image->errorBytes.empty())
        return {};
    // Each row follows its own chains, once: the whole check is not run for the list.
    const std::size_t entry = s.order[static_cast<std::size_t>(position)];
    if (s.rowErrors.size() != s.entries.size()) s.rowErrors.assign(s.entries.size(), std::nullopt);
    std::optional<std::u16string>& known = s.rowErrors[entry];
    if (known) return *known;
    known.emplace();
    const std::vector<ErrorCrossing> crossings = ErrorSectorsOf(*s.image, s.entries[entry]);
    if (crossings.empty()) return *known;
    *known = u"Crosses sectors with errors:";
    for (const ErrorCrossing& crossing : crossings) {
        *known += u"\n" + SectorPlace(crossing.track, crossing.sector) + u", which carries " +
                  ErrorByteText(crossing.errorByte);
    }
    return *known;
}

const std::vector<std::uint8_t>& Session::DiskNameBytes() const {
    static const std::vector<std::uint8_t> none;
    return state_->image ? state_->image->disk.nameBytes : none;
}

std::array<std::uint8_t, 16> Session::RowNameBytes(int position) const {
    if (position < 0 || position >= RowCount()) return {};
    return state_->entries[state_->order[static_cast<std::size_t>(position)]].name;
}

int Session::DirectoryRow(int position) const {
    if (position < 0 || position >= RowCount()) return 0;
    return static_cast<int>(state_->order[static_cast<std::size_t>(position)]) + 1;
}

std::u16string Session::SectorDescription(int track, int sector) const {
    const State& s = *state_;
    const SectorCell* cell = CellOf(Map(), track, sector);
    if (cell == nullptr) return {};
    std::u16string text = SectorPlace(track, sector) + u": ";
    text[0] = u'T';
    if (cell->row != 0) {
        std::u16string_view name = s.rows[static_cast<std::size_t>(cell->row - 1)][ColumnFileName];
        while (!name.empty() && name.back() == u' ')
            name.remove_suffix(1);
        text += u"\"" + std::u16string(name) + u"\" (row " + Decimal(cell->row) + u")";
    } else if (cell->system) {
        text += u"header, BAM or directory";
    } else {
        text += u"no file";
    }
    if (cell->free) text += *cell->free ? u"; free in the BAM" : u"; in use in the BAM";
    if (cell->BamDisagrees()) text += u" (which is wrong)";
    if (cell->error) text += u"; " + ErrorByteText(*cell->error);
    // A free sector that nothing holds has no link to speak of: its bytes are leftovers. One in
    // use that no file holds may be part of a chain the directory lost, so its link is named.
    if (cell->row == 0 && !cell->system && cell->free.value_or(false)) return text;
    if (cell->linkTrack != 0) {
        text += u"; links to " + Decimal(cell->linkTrack) + u"/" + Decimal(cell->linkSector);
    } else {
        text += u"; last block, " + Decimal(std::max(0, cell->linkSector - 1)) + u" bytes used";
    }
    return text;
}

std::u16string Session::SectorHex(int track, int sector) const {
    const State& s = *state_;
    if (!s.image || CellOf(Map(), track, sector) == nullptr) return {};
    const std::uint32_t offset = *s.image->layout.Offset(track, sector);
    return HexDump(std::span(s.image->image.data).subspan(offset, 256), 0);
}

std::optional<std::u16string> Session::FilesFoundText() const {
    const State& s = *state_;
    if (s.rows.empty()) return std::nullopt;
    return FilesFoundMessage(VisibleUtf8(s.fileName), s.diskName, static_cast<int>(s.rows.size()))
        .text;
}

int Session::PartitionDepth() const {
    return static_cast<int>(state_->outer.size());
}

void Session::Close() {
    State& s = *state_;
    s.analysis.reset();
    s.ShowMessage(u"", true);
    s.message.reset();
    s.page.reset();
    s.image.reset();
    s.outer.clear();
    s.readError = false;
    s.selected = -1;
    s.view = ViewBasic;
    s.status = kNoDisk;
    s.caption = kProductName;
}

std::span<const std::string_view> Session::OpenPatterns() {
    return kestrune::OpenPatterns();
}

std::string_view Session::Format() const {
    const State& s = *state_;
    if (!s.image) return {};
    return s.image->format;
}

bool Session::ReadError() const {
    return state_->readError;
}
const std::string& Session::FileName() const {
    return state_->fileName;
}
const std::u16string& Session::Caption() const {
    return state_->caption;
}
const std::u16string& Session::DiskName() const {
    return state_->diskName;
}
const std::u16string& Session::DiskId() const {
    return state_->diskId;
}
const std::u16string& Session::DosType() const {
    return state_->dosType;
}
int Session::BlocksFree() const {
    return state_->blocksFree;
}
const std::u16string& Session::Status() const {
    return state_->status;
}

int Session::RowCount() const {
    return static_cast<int>(state_->order.size());
}

const RowTexts& Session::Row(int position) const {
    return state_->rows[state_->order[static_cast<std::size_t>(position)]];
}

void Session::SortBy(int column) {
    State& s = *state_;
    SortByColumn(s.sortOrder, s.rows, column);
    s.order = s.sortOrder;
    s.sortColumn = column;
    s.selected = -1;
}

void Session::Revert() {
    State& s = *state_;
    std::iota(s.order.begin(), s.order.end(), std::size_t{0});
    s.sortColumn.reset();
    s.selected = -1;
}

std::optional<int> Session::SortColumn() const {
    return state_->sortColumn;
}

std::uint64_t Session::DirectoryVersion() const {
    return state_->directoryVersion;
}

int Session::PositionOfDirectoryRow(int row) const {
    const State& s = *state_;
    const auto found = std::find(s.order.begin(), s.order.end(), static_cast<std::size_t>(row - 1));
    return found == s.order.end() ? -1 : static_cast<int>(found - s.order.begin());
}

std::optional<ExportedFile> Session::ExportFile(int position, ExportFormat format) const {
    const State& s = *state_;
    if (!s.image || position < 0 || position >= RowCount()) return std::nullopt;
    const DirectoryEntry& entry = s.entries[s.order[static_cast<std::size_t>(position)]];
    std::string name = ExportFileName(entry, s.geosDisk, format);
    std::vector<std::uint8_t> bytes;
    const std::optional<std::u16string> message = EntryMessage(entry);
    const bool geosFile = message && *message == GeosFileMessage(GeosTypeName(entry.geosType));
    std::optional<std::vector<std::uint8_t>> cvt;
    if (geosFile) cvt = GeosConvertFile(*s.image, entry);
    if (cvt) {
        // A GEOS file goes out in the Convert layout, its info block and records with it.
        bytes = std::move(*cvt);
        if (format == ExportFormat::Native) name = name.substr(0, name.rfind('.')) + ".cvt";
    } else if (message) {
        // The other rows that show a message name no file.
        return std::nullopt;
    } else {
        FileChain chain;
        ReadFile(chain, *s.image, entry);
        bytes.assign(chain.Data().begin(), chain.Data().end());
    }
    if (format == ExportFormat::P00) bytes = P00Container(entry, bytes);
    return ExportedFile{std::move(name), std::move(bytes)};
}

bool Session::Select(int position) {
    State& s = *state_;
    if (position == s.selected) return false;
    s.viewer.gotoAddress = 0;
    s.selected = position;
    return s.ShowSelected();
}

int Session::SelectedRow() const {
    return state_->selected;
}

bool Session::ShowsFile() const {
    return state_->showsFile;
}
const std::optional<std::u16string>& Session::Message() const {
    return state_->message;
}
ViewMode Session::View() const {
    return state_->view;
}

void Session::ChooseView(ViewMode view) {
    state_->addressEnabled = view == ViewAssembly;
    state_->view = view;
}

const std::optional<std::u16string>& Session::Page() const {
    return state_->page;
}
const std::optional<MarkedText>& Session::Listing() const {
    return state_->listing;
}

const std::u16string& Session::PaneText(ViewMode view) {
    State& s = *state_;
    if (s.message) return *s.message;
    if (!s.showsFile) return s.empty;
    if (view == ViewBasic) return *s.page;
    if (view == ViewPicture) {
        s.DrawnPicture();
        return s.pictureText;
    }
    if (view == ViewAssembly && s.requested) return s.requested->Text(ViewAssembly);
    return s.panes.Text(view);
}

std::vector<std::int16_t> Session::PaneCodes(ViewMode view) const {
    const State& s = *state_;
    if (s.message || !s.showsFile) return {};
    return s.panes.Codes(view);
}

bool Session::WritePane(ViewMode view, const TextSink& sink) {
    State& s = *state_;
    if (!s.showsFile || RowOfView(view).text == nullptr) return sink(PaneText(view));
    return view == ViewAssembly && s.requested ? s.requested->Write(view, sink)
                                               : s.panes.Write(view, sink);
}

bool Session::WritePaneUtf8(ViewMode view, const Utf8Sink& sink) {
    State& s = *state_;
    if (!s.showsFile || RowOfView(view).text == nullptr) return sink(Utf16ToUtf8(PaneText(view)));
    return view == ViewAssembly && s.requested ? s.requested->WriteUtf8(view, sink)
                                               : s.panes.WriteUtf8(view, sink);
}

void Session::SetPaneLimit(std::size_t bytes) {
    state_->viewer.paneLimit = bytes;
}

bool Session::PanesCut() const {
    return state_->showsFile && state_->panes.Cut();
}

void Session::SetAllOpcodes(bool allOpcodes) {
    State& s = *state_;
    if (s.viewer.allOpcodes == allOpcodes) return;
    s.viewer.allOpcodes = allOpcodes;
    s.panes.SetAllOpcodes(allOpcodes);
    if (s.requested) s.requested->SetAllOpcodes(allOpcodes);
    s.PanesChanged(true);
}

const PicturePane& Session::Picture() {
    return state_->DrawnPicture();
}

std::vector<std::uint8_t> Session::PictureRgb(std::string_view palette) {
    const PicturePane& pane = Picture();
    const auto chosen =
        std::find_if(kestrune::Palettes.begin(), kestrune::Palettes.end(),
                     [&](const Palette& candidate) { return candidate.key == palette; });
    return kestrune::PictureRgb(
        std::span<const std::uint8_t>(pane.pixels),
        (chosen != kestrune::Palettes.end() ? *chosen : kestrune::Palettes[0]).rgb);
}

bool Session::SetPictureFormat(std::string_view key) {
    State& s = *state_;
    const PictureFormat* format = nullptr;
    if (key != "auto") {
        format = FindPictureFormat(key);
        if (format == nullptr) return false;
    }
    if (format == s.chosenPicture) return true;
    s.chosenPicture = format;
    s.picture.reset();
    s.paneVersions[ViewPicture] = ++s.changes;
    return true;
}

void Session::SetPictureColours(const PictureColourChoice& colours) {
    State& s = *state_;
    s.pictureColours = {static_cast<std::uint8_t>(colours.background & 15),
                        static_cast<std::uint8_t>(colours.colour & 15),
                        static_cast<std::uint8_t>(colours.multicolour1 & 15),
                        static_cast<std::uint8_t>(colours.multicolour2 & 15)};
    s.picture.reset();
    s.paneVersions[ViewPicture] = ++s.changes;
}

bool Session::PictureTakesColours() {
    State& s = *state_;
    const PictureFormat* format = s.chosenPicture != nullptr ? s.chosenPicture : s.detectedPicture;
    return s.showsFile && format != nullptr && TakesColours(*format);
}

std::vector<std::string_view> Session::ColourNames() {
    return {kestrune::ColourNames.begin(), kestrune::ColourNames.end()};
}

std::string_view Session::DetectedPictureFormat() const {
    const PictureFormat* format = state_->detectedPicture;
    return format != nullptr ? format->key : std::string_view();
}

std::string_view Session::ChosenPictureFormat() const {
    const PictureFormat* format = state_->chosenPicture;
    return format != nullptr ? format->key : std::string_view();
}

std::vector<PictureFormatChoice> Session::PictureFormats() {
    std::vector<PictureFormatChoice> choices;
    for (const PictureFormat& format : kestrune::PictureFormats)
        choices.push_back({format.key, format.name});
    return choices;
}

std::vector<PaletteChoice> Session::Palettes() {
    std::vector<PaletteChoice> choices;
    for (const Palette& palette : kestrune::Palettes)
        choices.push_back({palette.key, palette.name, palette.rgb});
    return choices;
}

std::u16string Session::AssemblySource() const {
    const State& s = *state_;
    if (!s.showsFile) return s.message.value_or(std::u16string());
    return kestrune::AssemblySource(s.viewer.fileChain.Data());
}

bool Session::WriteAssemblySource(const TextSink& sink) const {
    const State& s = *state_;
    if (!s.showsFile) return sink(s.message.value_or(std::u16string()));
    return kestrune::WriteAssemblySource(s.viewer.fileChain.Data(), sink);
}

SearchHits Session::FindBytesInHexPane(const std::vector<int>& pattern) const {
    const State& s = *state_;
    SearchHits hits;
    if (!s.showsFile) return hits;
    const FileChain& chain = s.viewer.fileChain;
    const auto content = chain.Content();
    for (const std::size_t at : FindBytes(content, pattern)) {
        hits.hitStarts.push_back(hits.ranges.size());
        for (std::size_t i = at; i < at + pattern.size(); ++i) {
            const std::size_t offset = HexDumpOffset(chain.startAddress, i);
            // Bytes side by side on one line share a range: "a9 00".
            if (hits.ranges.size() > hits.hitStarts.back() &&
                hits.ranges.back().begin + hits.ranges.back().length + 1 == offset) {
                hits.ranges.back().length += 3;
            } else {
                hits.ranges.push_back({offset, 2});
            }
        }
    }
    return hits;
}

std::uint64_t Session::PaneVersion(ViewMode view) const {
    return state_->paneVersions[view];
}

bool Session::SetBasicDialect(std::string_view key) {
    State& s = *state_;
    std::optional<kestrune::BasicDialect> dialect;
    if (key != "auto") {
        const auto found = std::find(kBasicDialectKeys.begin(), kBasicDialectKeys.end(), key);
        if (found == kBasicDialectKeys.end()) return false;
        dialect = static_cast<kestrune::BasicDialect>(found - kBasicDialectKeys.begin());
    }
    if (dialect == s.viewer.basicDialect) return true;
    s.viewer.basicDialect = dialect;
    if (s.showsFile) {
        // The file is shown again in its new listing; the view on show stays.
        const ViewMode view = s.view;
        s.viewer.gotoAddress = 0;
        s.ShowSelected();
        s.view = view;
        s.addressEnabled = view == ViewAssembly;
    }
    return true;
}

std::vector<std::pair<std::string_view, std::string_view>> Session::BasicDialects() {
    std::vector<std::pair<std::string_view, std::string_view>> dialects;
    for (int i = 0; i < kBasicDialectCount; ++i)
        dialects.emplace_back(kBasicDialectKeys[i], kBasicDialectNames[i]);
    return dialects;
}

std::optional<std::int32_t> Session::SysEntry() const {
    return state_->sys;
}

void Session::DisassembleFromSys(const MessageHandler& tell) {
    if (!state_->sys) return;
    std::u16string typed;
    AppendDecimal(typed, *state_->sys);
    if (EnterAddress(typed, tell)) ChooseView(ViewAssembly);
}

const std::u16string& Session::AddressText() const {
    return state_->addressText;
}
bool Session::AddressEnabled() const {
    return state_->addressEnabled;
}
std::int32_t Session::RangeStart() const {
    return state_->viewer.rangeStart;
}
std::int32_t Session::RangeEnd() const {
    return state_->viewer.rangeEnd;
}

bool Session::EnterAddress(std::u16string_view typed, const MessageHandler& tell) {
    State& s = *state_;
    // Without a file on show there is no file for the address to lie in.
    if (!s.showsFile) return true;
    s.addressText = typed;
    const AddressJudgement judgement = JudgeAddress(typed, s.viewer.rangeStart, s.viewer.rangeEnd);
    if (judgement.message) {
        tell(*judgement.message);
        if (judgement.message->id == MessageId::AddressOutOfRange) {
            s.addressText.clear();
            AppendDecimal(s.addressText, s.viewer.disasmStart);
        }
        return false;
    }
    s.viewer.gotoAddress = judgement.address;
    s.ShowSelected();
    return true;
}

}  // namespace kestrune
