#include "viewer/show_row.h"

#include "image/directory.h"

#include <gtest/gtest.h>

#include "tests/support/basic_program.h"
#include "tests/support/disk_builder.h"
#include "tests/support/printers.h"
#include "text/unicode.h"
#include "views/basic_listing.h"
#include "views/pages.h"

namespace kestrune {
namespace {

using testing::Bytes;
using testing::DiskBuilder;
using Kind = RowDisplay::Kind;

const Bytes kHelloProgram = testing::BasicProgram(0x0801, {{10, {0x99, 0x22, 0x48, 0x49, 0x22}}});

DirectoryEntry Entry(std::uint16_t blocks, std::uint8_t type, std::uint8_t track,
                     std::uint8_t sector, std::uint8_t geosType = 0) {
    DirectoryEntry entry;
    entry.blocks = blocks;
    entry.type = type;
    entry.track = track;
    entry.sector = sector;
    entry.geosType = geosType;
    return entry;
}

class ShowRowTest : public ::testing::Test {
  protected:
    // Adds a file and returns its row as the directory reader makes it.
    DirectoryEntry AddFile(std::uint8_t type, const Bytes& data, std::uint8_t geosType = 0) {
        disk_.AddFile("FILE", type, data, geosType);
        const Directory directory = ReadDirectory(disk_.Image());
        return directory.entries.back();
    }

    RowDisplay Show(const DirectoryEntry& row) {
        return ShowRow(OpenD64(disk_.Image()), row, state_);
    }

