// Showing files in the window: selection by mouse and keyboard, the view buttons, the start-address
// box, sorting and revert, copying; and every pane against kestrune-cli for every row of a disk.
#include <QAbstractButton>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <nlohmann/json.hpp>

#include "shell/browser_pane.h"
#include "shell/control_ids.h"
#include "shell/main_window.h"
#include "shell/text_pane.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/basic_program.h"
#include "tests/support/fixture_disk.h"
#include "tests/support/run_program.h"
#include "viewer/search.h"
#include "viewer/sorting.h"
#include "views/basic_listing.h"
#include "views/pages.h"

using namespace kestrune;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

namespace {

class Window {
  public:
    explicit Window(const ShellFixture& fixture, const DiskBuilder& disk = testing::FixtureDisk()) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog)) qWarning("window not exposed");
        MessageRecorder quiet;
        dialog.openImage(fixture.Write("view.d64", disk));
    }

    void Click(int row) {
        const QRect rect = Ui(dialog).cellRect(row, 1);
        QTest::mouseClick(Ui(dialog).list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void Enter(const QString& typed) {
        Ui(dialog).address->setText(typed);
        Ui(dialog).address->setFocus();
        QTest::keyClick(Ui(dialog).address, Qt::Key_Return);
    }

    int VisiblePane() const {
        const QList<QWidget*> panes = {Ui(dialog).browser, Ui(dialog).assembly, Ui(dialog).hex,
                                       Ui(dialog).petscii, Ui(dialog).scrcode};
        int visible = -1;
        for (int view = 0; view < panes.size(); ++view) {
            if (panes[view]->isVisible()) {
                if (visible != -1) return -2;  // more than one
                visible = view;
            }
        }
        return visible;
    }

    int CheckedView() const {
        for (int view = 0; view < 5; ++view) {
            if (static_cast<QRadioButton*>(Ui(dialog).control(IDC_RADIO_BASIC + view))->isChecked())
                return view;
        }
        return -1;
    }

    QString Status() const { return static_cast<QLabel*>(Ui(dialog).control(IDC_STATUS))->text(); }

    QStringList ListNames() const {
        QStringList names;
        for (int row = 0; row < Ui(dialog).rows(); ++row)
            names << Ui(dialog).cell(row, 1);
        return names;
    }

    MainWindow dialog;
};

// Chooses a menu item that asks for a file to save, answers its dialog as a user would (the type
// chosen, the name typed, Save clicked), and returns what was written.
QByteArray SaveThroughMenu(const Ui& ui, const QString& item, const QString& path,
                           const QString& type) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        if (!type.isEmpty()) dialog->selectNameFilter(type);
        dialog->selectFile(path);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save),
                          Qt::LeftButton);
    });
    ui.chooseMenuItem(item);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void eachRowOpensInItsView();
    void keyboardSelectionShowsTheFileToo();
    void homeEndAndPageKeysMoveThroughTheFiles();
    void undocumentedOpcodesFromTheViewMenu();
    void exportWritesTheViewOrItsSource();
    void largeFileShowsItsFirstPartAndExportsWhole();
    void searchBoxFindsInTheVisiblePane();
    void editMenuActsOnTheVisiblePane();
    void disassembleFromTheFirstLinesSys();
    void basicDialectFromTheViewMenu();
    void saveFileAsWritesTheFile();
    void rowsDragOutAsTheirFiles();
    void messageRowsKeepTheVisiblePane();
    void theRowOnShowIsNotShownAgain();
    void viewButtonsOnlySwitchPanes();
    void startAddressEntry();
    void sortingByEachColumnAndRevert();
    void panesCanBeSelectedAndCopied();
    void everyRowMatchesTheCli();
};

