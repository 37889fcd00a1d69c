// The window from start to close: start state, resizing, page files, the browser pane, loading
// messages, drop and File > Close.
#include <QButtonGroup>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QTimer>
#include <QUrl>

#include "shell/browser_pane.h"
#include "shell/c64_text.h"
#include "shell/control_ids.h"
#include "shell/dialog_template.h"
#include "shell/dialog_units.h"
#include "shell/directory_model.h"
#include "shell/disk_map_view.h"
#include "shell/disk_pane.h"
#include "shell/main_window.h"
#include "shell/text_pane.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/basic_program.h"
#include "tests/support/format_builders.h"
#include "views/basic_listing.h"
#include "views/pages.h"

using namespace kestrune;
using kestrune::testing::DiskBuilder;

namespace {

QString LabelText(const MainWindow& dialog, int id) {
    return static_cast<QLabel*>(Ui(dialog).control(id))->text();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray Utf8(std::u16string_view text) {
    return Text(text).toUtf8();
}

DiskBuilder TwoFileDisk() {
    DiskBuilder disk;
    disk.DiskName("TWO FILES").DiskId("TF");
    disk.AddFile("FIRST", 0x81, kestrune::testing::Bytes{0x41, 0x42});
    disk.AddFile("SECOND", 0x82,
                 kestrune::testing::Program(0xC000, kestrune::testing::Bytes{0xEA, 0x60}));
    return disk;
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

  private slots:
    void startState();
    void resizingFollowsTheRulesAndTheDivider();
    void pageFilesHoldTheirExactBytes();
    void instructionsFileOfExactly4096BytesIsKept();
    void browserRendersEveryConstructOfThePages();
    void listingPagesShowAsColouredText();
    void loadingMessagesAndQuestions();
    void loadingFillsTheWindow();
    void readErrorKeepsTheRowsAndTheImage();
    void dropOpensTheFirstFile();
    void dropIsAlwaysACopy();
    void openDialogListsEveryFormat();
    void archiveWithSeveralImagesAsksWhichToOpen();
    void partitionsOpenAndLeaveAsAUserWould();
    void diskViewMapsSectorsAndFollowsLinks();
    void c64FontDrawsNamesAndIsRemembered();
    void ownGlyphsFillTheGapsOfTheFont();
    void geosColumnOpensWithAMouseDrag();
    void iconsAreCompiledIn();
    void windowFitsTheScreen();
    void listTakesTheFocusAfterEveryLoad();
    void enterWithoutAFileOnShowDoesNothing();
    void closeResetsTheWindow();
    void escapeAndExitEndTheWindow();
};

void WindowTest::startState() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune"));
    for (int id : {IDC_DISK_NAME, IDC_DISK_ID, IDC_DOS_TYPE, IDC_STATUS})
        QCOMPARE(LabelText(dialog, id), QString());
    QCOMPARE(LabelText(dialog, IDC_BLOCKS_FREE), QStringLiteral("0"));
    QVERIFY(static_cast<QRadioButton*>(Ui(dialog).control(IDC_RADIO_BASIC))->isChecked());
    QVERIFY(Ui(dialog).browser->isVisible());
    for (int id : {IDC_SCRCODE, IDC_HEX, IDC_PETSCII, IDC_ASSEMBLY, IDC_DEFAULT_BUTTON}) {
        QVERIFY(!Ui(dialog).control(id)->isVisible());
    }
    QCOMPARE(Ui(dialog).address->text(), QStringLiteral("0"));
    QVERIFY(!Ui(dialog).address->isEnabled());
    QCOMPARE(Ui(dialog).search->text(), QString());
    QCOMPARE(Ui(dialog).search->placeholderText(), QStringLiteral("<search term>"));
    QVERIFY(!Ui(dialog).search->isEnabled());
    QVERIFY(Ui(dialog).list->hasFocus() || QApplication::focusWidget() == Ui(dialog).list);
    QCOMPARE(Ui(dialog).selectedRow(), -1);

    // Every column as its table says, the size column wide enough for 65,535 blocks; only the
    // last one, GEOS, starts closed.
    const QHeaderView* header = Ui(dialog).list->horizontalHeader();
    QCOMPARE(Ui(dialog).list->model()->columnCount(), int(kColumnCount));
    for (int column = 0; column < kColumnCount; ++column) {
        QCOMPARE(Ui(dialog).list->model()->headerData(column, Qt::Horizontal).toString(),
                 QString::fromLatin1(kListColumns[column].heading));
        if (column != ColumnSize) QCOMPARE(header->sectionSize(column), kListColumns[column].width);
        QCOMPARE(kListColumns[column].width == 0, column == ColumnGeos);
    }
    QVERIFY(header->sectionSize(ColumnSize) >= kListColumns[ColumnSize].width);
    QVERIFY(header->sectionSize(ColumnSize) >
            Ui(dialog).list->fontMetrics().horizontalAdvance(QStringLiteral("65535")));
    QVERIFY(Ui(dialog).list->showGrid());
    QCOMPARE(Ui(dialog).list->selectionBehavior(), QAbstractItemView::SelectRows);
}

void WindowTest::resizingFollowsTheRulesAndTheDivider() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QSize start = dialog.size();
    const auto geometry = [&](int id) { return Ui(dialog).control(id)->geometry(); };
    const QRect address = geometry(IDC_START_ADDRESS), list = geometry(IDC_FILE_LIST),
                pane = geometry(IDC_HEX), browser = geometry(IDC_BROWSER),
                status = geometry(IDC_STATUS), revert = geometry(IDC_REVERT),
                search = geometry(IDC_SEARCH), name = geometry(IDC_DISK_NAME),
                radio = geometry(IDC_RADIO_BASIC);

