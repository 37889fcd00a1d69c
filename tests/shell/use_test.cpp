// The window as a new user tries it, by mouse and keyboard: the Disk view after a new image (once
// a crash), panes and views after a cancelled or closed open, File > Open and its recent files,
// the keyboard's way through the window, the map's size and legend, findings that lead to their
// files, partitions left as they were.
#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <limits>

#include "shell/browser_pane.h"
#include "shell/control_ids.h"
#include "shell/disk_map_view.h"
#include "shell/disk_pane.h"
#include "shell/main_window.h"
#include "shell/text_pane.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/format_builders.h"
#include "viewer/session.h"

using namespace kestrune;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

namespace {

DiskBuilder TwoFileDisk() {
    DiskBuilder disk;
    disk.AddFile("FIRST", 0x81, Bytes{0x41, 0x42});
    disk.AddFile("SECOND", 0x82, testing::Program(0xC000, Bytes{0xEA, 0x60}));
    return disk;
}

// Chooses a menu item that asks for a file to open and answers its dialog as a user would.
void OpenThroughMenu(const Ui& ui, const QString& item, const QString& path) {
    QTimer::singleShot(0, [path] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    ui.chooseMenuItem(item);
}

// File > Open Recent as it is when opened.
QMenu* RecentMenu(const MainWindow& window) {
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (menu->title() == QStringLiteral("Open &Recent")) {
            emit menu->aboutToShow();
            return menu;
        }
    }
    qFatal("no Open Recent menu");
}

struct Shown {
    explicit Shown(MainWindow& dialog) : window(dialog) {
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window)) qWarning("window not active");
    }
    DiskPane* disk() const { return window.findChild<DiskPane*>(QStringLiteral("diskPane")); }
    QRadioButton* diskButton() const {
        return window.findChild<QRadioButton*>(QStringLiteral("diskButton"));
    }
    QString status() const { return Ui(window).label(IDC_STATUS)->text(); }
    MainWindow& window;
};

// A partitioned D81: OUTER with FIRST, ZED and the partition PART; PART holds CODE and MORE.
kestrune::testing::LayoutDiskBuilder PartitionedDisk() {
    auto disk = kestrune::testing::LayoutDiskBuilder::D81("OUTER");
    disk.Entry({40, 3}, 0, {0x82, 1, 0, "ZED", 1});
    disk.Entry({40, 3}, 1, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    disk.Entry({40, 3}, 2, {0x82, 1, 0, "ALPHA", 1});
    disk.Chain(testing::Program(0xC000, Bytes{0xEA, 0x60}), std::vector<testing::Block>{{1, 0}});
    disk.Chain(testing::Program(0xC000, Bytes{0xEA, 0x60}), std::vector<testing::Block>{{51, 0}});
    disk.Entry({50, 3}, 0, {0x82, 51, 0, "CODE", 1});
    return disk;
}

}  // namespace

class UseTest : public QObject {
    Q_OBJECT

  private slots:
    void diskViewShowsOnlyTheImageOnShow();
    void nothingOfAnEarlierImageStays();
    void fileOpenAndRecentFiles();
    void keyboardReachesEveryControl();
    void diskMapFitsItsPaneAndHasALegend();
    void findingsLeadToTheirFilesAndSectors();
    void partitionsAreLeftAsTheyWereAndNamed();
    void tapeFilesAndCmdPartitionsAsPeopleOpenThem();
};

// A random 1 MiB file named .d64 opened by File > New with the Disk view on: after both questions
// the map is the new image's, never what was freed under it.
void UseTest::diskViewShowsOnlyTheImageOnShow() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    const Ui ui(dialog);
    {
        MessageRecorder quiet;
        dialog.openImage(fixture.Write("two.d64", TwoFileDisk()));
    }
    QTest::mouseClick(shown.diskButton(), Qt::LeftButton);
    const QString noise = fixture.Write("noise.d64", testing::Noise(1 << 20));
    MessageRecorder yes({true, true});
    OpenThroughMenu(ui, "&New", noise);
    QCOMPARE(yes.Ids(), (std::vector<MessageId>{MessageId::WrongSize, MessageId::BadHeader,
                                                MessageId::ReadError}));
    Session fresh;
    fresh.Open(noise.toStdString(), [](const Message&) { return true; });
    DiskMapView* map = shown.disk()->mapView();
    QCOMPARE(map->map().tracks.size(), fresh.Map().tracks.size());
    QVERIFY(!map->cellRect(fresh.Map().tracks.back().track, 0).isEmpty());
    // Every cell as the new image has it: its owner is one of the rows listed.
    for (const MapTrack& track : map->map().tracks) {
        for (const SectorCell& cell : track.sectors)
            QVERIFY(cell.row <= ui.rows());
    }
    QVERIFY(!map->grab().isNull());
    QCOMPARE(shown.disk()->notice(), QString());
    // Every row's colour is in range, whatever the row's number.
    for (const int row : {0, 1, 2, 3, 144, 65535, std::numeric_limits<int>::max(), -1,
                          std::numeric_limits<int>::min()})
        QVERIFY(DiskMapView::RowColour(row).isValid());
}