void ViewTest::eachRowOpensInItsView() {
    ShellFixture fixture;
    Window window(fixture);
    const struct {
        int row;
        int view;
        bool boxEnabled;
        QString box;
        QString status;
    } cases[] = {
        // The status line follows the file on show, as kestrune-cli's status for the row says.
        {0, ViewBasic, false, "2049", "BASIC program"},
        {1, ViewAssembly, true, "49152", ""},
        {2, ViewPetscii, false, "0", ""},
        {3, ViewScrCode, false, "1024", ""},
        {7, ViewBasic, false, "12288", "BASIC program"},
        {8, ViewHex, false, "12288", ""},
    };
    for (const auto& c : cases) {
        window.Click(c.row);
        QCOMPARE(Ui(window.dialog).selectedRow(), c.row);
        QCOMPARE(window.VisiblePane(), c.view);
        QCOMPARE(window.CheckedView(), c.view);
        QCOMPARE(Ui(window.dialog).address->isEnabled(), c.boxEnabled);
        QCOMPARE(Ui(window.dialog).address->text(), c.box);
        QCOMPARE(window.Status(), c.status);
    }
    window.Click(0);
    QCOMPARE(Ui(window.dialog).browser->page(),
             Text(ListingPage(*ListBasic(std::span(testing::kHelloProgram)).lines)));
    window.Click(1);
    QCOMPARE(Ui(window.dialog).browser->page(), Text(kNotBasicPage));
    QCOMPARE(Ui(window.dialog).assembly->text().substr(0, 24),
             std::u16string(u"c000: a9 93     lda #$93"));
    window.Click(2);
    QCOMPARE(Ui(window.dialog).petscii->text(), std::u16string(u"hi\r\nthere\u00A3"));
    QCOMPARE(Ui(window.dialog).browser->page(), Text(kNotBasicPage));
}

void ViewTest::keyboardSelectionShowsTheFileToo() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(0);
    Ui(window.dialog).list->setFocus();
    QTest::keyClick(Ui(window.dialog).list, Qt::Key_Down);
    QCOMPARE(Ui(window.dialog).selectedRow(), 1);
    QCOMPARE(window.VisiblePane(), int(ViewAssembly));
    QTest::keyClick(Ui(window.dialog).list, Qt::Key_Down);
    QCOMPARE(window.VisiblePane(), int(ViewPetscii));
    QCOMPARE(Ui(window.dialog).petscii->text(), std::u16string(u"hi\r\nthere\u00A3"));
}

void ViewTest::homeEndAndPageKeysMoveThroughTheFiles() {
    ShellFixture fixture;
    DiskBuilder disk;
    for (int i = 0; i < 60; ++i)
        disk.AddFile("FILE " + std::to_string(i), 0x81, Bytes{0x41, static_cast<std::uint8_t>(i)});
    Window window(fixture, disk);
    QTableView* list = Ui(window.dialog).list;
    window.Click(5);
    const int rowsOnAPage = list->rowAt(list->viewport()->height() - 1);
    QVERIFY(rowsOnAPage > 2 && rowsOnAPage < 59);

    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(Ui(window.dialog).selectedRow(), 59);
    QCOMPARE(list->currentIndex().column(), 1);
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(Ui(window.dialog).selectedRow(), 0);
    QCOMPARE(list->currentIndex().column(), 1);
    QCOMPARE(Ui(window.dialog).petscii->text(), std::u16string(u"a."));
    QTest::keyClick(list, Qt::Key_PageDown);
    const int down = Ui(window.dialog).selectedRow();
    QVERIFY(down >= rowsOnAPage - 1 && down <= rowsOnAPage + 1);
    QTest::keyClick(list, Qt::Key_PageUp);
    QCOMPARE(Ui(window.dialog).selectedRow(), 0);
}

void ViewTest::undocumentedOpcodesFromTheViewMenu() {
    ShellFixture fixture;
    DiskBuilder disk;
    disk.AddFile("ILLEGAL", 0x82, testing::Program(0xC000, Bytes{0xEA, 0xA7, 0x12, 0x02}));
    Window window(fixture, disk);
    const Ui ui(window.dialog);
    window.Click(0);
    QCOMPARE(ui.assembly->text(),
             std::u16string(u"c000: ea        nop\r\nc001: a7        ???\r\nc002: 12        "
                            u"???\r\nc003: 02        ???\r\n"));
    ui.chooseMenuItem("&Undocumented opcodes");
    QCOMPARE(ui.assembly->text(),
             std::u16string(u"c000: ea        nop\r\nc001: a7 12     lax $12\r\nc003: 02        "
                            u"jam\r\n"));
    // A typed start address keeps its place; the next file is decoded the same way.
    window.Enter("$c001");
    QCOMPARE(ui.assembly->text(),
             std::u16string(u"c001: a7 12     lax $12\r\nc003: 02        jam\r\n"));
    ui.chooseMenuItem("&Undocumented opcodes");
    QCOMPARE(ui.assembly->text().substr(0, 21), std::u16string(u"c001: a7        ???\r\n"));
}