    dialog.resize(dialog.width() + 120, dialog.height() + 70);
    QCOMPARE(geometry(IDC_START_ADDRESS), address.translated(120, 0));
    QCOMPARE(geometry(IDC_FILE_LIST), list.adjusted(0, 0, 0, 70));
    QCOMPARE(geometry(IDC_HEX), pane.adjusted(0, 0, 120, 70));
    QCOMPARE(geometry(IDC_BROWSER), browser.adjusted(0, 0, 120, 70));
    QCOMPARE(geometry(IDC_STATUS), status.translated(0, 70));
    QCOMPARE(geometry(IDC_REVERT), revert.translated(0, 70));
    QCOMPARE(geometry(IDC_SEARCH), search.adjusted(0, 70, 120, 70));
    QCOMPARE(geometry(IDC_DISK_NAME), name);

    // Panes share one rectangle; the browser too.
    for (int id : {IDC_SCRCODE, IDC_PETSCII, IDC_ASSEMBLY})
        QCOMPARE(geometry(id), geometry(IDC_HEX));
    QCOMPARE(geometry(IDC_BROWSER), geometry(IDC_HEX));

    // The divider between the list and the panes, dragged right: the list and the controls under
    // it take the width the panes and those over them give; a new window starts the same.
    auto* handle = dialog.findChild<QWidget*>(QStringLiteral("splitHandle"));
    QVERIFY(handle != nullptr);
    QTest::mousePress(handle, Qt::LeftButton, {}, handle->rect().center());
    QTest::mouseMove(handle, handle->rect().center() + QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->rect().center() + QPoint(60, 0));
    QCOMPARE(geometry(IDC_FILE_LIST), list.adjusted(0, 0, 60, 70));
    QCOMPARE(geometry(IDC_HEX), pane.adjusted(60, 0, 120, 70));
    QCOMPARE(geometry(IDC_RADIO_BASIC), radio.translated(60, 0));
    QCOMPARE(geometry(IDC_REVERT), revert.translated(60, 70));
    QCOMPARE(geometry(IDC_SEARCH), search.adjusted(60, 70, 120, 70));
    QCOMPARE(geometry(IDC_START_ADDRESS), address.translated(120, 0));
    {
        MainWindow again;
        again.show();
        again.resize(dialog.size());
        QCOMPARE(Ui(again).control(IDC_FILE_LIST)->geometry(), geometry(IDC_FILE_LIST));
    }
    // The panes never get narrower than at start: at the start width the divider goes back.
    dialog.resize(start);
    QCOMPARE(geometry(IDC_HEX), pane);
    QCOMPARE(geometry(IDC_FILE_LIST), list);

    // The window gets much smaller than at start: the list and the panes shorter, the disk name
    // field narrower, the list with it.
    QVERIFY(dialog.minimumSize().height() < start.height() - 200);
    QVERIFY(dialog.minimumSize().width() < start.width());
    dialog.resize(dialog.minimumSize());
    QVERIFY(geometry(IDC_FILE_LIST).height() >= 140);
    QVERIFY(geometry(IDC_HEX).height() >= 140);
    QVERIFY(geometry(IDC_DISK_NAME).width() < name.width());
    QVERIFY(geometry(IDC_FILE_LIST).right() < geometry(IDC_HEX).left());
    QVERIFY(geometry(IDC_BLOCKS_FREE).right() < geometry(IDC_RADIO_BASIC).left());
    QVERIFY(geometry(IDC_REVERT).right() < geometry(IDC_SEARCH).left());
}

void WindowTest::pageFilesHoldTheirExactBytes() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    const QString instructions = fixture.PageFolder() + "/instructions.html";
    const QString view = fixture.PageFolder() + "/view.html";
    QCOMPARE(ReadBytes(instructions), Utf8(kInstructionsPage));
    QCOMPARE(Ui(dialog).browser->page(), Text(kInstructionsPage));

    MessageRecorder recorder;
    DiskBuilder disk = TwoFileDisk();
    disk.AddEntry({0x80, 0, 0, "GONE", 0});
    dialog.openImage(fixture.Write("pages.d64", disk));
    QCOMPARE(ReadBytes(view), Utf8(MessagePage(u"Select a file")));
    Ui(dialog).list->selectRow(2);
    QCOMPARE(ReadBytes(view), Utf8(MessagePage(u"Nothing to display")));
    QCOMPARE(Ui(dialog).browser->page(), Text(MessagePage(u"Nothing to display")));
    QCOMPARE(Ui(dialog).address->text(), QStringLiteral("0"));
    QCOMPARE(Ui(dialog).shownText(ViewHex), std::u16string(u"Nothing to display"));

    // The same path again shows the file's new content.
    Ui(dialog).list->selectRow(1);
    QCOMPARE(ReadBytes(view), Utf8(kNotBasicPage));
    Ui(dialog).viewButton(ViewBasic)->click();
    QCOMPARE(Ui(dialog).browser->page(), Text(kNotBasicPage));

    // A page that cannot be written leaves the pane as it was.
    QFile::remove(view);
    QDir().mkpath(view);
    Ui(dialog).list->selectRow(2);
    QCOMPARE(Ui(dialog).browser->page(), Text(kNotBasicPage));
    QCOMPARE(Ui(dialog).shownText(ViewHex), std::u16string(u"Nothing to display"));
}