// A cancelled chooser, File > Close and an image of files without sectors leave nothing of the
// image before them; the Disk view says what there is instead of a map.
void UseTest::nothingOfAnEarlierImageStays() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    const Ui ui(dialog);
    MessageRecorder quiet;
    const QString d81 = fixture.Write("parts.d81", PartitionedDisk().bytes());
    dialog.openImage(d81);
    QTest::mouseClick(shown.diskButton(), Qt::LeftButton);
    QVERIFY(!shown.disk()->mapView()->map().tracks.empty());

    const QString zip = fixture.Write(
        "set.zip", testing::ZipArchive({{"one.d64", TwoFileDisk().bytes()},
                                        {"two.prg", testing::Program(0x0801, Bytes{0, 0})}}));
    WhenShown<QInputDialog>([](QInputDialog* chooser) { chooser->reject(); });
    dialog.openImage(zip);
    QCOMPARE(ui.rows(), 0);
    QVERIFY(shown.disk()->mapView()->map().tracks.empty());
    QCOMPARE(shown.disk()->notice(), QStringLiteral("No image is open."));

    dialog.openImage(d81);
    ui.chooseMenuItem("&Close");
    QCOMPARE(shown.disk()->notice(), QStringLiteral("No image is open."));

    dialog.openImage(fixture.Write(
        "tape.t64", testing::T64Archive({testing::TapeFile{"GAME", 0x82, 0x0801, {}, Bytes(9)}})));
    QCOMPARE(shown.disk()->notice(),
             QStringLiteral("This T64 holds files, not sectors: it has no sector map."));
}