// File > Export... with the file dialog answered as a user would: a name typed, a type chosen.
void ViewTest::exportWritesTheViewOrItsSource() {
    ShellFixture fixture;
    Window window(fixture);
    const Ui ui(window.dialog);
    const auto exportAs = [&](const QString& name, const QString& type) {
        return QString::fromUtf8(SaveThroughMenu(ui, "&Export...", fixture.Path(name), type));
    };
    window.Click(2);
    QCOMPARE(exportAs("notes.txt", {}), QStringLiteral("hi\r\nthere\u00A3"));
    window.Click(1);
    QCOMPARE(exportAs("code.txt", {}), Text(ui.assembly->text()));
    QCOMPARE(exportAs("code.asm", "64tass source (*.asm *.s)"),
             QStringLiteral("; 64tass -o OUT SOURCE\r\n"
                            "\t* = $c000\r\n\tlda #$93\r\n\tjsr $ffd2\t; print char in "
                            "[a]\r\n\trts\r\n"));
    window.Click(0);
    QCOMPARE(exportAs("hello.txt", {}), QStringLiteral("10 print \"hi\""));
}

// A file larger than the panes hold: each shows its first part and says so; Export writes all
// of the view, as kestrune-cli prints it.
void ViewTest::largeFileShowsItsFirstPartAndExportsWhole() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    MessageRecorder quiet;
    const QString path =
        fixture.Write("large.prg", testing::Program(0xC000, testing::Noise(600000)));
    dialog.openImage(path);
    const Ui ui(dialog);
    ui.list->selectRow(0);
    const std::u16string shown = ui.shownText(ViewHex);
    QVERIFY(
        shown.ends_with(u"--- The first 524,288 of the file's 600,000 bytes are shown here. "
                        u"File > Export... writes the whole view, and kestrune-cli show prints "
                        u"it. ---"));
    const QByteArray exported =
        SaveThroughMenu(ui, "&Export...", fixture.Path("large.txt"), QString());
    const testing::ProgramRun run = testing::RunProgram(
        KESTRUNE_CLI_PATH, {"show", path.toStdString(), "--row", "1", "--as", "hex"});
    QCOMPARE(exported.size(), static_cast<qsizetype>(run.out.size()));
    QVERIFY(exported == QByteArray::fromStdString(run.out));
}