void WindowTest::instructionsFileOfExactly4096BytesIsKept() {
    ShellFixture fixture;
    QDir().mkpath(fixture.PageFolder());
    const QString path = fixture.PageFolder() + "/instructions.html";
    const QByteArray own = QByteArray("<p>my own page</p>") + QByteArray(4096 - 18, ' ');
    for (const QByteArray& content : {own, QByteArray("<p>short</p>")}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        MainWindow dialog;
        if (content.size() == 4096) {
            QCOMPARE(ReadBytes(path), own);
            QCOMPARE(Ui(dialog).browser->page(), QString::fromUtf8(own));
        } else {
            QCOMPARE(ReadBytes(path), Utf8(kInstructionsPage));
        }
    }
}

void WindowTest::browserRendersEveryConstructOfThePages() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTextDocument* document = Ui(dialog).browser->browser()->document();
    const QString text = document->toPlainText();
    QVERIFY(text.contains("Kestrune"));
    QVERIFY(text.contains("Disclaimer"));
    QVERIFY(text.contains(QStringLiteral("File\u2192New")));  // &rarr;
    QVERIFY(text.contains("routines & addresses"));           // &amp;

    bool table = false, list = false, heading = false, italic = false, red = false, centred = false;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (QTextTable* t = QTextCursor(block).currentTable())
            table = table || t->format().border() > 0;
        list = list || block.textList() != nullptr;
        heading = heading || block.blockFormat().headingLevel() == 1;
        centred = centred || (block.text() == "Kestrune" &&
                              (block.blockFormat().alignment() & Qt::AlignHCenter));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            italic = italic || (format.fontItalic() && it.fragment().text().contains("File"));
            red = red || (format.foreground().color() == QColor(Qt::red) &&
                          it.fragment().text().contains("NEW"));
        }
    }
    QVERIFY(table);
    QVERIFY(list);
    QVERIFY(heading);
    QVERIFY(italic);
    QVERIFY(red);
    QVERIFY(centred);

    // The character references of the listing pages.
    const QString page = fixture.Path("references.html");
    QFile file(page);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<html><body><p>&amp; &lt; &gt; &pound; &uarr; &larr; &rarr; "
                              "&#960; <font color=\"blue\">print</font></p><h3 style = "
                              "\"font-family: sans-serif\">m</h3></body></html>")
                   .toUtf8());
    file.close();
    Ui(dialog).browser->Navigate(page);
    QCOMPARE(document->toPlainText().left(15),
             QStringLiteral("& < > \u00A3 \u2191 \u2190 \u2192 \u03C0"));
    const QTextBlock first = document->begin();
    bool blue = false;
    for (auto it = first.begin(); !it.atEnd(); ++it) {
        blue = blue || (it.fragment().text() == "print" &&
                        it.fragment().charFormat().foreground().color() == QColor(Qt::blue));
    }
    QVERIFY(blue);
    QCOMPARE(first.next().blockFormat().headingLevel(), 3);
}

void WindowTest::listingPagesShowAsColouredText() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // 10 print, two spaces, "{clr}a  b"&, then 20 for i=1 to 9 < pi: spaces collapse as in HTML,
    // the keywords (and the token "<") are blue, the references are their characters.
    const kestrune::testing::Bytes program = kestrune::testing::BasicProgram(
        0x0801, {{10, {0x99, 0x20, 0x20, 0x22, 0x93, 0x41, 0x20, 0x20, 0x42, 0x22, 0x26}},
                 {20, {0x81, 0x49, 0xB2, 0x31, 0xA4, 0x39, 0xB3, 0xFF}}});
    DiskBuilder disk;
    disk.AddFile("LISTING", 0x82, kestrune::testing::Program(0x0801, program));
    disk.AddFile("NOTES", 0x81, kestrune::testing::Bytes{0x41});
    MessageRecorder recorder;
    dialog.openImage(fixture.Write("listing.d64", disk));
    Ui(dialog).list->selectRow(0);
    QVERIFY(Ui(dialog).browser->showsListing());
    QCOMPARE(Ui(dialog).browser->page(), Text(ListingPage(*ListBasic(program).lines)));
    QCOMPARE(ReadBytes(fixture.PageFolder() + "/view.html"),
             Utf8(ListingPage(*ListBasic(program).lines)));
    TextPane* listing = Ui(dialog).browser->listing();
    QCOMPARE(listing->text(),
             std::u16string(u"10 print \"{clr}a{2 space}b\"&\r\n20 for i=1 to 9<\u03C0"));
    std::u16string blue;
    for (std::size_t i = 0; i < listing->text().size(); ++i) {
        const char16_t c = listing->text()[i];
        blue.push_back(c == u'\r' || c == u'\n' ? c : listing->emphasized(i) ? u'b' : u'.');
    }
    QCOMPARE(blue,
             std::u16string(u"...bbbbbb" + std::u16string(19, u'.') + u"\r\n...bbbb...bbbb.b."));

    // Every other page goes to the text browser.
    Ui(dialog).list->selectRow(1);
    Ui(dialog).viewButton(ViewBasic)->click();
    QVERIFY(!Ui(dialog).browser->showsListing());
    QVERIFY(!Ui(dialog).browser->browser()->toPlainText().isEmpty());
}

