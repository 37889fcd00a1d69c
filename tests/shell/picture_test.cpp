// The Picture view as a user meets it: a picture file opens in it, the palette and zoom are
// chosen in their boxes, a file that names no format asks for one from a menu, and the picture
// is exported as PNG.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "shell/main_window.h"
#include "shell/picture_view.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/format_builders.h"
#include "viewer/view_mode.h"

using namespace kestrune;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

namespace {

// A Koala picture whose first cell's first line shows background (blue), the screen's high
// (red) and low (cyan) nibbles and colour RAM (green), and a file of two sprites.
DiskBuilder PictureDisk() {
    Bytes koala(10001, 0);
    koala[0] = 0b00011011;
    koala[8000] = 0x23;
    koala[9000] = 0x05;
    koala[10000] = 0x06;
    Bytes sprites(128, 0);
    sprites[0] = 0xFF;
    DiskBuilder disk;
    disk.AddFile("PIC", 0x82, testing::Program(0x6000, koala));
    disk.AddFile("SPRITES", 0x82, testing::Program(0x2000, sprites));
    return disk;
}

// The window on show with the picture disk open.
Ui OpenPictures(const ShellFixture& fixture, MainWindow& dialog) {
    dialog.show();
    MessageRecorder quiet;
    dialog.openImage(fixture.Write("pictures.d64", PictureDisk()));
    return Ui(dialog);
}

void ClickRow(const Ui& ui, int row) {
    QTest::mouseClick(ui.list->viewport(), Qt::LeftButton, {}, ui.cellRect(row, 1).center());
}

// The colour of a picture pixel as the canvas shows it, each picture pixel zoom screen pixels.
QRgb ShownPixel(const PictureView* view, int x, int y, int zoom) {
    return view->canvas()->grab().toImage().pixel(x * zoom, y * zoom) & 0xFFFFFF;
}

// The window active again, as after a popup menu closes, so that its keys reach it.
void ActivateWindow(QWidget& window) {
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) qWarning("window not active");
}

// Clicks the item of the next popup menu that has text, once it shows; without text, Escape
// closes it.
void WhenMenuShown(const QString& text) {
    // The application owns the poll, so one that never sees a menu goes with it.
    auto* poll = new QTimer(QApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        poll->stop();
        poll->deleteLater();
        for (QAction* action : menu->actions()) {
            if (!text.isEmpty() && action->text() == text) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        }
        QTest::keyClick(menu, Qt::Key_Escape);
    });
    poll->start(5);
}

}  // namespace

class PictureTest : public QObject {
    Q_OBJECT

  private slots:
    void pictureFileOpensInThePictureView();
    void aFileThatNamesNoFormatAsksForOne();
};

void PictureTest::pictureFileOpensInThePictureView() {
    ShellFixture fixture;
    MainWindow dialog;
    const Ui ui = OpenPictures(fixture, dialog);
    ClickRow(ui, 0);
    auto* view = dialog.findChild<PictureView*>(QStringLiteral("picturePane"));
    QVERIFY(view->isVisible());
    QVERIFY(dialog.findChild<QRadioButton*>(QStringLiteral("pictureButton"))->isChecked());
    QCOMPARE(view->formatBox()->currentText(), QStringLiteral("Automatic (Koala Painter)"));
    QVERIFY(view->noteLabel()->isHidden());

    // 2x at first: each picture pixel is two screen pixels wide and tall, in Pepto's colours.
    QCOMPARE(view->zoomBox()->currentText(), QStringLiteral("2x"));
    QCOMPARE(view->canvas()->size(), QSize(640, 400));
    const std::vector<QRgb> pepto = {0x352879, 0x68372B, 0x70A4B2, 0x588D43};
    for (int pair = 0; pair < 4; ++pair)
        QCOMPARE(ShownPixel(view, 2 * pair + 1, 0, 2), pepto[pair]);

    // The palette box, by keyboard: Colodore's colours; 1x by the zoom box.
    view->paletteBox()->setFocus();
    QTest::keyClick(view->paletteBox(), Qt::Key_Down);
    QCOMPARE(view->paletteBox()->currentText(), QStringLiteral("Colodore"));
    QTest::keyClick(view->zoomBox(), Qt::Key_Up);
    QCOMPARE(view->canvas()->size(), QSize(320, 200));
    QCOMPARE(ShownPixel(view, 3, 0, 1), QRgb(0x813338));

    // PAL aspect: narrower pixels.
    QTest::mouseClick(view->aspectBox(), Qt::LeftButton);
    QCOMPARE(view->canvas()->size(), QSize(299, 200));

    // Exported: the picture at one pixel a pixel, in the palette on show.
    const QString png = fixture.Path(QStringLiteral("koala.png"));
    WhenShown<QFileDialog>([png](QFileDialog* save) {
        save->selectFile(png);
        static_cast<QDialog*>(save)->accept();
    });
    ui.chooseMenuItem(QStringLiteral("Export &Picture as PNG..."));
    const QImage exported(png);
    QCOMPARE(exported.size(), QSize(320, 200));
    QCOMPARE(exported.pixel(6, 0) & 0xFFFFFF, QRgb(0x56AC4D));
}

