// Showing files in the window: selection by mouse and keyboard, the view buttons, the start-address
// box, sorting and revert, copying; and every pane against kestrune-cli for every row of a disk.
#include <QAbstractButton>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <nlohmann/json.hpp>

#include "shell/control_ids.h"
#include "shell/explorer.h"
#include "shell/kestrune_dlg.h"
#include "shell/row_stores.h"
#include "shell/text_pane.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/basic_program.h"
#include "tests/support/run_program.h"
#include "viewer/sorting.h"
#include "views/basic_listing.h"
#include "views/pages.h"

using namespace kestrune;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

namespace {

const Bytes kHello = testing::BasicProgram(0x0801, {{10, {0x99, 0x22, 0x48, 0x49, 0x22}}});
const Bytes kCode = {0xA9, 0x93, 0x20, 0xD2, 0xFF, 0x60};

// Rows: 1 BASIC at $0801, 2 code at $C000, 3 SEQ, 4 screen codes at $0400, 5 DEL with track 0,
// 6 on the directory track, 7 a GEOS application, 8 BASIC at $3000, 9 code at $3000.
DiskBuilder ViewDisk() {
    DiskBuilder disk;
    disk.AddFile("HELLO", 0x82, testing::Program(0x0801, kHello));
    disk.AddFile("CODE", 0x82, testing::Program(0xC000, kCode));
    disk.AddFile("NOTES", 0x81, Bytes{0x48, 0x49, 0x0D, 0x54, 0x48, 0x45, 0x52, 0x45});
    disk.AddFile("SCREEN", 0x82, testing::Program(0x0400, Bytes{0x08, 0x09, 0x1F, 0x81}));
    disk.AddEntry({0x80, 0, 0, "GONE", 0});
    disk.AddEntry({0x82, 18, 0, "LABEL", 0});
    disk.AddEntry({0x83, 3, 10, "APP", 12, 6});
    disk.AddFile("BASIC3000", 0x82,
                 testing::Program(0x3000, testing::BasicProgram(0x3001, {{1, {0x80}}})));
    disk.AddFile("CODE3000", 0x82, testing::Program(0x3000, kCode));
    return disk;
}

class Window {
  public:
    explicit Window(const ShellFixture& fixture, const DiskBuilder& disk = ViewDisk()) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog)) qWarning("window not exposed");
        MessageRecorder quiet;
        dialog.OnDropFiles({fixture.Write("view.d64", disk)});
    }

    void Click(int row) {
        const QRect rect = dialog.m_list->visualItemRect(dialog.m_list->item(row, 1));
        QTest::mouseClick(dialog.m_list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void Enter(const QString& typed) {
        dialog.m_editAddress->setText(typed);
        dialog.m_editAddress->setFocus();
        QTest::keyClick(dialog.m_editAddress, Qt::Key_Return);
    }

    int VisiblePane() const {
        const QList<QWidget*> panes = {dialog.m_browser, dialog.m_editAssembly, dialog.m_editHex,
                                       dialog.m_editPetscii, dialog.m_editScrCode};
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
            if (static_cast<QRadioButton*>(dialog.Control(IDC_RADIO_BASIC + view))->isChecked())
                return view;
        }
        return -1;
    }

    QString Status() const { return static_cast<QLabel*>(dialog.Control(IDC_STATUS))->text(); }

    QStringList ListNames() const {
        QStringList names;
        for (int row = 0; row < dialog.m_list->rowCount(); ++row)
            names << dialog.m_list->item(row, 1)->text();
        return names;
    }

    CMyKestruneDlg dialog;
};

std::u16string PaneText(const CMyKestruneDlg& dialog, int view) {
    switch (view) {
        case ViewAssembly:
            return dialog.m_editAssembly->text();
        case ViewHex:
            return dialog.m_editHex->text();
        case ViewPetscii:
            return dialog.m_editPetscii->text();
        case ViewScrCode:
            return dialog.m_editScrCode->text();
        default:
            return dialog.m_browser->page().toStdU16String();
    }
}

}  // namespace

class ViewTest : public QObject {
    Q_OBJECT

  private slots:
    void eachRowOpensInItsView();
    void keyboardSelectionShowsTheFileToo();
    void homeEndAndPageKeysMoveThroughTheFiles();
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
        {0, ViewBasic, false, "2049", "BASIC program"},
        {1, ViewAssembly, true, "49152", "BASIC program"},
        {2, ViewPetscii, false, "0", "BASIC program"},
        {3, ViewScrCode, false, "1024", "BASIC program"},
        {7, ViewBasic, false, "12288", "BASIC program"},
        {8, ViewHex, false, "12288", "BASIC program"},
    };
    for (const auto& c : cases) {
        window.Click(c.row);
        QCOMPARE(window.dialog.m_nShownRow, c.row);
        QCOMPARE(window.VisiblePane(), c.view);
        QCOMPARE(window.CheckedView(), c.view);
        QCOMPARE(window.dialog.m_editAddress->isEnabled(), c.boxEnabled);
        QCOMPARE(window.dialog.m_editAddress->text(), c.box);
        QCOMPARE(window.Status(), c.status);
    }
    window.Click(0);
    QCOMPARE(window.dialog.m_browser->page(), Text(*ListBasic(std::span(kHello)).page));
    window.Click(1);
    QCOMPARE(window.dialog.m_browser->page(), Text(kNotBasicPage));
    QCOMPARE(window.dialog.m_editAssembly->text().substr(0, 24),
             std::u16string(u"c000: a9 93     lda #$93"));
    window.Click(2);
    QCOMPARE(window.dialog.m_editPetscii->text(), std::u16string(u"hi\r\nthere"));
    QCOMPARE(window.dialog.m_browser->page(), Text(kNotBasicPage));
}

