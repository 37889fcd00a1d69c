// The Collection pane as people use it, with mouse and keys over a real index: a folder opened
// from the File menu and by a drop, indexed in the background, its images opened one after the
// other; a find by name, load address and bytes whose hits open their file (inside an archive's
// partition too); the duplicates; indexing cancelled and completed later.
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "shell/control_ids.h"
#include "shell/main_window.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/format_builders.h"
#include "viewer/row_texts.h"

using namespace kestrune;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

namespace {

const Bytes kCode = testing::Program(0xC000, Bytes{0xA9, 0x01, 0x8D, 0x20, 0xD0, 0x60});

DiskBuilder Disk(const std::string& first, const std::string& second) {
    DiskBuilder disk;
    disk.AddFile(first, 0x82,
                 testing::Program(0x0801, Bytes{0, 0, static_cast<std::uint8_t>(first.size())}));
    disk.AddFile(second, 0x82, kCode);
    return disk;
}

// A folder of two D64s sharing a program, and a zip of a D81 whose partition holds it too.
QString WriteFolder(const ShellFixture& fixture) {
    QDir().mkpath(fixture.Path("disks/more"));
    fixture.Write("disks/alpha.d64", Disk("INTRO", "FLASHER"));
    fixture.Write("disks/beta.d64", Disk("MENU", "BORDER"));
    auto d81 = testing::LayoutDiskBuilder::D81("OUTER");
    d81.Entry({40, 3}, 0, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    d81.Chain(kCode, std::vector<testing::Block>{{51, 0}})
        .Entry({50, 3}, 0, {0x82, 51, 0, "DEEP CODE", 1});
    fixture.Write("disks/more/set.zip", testing::ZipArchive({{"inner.d81", d81.bytes()}}));
    return fixture.Path("disks");
}

struct Pane {
    explicit Pane(const MainWindow& window)
        : pane(window.findChild<QWidget*>(QStringLiteral("collectionPane"))) {
        if (pane == nullptr) qFatal("no collection pane");
    }
    template <typename Widget>
    Widget* child(const char* name) const {
        auto* found = pane->findChild<Widget*>(QString::fromLatin1(name));
        if (found == nullptr) qFatal("no %s", name);
        return found;
    }
    QTableView* images() const { return child<QTableView>("collectionImages"); }
    QTableView* hits() const { return child<QTableView>("collectionHits"); }
    QLabel* state() const { return child<QLabel>("collectionState"); }
    QString cell(QTableView* view, int row, int column) const {
        return view->model()->index(row, column).data().toString();
    }
    // Waits until the indexing has ended and the image list holds rows images.
    bool indexed(int rows) const {
        return QTest::qWaitFor([&] {
            return !child<QPushButton>("cancelIndexing")->isVisible() &&
                   images()->model()->rowCount() == rows;
        });
    }
    // What the pane shows, for a failure's message.
    QString shown() const {
        return QStringLiteral("%1 | %2 images | Cancel %3")
            .arg(state()->text())
            .arg(images()->model()->rowCount())
            .arg(child<QPushButton>("cancelIndexing")->isVisible() ? "shown" : "hidden");
    }
    void clickTab(int tab) const {
        QTabBar* bar = pane->findChild<QTabWidget*>()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
    void clickRow(QTableView* view, int row) const {
        const QRect cell = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // The query box emptied and typed into, with the kind chosen by keys in its menu.
    void find(int kind, const QString& typed) const {
        auto* kinds = child<QComboBox>("queryKind");
        kinds->setFocus();
        while (kinds->currentIndex() > kind)
            QTest::keyClick(kinds, Qt::Key_Up);
        while (kinds->currentIndex() < kind)
            QTest::keyClick(kinds, Qt::Key_Down);
        auto* query = child<QLineEdit>("collectionQuery");
        query->setFocus();
        QTest::keyClick(query, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(query, Qt::Key_Delete);
        QTest::keyClicks(query, typed);
    }
    bool hitsAre(const QStringList& files) const {
        return QTest::qWaitFor([&] {
            QStringList shown;
            for (int row = 0; row < hits()->model()->rowCount(); ++row)
                shown << cell(hits(), row, 1);
            return shown == files;
        });
    }
    QWidget* pane;
};

// File > Open Folder... and its dialog answered; the window is active again once the dialog
// is gone, as a window manager makes it.
void OpenFolderThroughMenu(const Ui& ui, const QString& folder) {
    QTimer::singleShot(0, [folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        dialog->setDirectory(folder);
        dialog->selectFile(folder);
        static_cast<QDialog*>(dialog)->accept();
    });
    ui.chooseMenuItem(QStringLiteral("Open &Folder..."));
    QApplication::setActiveWindow(const_cast<QWidget*>(&ui.window));
}

void Show(MainWindow& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) qWarning("window not active");
}

// The window with the folder of WriteFolder opened through the File menu.
struct OpenedFolder {
    OpenedFolder() : folder(WriteFolder(fixture)), ui(dialog) {
        Show(dialog);
        OpenFolderThroughMenu(ui, folder);
    }
    ShellFixture fixture;
    const QString folder;
    MainWindow dialog;
    const Ui ui;
    MessageRecorder recorder;
};

}  // namespace

class CollectionTest : public QObject {
    Q_OBJECT

  private slots:
    void aFolderIsIndexedAndBrowsedImageByImage();
    void hitsFollowTheTypingAndOpenTheirFile();
    void duplicatesOpenWhereTheyLie();
    void aDroppedFolderOpensAndIndexingCanBeCancelled();
};

void CollectionTest::aFolderIsIndexedAndBrowsedImageByImage() {
    ShellFixture fixture;
    const QString folder = WriteFolder(fixture);
    MainWindow dialog;
    Show(dialog);
    const Ui ui(dialog);
    MessageRecorder recorder;
    const int before = dialog.width();
    OpenFolderThroughMenu(ui, folder);
    const Pane pane(dialog);
    // The window grows by the pane, beside the file list.
    QVERIFY(dialog.width() > before);
    QVERIFY(pane.pane->geometry().right() < ui.list->mapTo(&dialog, QPoint(0, 0)).x());
    QVERIFY2(pane.indexed(4), qPrintable(pane.shown()));
    QCOMPARE(pane.state()->text(),
             QStringLiteral("4 images, 6 files, 0 failed (3 read, 0 unchanged, 0 removed)"));
    const QStringList images = {QStringLiteral("alpha.d64"), QStringLiteral("beta.d64"),
                                QStringLiteral("more/set.zip/inner.d81"),
                                QStringLiteral("more/set.zip/inner.d81 > 1")};
    for (int row = 0; row < 4; ++row)
        QCOMPARE(pane.cell(pane.images(), row, 0), images[row]);
    QCOMPARE(pane.cell(pane.images(), 0, 1), QStringLiteral("D64"));
    QCOMPARE(pane.cell(pane.images(), 3, 3), QStringLiteral("1"));

    // A click opens an image; Ctrl+PgDown the next, into the archive and its partition.
    pane.clickRow(pane.images(), 0);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - ALPHA.D64"));
    QCOMPARE(ui.cell(0, ColumnFileName).trimmed(), QStringLiteral("intro"));
    QTest::keyClick(pane.images(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - BETA.D64"));
    QTest::keyClick(pane.images(), Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(pane.images(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - SET.ZIP > part"));
    QCOMPARE(ui.cell(0, ColumnFileName).trimmed(), QStringLiteral("deep code"));
    // At the end of the folder the key does nothing; Ctrl+PgUp goes back.
    QTest::keyClick(pane.images(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - SET.ZIP > part"));
    QTest::keyClick(pane.images(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - SET.ZIP"));
    // Opening from the pane says nothing: no box for the files found.
    QCOMPARE(recorder.shown.size(), std::size_t{0});
    // Alt+F still opens the File menu: the pane's tabs take other letters.
    QTest::keyClick(pane.images(), Qt::Key_F, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->title(), QStringLiteral("&File"));
    menu->close();
    QApplication::setActiveWindow(&dialog);

    // Opened again, the folder is not read again; the close button gives the room back.
    OpenFolderThroughMenu(ui, folder);
    QVERIFY(QTest::qWaitFor([&] {
        return pane.state()->text() ==
               QStringLiteral("0 images, 0 files, 0 failed (0 read, 3 unchanged, 0 removed)");
    }));
    const int wide = dialog.width();
    QTest::mouseClick(pane.child<QWidget>("closeCollection"), Qt::LeftButton);
    QVERIFY(!pane.pane->isVisible());
    QVERIFY(dialog.width() < wide);
}

void CollectionTest::hitsFollowTheTypingAndOpenTheirFile() {
    OpenedFolder opened;
    MainWindow& dialog = opened.dialog;
    const Ui& ui = opened.ui;
    const Pane pane(dialog);
    QVERIFY2(pane.indexed(4), qPrintable(pane.shown()));
    pane.clickTab(1);

    // Any part of a name, in any case; a glob.
    pane.find(0, QStringLiteral("lash"));
    QVERIFY(pane.hitsAre({QStringLiteral("flasher")}));
    QCOMPARE(pane.child<QLabel>("hitCount")->text(), QStringLiteral("1 file found"));
    QTest::keyClicks(pane.child<QLineEdit>("collectionQuery"), QStringLiteral("x"));
    QVERIFY(pane.hitsAre({}));
    pane.find(0, QStringLiteral("*o*"));
    QVERIFY(pane.hitsAre(
        {QStringLiteral("intro"), QStringLiteral("border"), QStringLiteral("deep code")}));
    QCOMPARE(pane.cell(pane.hits(), 2, 0), QStringLiteral("more/set.zip/inner.d81 > 1"));
    QCOMPARE(pane.cell(pane.hits(), 1, 4), QStringLiteral("$C000"));

    // A hit opens its image at its file; the arrow keys go from hit to hit.
    pane.clickRow(pane.hits(), 1);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - BETA.D64"));
    QCOMPARE(ui.selectedRow(), 1);
    QTest::keyClick(pane.hits(), Qt::Key_Down);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - SET.ZIP > part"));
    QCOMPARE(ui.selectedRow(), 0);
    QCOMPARE(ui.cell(ui.selectedRow(), ColumnFileName).trimmed(), QStringLiteral("deep code"));

    // By load address, and by bytes with a byte left open.
    pane.find(3, QStringLiteral("$c000"));
    QVERIFY(pane.hitsAre(
        {QStringLiteral("flasher"), QStringLiteral("border"), QStringLiteral("deep code")}));
    pane.find(3, QStringLiteral("$c0000"));
    QVERIFY(pane.hitsAre({}));
    QCOMPARE(pane.child<QLabel>("hitCount")->text(),
             QStringLiteral("Type an address: $c000, 0xc000 or 49152"));
    pane.find(2, QStringLiteral("8d ?? d0 60"));
    QVERIFY(pane.hitsAre(
        {QStringLiteral("flasher"), QStringLiteral("border"), QStringLiteral("deep code")}));
    pane.find(2, QStringLiteral("8d ?? d1"));
    QVERIFY(pane.hitsAre({}));
    QCOMPARE(pane.child<QLabel>("hitCount")->text(), QStringLiteral("0 files found"));
    QCOMPARE(opened.recorder.shown.size(), std::size_t{0});
}

void CollectionTest::duplicatesOpenWhereTheyLie() {
    OpenedFolder opened;
    MainWindow& dialog = opened.dialog;
    const Ui& ui = opened.ui;
    const Pane pane(dialog);
    QVERIFY2(pane.indexed(4), qPrintable(pane.shown()));
    auto* tree = pane.child<QTreeWidget>("collectionDuplicates");
    QVERIFY(QTest::qWaitFor([&] { return tree->topLevelItemCount() == 1; }));
    pane.clickTab(2);
    QTreeWidgetItem* code = tree->topLevelItem(0);
    QCOMPARE(code->text(1), QStringLiteral("3 places, 8 bytes"));
    QCOMPARE(code->childCount(), 3);
    QCOMPARE(code->child(2)->text(1), QStringLiteral("more/set.zip/inner.d81 > 1"));
    tree->expandItem(code);
    const QRect place = tree->visualItemRect(code->child(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - BETA.D64"));
    QCOMPARE(ui.cell(ui.selectedRow(), ColumnFileName).trimmed(), QStringLiteral("border"));
}

void CollectionTest::aDroppedFolderOpensAndIndexingCanBeCancelled() {
    ShellFixture fixture;
    QDir().mkpath(fixture.Path("many"));
    constexpr int kDisks = 200;
    for (int disk = 0; disk < kDisks; ++disk)
        fixture.Write(QStringLiteral("many/disk%1.d64").arg(disk, 2, 10, QLatin1Char('0')),
                      Disk("FIRST", "SECOND"));
    MainWindow dialog;
    Show(dialog);
    const Ui ui(dialog);
    MessageRecorder recorder;
    // A folder dropped on the window opens in the pane, as one given on the command line does.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(fixture.Path("many"))});
    const auto dropFolder = [&] {
        const QPoint at = dialog.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&dialog, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&dialog, &drop);
    };
    dropFolder();
    const Pane pane(dialog);
    QVERIFY(pane.child<QProgressBar>("indexProgress")->isVisible());
    // Cancel is clicked once it is on the screen.
    auto* cancel = pane.child<QPushButton>("cancelIndexing");
    QVERIFY(QTest::qWaitFor([&] { return !cancel->rect().isEmpty(); }));
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY2(QTest::qWaitFor([&] { return pane.state()->text().startsWith("Indexing cancelled"); }),
             qPrintable(pane.state()->text()));
    QVERIFY(!pane.child<QProgressBar>("indexProgress")->isVisible());
    QVERIFY(pane.images()->model()->rowCount() < kDisks);
    QCOMPARE(recorder.shown.size(), std::size_t{0});

    // Dropped again, it reads what was left.
    dropFolder();
    QVERIFY2(pane.indexed(kDisks), qPrintable(pane.shown()));
    QVERIFY(pane.state()->text().endsWith(" unchanged, 0 removed)"));
}

QTEST_MAIN(CollectionTest)
#include "collection_test.moc"