void UseTest::fileOpenAndRecentFiles() {
    ShellFixture fixture;
    const QString first = fixture.Write("first.d64", TwoFileDisk());
    const QString second = fixture.Write("second.d64", TwoFileDisk());
    {
        MainWindow dialog;
        Shown shown(dialog);
        const Ui ui(dialog);
        MessageRecorder quiet;
        // Files opened by the tests before this one are forgotten.
        QMenu* recent = RecentMenu(dialog);
        recent->actions().constLast()->trigger();
        QCOMPARE(RecentMenu(dialog)->actions().constFirst()->text(),
                 QStringLiteral("No files yet"));
        // File > Open opens, as File > New does; Ctrl+O too.
        OpenThroughMenu(ui, "&Open", first);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - FIRST.D64"));
        // The window is active again once the dialog is gone, as a window manager makes it.
        QApplication::setActiveWindow(&dialog);
        QTimer::singleShot(0, [second] {
            auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (files == nullptr) return;
            files->selectFile(second);
            static_cast<QDialog*>(files)->accept();
        });
        QTest::keyClick(ui.list, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - SECOND.D64"));
        QApplication::setActiveWindow(&dialog);
        // Ctrl+W closes.
        QTest::keyClick(ui.list, Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune"));
    }
    // The next window offers both, the last first, and opens one.
    MainWindow dialog;
    Shown shown(dialog);
    MessageRecorder quiet;
    QMenu* recent = RecentMenu(dialog);
    QStringList items;
    for (QAction* action : recent->actions()) {
        if (!action->isSeparator()) items << action->text();
    }
    QCOMPARE(items, (QStringList{"&1 second.d64", "&2 first.d64", "&Clear List"}));
    recent->actions().at(1)->trigger();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - FIRST.D64"));
}

// Tab goes list, address box, view buttons, the pane on show, search, Revert; each view has its
// Alt key and its View menu item with Ctrl and a number.
void UseTest::keyboardReachesEveryControl() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    const Ui ui(dialog);
    MessageRecorder quiet;
    dialog.openImage(fixture.Write("two.d64", TwoFileDisk()));
    ui.list->setFocus();
    QTest::keyClick(ui.list, Qt::Key_Down);
    QTest::keyClick(ui.list, Qt::Key_Down);
    QCOMPARE(ui.selectedRow(), 1);
    const auto focus = [] { return QApplication::focusWidget(); };
    QTest::keyClick(focus(), Qt::Key_Tab);
    QCOMPARE(focus(), static_cast<QWidget*>(ui.address));
    QTest::keyClick(focus(), Qt::Key_Tab);
    QCOMPARE(focus(), static_cast<QWidget*>(ui.viewButton(ViewBasic)));
    QTest::keyClick(focus(), Qt::Key_Tab);
    // A program at $C000 is machine code: the BASIC view shows its disassembly.
    QCOMPARE(focus(), static_cast<QWidget*>(ui.assembly));
    QTest::keyClick(focus(), Qt::Key_Tab);
    QCOMPARE(focus(), static_cast<QWidget*>(ui.search));
    QTest::keyClick(focus(), Qt::Key_Tab);
    QCOMPARE(focus(), ui.control(IDC_REVERT));

    QCOMPARE(ui.viewButton(ViewHex)->text(), QStringLiteral("HE&X/ASCII"));
    QCOMPARE(shown.diskButton()->text(), QStringLiteral("&Disk"));
    const std::vector<std::pair<Qt::Key, QWidget*>> keys = {
        {Qt::Key_1, static_cast<QWidget*>(ui.browser)},
        {Qt::Key_2, static_cast<QWidget*>(ui.assembly)},
        {Qt::Key_3, static_cast<QWidget*>(ui.hex)},
        {Qt::Key_4, static_cast<QWidget*>(ui.petscii)},
        {Qt::Key_5, static_cast<QWidget*>(ui.scrcode)},
        {Qt::Key_6, static_cast<QWidget*>(shown.disk())}};
    for (const auto& [key, pane] : keys) {
        QTest::keyClick(ui.list, key, Qt::ControlModifier);
        QVERIFY(pane->isVisible());
    }
    QTest::keyClick(ui.list, Qt::Key_2, Qt::ControlModifier);
    // A button's key presses it as a click does, for a moment.
    QTest::keyClick(ui.list, Qt::Key_X, Qt::AltModifier);
    QTRY_VERIFY(ui.hex->isVisible());
    QTest::keyClick(ui.list, Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(shown.disk()->isVisible());
    // The Disk view's tabs have theirs too.
    QTest::keyClick(ui.list, Qt::Key_K, Qt::AltModifier);
    QCOMPARE(shown.disk()->tabs()->currentIndex(), 1);
    QTest::keyClick(ui.list, Qt::Key_R, Qt::AltModifier);
    QCOMPARE(shown.disk()->tabs()->currentIndex(), 0);
}

// A D81's map of 80 tracks fits the pane without scrolling; the legend names the marks.
void UseTest::diskMapFitsItsPaneAndHasALegend() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    MessageRecorder quiet;
    dialog.openImage(fixture.Write("parts.d81", PartitionedDisk().bytes()));
    QTest::mouseClick(shown.diskButton(), Qt::LeftButton);
    auto* scroll = shown.disk()->findChild<QScrollArea*>();
    QVERIFY(scroll != nullptr);
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());
    const DiskMapView* map = shown.disk()->mapView();
    QVERIFY(map->cellRect(80, 39).bottom() < scroll->viewport()->height());
    QVERIFY(map->cellRect(80, 39).right() < scroll->viewport()->width());
    auto* legend = shown.disk()->findChild<QWidget*>(QStringLiteral("diskLegend"));
    QVERIFY(legend != nullptr && legend->isVisible() && legend->height() > 0);
}