void WindowTest::loadingMessagesAndQuestions() {
    ShellFixture fixture;
    MainWindow dialog;
    DiskBuilder odd(kD64Size + 684);
    DiskBuilder bad;
    bad.HeaderLink(0x12, 0x04);
    QFile small(fixture.Path("small.d64"));
    small.open(QIODevice::WriteOnly);
    small.write(QByteArray(91393, '\0'));
    small.close();

    const struct {
        QString path;
        std::vector<bool> answers;
        std::vector<MessageId> shown;
        int result;
    } cases[] = {
        {fixture.Write("notes.txt", testing::Bytes(100, 'x')), {}, {MessageId::NotAnImage}, 1},
        {fixture.Path("missing.d64"), {}, {MessageId::CannotOpen}, 1},
        {fixture.Path("small.d64"), {}, {MessageId::TooSmall}, 1},
        {fixture.Write("odd.d64", odd), {false}, {MessageId::WrongSize}, 1},
        {fixture.Write("odd.d64", odd), {true}, {MessageId::WrongSize}, 0},
        {fixture.Write("bad.d64", bad), {false}, {MessageId::BadHeader}, 1},
        {fixture.Write("bad.d64", bad), {true}, {MessageId::BadHeader}, 0},
    };
    for (const auto& c : cases) {
        {
            MessageRecorder quiet;
            dialog.openImage(fixture.Write("good.d64", TwoFileDisk()));
        }
        MessageRecorder recorder(c.answers);
        dialog.openImage(c.path);
        QCOMPARE(recorder.Ids(), c.shown);
        // A refused or declined file leaves the caption of the product alone.
        QCOMPARE(dialog.windowTitle(), c.result == 0
                                           ? "Kestrune - " + QFileInfo(c.path).fileName().toUpper()
                                           : QStringLiteral("Kestrune"));
        QCOMPARE(Ui(dialog).rows(), 0);
        // A loaded image, without files, shows its free blocks.
        QCOMPARE(LabelText(dialog, IDC_BLOCKS_FREE), c.result == 0 ? "664" : "0");
        QCOMPARE(Ui(dialog).browser->page(), Text(MessagePage(u"Select a file")));
    }
    MessageRecorder recorder;
    dialog.openImage(fixture.Write("notes.txt", testing::Bytes(100, 'x')));
    QCOMPARE(recorder.shown[0].kind, MessageKind::Warning);
    QVERIFY(Text(recorder.shown[0].text)
                .startsWith(QStringLiteral("notes.txt\n\nNot a disk image, archive or Commodore "
                                           "file that Kestrune reads.\n\nIt reads D64, D71, ")));
}

void WindowTest::loadingFillsTheWindow() {
    ShellFixture fixture;
    MainWindow dialog;
    MessageRecorder recorder;
    const QString path = fixture.Write("Two.d64", TwoFileDisk());
    dialog.openImage(path);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - TWO.D64"));
    QCOMPARE(LabelText(dialog, IDC_DISK_NAME), QStringLiteral("TWO FILES       "));
    QCOMPARE(LabelText(dialog, IDC_DISK_ID), QStringLiteral("TF"));
    QCOMPARE(LabelText(dialog, IDC_DOS_TYPE), QStringLiteral("2A"));
    QCOMPARE(LabelText(dialog, IDC_BLOCKS_FREE), QStringLiteral("662"));
    QCOMPARE(Ui(dialog).rows(), 2);
    QCOMPARE(Ui(dialog).cell(1, 3), QStringLiteral(" 49152 ($C000)"));
    QCOMPARE(
        Ui(dialog).list->model()->index(1, 3).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
        Qt::AlignRight);
    QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::FilesFound});
    QCOMPARE(Text(recorder.shown[0].text),
             QStringLiteral("File: Two.d64\n\nDisk: TWO FILES       \n\n2 files found"));

    // A blank disk lists nothing, says nothing, and shows its free blocks.
    MessageRecorder quiet;
    const QString blank = fixture.Write("blank.d64", DiskBuilder());
    dialog.openImage(blank);
    QVERIFY(quiet.shown.empty());
    QCOMPARE(LabelText(dialog, IDC_BLOCKS_FREE), QStringLiteral("664"));

    // A GEOS disk says so in the status line, and the next disk does not keep it.
    DiskBuilder geos;
    geos.GeosSignature();
    const QString geosPath = fixture.Write("geos.d64", geos);
    dialog.openImage(geosPath);
    QCOMPARE(LabelText(dialog, IDC_STATUS), QStringLiteral("GEOS formatted disk"));
    dialog.openImage(blank);
    QCOMPARE(LabelText(dialog, IDC_STATUS), QString());
}

void WindowTest::readErrorKeepsTheRowsAndTheImage() {
    ShellFixture fixture;
    MainWindow dialog;
    DiskBuilder disk;
    disk.AddFile("READABLE", 0x81, kestrune::testing::Bytes{0x41});
    disk.AddEntry({0x82, 71, 0, "BROKEN", 1});
    MessageRecorder recorder;
    dialog.openImage(fixture.Write("broken.d64", disk));
    QCOMPARE(recorder.Ids(), (std::vector<MessageId>{MessageId::FilesFound, MessageId::ReadError}));
    QCOMPARE(Text(recorder.shown[1].text), QStringLiteral("broken.d64\n\nError reading image."));
    QCOMPARE(Ui(dialog).rows(), 1);
    Ui(dialog).list->selectRow(0);
    QCOMPARE(Ui(dialog).petscii->text(), std::u16string(u"a"));
}

void WindowTest::dropOpensTheFirstFile() {
    ShellFixture fixture;
    MainWindow dialog;
    MessageRecorder recorder;
    const QString first = fixture.Write("first.d64", TwoFileDisk());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(fixture.Path("second.txt")),
                  QUrl::fromLocalFile(fixture.Path("third.d71"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drop);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - FIRST.D64"));
    QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::FilesFound});
    QCOMPARE(Ui(dialog).rows(), 2);
}

