// One open image as the viewer presents it: its header fields and rows, the order the list shows
// them in, the row on show with its panes and chosen view, and the start-address box. The window
// and kestrune-cli both drive a Session, so the two always show the same thing.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/marked_text.h"
#include "text/message.h"
#include "text/text_sink.h"
#include "viewer/disk_map.h"
#include "viewer/file_export.h"
#include "viewer/picture_pane.h"
#include "viewer/row_texts.h"
#include "viewer/search.h"
#include "viewer/view_mode.h"

namespace kestrune {

// Tells the user a message: the window shows a message box, kestrune-cli writes to stderr. For a
// question (MessageKind::Question) it returns the answer, true for Yes.
using MessageHandler = std::function<bool(const Message&)>;

// Chooses one of the images an archive holds by its position in names; nothing opens none.
using ImageChooser =
    std::function<std::optional<std::size_t>(const std::vector<std::string>& names)>;

// The page the browser pane shows at start-up and after File > Close.
std::u16string_view InstructionsPage();

// A file read and recognised, not yet shown: what Session::Read gives and Session::Show takes.
struct OpenedFile;

class Session {
  public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Opening and closing. Open clears the display ("Select a file", no disk fields, no rows),
    // loads the file at path (file system bytes), asking and telling through tell, and reads its
    // directory; it then tells how many files it found and, when the directory named a track
    // beyond the disk, the ReadError message. An archive holding several images asks choose for
    // one (without choose, none is opened). Returns true when an image is held afterwards: the
    // rows read before such an entry stay listed.
    bool Open(const std::string& path, const MessageHandler& tell,
              const ImageChooser& choose = nullptr);
    // Open in its three steps, for a window that reads on a thread of its own: Clear clears the
    // display; Read reads the file, touching no session (so it may run on any thread, its
    // questions answered there); Show shows what was read and tells what Open tells after.
    void Clear();
    static std::shared_ptr<OpenedFile> Read(const std::string& path, const MessageHandler& tell,
                                            const ImageChooser& choose = nullptr);
    bool Show(OpenedFile& read, const MessageHandler& tell);
    // A 1581 partition row lists its own directory once opened (the caption then names it after
    // the file: "Kestrune - GAMES.D81 > PART"); leaving goes back to the directory it is in, as it
    // was left: sorted as it was, its row on show again.
    bool IsPartition(int position) const;
    bool OpenPartition(int position);
    bool LeavePartition();
    int PartitionDepth() const;  // 0 in the image's own directory
    // The sectors of the directory on show (its partition's, inside one) and what the check finds
    // wrong with them; empty for an archive of files. Worked out when first asked for.
    const DiskMap& Map() const;
    const std::vector<Finding>& Findings() const;
    // The error sectors the chain of the row at position crosses, as a tooltip names them; empty
    // for none.
    std::u16string RowErrors(int position) const;

    // The own bytes of the disk name (none for a format whose name is the file's) and of the
    // name of the row at position, for printing them in a C64 character set.
    const std::vector<std::uint8_t>& DiskNameBytes() const;
    std::array<std::uint8_t, 16> RowNameBytes(int position) const;

    // The 1-based directory row of the row at position, 0 for none: how the map names owners.
    int DirectoryRow(int position) const;
    // A sector of the map: what it is (its owner, the BAM, its error, and but for a free sector
    // nothing holds, its link) in a line, and
    // its 256 bytes in the HEX/ASCII layout. Empty for a sector the disk does not have.
    std::u16string SectorDescription(int track, int sector) const;
    std::u16string SectorHex(int track, int sector) const;

    // The "files found" text for the directory on show; nothing when it lists no files.
    std::optional<std::u16string> FilesFoundText() const;
    // Empties the session as File > Close does: no rows, no fields, the status "No Disk", the
    // instructions on show in the browser pane.
    void Close();

    // The extensions of the files Open takes, as glob patterns in small letters without the dot
    // ("d64", "p[0-9][0-9]", "zip", ...).
    static std::span<const std::string_view> OpenPatterns();

    // The image's format: "d64" for a single-sided 1541 image (35, 40 or 42 tracks), "d71" for a
    // double-sided one, "d81", "d80", "d82", "g64", "g71", "x64", "t64", "lnx", "p00", and "prg",
    // "seq", "usr", "rel" or "del" for a file on its own; empty without an image.
    std::string_view Format() const;
    bool ReadError() const;                 // the last Open met an impossible track
    const std::string& FileName() const;    // the text after the last "/" of the path opened
    const std::u16string& Caption() const;  // the window's title
    const std::u16string& DiskName() const;
    const std::u16string& DiskId() const;
    const std::u16string& DosType() const;
    int BlocksFree() const;
    const std::u16string& Status() const;

    // The rows in the order the list shows them.
    int RowCount() const;
    const RowTexts& Row(int position) const;
    // A click on a column's header: the rows sorted by it, starting from the order of the last
    // sort. Revert shows them in directory order again. Both leave no row selected.
    void SortBy(int column);
    void Revert();
    // The column the rows are sorted by; nothing in directory order.
    std::optional<int> SortColumn() const;
    // The position in the list of a 1-based directory row; -1 for none.
    int PositionOfDirectoryRow(int row) const;
    // A number that changes whenever the directory on show changes: an image opened or closed,
    // a partition opened or left.
    std::uint64_t DirectoryVersion() const;

    // The file of the row at position as it is taken out: its name and bytes, natively or in a
    // PC64 container; nothing for a row that names no file (one that shows only a message).
    std::optional<ExportedFile> ExportFile(int position, ExportFormat format) const;