void ViewTest::searchBoxFindsInTheVisiblePane() {
    ShellFixture fixture;
    DiskBuilder disk = testing::FixtureDisk();
    testing::Bytes code;
    for (int i = 0; i < 400; ++i)
        code.insert(code.end(), {0xA9, static_cast<std::uint8_t>(i), 0x8D, 0x20, 0xD0});
    disk.AddFile("LONG CODE", 0x82, testing::Program(0xC000, code));
    Window window(fixture, disk);
    window.dialog.activateWindow();
    const Ui ui(window.dialog);
    QVERIFY(!ui.search->isEnabled());
    window.Click(10);
    QVERIFY(ui.search->isEnabled());

    // Ctrl+F, then typing: every match marked, the first on view, the count in the status line.
    QTest::keyClick(ui.list, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(ui.search->hasFocus());
    QTest::keyClicks(ui.search, "STA $D020");
    QCOMPARE(ui.assembly->matches().size(), std::size_t{400});
    QCOMPARE(window.Status(), QStringLiteral("1 of 400"));
    QCOMPARE(ui.assembly->selectedText(), QStringLiteral("sta $d020"));
    // Enter and F3 go on, Shift+F3 goes back, round the end.
    QTest::keyClick(ui.search, Qt::Key_Return);
    QCOMPARE(window.Status(), QStringLiteral("2 of 400"));
    QVERIFY(ui.assembly->isVisible());
    QTest::keyClick(ui.search, Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(ui.search, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(window.Status(), QStringLiteral("400 of 400"));
    QVERIFY(ui.assembly->lastVisibleRow() >= 399);
    QTest::keyClick(ui.search, Qt::Key_F3);
    QCOMPARE(window.Status(), QStringLiteral("1 of 400"));
    QCOMPARE(ui.assembly->firstVisibleRow(), 0);

    // In the HEX/ASCII view, hexadecimal pairs find bytes, also across a line break.
    QTest::mouseClick(ui.viewButton(ViewHex), Qt::LeftButton);
    ui.search->clear();
    QTest::keyClicks(ui.search, "d0 a9 ?? 8d");
    QCOMPARE(window.Status(), QStringLiteral("1 of 399"));
    const std::u16string& hex = ui.hex->text();
    const TextRange first = ui.hex->matches().front();
    QCOMPARE(hex.substr(first.begin, first.length), std::u16string(u"d0 a9 01 8d"));
    // The third sequence starts at byte 14, the seventh of its line: it goes on on the next one.
    const auto range = [&](std::size_t i) {
        return hex.substr(ui.hex->matches()[i].begin, ui.hex->matches()[i].length);
    };
    QCOMPARE(range(1), std::u16string(u"d0 a9 02 8d"));
    QCOMPARE(range(2), std::u16string(u"d0 a9"));
    QCOMPARE(range(3), std::u16string(u"03 8d"));
    // Such a match is marked on both lines; nothing between them (the text columns, the next
    // address) is selected.
    QTest::keyClick(ui.search, Qt::Key_F3);
    QTest::keyClick(ui.search, Qt::Key_F3);
    QCOMPARE(window.Status(), QStringLiteral("3 of 399"));
    QVERIFY(ui.hex->isChosenMatch(2) && ui.hex->isChosenMatch(3) && !ui.hex->isChosenMatch(1));
    QCOMPARE(ui.hex->selectedText(), QString());
    QTest::keyClick(ui.search, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(ui.hex->selectedText(), QStringLiteral("d0 a9 02 8d"));

    // Escape empties the box and the window stays; the status line is the file's again.
    QTest::keyClick(ui.search, Qt::Key_Escape);
    QCOMPARE(ui.search->text(), QString());
    QVERIFY(window.dialog.isVisible());
    QVERIFY(ui.hex->matches().empty());
    QCOMPARE(ui.hex->selectedText(), QString());
    QCOMPARE(window.Status(), QString());

    // The BASIC view searches the listing as it shows.
    window.Click(0);
    QTest::keyClicks(ui.search, "PRINT \"");
    QCOMPARE(window.Status(), QStringLiteral("1 of 1"));
    QCOMPARE(ui.browser->listing()->selectedText(), QStringLiteral("print \""));
}

void ViewTest::editMenuActsOnTheVisiblePane() {
    ShellFixture fixture;
    Window window(fixture);
    const Ui ui(window.dialog);
    window.Click(2);
    ui.chooseMenuItem("Select &All");
    ui.chooseMenuItem("&Copy");
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hi\nthere\u00A3"));
    ui.chooseMenuItem("&Find");
    QVERIFY(ui.search->hasFocus());
}

void ViewTest::disassembleFromTheFirstLinesSys() {
    ShellFixture fixture;
    DiskBuilder disk;
    // 10 SYS2061, and the machine code right after the program's end, at 2061.
    testing::Bytes stub = testing::BasicProgram(0x0801, {{10, {0x9E, '2', '0', '6', '1'}}});
    stub.insert(stub.end(), {0xA9, 0x00, 0x60});
    disk.AddFile("STUB", 0x82, testing::Program(0x0801, stub));
    disk.AddFile("HELLO", 0x82, testing::Program(0x0801, testing::kHelloProgram));
    Window window(fixture, disk);
    const Ui ui(window.dialog);
    auto* link = window.dialog.findChild<QLabel*>("sysLink");
    window.Click(1);
    QVERIFY(!link->isVisible());
    window.Click(0);
    QCOMPARE(window.VisiblePane(), int(ViewBasic));
    QVERIFY(link->isVisible());
    QVERIFY(link->text().contains("Disassemble from SYS 2061"));
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    QCOMPARE(window.VisiblePane(), int(ViewAssembly));
    QCOMPARE(window.CheckedView(), int(ViewAssembly));
    QCOMPARE(ui.address->text(), QStringLiteral("2061"));
    QCOMPARE(ui.assembly->text().substr(0, 24), std::u16string(u"080d: a9 00     lda #$00"));

    // The same from the listing's own menu.
    window.Click(1);
    window.Click(0);
    QAction* fromSys = nullptr;
    for (QAction* action : ui.browser->listing()->actions()) {
        if (action->isVisible() && action->text() == "Disassemble from SYS 2061") fromSys = action;
    }
    QVERIFY(fromSys != nullptr);
    fromSys->trigger();
    QCOMPARE(window.VisiblePane(), int(ViewAssembly));
    QCOMPARE(ui.assembly->text().substr(0, 4), std::u16string(u"080d"));
}

void ViewTest::basicDialectFromTheViewMenu() {
    ShellFixture fixture;
    DiskBuilder disk;
    // At 0x0801 the token 0xe8 is no V2 keyword; in BASIC 3.5 and 7.0 it is scnclr.
    disk.AddFile("PLUS4", 0x82,
                 testing::Program(0x0801, testing::BasicProgram(0x0801, {{10, {0xE8}}})));
    Window window(fixture, disk);
    const Ui ui(window.dialog);
    window.Click(0);
    QCOMPARE(ui.browser->listing()->text(), std::u16string(u"10 scnclr"));
    QCOMPARE(window.Status(), QStringLiteral("BASIC program"));
    ui.chooseMenuItem("BASIC 4.0");
    QCOMPARE(ui.browser->listing()->text(), std::u16string(u"10 scnclr"));  // not a 4.0 token
    ui.chooseMenuItem("BASIC 7.0");
    QCOMPARE(window.Status(), QStringLiteral("BASIC program (BASIC 7.0)"));
    QCOMPARE(window.VisiblePane(), int(ViewBasic));
    ui.chooseMenuItem("Super Expander");
    QCOMPARE(ui.browser->listing()->text(), std::u16string(u"10 scnclr"));
    ui.chooseMenuItem("&Automatic");
    QCOMPARE(window.Status(), QStringLiteral("BASIC program"));
}

void ViewTest::saveFileAsWritesTheFile() {
    ShellFixture fixture;
    Window window(fixture);
    const Ui ui(window.dialog);
    const auto saveAs = [&](const QString& name, const QString& type) {
        return SaveThroughMenu(ui, "&Save File As...", fixture.Path(name), type);
    };
    window.Click(1);
    QCOMPARE(saveAs("code.prg", {}), QByteArray("\x00\xC0\xA9\x93\x20\xD2\xFF\x60", 8));
    const QByteArray container =
        saveAs("code.p00", "PC64 container (*.p00 *.s00 *.u00 *.r00 *.d00)");
    QCOMPARE(container.left(8), QByteArray("C64File\0", 8));
    QCOMPARE(container.mid(8, 4), QByteArray("CODE"));
    QCOMPARE(container.mid(26), QByteArray("\x00\xC0\xA9\x93\x20\xD2\xFF\x60", 8));
}

// What a row dragged out of the list carries: its file, under its name, for a file manager.
void ViewTest::rowsDragOutAsTheirFiles() {
    ShellFixture fixture;
    Window window(fixture);
    const Ui ui(window.dialog);
    QAbstractItemModel* model = ui.list->model();
    QVERIFY(model->flags(model->index(1, 1)) & Qt::ItemIsDragEnabled);
    QVERIFY(ui.list->dragEnabled());
    QCOMPARE(ui.list->defaultDropAction(), Qt::CopyAction);
    std::unique_ptr<QMimeData> data(model->mimeData({model->index(1, 0), model->index(1, 1)}));
    QVERIFY(data != nullptr);
    QCOMPARE(data->urls().size(), 1);
    QCOMPARE(QFileInfo(data->urls()[0].toLocalFile()).fileName(), QStringLiteral("code.prg"));
    QFile file(data->urls()[0].toLocalFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\x00\xC0\xA9\x93\x20\xD2\xFF\x60", 8));
    // A row that names no file carries nothing.
    QVERIFY(model->mimeData({model->index(4, 0)}) == nullptr);
}

void ViewTest::messageRowsKeepTheVisiblePane() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(1);
    const struct {
        int row;
        std::u16string_view message;
    } cases[] = {{4, u"Nothing to display"},
                 {5, u"Nothing to display (directory label)"},
                 {6, u"GEOS File (Application). Unable to display."}};
    for (const auto& c : cases) {
        window.Click(c.row);
        QCOMPARE(window.VisiblePane(), int(ViewAssembly));
        QCOMPARE(window.CheckedView(), int(ViewAssembly));
        QCOMPARE(Ui(window.dialog).browser->page(), Text(MessagePage(c.message)));
        QCOMPARE(Ui(window.dialog).address->text(), QStringLiteral("0"));
        for (int view = ViewScrCode; view >= ViewAssembly; --view)
            QCOMPARE(Ui(window.dialog).shownText(view), std::u16string(c.message));
    }
}

void ViewTest::theRowOnShowIsNotShownAgain() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(2);
    Ui(window.dialog).shownText(ViewHex);
    Ui(window.dialog).hex->setText(u"untouched");
    window.Click(2);
    QCOMPARE(Ui(window.dialog).hex->text(), std::u16string(u"untouched"));
    window.Click(3);
    QVERIFY(Ui(window.dialog).shownText(ViewHex) != u"untouched");
}

void ViewTest::viewButtonsOnlySwitchPanes() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(0);
    const std::u16string assembly = Ui(window.dialog).shownText(ViewAssembly);
    for (int view : {ViewAssembly, ViewHex, ViewPetscii, ViewScrCode, ViewBasic, ViewAssembly}) {
        QTest::mouseClick(
            static_cast<QAbstractButton*>(Ui(window.dialog).control(IDC_RADIO_BASIC + view)),
            Qt::LeftButton);
        QCOMPARE(window.VisiblePane(), view);
        QCOMPARE(Ui(window.dialog).visiblePane(), view);
        QCOMPARE(Ui(window.dialog).checkedView(), view);
        QCOMPARE(Ui(window.dialog).address->isEnabled(), view == ViewAssembly);
    }
    QCOMPARE(Ui(window.dialog).assembly->text(), assembly);
    // The checked button stays with the pane on show when a message row refreshes the window.
    window.Click(4);
    QCOMPARE(window.CheckedView(), int(ViewAssembly));
    QCOMPARE(window.VisiblePane(), int(ViewAssembly));
    // The next file opens in its own view.
    window.Click(2);
    QCOMPARE(window.VisiblePane(), int(ViewPetscii));
    QCOMPARE(window.CheckedView(), int(ViewPetscii));
}

void ViewTest::startAddressEntry() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(1);
    const std::u16string hex = Ui(window.dialog).shownText(ViewHex);
    Ui(window.dialog).shownText(ViewAssembly);
    const std::u16string fromC002 =
        u"c002: 20 d2 ff  jsr $ffd2\t; print char in [a]\r\nc005: 60        rts\r\n";
    for (const QString typed : {"49154", "$C002", "$c002"}) {
        MessageRecorder recorder;
        window.Enter(typed);
        QVERIFY(recorder.shown.empty());
        QCOMPARE(Ui(window.dialog).assembly->text(), fromC002);
        QCOMPARE(Ui(window.dialog).address->text(), typed);
        QCOMPARE(window.VisiblePane(), int(ViewAssembly));
        QCOMPARE(Ui(window.dialog).shownText(ViewHex), hex);
        Ui(window.dialog).shownText(ViewAssembly);
    }
    {
        MessageRecorder recorder;
        window.Enter("c002");
        QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::AddressHint});
        QCOMPARE(Ui(window.dialog).address->text(), QStringLiteral("c002"));
        QCOMPARE(Ui(window.dialog).assembly->text(), fromC002);
    }
    {
        MessageRecorder recorder;
        window.Enter("$c006");
        QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::AddressOutOfRange});
        QCOMPARE(Ui(window.dialog).address->text(), QStringLiteral("49152"));
    }
    // Enter works while the box is disabled; "0" outside the file is out of range.
    window.Click(2);
    QVERIFY(!Ui(window.dialog).address->isEnabled());
    MessageRecorder recorder;
    Ui(window.dialog).address->setText("5");
    QTest::keyClick(Ui(window.dialog).petscii, Qt::Key_Return);
    QVERIFY(recorder.shown.empty());
    QCOMPARE(window.VisiblePane(), int(ViewPetscii));
    QCOMPARE(Ui(window.dialog).shownText(ViewAssembly).substr(0, 6), std::u16string(u"0005: "));
}