void WindowTest::closeResetsTheWindow() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    MessageRecorder recorder;
    dialog.openImage(fixture.Write("two.d64", TwoFileDisk()));
    Ui(dialog).list->selectRow(1);
    QVERIFY(Ui(dialog).assembly->isVisible());
    Ui(dialog).chooseMenuItem("&Close");
    QCOMPARE(Ui(dialog).rows(), 0);
    QCOMPARE(LabelText(dialog, IDC_STATUS), QStringLiteral("No Disk"));
    QCOMPARE(LabelText(dialog, IDC_BLOCKS_FREE), QStringLiteral("0"));
    QCOMPARE(LabelText(dialog, IDC_DISK_NAME), QString());
    QVERIFY(static_cast<QRadioButton*>(Ui(dialog).control(IDC_RADIO_BASIC))->isChecked());
    QVERIFY(Ui(dialog).browser->isVisible());
    QVERIFY(!Ui(dialog).assembly->isVisible());
    QCOMPARE(Ui(dialog).assembly->text(), std::u16string());
    QCOMPARE(Ui(dialog).address->text(), QStringLiteral("0"));
    QCOMPARE(Ui(dialog).browser->page(), Text(kInstructionsPage));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune"));
    QCOMPARE(Ui(dialog).selectedRow(), -1);
}

void WindowTest::escapeAndExitEndTheWindow() {
    ShellFixture fixture;
    {
        // Escape ends nothing: not from the list, a pane or an empty search box; in the search
        // box it empties the box.
        MainWindow dialog;
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        MessageRecorder quiet;
        dialog.openImage(fixture.Write("two.d64", TwoFileDisk()));
        Ui(dialog).list->selectRow(1);
        for (QWidget* widget :
             {static_cast<QWidget*>(Ui(dialog).list), static_cast<QWidget*>(Ui(dialog).assembly),
              static_cast<QWidget*>(Ui(dialog).search)}) {
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Escape);
            QVERIFY(dialog.isVisible());
        }
        QTest::keyClicks(Ui(dialog).search, QStringLiteral("nop"));
        QTest::keyClick(Ui(dialog).search, Qt::Key_Escape);
        QCOMPARE(Ui(dialog).search->text(), QString());
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        // Ctrl+Q quits.
        QTest::keyClick(Ui(dialog).list, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(dialog.result(), 1);
        QVERIFY(!dialog.isVisible());
    }
    {
        MainWindow dialog;
        dialog.show();
        Ui(dialog).chooseMenuItem("E&xit");
        QCOMPARE(dialog.result(), 1);
    }
    {
        MainWindow dialog;
        dialog.show();
        dialog.close();
        QCOMPARE(dialog.result(), 2);
    }
}

void WindowTest::openDialogListsEveryFormat() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QStringList filters;
    QTimer::singleShot(0, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (files == nullptr) return;
        filters = files->nameFilters();
        files->reject();
    });
    Ui(dialog).chooseMenuItem("&New");
    QCOMPARE(filters.size(), 3);
    for (const char* extension : {"*.[dD]81", "*.[gG]64", "*.[tT]64", "*.[lL][nN][xX]",
                                  "*.[pP][0-9][0-9]", "*.[pP][rR][gG]", "*.[zZ][iI][pP]"})
        QVERIFY2(filters[0].contains(QLatin1String(extension)), extension);
    QCOMPARE(filters[1], QStringLiteral("Commodore files (*.d64;*.d71) (*.[dD]64 *.[dD]71)"));
}

void WindowTest::archiveWithSeveralImagesAsksWhichToOpen() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    MessageRecorder recorder;
    const QString path = fixture.Path("set.zip");
    kestrune::testing::WriteFile(
        path.toStdString(),
        kestrune::testing::ZipArchive(
            {{"one.d64", TwoFileDisk().bytes()},
             {"two.prg", kestrune::testing::Program(0x0801, kestrune::testing::Bytes{0, 0})}}));
    QStringList offered;
    WhenShown<QInputDialog>([&](QInputDialog* chooser) {
        auto* names = chooser->findChild<QListView*>();
        for (int row = 0; row < names->model()->rowCount(); ++row)
            offered << names->model()->index(row, 0).data().toString();
        names->setFocus();
        QTest::keyClick(names, Qt::Key_Down);
        QTest::keyClick(chooser, Qt::Key_Return);
    });
    dialog.openImage(path);
    QCOMPARE(offered, (QStringList{"one.d64", "two.prg"}));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kestrune - SET.ZIP"));
    QCOMPARE(LabelText(dialog, IDC_DISK_NAME), QStringLiteral("TWO.PRG"));
    QCOMPARE(Ui(dialog).rows(), 1);
    QCOMPARE(Ui(dialog).cell(0, ColumnTrack), QString());
}

