// Every image through the whole window: the test fixtures, the demo disk and the real images of
// ../shared/corpus/ (when that folder exists) are opened, every row is selected, every view button
// pressed and every column sorted, then the image is closed. Built with the sanitizers, this is the
// window's check for memory errors and leaks.
#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include "shell/control_ids.h"
#include "shell/main_window.h"
#include "shell/text_pane.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/fixture_disk.h"

using namespace kestrune;
using kestrune::testing::Bytes;
using kestrune::testing::DiskBuilder;

namespace {

QStringList Fixtures(const ShellFixture& fixture) {
    DiskBuilder broken;
    broken.DirectoryLink(1, 18, 2).DirectoryLink(2, 18, 1);
    broken.Entry(1, 0, {0x82, 1, 0, "LOOP", 1});
    broken.RawBlock({1, 0}, 1, 0, Bytes{0x00, 0xC0});
    broken.Entry(1, 1, {0x82, 71, 0, "TRACK 71", 1});
    broken.Entry(2, 0, {0x82, 35, 16, "LAST", 1});

    DiskBuilder small(kMinimumImageSize + 1000);
    small.Entry(1, 0, {0x82, 35, 16, "GONE", 1});

    DiskBuilder full = DiskBuilder::D71();
    Bytes longest(258 * 254, 0xEA);
    longest[0] = 0x00;
    longest[1] = 0xC0;
    full.AddFile("LONGEST", 0x82, longest);
    for (int i = 0; i < 140; ++i)
        full.AddEntry({0x81, 1, 0, "COPY " + std::to_string(i), 258});

    return {fixture.Write("kinds.d64", testing::FixtureDisk()), fixture.Write("broken.d64", broken),
            fixture.Write("small.d64", small), fixture.Write("full.d71", full),
            QStringLiteral(KESTRUNE_SOURCE_DIR "/samples/demo.d64")};
}

QStringList CorpusImages() {
    const QDir corpus(QStringLiteral(KESTRUNE_CORPUS_DIR));
    QStringList images;
    for (const QString& name : corpus.entryList({"*.d64", "*.d71"}, QDir::Files, QDir::Name)) {
        images << corpus.filePath(name);
    }
    return images;
}

}  // namespace

class WalkTest : public QObject {
    Q_OBJECT

  private slots:
    void everyRowEveryViewEverySort();
};

void WalkTest::everyRowEveryViewEverySort() {
    ShellFixture fixture;
    MessageRecorder answerYes(std::vector<bool>(64, true));
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList images = Fixtures(fixture) + CorpusImages();
    for (const QString& image : images) {
        dialog.openImage(image);
        Ui(dialog).list->horizontalHeader()->resizeSection(ColumnGeos, 60);
        for (int row = 0; row < Ui(dialog).rows(); ++row) {
            Ui(dialog).list->selectRow(row);
            if (row % 16 == 0) {
                for (int view = 0; view < 5; ++view) {
                    static_cast<QAbstractButton*>(Ui(dialog).control(IDC_RADIO_BASIC + view))
                        ->click();
                    QApplication::processEvents();
                }
                Ui(dialog).address->setText(
                    QStringLiteral("$%1").arg(Ui(dialog).address->text().toInt() + 1, 0, 16));
                QTest::keyClick(Ui(dialog).address, Qt::Key_Return);
            }
        }
        for (int column = 0; column < kColumnCount; ++column)
            Ui(dialog).clickHeader(column);
        Ui(dialog).clickRevert();
        QApplication::processEvents();
        Ui(dialog).chooseMenuItem("&Close");
    }
    QVERIFY(images.size() >= 5);
}

QTEST_MAIN(WalkTest)
#include "walk_test.moc"