void ViewTest::sortingByEachColumnAndRevert() {
    ShellFixture fixture;
    Window window(fixture);
    Ui(window.dialog).list->horizontalHeader()->resizeSection(ColumnGeos, 80);
    const QStringList directoryOrder = window.ListNames();
    QStringList sortedNames = directoryOrder;
    sortedNames.sort();
    window.Click(1);
    for (int column = 0; column < kColumnCount; ++column) {
        const int visible = window.VisiblePane();
        const std::u16string shown = Ui(window.dialog).hex->text();
        QHeaderView* header = Ui(window.dialog).list->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        // The same rows, each one's key no greater than the next one's.
        const QStringList expected = window.ListNames();
        QStringList names = expected;
        names.sort();
        QCOMPARE(names, sortedNames);
        std::vector<RowTexts> rows(static_cast<std::size_t>(Ui(window.dialog).rows()));
        for (int row = 0; row < Ui(window.dialog).rows(); ++row) {
            for (int cell = 0; cell < kColumnCount; ++cell)
                rows[row][cell] = Ui(window.dialog).cell(row, cell).toStdU16String();
        }
        for (std::size_t row = 1; row < rows.size(); ++row)
            QVERIFY(CompareKeys(SortKey(rows[row - 1], column), SortKey(rows[row], column)) <= 0);
        QCOMPARE(Ui(window.dialog).selectedRow(), -1);
        // The file on show stays; a click shows the row under it, also at the same index.
        QCOMPARE(window.VisiblePane(), visible);
        QCOMPARE(Ui(window.dialog).hex->text(), shown);
        window.Click(1);
        QCOMPARE(Ui(window.dialog).selectedRow(), 1);
        QCOMPARE(Ui(window.dialog).cell(1, 1), expected[1]);
    }
    QTest::mouseClick(static_cast<QAbstractButton*>(Ui(window.dialog).control(IDC_REVERT)),
                      Qt::LeftButton);
    QCOMPARE(window.ListNames(), directoryOrder);
    QCOMPARE(Ui(window.dialog).selectedRow(), -1);
}