void WindowTest::partitionsOpenAndLeaveAsAUserWould() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    MessageRecorder recorder;
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto disk = kestrune::testing::LayoutDiskBuilder::D81("OUTER");
    disk.Entry({40, 3}, 0, {0x82, 1, 0, "FIRST", 1});
    disk.Entry({40, 3}, 1, {0x85, 50, 0, "PART", 120}).PartitionDirectory(50, 3, "INNER");
    disk.Chain(kestrune::testing::Program(0xC000, kestrune::testing::Bytes{0xEA, 0x60}),
               std::vector<kestrune::testing::Block>{{51, 0}});
    disk.Entry({50, 3}, 0, {0x82, 51, 0, "CODE", 1});
    disk.Entry({50, 3}, 1, {0x81, 51, 0, "MORE", 1});
    const QString path = fixture.Path("parts.d81");
    kestrune::testing::WriteFile(path.toStdString(), disk.bytes());
    dialog.openImage(path);
    QCOMPARE(Ui(dialog).rows(), 2);

    // A double-click on the partition lists its files.
    QTableView* list = Ui(dialog).list;
    const QPoint partitionCell = Ui(dialog).cellRect(1, 1).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, partitionCell);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, partitionCell);
    QCOMPARE(Ui(dialog).rows(), 2);
    QVERIFY(LabelText(dialog, IDC_DISK_NAME).startsWith(QStringLiteral("INNER")));
    QVERIFY(Ui(dialog).cell(0, 1).startsWith(QStringLiteral("code")));
    QVERIFY(list->hasFocus());

    // Backspace goes back; Enter on the partition row opens it again; File > Leave Partition.
    QTest::keyClick(list, Qt::Key_Backspace);
    QVERIFY(LabelText(dialog, IDC_DISK_NAME).startsWith(QStringLiteral("OUTER")));
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(LabelText(dialog, IDC_DISK_NAME).startsWith(QStringLiteral("INNER")));
    Ui(dialog).chooseMenuItem("&Leave Partition");
    QVERIFY(LabelText(dialog, IDC_DISK_NAME).startsWith(QStringLiteral("OUTER")));

    // Selecting the partition row shows what to do with it.
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(Ui(dialog).shownText(ViewPetscii),
             std::u16string(u"1581 partition: open it (double-click or Enter) to list its files"));
}

void WindowTest::diskViewMapsSectorsAndFollowsLinks() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    MessageRecorder recorder;
    // TWO holds 1/1 and 1/2; an error byte (23) on 1/2.
    auto disk = kestrune::testing::DiskBuilder(kestrune::kD64Size + 683);
    std::fill(disk.bytes().begin() + kestrune::kD64Size, disk.bytes().end(), 1);
    disk.AddFile("ONE", 0x82, kestrune::testing::Program(0x0801, kestrune::testing::Bytes(10, 1)));
    disk.AddFile("TWO", 0x81, kestrune::testing::Bytes(400, 2));
    disk.bytes()[kestrune::kD64Size + 2] = 5;
    dialog.openImage(fixture.Write("errors.d64", disk));
    QCOMPARE(LabelText(dialog, IDC_STATUS), QStringLiteral("1 sector carries an error"));

    // The list marks TWO and names the sector in its tooltip.
    const QModelIndex two = Ui(dialog).list->model()->index(1, 1);
    QCOMPARE(
        two.data(Qt::ToolTipRole).toString(),
        QStringLiteral(
            "Crosses sectors with errors:\ntrack 1 ($01), sector 2 ($02), which carries error 23"));
    QVERIFY(!Ui(dialog).list->model()->index(0, 1).data(Qt::ToolTipRole).isValid());

    auto* diskButton = dialog.findChild<QRadioButton*>(QStringLiteral("diskButton"));
    auto* pane = dialog.findChild<DiskPane*>(QStringLiteral("diskPane"));
    QTest::mouseClick(diskButton, Qt::LeftButton);
    QVERIFY(pane->isVisible());
    QVERIFY(!Ui(dialog).browser->isVisible());
    QVERIFY(diskButton->isChecked());

    // A click on 1/1 shows its bytes and its link; following it goes to 1/2.
    DiskMapView* map = pane->mapView();
    QTest::mouseClick(map, Qt::LeftButton, {}, map->cellRect(1, 1).center());
    QCOMPARE(pane->sectorTitle()->text(),
             QStringLiteral("Track 1 ($01), sector 1 ($01): \"two\" (row 2); in use in the BAM; "
                            "links to 1/2"));
    QVERIFY(pane->sectorPane()->text().find(u"0000: 01 02 02 02") != std::u16string::npos);
    QTest::mouseClick(pane->followButton(), Qt::LeftButton);
    QCOMPARE(pane->sectorTitle()->text(),
             QStringLiteral("Track 1 ($01), sector 2 ($02): \"two\" (row 2); in use in the BAM; "
                            "error 23; last block, 146 bytes used"));
    QVERIFY(!pane->followButton()->isEnabled());
    // A free sector names no link: what it holds is left over.
    QTest::mouseClick(map, Qt::LeftButton, {}, map->cellRect(1, 10).center());
    QCOMPARE(pane->sectorTitle()->text(),
             QStringLiteral("Track 1 ($01), sector 10 ($0A): no file; free in the BAM"));
    QCOMPARE(pane->tabs()->tabText(1), QStringLiteral("Chec&k (1)"));
    QCOMPARE(pane->findingsList()->count(), 1);
    QCOMPARE(pane->findingsList()->item(0)->text(),
             QStringLiteral("The chain of row 2 (\"two\") crosses track 1 ($01), sector 2 ($02), "
                            "which carries error 23"));

    // Choosing a file keeps the Disk view; a file view button leaves it.
    QTest::keyClick(Ui(dialog).list, Qt::Key_Down);
    QVERIFY(pane->isVisible());
    QTest::mouseClick(Ui(dialog).viewButton(ViewHex), Qt::LeftButton);
    QVERIFY(!pane->isVisible());
    QVERIFY(Ui(dialog).hex->isVisible());
    Ui(dialog).chooseMenuItem("&Disk");
    QVERIFY(pane->isVisible());
}