void ViewTest::keyboardSelectionShowsTheFileToo() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(0);
    window.dialog.m_list->setFocus();
    QTest::keyClick(window.dialog.m_list, Qt::Key_Down);
    QCOMPARE(window.dialog.m_nShownRow, 1);
    QCOMPARE(window.VisiblePane(), int(ViewAssembly));
    QTest::keyClick(window.dialog.m_list, Qt::Key_Down);
    QCOMPARE(window.VisiblePane(), int(ViewPetscii));
    QCOMPARE(window.dialog.m_editPetscii->text(), std::u16string(u"hi\r\nthere"));
}

void ViewTest::homeEndAndPageKeysMoveThroughTheFiles() {
    ShellFixture fixture;
    DiskBuilder disk;
    for (int i = 0; i < 60; ++i)
        disk.AddFile("FILE " + std::to_string(i), 0x81, Bytes{0x41, static_cast<std::uint8_t>(i)});
    Window window(fixture, disk);
    QTableWidget* list = window.dialog.m_list;
    window.Click(5);
    const int rowsOnAPage = list->rowAt(list->viewport()->height() - 1);
    QVERIFY(rowsOnAPage > 2 && rowsOnAPage < 59);

    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(window.dialog.m_nShownRow, 59);
    QCOMPARE(list->currentIndex().column(), 1);
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(window.dialog.m_nShownRow, 0);
    QCOMPARE(list->currentIndex().column(), 1);
    QCOMPARE(window.dialog.m_editPetscii->text(), std::u16string(u"a."));
    QTest::keyClick(list, Qt::Key_PageDown);
    const int down = window.dialog.m_nShownRow;
    QVERIFY(down >= rowsOnAPage - 1 && down <= rowsOnAPage + 1);
    QTest::keyClick(list, Qt::Key_PageUp);
    QCOMPARE(window.dialog.m_nShownRow, 0);
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
        for (int view = ViewAssembly; view <= ViewScrCode; ++view) {
            QCOMPARE(PaneText(window.dialog, view), std::u16string(c.message));
        }
        QCOMPARE(window.dialog.m_browser->page(), Text(MessagePage(c.message)));
        QCOMPARE(window.dialog.m_editAddress->text(), QStringLiteral("0"));
    }
}

void ViewTest::theRowOnShowIsNotShownAgain() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(2);
    window.dialog.m_editHex->setText(u"untouched");
    window.Click(2);
    QCOMPARE(window.dialog.m_editHex->text(), std::u16string(u"untouched"));
    window.Click(3);
    QVERIFY(window.dialog.m_editHex->text() != u"untouched");
}

void ViewTest::viewButtonsOnlySwitchPanes() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(0);
    const std::u16string assembly = window.dialog.m_editAssembly->text();
    for (int view : {ViewAssembly, ViewHex, ViewPetscii, ViewScrCode, ViewBasic, ViewAssembly}) {
        QTest::mouseClick(
            static_cast<QAbstractButton*>(window.dialog.Control(IDC_RADIO_BASIC + view)),
            Qt::LeftButton);
        QCOMPARE(window.VisiblePane(), view);
        QCOMPARE(window.dialog.m_nShownPane, view);
        QCOMPARE(window.dialog.m_nViewMode, view);
        QCOMPARE(window.dialog.m_editAddress->isEnabled(), view == ViewAssembly);
    }
    QCOMPARE(window.dialog.m_editAssembly->text(), assembly);
    // The checked button stays with the pane on show through later exchanges.
    window.dialog.UpdateData(false);
    QCOMPARE(window.CheckedView(), int(ViewAssembly));
    // The next file opens in its own view.
    window.Click(2);
    QCOMPARE(window.VisiblePane(), int(ViewPetscii));
    QCOMPARE(window.CheckedView(), int(ViewPetscii));
}