void UseTest::findingsLeadToTheirFilesAndSectors() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    const Ui ui(dialog);
    MessageRecorder quiet;
    DiskBuilder disk = TwoFileDisk();
    disk.Sector(18, 1)[32 + 0x1E] = 9;  // SECOND says 9 blocks
    dialog.openImage(fixture.Write("wrong.d64", disk));
    QTest::mouseClick(shown.diskButton(), Qt::LeftButton);
    QListWidget* findings = shown.disk()->findingsList();
    QCOMPARE(findings->count(), 1);
    QCOMPARE(findings->item(0)->text(),
             QStringLiteral("Row 2 (\"second\") says 9 blocks, its chain holds 1"));
    shown.disk()->tabs()->setCurrentIndex(1);
    QTest::mouseClick(findings->viewport(), Qt::LeftButton, {},
                      findings->visualItemRect(findings->item(0)).center());
    QCOMPARE(ui.selectedRow(), 1);
    QVERIFY(shown.disk()->isVisible());
    QVERIFY(shown.disk()->sectorTitle()->text().startsWith(
        QStringLiteral("Track 1 ($01), sector 1 ($01): \"second\" (row 2)")));
}

// A sorted directory with a row on show is as it was when its partition is left; the caption
// names the partition while it is open; the sorted column has its arrow.
void UseTest::partitionsAreLeftAsTheyWereAndNamed() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    const Ui ui(dialog);
    MessageRecorder quiet;
    dialog.openImage(fixture.Write("parts.d81", PartitionedDisk().bytes()));
    QHeaderView* header = ui.list->horizontalHeader();
    QCOMPARE(header->sortIndicatorSection(), -1);
    ui.clickHeader(ColumnFileName);
    QCOMPARE(header->sortIndicatorSection(), int(ColumnFileName));
    QCOMPARE(ui.cell(0, ColumnFileName).trimmed(), QStringLiteral("alpha"));
    ui.list->selectRow(1);  // part
    QTest::keyClick(ui.list, Qt::Key_Return);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - PARTS.D81 > part"));
    QCOMPARE(header->sortIndicatorSection(), -1);
    QTest::keyClick(ui.list, Qt::Key_Backspace);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - PARTS.D81"));
    QCOMPARE(ui.cell(0, ColumnFileName).trimmed(), QStringLiteral("alpha"));
    QCOMPARE(ui.selectedRow(), 1);
    QCOMPARE(header->sortIndicatorSection(), int(ColumnFileName));
    ui.clickRevert();
    QCOMPARE(header->sortIndicatorSection(), -1);
}

QTEST_MAIN(UseTest)
// A tape's file says where it lies in the status line, whole in its tooltip however narrow the
// field; a CMD floppy's partition opens with Enter and is named in the caption.
void UseTest::tapeFilesAndCmdPartitionsAsPeopleOpenThem() {
    ShellFixture fixture;
    MainWindow dialog;
    Shown shown(dialog);
    const Ui ui(dialog);
    MessageRecorder quiet;
    testing::TapWriter tape;
    tape.File(3, "LOADER", 0xC000, Bytes{0xA9, 0x01, 0x60}, {1});
    dialog.openImage(fixture.Write("game.tap", tape.Tap()));
    QTest::mouseClick(ui.list->viewport(), Qt::LeftButton, {},
                      ui.cellRect(0, ColumnFileName).center());
    const QString status = QStringLiteral(
        "Header at 0:00.0 (type 3: a program for its own address), data at 0:14.9 "
        "to 0:17.2; the first copy of the data has 1 byte with a parity error; "
        "the second is read");
    QCOMPARE(ui.label(IDC_STATUS)->text(), status);
    QCOMPARE(ui.label(IDC_STATUS)->toolTip(), status);

    testing::DiskBuilder d64;
    d64.AddFile("INSIDE", 0x82, testing::Program(0x0801, Bytes{0x60}));
    dialog.openImage(
        fixture.Write("floppy.d2m", testing::CmdFloppy(80, {{2, "WORK", 0, 342, d64.bytes()}})));
    QCOMPARE(ui.cell(0, ColumnType), QStringLiteral("cbm"));
    QTest::mouseClick(ui.list->viewport(), Qt::LeftButton, {},
                      ui.cellRect(0, ColumnFileName).center());
    QTest::keyClick(ui.list, Qt::Key_Return);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - FLOPPY.D2M > work"));
    QCOMPARE(ui.cell(0, ColumnFileName).trimmed(), QStringLiteral("inside"));
}

#include "use_test.moc"