void PictureTest::aFileThatNamesNoFormatAsksForOne() {
    ShellFixture fixture;
    MainWindow dialog;
    const Ui ui = OpenPictures(fixture, dialog);
    ClickRow(ui, 1);
    QVERIFY(ui.checkedView() != ViewPicture);
    ActivateWindow(dialog);
    // Ctrl+7 asks for the format in a menu; sprites are drawn as chosen.
    WhenMenuShown(QStringLiteral("Sprites"));
    ui.list->setFocus();
    QTest::keyClick(ui.list, Qt::Key_7, Qt::ControlModifier);
    auto* view = dialog.findChild<PictureView*>(QStringLiteral("picturePane"));
    QVERIFY(view->isVisible());
    QCOMPARE(view->formatBox()->currentText(), QStringLiteral("Sprites"));
    QCOMPARE(view->canvas()->size(), QSize(2 * (2 * 25 - 1), 2 * 21));
    QCOMPARE(ShownPixel(view, 0, 0, 2), QRgb(0xFFFFFF));
    QCOMPARE(ShownPixel(view, 8, 0, 2), QRgb(0x000000));
    // Sprites offer their colours: the background one step on is white, the sprite's colour
    // one step back black (remembered for the next sprites).
    QVERIFY(view->colourBoxes()[0]->isVisible());
    view->colourBoxes()[0]->setFocus();
    QTest::keyClick(view->colourBoxes()[0], Qt::Key_Down);
    view->colourBoxes()[1]->setFocus();
    QTest::keyClick(view->colourBoxes()[1], Qt::Key_Up);
    QCOMPARE(ShownPixel(view, 0, 0, 2), QRgb(0x000000));
    QCOMPARE(ShownPixel(view, 8, 0, 2), QRgb(0xFFFFFF));

    // The next file starts afresh: the picture is its own, drawn in the format it names.
    ClickRow(ui, 0);
    QCOMPARE(view->formatBox()->currentText(), QStringLiteral("Automatic (Koala Painter)"));
    QVERIFY(!view->colourBoxes()[0]->isVisible());
    // Back on the sprites, the menu is left with Escape: the box is the way to another format.
    ActivateWindow(dialog);
    ClickRow(ui, 1);
    WhenMenuShown(QString());
    QTest::keyClick(ui.list, Qt::Key_7, Qt::ControlModifier);
    QVERIFY(view->isVisible());
    QVERIFY(!view->noteLabel()->text().isEmpty());
    view->formatBox()->setFocus();
    QTest::keyClick(view->formatBox(), Qt::Key_End);
    QCOMPARE(view->formatBox()->currentText(), QStringLiteral("Character set, multicolour"));
    QCOMPARE(view->canvas()->size(), QSize(2 * (16 * 9 - 1), 2 * 8));
}

QTEST_MAIN(PictureTest)
#include "picture_test.moc"
