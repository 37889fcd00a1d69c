// Reading on a thread of its own: questions are put to the user on the window's thread and their
// answers reach the reading; a read that takes long shows a progress dialog whose Cancel gives the
// window back at once, and questions the cancelled read asks later are answered No unasked.
#include <QDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>

#include "shell/image_reader.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/disk_builder.h"

using namespace kestrune;

namespace {

Message Question() {
    return Message{MessageId::WrongSize, MessageKind::Question, u"Continue?"};
}

}  // namespace

class ReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void questionsAreAskedOnTheWindowsThread();
    void cancelGivesTheWindowBack();
};

void ReaderTest::questionsAreAskedOnTheWindowsThread() {
    ShellFixture fixture;
    const QString disk = fixture.Write("disk.d64", testing::DiskBuilder());
    QDialog window;
    window.show();
    std::vector<QThread*> askedOn;
    ImageReader reader(
        &window,
        [&](const Message&) {
            askedOn.push_back(QThread::currentThread());
            return true;
        },
        [&](const std::vector<std::string>& names) -> std::optional<std::size_t> {
            askedOn.push_back(QThread::currentThread());
            return names.size() - 1;
        });
    bool answer = false;
    std::optional<std::size_t> chosen;
    const auto read = reader.Run(QStringLiteral("Opening..."),
                                 [&](const MessageHandler& tell, const ImageChooser& choose) {
                                     answer = tell(Question());
                                     chosen = choose({"one", "two"});
                                     return Session::Read(disk.toStdString(), tell, choose);
                                 });
    QVERIFY(read != nullptr);
    QVERIFY(answer);
    QCOMPARE(chosen, std::optional<std::size_t>(1));
    QCOMPARE(askedOn, (std::vector<QThread*>{QThread::currentThread(), QThread::currentThread()}));
    // A read that ends at once shows no dialog.
    QVERIFY(window.findChildren<QProgressDialog*>().isEmpty());
    Session session;
    QVERIFY(session.Show(*read, [](const Message&) { return false; }));
}

// A read that does not end: after a moment the dialog shows, and its Cancel returns at once. The
// read goes on behind; the question it asks afterwards is answered No without a box.
void ReaderTest::cancelGivesTheWindowBack() {
    QDialog window;
    window.show();
    int asked = 0;
    std::atomic<bool> release{false};
    std::atomic<bool> ended{false};
    std::atomic<bool> answer{true};
    {
        ImageReader reader(
            &window,
            [&](const Message&) {
                ++asked;
                return true;
            },
            nullptr);
        bool shown = false;
        WhenShown<QProgressDialog>([&](QProgressDialog* progress) {
            shown = true;
            QCOMPARE(progress->labelText(), QStringLiteral("Opening stuck.d64..."));
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        });
        const auto start = std::chrono::steady_clock::now();
        const auto read =
            reader.Run(QStringLiteral("Opening stuck.d64..."),
                       [&](const MessageHandler& tell, const ImageChooser&) {
                           while (!release)
                               std::this_thread::sleep_for(std::chrono::milliseconds(1));
                           answer = tell(Question());
                           ended = true;
                           return std::shared_ptr<OpenedFile>();
                       });
        QVERIFY(shown);
        QVERIFY(read == nullptr);
        QVERIFY(std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(100));
        release = true;
        QTRY_VERIFY(ended.load());
        QCoreApplication::processEvents();
    }
    QVERIFY(!answer);
    QCOMPARE(asked, 0);
}

QTEST_MAIN(ReaderTest)
#include "reader_test.moc"
