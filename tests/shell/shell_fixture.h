// What the window tests share: a private data folder for the page files, recorded message boxes,
// and images written by the test support.
#pragma once

#include <QApplication>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "tests/support/disk_builder.h"
#include "text/message.h"

// Replaces the message boxes while it lives: every message is recorded and questions are
// answered from a list (No when the list runs out).
class MessageRecorder {
  public:
    explicit MessageRecorder(std::vector<bool> answers = {});
    ~MessageRecorder();

    std::vector<kestrune::Message> shown;
    std::vector<kestrune::MessageId> Ids() const;

  private:
    std::vector<bool> answers_;
};

// A folder of its own for the page files (XDG_DATA_HOME) and the images of a test.
class ShellFixture {
  public:
    ShellFixture();
    ~ShellFixture();

    QString Write(const QString& name, const kestrune::testing::DiskBuilder& disk) const;
    QString Write(const QString& name, std::span<const std::uint8_t> bytes) const;
    QString PageFolder() const;
    QString Path(const QString& name) const;

  private:
    kestrune::testing::TempDir dir_;
    QByteArray previousDataHome_;
    QByteArray previousConfigHome_;
};

QString Text(std::u16string_view text);

// Answers the next modal dialog of type Dialog as a user would, once it shows (the window reads
// files on a thread of its own, so its questions come when the reading asks them).
template <typename Dialog>
void WhenShown(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(5);
}

class BrowserPane;
class MainWindow;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QTableView;
class TextPane;

// The window's widgets as a user finds them: by their template ids.
struct Ui {
    explicit Ui(const QWidget& window);

    QWidget* control(int id) const;
    QLabel* label(int id) const;
    QAbstractButton* viewButton(int view) const;
    QWidget* pane(int view) const;  // the browser pane for the BASIC view
    TextPane* textPane(int view) const;

    int rows() const;
    QString cell(int row, int column) const;
    QRect cellRect(int row, int column) const;
    int selectedRow() const;  // -1 for none
    int visiblePane() const;  // -1 for none, -2 for more than one
    int checkedView() const;
    // A click on a column's heading, and on Revert.
    void clickHeader(int column) const;
    void clickRevert() const;
    // Triggers the menu item with this text, as a click on it does.
    void chooseMenuItem(const QString& text) const;
    // The box's text typed, then Enter pressed in it.
    void enterAddress(const QString& typed) const;
    // A click on a view's button, and the text its pane then shows (the page for BASIC).
    std::u16string shownText(int view) const;

    const QWidget& window;
    QTableView* list;
    BrowserPane* browser;
    TextPane *assembly, *hex, *petscii, *scrcode;
    QLineEdit *address, *search;
};