    // Selects the row at position (-1 for none), as the list reports a selection. A row already on
    // show is not shown again; returns true when the display changed.
    bool Select(int position);
    int SelectedRow() const;  // -1 for none

    // What is on show.
    bool ShowsFile() const;  // a file, not a message
    // The message every pane holds, when a message is on show.
    const std::optional<std::u16string>& Message() const;
    // The view whose pane is on show and whose button is checked.
    ViewMode View() const;
    // A view button: only the pane on show changes (and the address box's enabled state).
    void ChooseView(ViewMode view);
    // The browser pane's page, HTML; nothing while the instructions are on show.
    const std::optional<std::u16string>& Page() const;
    // The lines of that page when it is a BASIC listing.
    const std::optional<MarkedText>& Listing() const;
    // The text of a view's pane: a text pane's text, the page for the BASIC view, or the message.
    const std::u16string& PaneText(ViewMode view);
    // The whole text of a view's pane handed to sink piece by piece as it is made, however much
    // of it the pane's own text holds (see SetPaneLimit); false when the sink stopped it.
    bool WritePane(ViewMode view, const TextSink& sink);
    // The same text in UTF-8.
    bool WritePaneUtf8(ViewMode view, const Utf8Sink& sink);
    // A window that shows a file's panes whole only up to a size: each text pane then holds the
    // rendering of the first bytes of the content, and a note of what it left out. Applies to
    // the files shown from now on.
    void SetPaneLimit(std::size_t bytes);
    // Whether the panes of the file on show hold only its first part.
    bool PanesCut() const;
    // The PETSCII code each character of the pane's text stands for, -1 for none: how the
    // HEX/ASCII, PETSCII and ScrCode panes are drawn in the C64's character set. Empty for the
    // other panes and while a message is on show.
    std::vector<std::int16_t> PaneCodes(ViewMode view) const;
    // The Assembly pane decodes every opcode (the undocumented ones as cc65's "6502X" names them)
    // or only the documented ones, "???" for the rest, as it does at first.
    void SetAllOpcodes(bool allOpcodes);

    // The Picture view of the file on show: drawn in the format chosen for it, else in the one
    // its load address and length name; no picture (an empty format) for a file that names none
    // until one is chosen.
    const PicturePane& Picture();
    // That picture as 8-bit RGB triples, row after row, in the palette of that key (the first
    // palette for a key it does not know).
    std::vector<std::uint8_t> PictureRgb(std::string_view palette);
    // Chooses the format the file on show is drawn in ("auto": the one it names, as at first);
    // false for a key it does not know. The choice holds for this file: the next starts afresh.
    bool SetPictureFormat(std::string_view key);
    // The format the file on show names, and the one chosen for it; empty for none.
    std::string_view DetectedPictureFormat() const;
    std::string_view ChosenPictureFormat() const;
    // The colours sprites and character sets are drawn in, from now on (numbers above 15 count
    // from 0 again).
    void SetPictureColours(const PictureColourChoice& colours);
    // Whether the picture on show is drawn in those colours (sprites or characters).
    bool PictureTakesColours();
    // The sixteen colours' names, by number.
    static std::vector<std::string_view> ColourNames();
    // The formats, in the order a menu lists them (sprites and character sets last).
    static std::vector<PictureFormatChoice> PictureFormats();
    // The palettes by key; the first is the one used at first.
    static std::vector<PaletteChoice> Palettes();

    // The file on show as 64tass source that assembles to exactly its bytes; the message when only
    // a message is on show.
    std::u16string AssemblySource() const;
    // The same text handed to sink piece by piece; false when the sink stopped it.
    bool WriteAssemblySource(const TextSink& sink) const;

    // In the HEX/ASCII pane of the file on show: where the bytes that pattern names stand (see
    // BytePattern), a range for each line a hit's hexadecimal pairs take.
    SearchHits FindBytesInHexPane(const std::vector<int>& pattern) const;

    // A number that changes whenever the view's pane changes (the page, for the BASIC view): a
    // new file or message changes every pane, a new disassembly the Assembly pane alone.
    std::uint64_t PaneVersion(ViewMode view) const;

    // The address after SYS in the first line of the BASIC program on show (its machine code's
    // entry), when that address lies inside the file.
    std::optional<std::int32_t> SysEntry() const;
    // "Disassemble from SYS n": the Assembly view, from n, as when n is typed into the box.
    void DisassembleFromSys(const MessageHandler& tell);

    // The dialect of BASIC listings: "auto" (found from each program, the default) or a key of
    // BasicDialects(). Returns false for a key it does not know. The file on show is shown again.
    bool SetBasicDialect(std::string_view key);
    // The dialects by key ("v2", "v7.0", ...) and name ("BASIC V2", "BASIC 7.0", ...).
    static std::vector<std::pair<std::string_view, std::string_view>> BasicDialects();

    // The start-address box.
    const std::u16string& AddressText() const;
    bool AddressEnabled() const;
    // The addresses the file on show covers; the box accepts only these.
    std::int32_t RangeStart() const;
    std::int32_t RangeEnd() const;
    // Enter: judges typed as an address inside the file on show, telling a refusal through tell
    // (the box then shows the file's start again after an address out of range). An accepted
    // address redoes the Assembly pane from there. With no file on show it does nothing. Returns
    // false when the entry was refused.
    bool EnterAddress(std::u16string_view typed, const MessageHandler& tell);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kestrune