void WindowTest::c64FontDrawsNamesAndIsRemembered() {
    QVERIFY2(C64TextPainter::FontAvailable(), "fonts-sixtyfour is not installed");
    ShellFixture fixture;
    MessageRecorder recorder;
    const int plainWidth = [&] {
        MainWindow dialog;
        return Ui(dialog).list->horizontalHeader()->sectionSize(ColumnFileName);
    }();
    // Every column of the list in sight: the names' cells as large as the list lets them be.
    const auto columnsFit = [](const MainWindow& dialog) {
        const QTableView* list = Ui(dialog).list;
        return list->horizontalHeader()->sectionViewportPosition(ColumnSector) +
                   list->horizontalHeader()->sectionSize(ColumnSector) <=
               list->viewport()->width();
    };
    {
        MainWindow dialog;
        dialog.show();
        dialog.openImage(fixture.Write("two.d64", TwoFileDisk()));
        Ui(dialog).list->selectRow(0);
        Ui(dialog).viewButton(ViewHex)->click();
        const QImage plainHex = Ui(dialog).hex->grab().toImage();
        const std::u16string hexText = Ui(dialog).hex->text();
        Ui(dialog).chooseMenuItem("C64 &Font");
        QVERIFY(Ui(dialog).list->horizontalHeader()->sectionSize(ColumnFileName) > plainWidth);
        QVERIFY(columnsFit(dialog));
        // The panes keep their font and columns; their PETSCII and ScrCode characters are the
        // C64's.
        QVERIFY(Ui(dialog).hex->font().family() != QStringLiteral("C-64"));
        QCOMPARE(Ui(dialog).hex->text(), hexText);
        QVERIFY(Ui(dialog).hex->grab().toImage() != plainHex);
        Ui(dialog).chooseMenuItem("&Lower Case Set (Shift+C=)");
        // The name cell shows the C64's glyphs: it differs from the list's own font's drawing.
        const QImage c64 = Ui(dialog).list->viewport()->grab(Ui(dialog).cellRect(0, 1)).toImage();
        Ui(dialog).chooseMenuItem("C64 &Font");
        QCOMPARE(Ui(dialog).list->horizontalHeader()->sectionSize(ColumnFileName), plainWidth);
        QCOMPARE(Ui(dialog).hex->grab().toImage(), plainHex);
        const QImage plain = Ui(dialog).list->viewport()->grab(Ui(dialog).cellRect(0, 1)).toImage();
        QVERIFY(c64 != plain);
        Ui(dialog).chooseMenuItem("C64 &Font");
    }
    // The next window starts as this one was left.
    MainWindow again;
    again.show();
    QVERIFY(Ui(again).list->horizontalHeader()->sectionSize(ColumnFileName) > plainWidth);
    QVERIFY(columnsFit(again));
}

void WindowTest::ownGlyphsFillTheGapsOfTheFont() {
    // 0x60 is a horizontal line (U+1FB79, horizontal one eighth block-5), which Sixtyfour lacks:
    // our table draws row 4 of 8, here pixels 8 and 9 of 16, across the whole cell.
    const C64TextPainter c64(16);
    const std::uint8_t line[] = {0x60};
    const QImage image =
        c64.Picture(line, kestrune::Charset::UpperCaseGraphics, Qt::black, Qt::white).toImage();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool ink = y == 8 || y == 9;
            QCOMPARE(image.pixelColor(x, y) == QColor(Qt::black), ink);
        }
    }
    // A reversed code (0x01, a reversed "A") lights its cell.
    const std::uint8_t reversed[] = {0x01};
    const QImage lit =
        c64.Picture(reversed, kestrune::Charset::UpperCaseGraphics, Qt::black, Qt::white).toImage();
    QCOMPARE(lit.pixelColor(0, 0), QColor(Qt::black));
}

void WindowTest::dropIsAlwaysACopy() {
    ShellFixture fixture;
    MainWindow dialog;
    MessageRecorder recorder;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(fixture.Write("first.d64", TwoFileDisk()))});

    // A source that offers a copy or a move proposes the move: the drop is taken as a copy.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::ShiftModifier);
    QCOMPARE(enter.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent move(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::ShiftModifier);
    QApplication::sendEvent(&dialog, &move);
    QVERIFY(move.isAccepted());
    QCOMPARE(move.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                    Qt::ShiftModifier);
    QCOMPARE(drop.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(&dialog, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QCOMPARE(Ui(dialog).rows(), 2);

    // A source that offers only a move is refused, and nothing is opened.
    Ui(dialog).chooseMenuItem("&Close");
    QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &moveOnly);
    QVERIFY(!moveOnly.isAccepted());
    QDropEvent moveDrop(QPointF(10, 10), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &moveDrop);
    QVERIFY(!moveDrop.isAccepted());
    QCOMPARE(Ui(dialog).rows(), 0);
}

void WindowTest::geosColumnOpensWithAMouseDrag() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    MessageRecorder recorder;
    DiskBuilder disk;
    disk.AddEntry({0x83, 3, 10, "APP", 12, 6});
    disk.AddFile("AAA", 0x82, kestrune::testing::Program(0xC000, kestrune::testing::Bytes{0x60}));
    dialog.openImage(fixture.Write("geos.d64", disk));
    QHeaderView* header = Ui(dialog).list->horizontalHeader();
    QWidget* surface = header->viewport();
    const int divider = header->sectionViewportPosition(6);
    const int y = header->height() / 2;
    QCOMPARE(divider, header->sectionViewportPosition(5) + header->sectionSize(5));

    // On or left of the divider the press takes Sector, as before.
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(divider - 1, y));
    QTest::mouseMove(surface, QPoint(divider + 9, y));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(divider + 9, y));
    QCOMPARE(header->sectionSize(5), 65);
    QCOMPARE(header->sectionSize(6), 0);

    // Just right of it the press drags GEOS open.
    const int opened = header->sectionViewportPosition(6);
    QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(opened + 2, y));
    QTest::mouseMove(surface, QPoint(opened + 40, y));
    QTest::mouseMove(surface, QPoint(opened + 90, y));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(opened + 90, y));
    QCOMPARE(header->sectionSize(6), 90);
    QCOMPARE(header->sectionSize(5), 65);
    QCOMPARE(Ui(dialog).cell(0, 1).trimmed(), QStringLiteral("app"));

    // A click on its heading sorts by it: the file without a GEOS type comes first.
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(opened + 45, y));
    QCOMPARE(Ui(dialog).cell(0, 1).trimmed(), QStringLiteral("aaa"));
    QCOMPARE(Ui(dialog).cell(1, 6), QStringLiteral("Application"));
}