    DiskBuilder disk_;
    ViewerState state_;
};

TEST_F(ShowRowTest, RowsThatOnlyShowAMessage) {
    const struct {
        DirectoryEntry row;
        std::u16string_view message;
    } cases[] = {
        {Entry(0, 0x80, 0, 0), u"Nothing to display"},
        {Entry(0, 0x82, 18, 0), u"Nothing to display (directory label)"},
        {Entry(12, 0x83, 3, 10, 6), u"GEOS File (Application). Unable to display."},
    };
    for (const auto& c : cases) {
        RowDisplay display = Show(c.row);
        EXPECT_EQ(display.kind, Kind::Message);
        EXPECT_EQ(display.message, c.message);
        EXPECT_EQ(display.addressBoxText, u"0");
        EXPECT_FALSE(display.status);
    }
}

TEST_F(ShowRowTest, SeqFileOpensAsPetsciiWithItsFirstBytes) {
    const DirectoryEntry row = AddFile(0x81, {0x48, 0x49, 0x0D, 0xC8, 0xC9});
    RowDisplay display = Show(row);
    ASSERT_EQ(display.kind, Kind::Full);
    EXPECT_EQ(display.view, ViewPetscii);
    EXPECT_EQ(display.page, kNotBasicPage);
    EXPECT_EQ(display.panes.Text(ViewPetscii), u"hi\r\nHI");
    EXPECT_EQ(display.panes.Text(ViewScrCode), u"HImHI");
    EXPECT_EQ(display.panes.Text(ViewAssembly).substr(0, 6), u"0000: ");
    EXPECT_EQ(display.addressBoxText, u"0");
    EXPECT_FALSE(display.addressBoxEnabled);
    EXPECT_EQ(state_.rangeStart, 0);
    EXPECT_EQ(state_.rangeEnd, 4);
}

// Only a PRG has a load address: every other file, locked or open, is shown from its first byte.
TEST_F(ShowRowTest, FilesWithoutAStartTextAreShownWhole) {
    for (const std::uint8_t type : {0x81, 0xC1, 0x01, 0x41, 0x83, 0xC3, 0x84, 0x80}) {
        const DirectoryEntry row = AddFile(type, {0x4B, 0x45, 0x53, 0x0D, 0x54});
        ASSERT_FALSE(row.loadAddress);
        RowDisplay display = Show(row);
        SCOPED_TRACE(int{type});
        EXPECT_EQ(display.view, ViewPetscii);
        EXPECT_EQ(display.panes.Text(ViewPetscii), u"kes\r\nt");
        const std::u16string& hex = display.panes.Text(ViewHex);
        EXPECT_EQ(hex.substr(hex.find(u"0000: "), 12), u"0000: 4b 45 ");
        EXPECT_EQ(state_.rangeStart, 0);
        EXPECT_EQ(state_.rangeEnd, 4);
    }
}

// A file of 0 blocks on the directory track is a label; one with blocks is a file stored there.
TEST_F(ShowRowTest, FileOnTheDirectoryTrackIsShownWhenItHasBlocks) {
    disk_.RawBlock({18, 5}, 0, 4, Bytes{0x01, 0x08, 0xEA});
    disk_.AddEntry({0x82, 18, 5, "ON DIR TRACK", 1});
    const DirectoryEntry row = ReadDirectory(disk_.Image()).entries.back();
    RowDisplay display = Show(row);
    ASSERT_EQ(display.kind, Kind::Full);
    EXPECT_EQ(display.panes.Text(ViewAssembly), u"0801: ea        nop\r\n");
}

TEST_F(ShowRowTest, BasicProgramOpensAsListing) {
    const DirectoryEntry row = AddFile(0x82, testing::Program(0x0801, kHelloProgram));
    RowDisplay display = Show(row);
    EXPECT_EQ(display.view, ViewBasic);
    EXPECT_EQ(display.page, ListingPage(*ListBasic(kHelloProgram).lines));
    EXPECT_EQ(display.status, u"BASIC program");
    EXPECT_EQ(display.addressBoxText, u"2049");
    EXPECT_FALSE(display.addressBoxEnabled);
    EXPECT_EQ(display.panes.Text(ViewHex).substr(display.panes.Text(ViewHex).find(u"0801: "), 9),
              u"0801: 0b ");
}

TEST_F(ShowRowTest, MachineCodeAddressOpensAssemblyEvenWhenTheBytesListAsBasic) {
    const DirectoryEntry row = AddFile(0x82, testing::Program(0xC000, kHelloProgram));
    RowDisplay display = Show(row);
    EXPECT_EQ(display.view, ViewAssembly);
    EXPECT_EQ(display.page, kNotBasicPage);
    EXPECT_EQ(display.status, u"BASIC program");  // the listing did run and set the status
    EXPECT_TRUE(display.addressBoxEnabled);
    EXPECT_EQ(display.addressBoxText, u"49152");
    EXPECT_EQ(state_.disasmStart, 0xC000);
    EXPECT_EQ(state_.rangeEnd, 0xC000 + static_cast<int>(kHelloProgram.size()) - 1);
}

TEST_F(ShowRowTest, OtherAddressesFollowTheListingsVerdict) {
    EXPECT_EQ(Show(AddFile(0x82, testing::Program(0x3000, kHelloProgram))).view, ViewBasic);
    const RowDisplay code =
        Show(AddFile(0x82, testing::Program(0x3000, Bytes{0xA9, 0x00, 0x8D, 0x20, 0xD0, 0x60})));
    EXPECT_EQ(code.view, ViewHex);
    EXPECT_EQ(code.page, kNotBasicPage);
    EXPECT_FALSE(code.status);
}

TEST_F(ShowRowTest, ARequestedAddressRedoesOnlyTheDisassembly) {
    const DirectoryEntry row = AddFile(0x82, testing::Program(0xC000, Bytes(100, 0xEA)));
    Show(row);
    state_.gotoAddress = 0xC063;
    RowDisplay display = Show(row);
    EXPECT_EQ(display.kind, Kind::AssemblyOnly);
    EXPECT_EQ(display.panes.Text(ViewAssembly), u"c063: ea        nop\r\n");
    EXPECT_FALSE(display.addressBoxText);
    EXPECT_EQ(state_.gotoAddress, 0);
}

TEST_F(ShowRowTest, DegenerateChainsShowEmptyPanes) {
    disk_.RawBlock({1, 0}, 0, 0);  // a last block that holds no byte: length 0
    DirectoryEntry row = Entry(1, 0x82, 1, 0);
    row.loadAddress = 0;
    RowDisplay display = Show(row);
    EXPECT_EQ(display.view, ViewPetscii);
    EXPECT_EQ(display.panes.Text(ViewPetscii), u"");
    EXPECT_EQ(display.panes.Text(ViewAssembly), u"");
    EXPECT_EQ(state_.rangeEnd, -3);
}

// A window bounds its panes: each shows the first part and says what it left out, while the
// whole text is still there to be written out.
TEST(TextPanesTest, BoundedPanesShowTheFirstPartAndSaySo) {
    const auto storage = std::make_shared<const Bytes>(Bytes(100, 0xEA));
    const std::span<const std::uint8_t> content(*storage);
    TextPanes bounded(storage, content, 0xC000, 0, false, 16);
    TextPanes whole(storage, content, 0xC000, 0, false);
    EXPECT_TRUE(bounded.Cut());
    EXPECT_FALSE(whole.Cut());
    const std::u16string note =
        u"\r\n--- The first 16 of the file's 100 bytes are shown here. File > Export... writes "
        u"the whole view, and kestrune-cli show prints it. ---";
    for (const ViewMode view : {ViewAssembly, ViewHex, ViewPetscii, ViewScrCode}) {
        const std::u16string& text = bounded.Text(view);
        EXPECT_TRUE(text.ends_with(note)) << view;
        std::u16string written;
        EXPECT_TRUE(bounded.Write(view, [&](std::u16string_view piece) {
            written.append(piece);
            return true;
        }));
        EXPECT_EQ(written, whole.Text(view)) << view;
        // What shows is the start of the whole text (a line end set before the note aside).
        std::u16string_view shown = std::u16string_view(text).substr(0, text.size() - note.size());
        if (!written.starts_with(shown) && shown.ends_with(u"\r\n")) shown.remove_suffix(2);
        EXPECT_TRUE(written.starts_with(shown)) << view;
    }
    EXPECT_EQ(bounded.Text(ViewAssembly).substr(0, bounded.Text(ViewAssembly).size() - note.size()),
              whole.Text(ViewAssembly).substr(0, 16 * 21));
}

}  // namespace
}  // namespace kestrune
