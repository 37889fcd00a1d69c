#include "tests/shell/shell_fixture.h"

#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableView>
#include <QTest>

#include <array>

#include "shell/browser_pane.h"
#include "shell/control_ids.h"
#include "shell/text_pane.h"
#include "viewer/view_mode.h"

#include "shell/message_box.h"

MessageRecorder::MessageRecorder(std::vector<bool> answers) : answers_(std::move(answers)) {
    ReplaceMessageBoxes([this](const kestrune::Message& message) {
        shown.push_back(message);
        if (message.kind != kestrune::MessageKind::Question) return false;
        if (answers_.empty()) return false;
        const bool answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
}

MessageRecorder::~MessageRecorder() {
    ReplaceMessageBoxes(nullptr);
}

std::vector<kestrune::MessageId> MessageRecorder::Ids() const {
    std::vector<kestrune::MessageId> ids;
    for (const auto& message : shown)
        ids.push_back(message.id);
    return ids;
}

ShellFixture::ShellFixture()
    : previousDataHome_(qgetenv("XDG_DATA_HOME")), previousConfigHome_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(QString::fromStdString((dir_ / "data").string())));
    // The window's remembered settings go to the test's own folder.
    qputenv("XDG_CONFIG_HOME",
            QFile::encodeName(QString::fromStdString((dir_ / "config").string())));
}

ShellFixture::~ShellFixture() {
    qputenv("XDG_DATA_HOME", previousDataHome_);
    qputenv("XDG_CONFIG_HOME", previousConfigHome_);
}

QString ShellFixture::Write(const QString& name, const kestrune::testing::DiskBuilder& disk) const {
    return QString::fromStdString(disk.WriteTo(dir_ / name.toStdString()).string());
}

QString ShellFixture::Write(const QString& name, std::span<const std::uint8_t> bytes) const {
    return QString::fromStdString(
        kestrune::testing::WriteFile(dir_ / name.toStdString(), bytes).string());
}

QString ShellFixture::PageFolder() const {
    return QString::fromStdString((dir_ / "data" / "Kestrune").string());
}

QString ShellFixture::Path(const QString& name) const {
    return QString::fromStdString((dir_ / name.toStdString()).string());
}

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Ui::Ui(const QWidget& window_)
    : window(window_),
      list(static_cast<QTableView*>(control(IDC_FILE_LIST))),
      browser(static_cast<BrowserPane*>(control(IDC_BROWSER))),
      assembly(static_cast<TextPane*>(control(IDC_ASSEMBLY))),
      hex(static_cast<TextPane*>(control(IDC_HEX))),
      petscii(static_cast<TextPane*>(control(IDC_PETSCII))),
      scrcode(static_cast<TextPane*>(control(IDC_SCRCODE))),
      address(static_cast<QLineEdit*>(control(IDC_START_ADDRESS))),
      search(static_cast<QLineEdit*>(control(IDC_SEARCH))) {}

QWidget* Ui::control(int id) const {
    QWidget* found = window.findChild<QWidget*>(QString::number(id));
    if (found == nullptr) qFatal("no control %d", id);
    return found;
}

QLabel* Ui::label(int id) const {
    return static_cast<QLabel*>(control(id));
}

QAbstractButton* Ui::viewButton(int view) const {
    return static_cast<QAbstractButton*>(control(IDC_RADIO_BASIC + view));
}

std::u16string Ui::shownText(int view) const {
    QTest::mouseClick(viewButton(view), Qt::LeftButton);
    return view == kestrune::ViewBasic ? browser->page().toStdU16String() : textPane(view)->text();
}

QWidget* Ui::pane(int view) const {
    const std::array<QWidget*, 5> panes = {browser, assembly, hex, petscii, scrcode};
    return panes[static_cast<std::size_t>(view)];
}

TextPane* Ui::textPane(int view) const {
    return static_cast<TextPane*>(pane(view));
}

int Ui::rows() const {
    return list->model()->rowCount();
}

QString Ui::cell(int row, int column) const {
    return list->model()->index(row, column).data().toString();
}

QRect Ui::cellRect(int row, int column) const {
    return list->visualRect(list->model()->index(row, column));
}

int Ui::selectedRow() const {
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

int Ui::visiblePane() const {
    int visible = -1;
    for (int view = 0; view < 5; ++view) {
        if (pane(view)->isVisible()) {
            if (visible != -1) return -2;
            visible = view;
        }
    }
    return visible;
}

int Ui::checkedView() const {
    for (int view = 0; view < 5; ++view) {
        if (viewButton(view)->isChecked()) return view;
    }
    return -1;
}

void Ui::clickHeader(int column) const {
    QHeaderView* header = list->horizontalHeader();
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
}

void Ui::clickRevert() const {
    QTest::mouseClick(control(IDC_REVERT), Qt::LeftButton);
}

void Ui::chooseMenuItem(const QString& text) const {
    for (QAction* action : window.findChild<QMenuBar*>()->findChildren<QAction*>()) {
        if (action->text() == text) {
            action->trigger();
            return;
        }
    }
    qFatal("no menu item %s", qPrintable(text));
}

void Ui::enterAddress(const QString& typed) const {
    address->setText(typed);
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Return);
}