void WindowTest::iconsAreCompiledIn() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(!dialog.windowIcon().pixmap(32).isNull());
    bool sawPicture = false;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (about == nullptr) return;
        for (const QLabel* label : about->findChildren<QLabel*>())
            sawPicture = sawPicture || !label->pixmap().isNull();
        about->close();
    });
    Ui(dialog).chooseMenuItem("&About");
    QVERIFY(sawPicture);
}

// The window starts at the template's size where the screen has room, and otherwise at the room
// there is, with every control placed inside it; it cannot be made smaller than it started.
void WindowTest::windowFitsTheScreen() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QSize available = dialog.screen()->availableSize();
    const QSize full =
        DialogRect(BaseUnitsOf(dialog.font()), 0, 0, kTemplateWidth, kTemplateHeight).size() +
        QSize(0, dialog.findChild<QMenuBar*>()->sizeHint().height());
    QVERIFY(dialog.width() <= available.width());
    QVERIFY(dialog.height() < available.height());
    // The frame (title bar and borders, where the screen has them) fits the screen too.
    QVERIFY(dialog.screen()->availableGeometry().contains(dialog.frameGeometry()));
    // The template is as much wider as the view buttons beyond its own need before the address
    // box.
    const QRect address = Ui(dialog).control(IDC_START_ADDRESS)->geometry();
    for (const QAbstractButton* button : dialog.findChildren<QRadioButton*>())
        QVERIFY(button->geometry().right() < address.left());
    if (full.height() + 60 < available.height() && full.width() + 200 < available.width()) {
        QCOMPARE(dialog.height(), full.height());
        QVERIFY(dialog.width() > full.width() && dialog.width() < full.width() + 200);
    } else {
        QVERIFY(dialog.height() < full.height());
    }
    const QWidget* client = Ui(dialog).control(IDC_STATUS)->parentWidget();
    for (int id : {IDC_STATUS, IDC_REVERT, IDC_SEARCH, IDC_FILE_LIST, IDC_HEX, IDC_BROWSER}) {
        const QRect rect = Ui(dialog).control(id)->geometry();
        QVERIFY2(QRect(QPoint(0, 0), client->size()).contains(rect),
                 qPrintable(QString::number(id)));
        QVERIFY(rect.height() > 0 && rect.width() > 0);
    }
}

void WindowTest::listTakesTheFocusAfterEveryLoad() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    MessageRecorder recorder;
    const QString path = fixture.Write("two.d64", TwoFileDisk());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    for (const QString& image : {path, fixture.Path("missing.d64")}) {
        dialog.openImage(path);
        Ui(dialog).list->selectRow(1);
        QVERIFY(Ui(dialog).address->isEnabled());
        QTest::mouseClick(Ui(dialog).address, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), Ui(dialog).address);
        data.setUrls({QUrl::fromLocalFile(image)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&dialog, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(QApplication::focusWidget(), Ui(dialog).list);
    }
    // The arrow keys then move through the new files.
    dialog.openImage(path);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(Ui(dialog).selectedRow(), 0);
}

void WindowTest::enterWithoutAFileOnShowDoesNothing() {
    ShellFixture fixture;
    MainWindow dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    MessageRecorder recorder;
    const QString path = fixture.Write("two.d64", TwoFileDisk());
    dialog.openImage(path);
    recorder.shown.clear();
    Ui(dialog).list->selectRow(1);
    QCOMPARE(Ui(dialog).address->text(), QStringLiteral("49152"));

    // After File > Close the box reads "0", which lay outside the file that was closed.
    Ui(dialog).chooseMenuItem("&Close");
    QTest::keyClick(Ui(dialog).list, Qt::Key_Return);
    QVERIFY(recorder.shown.empty());
    QCOMPARE(Ui(dialog).address->text(), QStringLiteral("0"));

    // Loaded again, before any selection.
    dialog.openImage(path);
    recorder.shown.clear();
    QTest::keyClick(Ui(dialog).list, Qt::Key_Return);
    QVERIFY(recorder.shown.empty());
    QCOMPARE(Ui(dialog).address->text(), QStringLiteral("0"));

    // With a file on show, Enter judges the box again.
    Ui(dialog).list->selectRow(1);
    Ui(dialog).address->setText("$c005");
    QTest::keyClick(Ui(dialog).list, Qt::Key_Return);
    QCOMPARE(recorder.Ids(), std::vector<MessageId>{MessageId::AddressOutOfRange});
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