void ViewTest::panesCanBeSelectedAndCopied() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(2);
    Ui(window.dialog).petscii->setFocus();
    QTest::keyClick(Ui(window.dialog).petscii, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Ui(window.dialog).petscii, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hi\nthere\u00A3"));
    // A drag from the start of the text selects up to the pointer.
    window.Click(1);
    TextPane* assembly = Ui(window.dialog).assembly;
    QTest::mousePress(assembly->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(assembly->viewport(),
                     QPoint(2 + 4 * assembly->fontMetrics().horizontalAdvance('M'), 2));
    QTest::mouseRelease(assembly->viewport(), Qt::LeftButton, {},
                        QPoint(2 + 4 * assembly->fontMetrics().horizontalAdvance('M'), 2));
    QCOMPARE(assembly->selectedText(), QStringLiteral("c000"));
}

void ViewTest::everyRowMatchesTheCli() {
    ShellFixture fixture;
    const QString demo = QStringLiteral(KESTRUNE_SOURCE_DIR "/samples/demo.d64");
    MainWindow dialog;
    dialog.show();
    MessageRecorder quiet;
    dialog.openImage(demo);
    QVERIFY(Ui(dialog).rows() > 0);
    for (int row = 0; row < Ui(dialog).rows(); ++row) {
        Ui(dialog).list->selectRow(row);
        const testing::ProgramRun run = testing::RunProgram(
            KESTRUNE_CLI_PATH,
            {"show", demo.toStdString(), "--row", std::to_string(row + 1), "--json"});
        QCOMPARE(run.exitCode, 0);
        const nlohmann::json shown = nlohmann::json::parse(run.out);
        const char* names[] = {"basic", "assembly", "hex", "petscii", "scrcode"};
        for (int view = ViewAssembly; view <= ViewScrCode; ++view) {
            QCOMPARE(Text(Ui(dialog).shownText(view)),
                     QString::fromStdString(shown["panes"][names[view]]));
        }
        // Rows are shown one after the other, as a user goes down the list: the status line
        // says what this row's file says, as the CLI does for the row alone.
        QCOMPARE(static_cast<QLabel*>(Ui(dialog).control(IDC_STATUS))->text(),
                 QString::fromStdString(shown["status"]));
        const QString basic = QString::fromStdString(shown["panes"]["basic"]);
        QCOMPARE(Ui(dialog).browser->page(),
                 shown["message"].is_null() ? basic : Text(MessagePage(basic.toStdU16String())));
    }
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