void ViewTest::startAddressEntry() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(1);
    const std::u16string hex = window.dialog.m_editHex->text();
    const std::u16string fromC002 =
        u"c002: 20 d2 ff  jsr $ffd2\t; print char in [a]\r\nc005: 60        rts\r\n";
    for (const QString typed : {"49154", "$C002", "$c002"}) {
        MessageRecorder recorder;
        window.Enter(typed);
        QVERIFY(recorder.shown.empty());
        QCOMPARE(window.dialog.m_editAssembly->text(), fromC002);
        QCOMPARE(window.dialog.m_editAddress->text(), typed);
        QCOMPARE(window.VisiblePane(), int(ViewAssembly));
        QCOMPARE(window.dialog.m_editHex->text(), hex);
    }
    {
        MessageRecorder recorder;
        window.Enter("c002");
        QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::AddressHint});
        QCOMPARE(window.dialog.m_editAddress->text(), QStringLiteral("c002"));
        QCOMPARE(window.dialog.m_editAssembly->text(), fromC002);
    }
    {
        MessageRecorder recorder;
        window.Enter("$c006");
        QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::AddressOutOfRange});
        QCOMPARE(window.dialog.m_editAddress->text(), QStringLiteral("49152"));
    }
    // Enter works while the box is disabled; "0" outside the file is out of range.
    window.Click(2);
    QVERIFY(!window.dialog.m_editAddress->isEnabled());
    MessageRecorder recorder;
    window.dialog.m_editAddress->setText("5");
    QTest::keyClick(window.dialog.m_editPetscii, Qt::Key_Return);
    QVERIFY(recorder.shown.empty());
    QCOMPARE(window.dialog.m_editAssembly->text().substr(0, 6), std::u16string(u"0005: "));
    QCOMPARE(window.VisiblePane(), int(ViewPetscii));
}

void ViewTest::sortingByEachColumnAndRevert() {
    ShellFixture fixture;
    Window window(fixture);
    window.dialog.m_list->horizontalHeader()->resizeSection(ColumnGeos,
                                                            80);  // drag the GEOS column open
    const QStringList directoryOrder = window.ListNames();
    std::vector<DirectoryEntry> rows(DirectoryRows.First(9).begin(), DirectoryRows.First(9).end());
    window.Click(1);
    for (int column = 0; column < kColumnCount; ++column) {
        const int visible = window.VisiblePane();
        const std::u16string shown = window.dialog.m_editHex->text();
        QHeaderView* header = window.dialog.m_list->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        SortByColumn(rows, column);
        QStringList expected;
        for (const DirectoryEntry& row : rows)
            expected << Text(row[ColumnFileName]);
        QCOMPARE(window.ListNames(), expected);
        QCOMPARE(window.dialog.SelectionMark(), -1);
        QCOMPARE(window.dialog.m_nShownRow, -1);
        // The file on show stays; a click shows the row under it, also at the same index.
        QCOMPARE(window.VisiblePane(), visible);
        QCOMPARE(window.dialog.m_editHex->text(), shown);
        window.Click(1);
        QCOMPARE(window.dialog.m_nShownRow, 1);
        QCOMPARE(window.dialog.m_list->item(1, 1)->text(), expected[1]);
    }
    QTest::mouseClick(static_cast<QAbstractButton*>(window.dialog.Control(IDC_REVERT)),
                      Qt::LeftButton);
    QCOMPARE(window.ListNames(), directoryOrder);
    QCOMPARE(window.dialog.m_nShownRow, -1);
    QCOMPARE(window.dialog.SelectionMark(), -1);
}

void ViewTest::panesCanBeSelectedAndCopied() {
    ShellFixture fixture;
    Window window(fixture);
    window.Click(2);
    window.dialog.m_editPetscii->setFocus();
    QTest::keyClick(window.dialog.m_editPetscii, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window.dialog.m_editPetscii, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("hi\nthere"));
    // A drag from the start of the text selects up to the pointer.
    window.Click(1);
    TextPane* assembly = window.dialog.m_editAssembly;
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
    CMyKestruneDlg dialog;
    dialog.show();
    MessageRecorder quiet;
    dialog.OnDropFiles({demo});
    QVERIFY(dialog.m_list->rowCount() > 0);
    for (int row = 0; row < dialog.m_list->rowCount(); ++row) {
        dialog.m_list->selectRow(row);
        const testing::ProgramRun run = testing::RunProgram(
            KESTRUNE_CLI_PATH,
            {"show", demo.toStdString(), "--row", std::to_string(row + 1), "--json"});
        QCOMPARE(run.exitCode, 0);
        const nlohmann::json shown = nlohmann::json::parse(run.out);
        const char* names[] = {"basic", "assembly", "hex", "petscii", "scrcode"};
        for (int view = ViewAssembly; view <= ViewScrCode; ++view) {
            QCOMPARE(Text(PaneText(dialog, view)),
                     QString::fromStdString(shown["panes"][names[view]]));
        }
        const QString basic = QString::fromStdString(shown["panes"]["basic"]);
        QCOMPARE(dialog.m_browser->page(),
                 shown["message"].is_null() ? basic : Text(MessagePage(basic.toStdU16String())));
    }
}

QTEST_MAIN(ViewTest)
#include "view_test.moc"
