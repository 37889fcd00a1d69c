#include "shell/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>

#include <algorithm>
#include <array>

#include "collection/catalog_path.h"
#include "shell/about_dialog.h"
#include "shell/address_box.h"
#include "shell/browser_pane.h"
#include "shell/c64_text.h"
#include "shell/collection_pane.h"
#include "shell/dialog_template.h"
#include "shell/dialog_units.h"
#include "shell/directory_header.h"
#include "shell/directory_model.h"
#include "shell/disk_pane.h"
#include "shell/file_list.h"
#include "shell/list_cell_delegate.h"
#include "shell/message_box.h"
#include "shell/page_files.h"
#include "shell/picture_view.h"
#include "shell/progress_writer.h"
#include "shell/split_handle.h"
#include "shell/text_pane.h"
#include "text/text_sink.h"
#include "text/unicode.h"
#include "viewer/view_table.h"

using namespace kestrune;

// The icons are compiled into the shell's static library, whose resources the linker would
// otherwise leave out of the program.
static void InitShellResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// A file of exactly this size in place of the instructions page is shown as it is.
constexpr qint64 kKeptInstructionsSize = 4096;

// The smallest the list and the panes get (they keep a few rows), and the disk name field.
constexpr int kSmallestPaneHeight = 150;
constexpr int kSmallestNameWidth = 60;
// The space before each view button placed after the template's.
constexpr int kExtraButtonGap = 12;
// The Collection pane's width, in average characters.
constexpr int kCollectionChars = 72;

// The most of a file the text panes show: the largest file of a 1581 disk (800 KB) shows whole,
// and no pane of a larger one keeps the window from answering.
constexpr std::size_t kPaneLimit = 1 << 19;

// The text of a view's button and View menu item, with its key.
QString ViewLabel(kestrune::ViewMode view) {
    const std::string_view label = kestrune::RowOfView(view).label;
    return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
}

// The files File > Open Recent lists, the last opened first.
constexpr int kRecentFiles = 10;
const QString kRecentKey = QStringLiteral("recent/files");

// The disk fields and the status line, in the order of MainWindow::fields_.
constexpr std::array<ControlId, 5> kFieldIds = {IDC_DISK_NAME, IDC_DISK_ID, IDC_DOS_TYPE,
                                                IDC_BLOCKS_FREE, IDC_STATUS};

QString Text(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QFont PaneFont() {
    QFont font = QFontDatabase::families().contains(QStringLiteral("Consolas"))
                     ? QFont(QStringLiteral("Consolas"))
                     : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(11);
    return font;
}

// A viewer only ever copies what is dropped: a drag source that offers no copy is refused, and
// one that proposes a move is told the drop was a copy, so it never deletes the original.
template <typename Event>
bool AcceptAsCopy(Event* event) {
    // A row dragged out of the window's own list is no image to open.
    if (event->source() != nullptr || !event->mimeData()->hasUrls() ||
        !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent),
      reader_(
          this, [this](const Message& message) { return Tell(message); },
          [this](const std::vector<std::string>& names) { return ChooseMember(names); }),
      model_(new DirectoryModel(session_, this)) {
    InitShellResources();
    session_.SetPaneLimit(kPaneLimit);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/kestrune-%1.png").arg(size));
    setWindowIcon(icon);
    QFont dialogFont = QApplication::font();
    dialogFont.setPointSize(kTemplateFontPoints);
    setFont(dialogFont);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    CreateMenu();
    CreateControls();
    SetUpList();
    // The window gets as small as its controls allow: the list and the panes a few rows tall, the
    // disk name field a few characters wide (the view buttons keep their row).
    const int listHeight = startRects_[ListIndex()].height();
    setMinimumSize(startClient_.width() + minSplit_,
                   height() - std::max(0, listHeight - std::min(listHeight, kSmallestPaneHeight)));
    {
        const QSettings settings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"));
        split_ = settings.value(QStringLiteral("window/split"), 0).toInt();
    }
    PlaceControls();

    const QFont paneFont = PaneFont();
    for (TextPane* pane : panes_) {
        if (pane != nullptr) pane->setFont(paneFont);
    }
    browser_->setListingFont(paneFont);
    diskPane_->sectorPane()->setFont(paneFont);
    // The C64 font as it was left (it shows the last session's state, and redoes the panes).
    ApplyC64Font();
    WriteInstructions();
    list_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::CreateMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(tr("&File"));
    file->addAction(tr("&New"), QKeySequence(Qt::CTRL | Qt::Key_N), this, &MainWindow::chooseImage);
    file->addAction(tr("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                    &MainWindow::chooseImage);
    file->addAction(tr("Open &Folder..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this,
                    &MainWindow::chooseFolder);
    recent_ = file->addMenu(tr("Open &Recent"));
    connect(recent_, &QMenu::aboutToShow, this, &MainWindow::ListRecentFiles);
    file->addAction(tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), this,
                    &MainWindow::closeImage);
    file->addAction(tr("&Save File As..."), QKeySequence(Qt::CTRL | Qt::Key_S), this,
                    &MainWindow::saveFileAs);
    // Backspace leaves a 1581 partition; the line edits keep the key for their text.
    leavePartition_ = file->addAction(tr("&Leave Partition"), this, &MainWindow::leavePartition);
    leavePartition_->setShortcut(QKeySequence(Qt::Key_Backspace));
    leavePartition_->setEnabled(false);
    // The images of the folder open one after the other.
    nextImage_ =
        file->addAction(tr("Ne&xt Image in Folder"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                        this, [this] { collection_->OpenAdjacentImage(1); });
    previousImage_ =
        file->addAction(tr("Pre&vious Image in Folder"), QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                        this, [this] { collection_->OpenAdjacentImage(-1); });
    nextImage_->setEnabled(false);
    previousImage_->setEnabled(false);
    file->addAction(tr("&Export..."), this, &MainWindow::exportView);
    exportPicture_ =
        file->addAction(tr("Export &Picture as PNG..."), this, &MainWindow::exportPicture);
    exportPicture_->setEnabled(false);
    file->addAction(tr("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &MainWindow::exitWindow);
    QMenu* edit = menuBar_->addMenu(tr("&Edit"));
    // Copy and Select All act on the pane on view; their keys are the panes' own, and the search
    // box keeps its own when it has the focus.
    QAction* copy = edit->addAction(tr("&Copy"), this, &MainWindow::copyFromPane);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    QAction* selectAll = edit->addAction(tr("Select &All"), this, &MainWindow::selectAllOfPane);
    selectAll->setShortcut(QKeySequence::SelectAll);
    selectAll->setShortcutContext(Qt::WidgetShortcut);
    QAction* find = edit->addAction(tr("&Find"), this, [this] {
        search_->setFocus();
        search_->selectAll();
    });
    find->setShortcut(QKeySequence::Find);
    QMenu* view = menuBar_->addMenu(tr("&View"));
    // The views, as their buttons choose them, Ctrl+1 on.
    for (const ViewRow& row : ViewTable) {
        const int shown = row.view;
        view->addAction(ViewLabel(row.view), QKeySequence(Qt::CTRL | (Qt::Key_1 + shown)), this,
                        [this, shown] {
                            viewButtons_->button(shown)->setChecked(true);
                            chooseView(shown);
                        });
    }
    view->addSeparator();
    QAction* allOpcodes = view->addAction(tr("&Undocumented opcodes"));
    allOpcodes->setCheckable(true);
    connect(allOpcodes, &QAction::toggled, this, [this](bool on) {
        session_.SetAllOpcodes(on);
        ShowSession(false);
    });
    // Names in the C64's own character sets, upper case and graphics or, as after Shift+C=, lower
    // and upper case.
    c64Font_ = view->addAction(tr("C64 &Font"));
    c64Font_->setCheckable(true);
    lowerCase_ = view->addAction(tr("&Lower Case Set (Shift+C=)"));
    lowerCase_->setCheckable(true);
    if (!C64TextPainter::FontAvailable()) {
        c64Font_->setEnabled(false);
        c64Font_->setStatusTip(tr("The Sixtyfour font (fonts-sixtyfour) is not installed"));
    }
    {
        const QSettings settings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"));
        c64Font_->setChecked(c64Font_->isEnabled() &&
                             settings.value(QStringLiteral("view/c64Font"), false).toBool());
        lowerCase_->setChecked(settings.value(QStringLiteral("view/lowerCase"), false).toBool());
    }
    // A choice is remembered when it is made.
    const auto choose = [this] {
        QSettings settings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"));
        settings.setValue(QStringLiteral("view/c64Font"), c64Font_->isChecked());
        settings.setValue(QStringLiteral("view/lowerCase"), lowerCase_->isChecked());
        ApplyC64Font();
    };
    connect(c64Font_, &QAction::toggled, this, choose);
    connect(lowerCase_, &QAction::toggled, this, choose);
    QMenu* dialects = view->addMenu(tr("BASIC dialec&t"));
    auto* dialectGroup = new QActionGroup(this);
    const auto addDialect = [&](const QString& text, std::string key) {
        QAction* action = dialects->addAction(text);
        action->setCheckable(true);
        action->setChecked(key == "auto");
        dialectGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, key] {
            session_.SetBasicDialect(key);
            ShowSession(true);
        });
    };
    addDialect(tr("&Automatic"), "auto");
    for (const auto& [key, name] : Session::BasicDialects())
        addDialect(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())),
                   std::string(key));
    QMenu* help = menuBar_->addMenu(tr("&Help"));
    help->addAction(tr("&About"), this, &MainWindow::showAbout);
}

void MainWindow::CreateControls() {
    client_ = new QWidget(this);
    viewButtons_ = new QButtonGroup(this);
    const DialogBaseUnits base = BaseUnitsOf(font());
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        const ControlTemplate& control = MainWindowTemplate[i];
        const QString text =
            QString::fromLatin1(control.text.data(), static_cast<qsizetype>(control.text.size()));
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::Label:
                widget = new QLabel(text, client_);
                break;
            case ControlKind::Field: {
                auto* field = new QLabel(text, client_);
                field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                const Qt::Alignment across = control.id == IDC_DISK_NAME     ? Qt::AlignLeft
                                             : control.id == IDC_BLOCKS_FREE ? Qt::AlignRight
                                                                             : Qt::AlignHCenter;
                field->setAlignment(across | Qt::AlignVCenter);
                widget = field;
                break;
            }
            case ControlKind::Radio: {
                // Each view button has its key (Alt and a letter); Tab reaches the checked one
                // and the arrow keys move through them.
                const int shown = control.id - IDC_RADIO_BASIC;
                auto* radio = new QRadioButton(ViewLabel(static_cast<ViewMode>(shown)), client_);
                radio->setFocusPolicy(Qt::TabFocus);
                viewButtons_->addButton(radio, shown);
                widget = radio;
                break;
            }
            case ControlKind::Edit:
                widget = control.id == IDC_START_ADDRESS ? new AddressBox(client_)
                                                         : new QLineEdit(client_);
                static_cast<QLineEdit*>(widget)->setText(text);
                break;
            case ControlKind::List:
                widget = list_ = new FileList(client_);
                list_->setHorizontalHeader(new DirectoryHeader(list_));
                break;
            case ControlKind::Browser:
                widget = browser_ = new BrowserPane(client_);
                break;
            case ControlKind::Pane: {
                const bool wraps = control.id == IDC_SCRCODE || control.id == IDC_PETSCII;
                widget =
                    new TextPane(wraps ? TextPane::Wrap::Words : TextPane::Wrap::None, client_);
                break;
            }
            case ControlKind::Button:
                widget = new QPushButton(text, client_);
                break;
        }
        templateWidgets_[i] = widget;
        startRects_[i] = DialogRect(base, control.x, control.y, control.width, control.height);
        // A label's text is not cut where the font runs wider than the template's.
        if (control.kind == ControlKind::Label && control.id == IDC_NONE) {
            startRects_[i].setWidth(std::max(startRects_[i].width(), widget->sizeHint().width()));
        }
        widget->setGeometry(startRects_[i]);
        widget->setVisible(control.visible);
        widget->setEnabled(control.enabled);
        if (control.id != IDC_NONE) widget->setObjectName(QString::number(control.id));
        switch (control.id) {
            case IDC_ASSEMBLY:
                panes_[ViewAssembly] = static_cast<TextPane*>(widget);
                break;
            case IDC_HEX:
                panes_[ViewHex] = static_cast<TextPane*>(widget);
                break;
            case IDC_PETSCII:
                panes_[ViewPetscii] = static_cast<TextPane*>(widget);
                break;
            case IDC_SCRCODE:
                panes_[ViewScrCode] = static_cast<TextPane*>(widget);
                break;
            case IDC_START_ADDRESS:
                address_ = static_cast<QLineEdit*>(widget);
                break;
            case IDC_SEARCH:
                // The template's text is what the box says while it is empty.
                search_ = static_cast<QLineEdit*>(widget);
                search_->clear();
                search_->setPlaceholderText(text);
                break;
            case IDC_DEFAULT_BUTTON:
                defaultButton_ = static_cast<QPushButton*>(widget);
                break;
            case IDC_REVERT:
                connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                        &MainWindow::revert);
                break;
            default:
                break;
        }
        for (std::size_t field = 0; field < kFieldIds.size(); ++field) {
            if (control.id == kFieldIds[field]) fields_[field] = static_cast<QLabel*>(widget);
        }
    }
    // The views the template has no button for get theirs here.
    for (const ViewRow& row : ViewTable) {
        if (viewButtons_->button(row.view) != nullptr) continue;
        auto* radio = new QRadioButton(ViewLabel(row.view), client_);
        radio->setObjectName(QString::fromLatin1(row.key.data(), row.key.size()) +
                             QStringLiteral("Button"));
        radio->setFocusPolicy(Qt::TabFocus);
        viewButtons_->addButton(radio, row.view);
        extraButtons_[row.view] = radio;
    }
    picturePane_ = new PictureView(client_);
    picturePane_->setObjectName(QStringLiteral("picturePane"));
    picturePane_->hide();
    connect(picturePane_, &PictureView::formatChosen, this, &MainWindow::choosePictureFormat);
    session_.SetPictureColours(picturePane_->colours());
    connect(picturePane_, &PictureView::coloursChosen, this,
            [this](const PictureColourChoice& colours) {
                session_.SetPictureColours(colours);
                ShowSession(false);
            });
    diskPane_ = new DiskPane(session_, client_);
    diskPane_->setObjectName(QStringLiteral("diskPane"));
    diskPane_->hide();
    connect(diskPane_, &DiskPane::findingChosen, this, &MainWindow::showFinding);
    shownPane_ = browser_;
    connect(viewButtons_, &QButtonGroup::idClicked, this, &MainWindow::chooseView);
    sysLink_ = new QLabel(client_);
    sysLink_->setObjectName(QStringLiteral("sysLink"));
    sysLink_->setTextFormat(Qt::RichText);
    sysLink_->hide();
    connect(sysLink_, &QLabel::linkActivated, this, &MainWindow::disassembleFromSys);
    sysAction_ = new QAction(this);
    sysAction_->setVisible(false);
    connect(sysAction_, &QAction::triggered, this, &MainWindow::disassembleFromSys);
    browser_->listing()->addAction(sysAction_);
    connect(search_, &QLineEdit::textChanged, this, &MainWindow::search);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::returnPressed, this, &MainWindow::findNext);
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
            &MainWindow::findNext);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
            &MainWindow::findPrevious);
    connect(defaultButton_, &QPushButton::clicked, this, &MainWindow::enterAddress);

    // Tab goes from the list to the address box, the view buttons, the pane on show (hidden panes
    // are passed over), the search box and Revert.
    QWidget* revert = client_->findChild<QWidget*>(QString::number(IDC_REVERT));
    std::vector<QWidget*> order = {list_, address_};
    for (const ViewRow& row : ViewTable)
        order.push_back(viewButtons_->button(row.view));
    order.insert(order.end(), {browser_, panes_[ViewAssembly], panes_[ViewHex], panes_[ViewPetscii],
                               panes_[ViewScrCode], diskPane_, picturePane_, search_, revert});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The divider between the list and the panes; how far it may move left, the disk name field
    // keeping a few characters.
    splitHandle_ = new SplitHandle(client_);
    splitHandle_->setObjectName(QStringLiteral("splitHandle"));
    connect(splitHandle_, &SplitHandle::dragged, this, [this](int dx) {
        split_ = Split(client_->width() - startClient_.width()) + dx;
        PlaceControls();
    });
    connect(splitHandle_, &SplitHandle::released, this, [this] {
        QSettings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"))
            .setValue(QStringLiteral("window/split"),
                      Split(client_->width() - startClient_.width()));
    });
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        if (MainWindowTemplate[i].id == IDC_DISK_NAME)
            minSplit_ = std::min(0, kSmallestNameWidth - startRects_[i].width());
    }

    startClient_ = DialogRect(base, 0, 0, kTemplateWidth, kTemplateHeight).size();
    WidenForViewButtons();
    const int menuHeight = menuBar_->sizeHint().height();
    resize(FittedToScreen(QSize(startClient_.width(), startClient_.height() + menuHeight)));
    PlaceControls();
}

void MainWindow::WidenForViewButtons() {
    // The view buttons the template has no place for follow its last, and the start-address box
    // follows them: the window starts (and stays at least) as much wider as they need, as though
    // the template had been widened by that much.
    std::size_t address = 0, lastRadio = 0;
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        if (MainWindowTemplate[i].id == IDC_START_ADDRESS) address = i;
        if (MainWindowTemplate[i].id == IDC_RADIO_SCRCODE) lastRadio = i;
    }
    int end = startRects_[lastRadio].right();
    for (const QRadioButton* button : extraButtons_) {
        if (button != nullptr) end += kExtraButtonGap + button->sizeHint().width();
    }
    const int needed = end + kExtraButtonGap - startRects_[address].left();
    if (needed <= 0) return;
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        const Anchoring& anchoring = MainWindowTemplate[i].anchoring;
        startRects_[i].translate(anchoring.moveRight * needed, 0);
        startRects_[i].setWidth(startRects_[i].width() + anchoring.growWider * needed);
    }
    startClient_.setWidth(startClient_.width() + needed);
}

void MainWindow::SetUpList() {
    list_->setModel(model_);
    list_->verticalHeader()->hide();
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSortingEnabled(false);
    list_->setWordWrap(false);
    // Tab leaves the list; the arrow keys move through it.
    list_->setTabKeyNavigation(false);
    listDelegate_ = new ListCellDelegate(list_);
    list_->setItemDelegate(listDelegate_);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    list_->setDefaultDropAction(Qt::CopyAction);
    QHeaderView* header = list_->horizontalHeader();
    header->setSectionsClickable(true);
    // The column the list is sorted by carries the sort arrow.
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < kColumnCount; ++column)
        header->resizeSection(column, kListColumns[column].width);
    // A T64 or a zipped file may hold up to 65,535 blocks: the size column fits five digits.
    header->resizeSection(
        ColumnSize,
        std::max(kListColumns[ColumnSize].width,
                 list_->fontMetrics().horizontalAdvance(QStringLiteral("65535")) +
                     2 * list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8));
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);

    connect(list_, &QAbstractItemView::clicked, this, &MainWindow::selectRow);
    connect(list_, &QAbstractItemView::doubleClicked, this, &MainWindow::openPartition);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::selectRow);
    connect(header, &QHeaderView::sectionClicked, this, &MainWindow::sortByColumn);
}

void MainWindow::WriteInstructions() {
    const QString appData = LocalAppDataFolder();
    if (appData.isEmpty()) return;
    pageFolder_ = PageFolder(appData);
    QDir().mkpath(pageFolder_);
    const QString path = pageFolder_ + QStringLiteral("/instructions.html");
    const QFileInfo instructions(path);
    if (!instructions.exists() || instructions.size() != kKeptInstructionsSize)
        WritePageFile(path, InstructionsPage());
    browser_->Navigate(path);
}

int MainWindow::Split(int dW) const {
    // Where the user left the divider, but the panes never narrower than at start (their row of
    // view buttons must fit) nor the disk name field narrower than its smallest.
    return std::clamp(split_, minSplit_, std::max(minSplit_, dW));
}

std::size_t MainWindow::ListIndex() {
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        if (MainWindowTemplate[i].id == IDC_FILE_LIST) return i;
    }
    return 0;
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    frameToFit_ = true;
    FitFrameOnScreen();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (frameToFit_) FitFrameOnScreen();
}

void MainWindow::FitFrameOnScreen() {
    // A window manager frames the window after it is shown, and the window hears of it when it is
    // moved into the frame: a title bar taller than allowed for, or a bottom border, may put the
    // frame below the screen.
    const QRect frame = frameGeometry();
    if (frame == geometry()) return;
    frameToFit_ = false;
    const QRect available = screen()->availableGeometry();
    if (available.contains(frame)) return;
    const QSize border = frame.size() - size();
    resize(size().boundedTo(available.size() - border).expandedTo(minimumSize()));
    move(std::max(available.left(),
                  std::min(frame.left(), available.right() + 1 - frameGeometry().width())),
         std::max(available.top(),
                  std::min(frame.top(), available.bottom() + 1 - frameGeometry().height())));
}

QSize MainWindow::FittedToScreen(QSize size) const {
    // The window frame is not known before the window is shown: the title bar is allowed for.
    const QSize available =
        screen()->availableSize() - QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return size.boundedTo(available);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void MainWindow::PlaceControls() {
    if (client_ == nullptr) return;
    const int menuHeight = menuBar_->sizeHint().height();
    // The Collection pane, when a folder is open, takes the left of the window.
    const int left = collection_ != nullptr && collection_->isVisible() ? collectionWidth_ : 0;
    const QSize clientSize(width() - left, height() - menuHeight);
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    if (left > 0) collection_->setGeometry(0, menuHeight, left, clientSize.height());
    client_->setGeometry(left, menuHeight, clientSize.width(), clientSize.height());
    // The change from the template's size, and where the divider between list and panes is.
    const int dW = clientSize.width() - startClient_.width();
    const int dH = clientSize.height() - startClient_.height();
    const int split = Split(dW);
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        const Anchoring& anchoring = MainWindowTemplate[i].anchoring;
        const QRect& start = startRects_[i];
        const int s = anchoring.splitShrinkOnly ? std::min(split, 0) : split;
        templateWidgets_[i]->setGeometry(
            start.x() + anchoring.moveRight * dW + anchoring.splitMove * s,
            start.y() + anchoring.moveDown * dH,
            std::max(0, start.width() + anchoring.growWider * dW + anchoring.splitGrow * s),
            std::max(0, start.height() + anchoring.growTaller * dH));
    }
    if (listDelegate_ != nullptr) FitC64Names();
    if (splitHandle_ != nullptr) {
        const QRect list = list_->geometry();
        splitHandle_->setGeometry(list.right() + 1, list.top(),
                                  browser_->geometry().left() - list.right() - 1, list.height());
    }
    if (sysLink_ != nullptr) PlaceSysLink();
    if (diskPane_ != nullptr) {
        // The Disk and Picture views take the panes' place; their buttons follow the template's
        // last view button.
        diskPane_->setGeometry(browser_->geometry());
        picturePane_->setGeometry(browser_->geometry());
        const QWidget* last = viewButtons_->button(ViewScrCode);
        for (QRadioButton* button : extraButtons_) {
            if (button == nullptr) continue;
            button->setGeometry(last->geometry().right() + kExtraButtonGap, last->geometry().y(),
                                button->sizeHint().width(), last->geometry().height());
            last = button;
        }
    }
}

void MainWindow::PlaceSysLink() {
    const QRect status = fields_[4]->geometry();
    const int x = status.x() + fields_[4]->fontMetrics().horizontalAdvance(fields_[4]->text()) + 16;
    sysLink_->setGeometry(x, status.y(), sysLink_->sizeHint().width(), status.height());
}

void MainWindow::disassembleFromSys() {
    session_.DisassembleFromSys([this](const Message& message) { return Tell(message); });
    ShowSession(true);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // In the search box, Enter finds the next match. Escape empties the search box and does
    // nothing else: the window ends only by File > Exit, Ctrl+Q or its close box.
    if (search_->hasFocus() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // The Collection pane opens what is chosen in it as it is chosen: Enter there does nothing
    // more.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        collection_ != nullptr && collection_->isAncestorOf(QApplication::focusWidget())) {
        event->accept();
        return;
    }
    // Enter on a partition row of the list opens it; anywhere else in the window it presses the
    // hidden default button: the start-address entry.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && list_->hasFocus() &&
        session_.IsPartition(list_->currentIndex().row())) {
        openPartition(list_->currentIndex());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        defaultButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Escape in the search box empties it.
    if (watched == search_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        search_->clear();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::reject() {
    // The close box and the window manager's close.
    done(2);
}

void MainWindow::exitWindow() {
    done(1);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    AcceptAsCopy(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    AcceptAsCopy(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!AcceptAsCopy(event)) return;
    for (const QUrl& url : event->mimeData()->urls()) {
        // Only the first file opens.
        if (url.isLocalFile()) {
            openImage(url.toLocalFile());
            return;
        }
    }
}

void MainWindow::chooseImage() {
    QFileDialog dialog(this, tr("Select file"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The names show as "Commodore images and archives (*.d64;...)", "Commodore files
    // (*.d64;*.d71)" and "All files, (*.*)"; the patterns after them match the extensions in any
    // letter case.
    QStringList shown, patterns;
    for (const std::string_view pattern : Session::OpenPatterns()) {
        shown << QStringLiteral("*.") + QString::fromLatin1(pattern.data(), pattern.size());
        QString anyCase = QStringLiteral("*.");
        for (const char c : pattern) {
            const QChar letter = QLatin1Char(c);
            anyCase += letter.isLetter() ? QStringLiteral("[%1%2]").arg(letter, letter.toUpper())
                                         : QString(letter);
        }
        patterns << anyCase;
    }
    dialog.setNameFilters({tr("Commodore images and archives (%1) (%2)")
                               .arg(shown.join(QLatin1Char(';')), patterns.join(QLatin1Char(' '))),
                           QStringLiteral("Commodore files (*.d64;*.d71) (*.[dD]64 *.[dD]71)"),
                           QStringLiteral("All files, (*.*) (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    openImage(dialog.selectedFiles().first());
}

void MainWindow::openImage(const QString& path) {
    if (QFileInfo(path).isDir()) {
        showFolder(path);
        return;
    }
    model_->Clear();
    session_.Clear();
    ShowSession(true);
    // The file is read on a thread of its own; what it holds is shown here.
    const std::string file = QFile::encodeName(path).toStdString();
    const std::shared_ptr<kestrune::OpenedFile> read = reader_.Read(
        file, QString::fromStdU16String(VisibleText(QFileInfo(path).fileName().toStdU16String())));
    const bool opened =
        read && session_.Show(*read, [this](const Message& message) { return Tell(message); });
    if (opened) RememberFile(path);
    ShowSortArrow();
    ShowSession(true);
    // The list takes the focus, so the arrow keys move through the new files.
    list_->setFocus();
}

void MainWindow::chooseFolder() {
    QFileDialog dialog(this, tr("Select folder"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        showFolder(dialog.selectedFiles().first());
}

void MainWindow::showFolder(const QString& folder) {
    if (collection_ == nullptr) {
        // The index kestrune-cli uses too.
        collection_ = new CollectionPane(kestrune::DefaultCatalogPath(), this);
        collection_->hide();
        collectionWidth_ = fontMetrics().averageCharWidth() * kCollectionChars;
        connect(collection_, &CollectionPane::placeChosen, this, &MainWindow::openPlace);
        connect(collection_, &CollectionPane::closeRequested, this, &MainWindow::closeFolder);
    }
    if (!collection_->isVisible()) {
        // The window grows by the pane, as far as the screen lets it.
        collection_->show();
        setMinimumWidth(minimumWidth() + collectionWidth_);
        resize(FittedToScreen(QSize(width() + collectionWidth_, height())));
        const QRect available = screen()->availableGeometry();
        const int over = frameGeometry().right() - available.right();
        if (over > 0) move(std::max(available.left(), x() - over), y());
    }
    nextImage_->setEnabled(true);
    previousImage_->setEnabled(true);
    collection_->ShowFolder(folder);
    PlaceControls();
}

void MainWindow::closeFolder() {
    if (collection_ == nullptr || !collection_->isVisible()) return;
    collection_->hide();
    setMinimumWidth(minimumWidth() - collectionWidth_);
    resize(width() - collectionWidth_, height());
    nextImage_->setEnabled(false);
    previousImage_->setEnabled(false);
    PlaceControls();
    list_->setFocus();
}

void MainWindow::openPlace(const CollectionPlace& place) {
    model_->Clear();
    session_.Clear();
    ShowSession(true);
    // The archive's member is taken by its name, without asking; saying how many files were
    // found is left out, as the pane's lists go from image to image.
    const std::string file = QFile::encodeName(place.path).toStdString();
    const std::optional<std::string> member = place.member;
    const std::shared_ptr<kestrune::OpenedFile> read = reader_.Run(
        QString::fromStdU16String(VisibleText(QFileInfo(place.path).fileName().toStdU16String())),
        [file, member](const kestrune::MessageHandler& tell, const kestrune::ImageChooser&) {
            return Session::Read(
                file, tell,
                [member](const std::vector<std::string>& names) -> std::optional<std::size_t> {
                    for (std::size_t i = 0; i < names.size(); ++i) {
                        if (member && names[i] == *member) return i;
                    }
                    return std::nullopt;
                });
        });
    const bool opened = read && session_.Show(*read, [this](const Message& message) {
        return message.kind == MessageKind::Information || Tell(message);
    });
    if (opened) {
        for (const int row : place.partition) {
            const int position = session_.PositionOfDirectoryRow(row);
            if (position < 0 || !session_.OpenPartition(position)) break;
        }
        model_->Reload();
    }
    ShowSortArrow();
    ShowSession(true);
    if (opened && place.row > 0) {
        const int position = session_.PositionOfDirectoryRow(place.row);
        if (position >= 0) {
            list_->selectRow(position);
            list_->scrollTo(model_->index(position, 0));
        }
    }
}

void MainWindow::RememberFile(const QString& path) {
    QSettings settings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"));
    QStringList files = settings.value(kRecentKey).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > kRecentFiles)
        files.removeLast();
    settings.setValue(kRecentKey, files);
}

void MainWindow::ListRecentFiles() {
    recent_->clear();
    const QSettings settings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune"));
    const QStringList files = settings.value(kRecentKey).toStringList();
    for (qsizetype i = 0; i < files.size(); ++i) {
        // "&1 games.d64", the whole path as its tip.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString name = QFileInfo(files[i]).fileName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = recent_->addAction(number + QLatin1Char(' ') + name, this,
                                             [this, path = files[i]] { openImage(path); });
        action->setToolTip(files[i]);
        action->setStatusTip(files[i]);
    }
    if (files.isEmpty()) recent_->addAction(tr("No files yet"))->setEnabled(false);
    recent_->addSeparator();
    QAction* clear = recent_->addAction(tr("&Clear List"), this, [] {
        QSettings(QStringLiteral("Kestrune"), QStringLiteral("Kestrune")).remove(kRecentKey);
    });
    clear->setEnabled(!files.isEmpty());
}

std::optional<std::size_t> MainWindow::ChooseMember(const std::vector<std::string>& names) {
    QStringList items;
    for (const std::string& name : names)
        items << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QInputDialog dialog(this);
    dialog.setWindowTitle(Text(kProductName));
    dialog.setLabelText(tr("This archive holds several images. Open:"));
    dialog.setComboBoxItems(items);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const qsizetype chosen = items.indexOf(dialog.textValue());
    return chosen < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(chosen));
}

void MainWindow::openPartition(const QModelIndex& index) {
    if (index.isValid() && session_.OpenPartition(index.row())) ShowNewDirectory();
}

void MainWindow::leavePartition() {
    if (session_.LeavePartition()) ShowNewDirectory();
}

void MainWindow::ShowNewDirectory() {
    model_->Reload();
    ShowSortArrow();
    // A directory left for the one it lies in shows that one as it was left.
    if (session_.SelectedRow() >= 0) list_->selectRow(session_.SelectedRow());
    ShowSession(true);
    list_->setFocus();
}

void MainWindow::showFinding(int row, int, int) {
    // The file the finding names first is selected in the list; the Disk view stays.
    const int position = session_.PositionOfDirectoryRow(row);
    if (position >= 0) list_->selectRow(position);
}

void MainWindow::closeImage() {
    session_.Close();
    model_->Reload();
    ShowSortArrow();
    ShowSession(true);
}

void MainWindow::exportView() {
    const QString text = tr("Text, UTF-8 (*.txt)");
    const QString source = tr("64tass source (*.asm *.s)");
    QFileDialog dialog(this, tr("Export"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters = {text};
    if (visible_ == ViewAssembly && session_.ShowsFile()) filters << source;
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().first();

    // The whole view is written, also where the pane shows only the first part of a large file,
    // on a thread of its own: the size of what a byte makes guesses the progress.
    const auto contentBytes =
        static_cast<std::uint64_t>(std::max(0, session_.RangeEnd() - session_.RangeStart() + 1));
    WriteResult result = WriteResult::Written;
    if (dialog.selectedNameFilter() == source) {
        result = WriteWithProgress(this, path, 16 * contentBytes, [this](const Utf8Sink& sink) {
            return session_.WriteAssemblySource(InUtf8(sink));
        });
    } else if (RowOfView(visible_).pane != PaneKind::Page) {
        const TextRenderer* renderer = RowOfView(visible_).text;
        result = WriteWithProgress(
            this, path, renderer != nullptr ? renderer->textPerByte * contentBytes : 1,
            [this](const Utf8Sink& sink) { return session_.WritePaneUtf8(visible_, sink); });
    } else {
        const QString content = browser_->showsListing() ? Text(browser_->listing()->text())
                                                         : browser_->browser()->toPlainText();
        QFile file(path);
        const QByteArray bytes = content.toUtf8();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            result = WriteResult::Failed;
    }
    if (result == WriteResult::Failed)
        ShowMessageBox(this, {MessageId::ExportFailed, MessageKind::Error,
                              u"Unable to write " + path.toStdU16String()});
}

void MainWindow::saveFileAs() {
    const int row = session_.SelectedRow();
    const std::optional<ExportedFile> native = session_.ExportFile(row, ExportFormat::Native);
    if (!native) return;
    const QString nativeFilter = tr("The file's own bytes (*)");
    const QString containerFilter = tr("PC64 container (*.p00 *.s00 *.u00 *.r00 *.d00)");
    QFileDialog dialog(this, tr("Save File As"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({nativeFilter, containerFilter});
    dialog.selectFile(QString::fromStdString(native->fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const bool container = dialog.selectedNameFilter() == containerFilter;
    const std::optional<ExportedFile> file =
        container ? session_.ExportFile(row, ExportFormat::P00) : native;
    QFile out(dialog.selectedFiles().first());
    const auto size = static_cast<qint64>(file->bytes.size());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(reinterpret_cast<const char*>(file->bytes.data()), size) != size) {
        ShowMessageBox(this, {MessageId::ExportFailed, MessageKind::Error,
                              u"Unable to write " + out.fileName().toStdU16String()});
    }
}

void MainWindow::showAbout() {
    AboutDialog about(windowIcon(), this);
    about.exec();
}

bool MainWindow::Tell(const Message& message) {
    ShowSession(true);
    return ShowMessageBox(this, message);
}

void MainWindow::selectRow() {
    const QModelIndexList selected = list_->selectionModel()->selectedRows();
    if (session_.Select(selected.isEmpty() ? -1 : selected.first().row())) ShowSession(true);
}

void MainWindow::chooseView(int view) {
    diskShown_ = view == kDiskView;
    if (!diskShown_) session_.ChooseView(static_cast<ViewMode>(view));
    ShowSession(false);
    if (view == ViewPicture) AskPictureFormat();
}

void MainWindow::AskPictureFormat() {
    if (!session_.ShowsFile() || !session_.Picture().format.empty()) return;
    // A file that names no format is drawn as the one chosen from a menu at the button.
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("pictureFormatMenu"));
    for (const PictureFormatChoice& format : Session::PictureFormats()) {
        const QString key = QString::fromLatin1(format.key.data(), format.key.size());
        menu.addAction(Text(format.name), this, [this, key] { choosePictureFormat(key); });
    }
    const QWidget* button = viewButtons_->button(ViewPicture);
    menu.exec(button->mapToGlobal(QPoint(0, button->height())));
}

void MainWindow::choosePictureFormat(const QString& key) {
    session_.SetPictureFormat(key.toStdString());
    ShowSession(false);
}

void MainWindow::exportPicture() {
    const QImage image = picturePane_->image();
    if (image.isNull()) return;
    QFileDialog dialog(this, tr("Export Picture as PNG"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({tr("PNG picture (*.png)")});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().first();
    if (!image.save(path, "PNG"))
        ShowMessageBox(this, {MessageId::ExportFailed, MessageKind::Error,
                              u"Unable to write " + path.toStdU16String()});
}

void MainWindow::enterAddress() {
    session_.EnterAddress(address_->text().toStdU16String(),
                          [this](const Message& message) { return Tell(message); });
    ShowSession(true);
}

void MainWindow::sortByColumn(int column) {
    session_.SortBy(column);
    model_->Reorder();
    list_->selectionModel()->clear();
    ShowSortArrow();
}

void MainWindow::revert() {
    session_.Revert();
    model_->Reorder();
    list_->selectionModel()->clear();
    ShowSortArrow();
}

void MainWindow::ShowSortArrow() {
    list_->horizontalHeader()->setSortIndicator(session_.SortColumn().value_or(-1),
                                                Qt::AscendingOrder);
}

void MainWindow::ApplyC64Font() {
    lowerCase_->setEnabled(c64Font_->isChecked());
    if (c64Font_->isChecked()) {
        // The panes keep their font: the characters that stand for PETSCII codes are drawn in
        // the C64's set in the cells of the pane's own characters, so every column stays where
        // it is.
        const int paneCell =
            std::max(1, QFontMetrics(PaneFont()).horizontalAdvance(QLatin1Char('M')));
        c64PaneText_ = std::make_unique<C64TextPainter>(paneCell);
    } else {
        c64PaneText_.reset();
        c64Text_.reset();
        list_->horizontalHeader()->resizeSection(ColumnFileName,
                                                 kListColumns[ColumnFileName].width);
        list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
        listDelegate_->setC64Text(nullptr, C64Charset());
    }
    FitC64Names();
    for (const ViewMode view : {ViewHex, ViewPetscii, ViewScrCode})
        ShowC64Codes(view);
    ShowSession(false);
}

void MainWindow::FitC64Names() {
    if (!c64Font_->isChecked()) return;
    // Sixteen characters in square cells as large as the list's width lets the name column be
    // beside the others (each C64 pixel two at most), so that no column is pushed out of sight.
    QHeaderView* header = list_->horizontalHeader();
    int others = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        if (column != ColumnFileName) others += header->sectionSize(column);
    }
    const int room = list_->viewport()->width() - others - 12;
    const int cell = std::clamp(room / 16, 8, 16);
    if (c64Text_ && c64Text_->cellSize() == cell) return;
    c64Text_ = std::make_unique<C64TextPainter>(cell);
    header->resizeSection(ColumnFileName, 16 * cell + 12);
    list_->verticalHeader()->setDefaultSectionSize(
        std::max(cell + 4, list_->fontMetrics().height() + 4));
    listDelegate_->setC64Text(c64Text_.get(), C64Charset());
    list_->viewport()->update();
}

void MainWindow::ShowSession(bool withAddress) {
    const std::array<const std::u16string*, 3> texts = {&session_.DiskName(), &session_.DiskId(),
                                                        &session_.DosType()};
    for (std::size_t field = 0; field < texts.size(); ++field)
        fields_[field]->setText(Text(*texts[field]));
    // The disk name in the C64's character set, where the disk has a name of its own, in
    // characters small enough for sixteen to fit the field.
    if (c64Text_ && !session_.DiskNameBytes().empty()) {
        const C64TextPainter fieldText(
            std::clamp((fields_[0]->width() - 6) / 16, 8, c64Text_->cellSize()));
        fields_[0]->setPixmap(fieldText.Picture(session_.DiskNameBytes(), C64Charset(),
                                                fields_[0]->palette().color(QPalette::WindowText),
                                                fields_[0]->palette().color(QPalette::Window)));
    }
    fields_[3]->setText(QString::number(session_.BlocksFree()));
    ShowStatus();
    setWindowTitle(Text(session_.Caption()));
    leavePartition_->setEnabled(session_.PartitionDepth() > 0);
    if (model_->rowCount() != session_.RowCount()) model_->Reload();

    const ViewMode view = session_.View();
    ShowPanes(view);
    QWidget* const filePane = RowOfView(view).pane == PaneKind::Picture ? picturePane_
                              : panes_[view] != nullptr ? static_cast<QWidget*>(panes_[view])
                                                        : browser_;
    QWidget* const wanted = diskShown_ ? static_cast<QWidget*>(diskPane_) : filePane;
    if (QAbstractButton* button = viewButtons_->button(diskShown_ ? kDiskView : view))
        button->setChecked(true);
    if (wanted != shownPane_) {
        shownPane_->hide();
        wanted->show();
        shownPane_ = wanted;
    }
    visible_ = view;
    if (diskShown_) {
        // The map is always the directory's on show, taken afresh whenever that changes.
        if (session_.DirectoryVersion() != diskVersion_) diskPane_->Reload();
        diskVersion_ = session_.DirectoryVersion();
        diskPane_->setHighlightRow(session_.DirectoryRow(session_.SelectedRow()));
    }
    address_->setEnabled(session_.AddressEnabled());
    if (withAddress) address_->setText(Text(session_.AddressText()));
    search_->setEnabled(SearchablePane() != nullptr);
    exportPicture_->setEnabled(!diskShown_ && view == ViewPicture && session_.ShowsFile() &&
                               !session_.Picture().format.empty());
    const std::optional<std::int32_t> sys = session_.SysEntry();
    const QString sysText = sys ? tr("Disassemble from SYS %1").arg(*sys) : QString();
    sysLink_->setText(QStringLiteral("<a href=\"sys\">%1</a>").arg(sysText));
    sysLink_->setVisible(sys.has_value());
    sysAction_->setText(sysText);
    sysAction_->setVisible(sys.has_value());
    PlaceSysLink();
    if (!search_->text().isEmpty()) search();
}

TextPane* MainWindow::SearchablePane() const {
    if (!session_.ShowsFile() || diskShown_) return nullptr;
    if (RowOfView(visible_).pane == PaneKind::Picture) return nullptr;
    if (panes_[visible_] != nullptr) return panes_[visible_];
    return browser_->showsListing() ? browser_->listing() : nullptr;
}

void MainWindow::ShowStatus() {
    const QString status = Text(session_.Status());
    fields_[4]->setText(status);
    fields_[4]->setToolTip(status);
}

void MainWindow::search() {
    if (searched_ != nullptr) searched_->setMatches({});
    searched_ = SearchablePane();
    hits_ = {};
    const std::u16string query = search_->text().toStdU16String();
    if (query.empty() || searched_ == nullptr) {
        ShowStatus();
        return;
    }
    std::optional<std::vector<int>> bytes;
    if (visible_ == ViewHex) bytes = BytePattern(query);
    hits_ = bytes ? session_.FindBytesInHexPane(*bytes) : FindText(searched_->text(), query);
    searched_->setMatches(hits_.ranges);
    // The next match from the top of the pane on, or the first.
    currentHit_ = 0;
    for (std::size_t hit = 0; hit < hits_.size(); ++hit) {
        if (hits_.Hit(hit)[0].begin >= searched_->firstVisibleOffset()) {
            currentHit_ = hit;
            break;
        }
    }
    ShowHit(currentHit_);
}

void MainWindow::ShowHit(std::size_t hit) {
    if (hits_.size() == 0) {
        fields_[4]->setText(tr("0 of 0"));
        return;
    }
    currentHit_ = hit;
    searched_->showMatch(hits_.hitStarts[hit], hits_.Hit(hit).size());
    fields_[4]->setText(tr("%1 of %2").arg(hit + 1).arg(hits_.size()));
}

void MainWindow::findNext() {
    if (hits_.size() > 0) ShowHit((currentHit_ + 1) % hits_.size());
}

void MainWindow::findPrevious() {
    if (hits_.size() > 0) ShowHit((currentHit_ + hits_.size() - 1) % hits_.size());
}

void MainWindow::copyFromPane() {
    if (TextPane* pane = SearchablePane()) {
        pane->copy();
    } else if (visible_ == ViewBasic) {
        browser_->browser()->copy();
    }
}

void MainWindow::selectAllOfPane() {
    if (TextPane* pane = SearchablePane()) {
        pane->selectAll();
    } else if (visible_ == ViewBasic) {
        browser_->browser()->selectAll();
    }
}

void MainWindow::ShowPanes(ViewMode visible) {
    // Only the panes that changed take their text again (a typed start address redoes the
    // Assembly pane alone), and of those the text panes when they are on show: a hidden pane
    // takes its text when it is shown.
    for (int view = 0; view < kViewCount; ++view) {
        const PaneKind kind = RowOfView(static_cast<ViewMode>(view)).pane;
        if (kind == PaneKind::Disk) continue;
        const std::uint64_t version = session_.PaneVersion(static_cast<ViewMode>(view));
        if (version == panesShown_[view]) continue;
        if (kind == PaneKind::Picture) {
            // The picture is drawn when its view is on show.
            if (view != visible) continue;
            panesShown_[view] = version;
            picturePane_->showPicture(session_.Picture(), Text(session_.PaneText(ViewPicture)),
                                      session_.DetectedPictureFormat(),
                                      session_.ChosenPictureFormat(),
                                      session_.PictureTakesColours());
            continue;
        }
        if (panes_[view] != nullptr && view != visible) {
            // Nothing of the last file stays in a hidden pane.
            if (!panes_[view]->text().empty()) panes_[view]->setText({});
            continue;
        }
        panesShown_[view] = version;
        if (panes_[view] != nullptr) {
            panes_[view]->setText(session_.PaneText(static_cast<ViewMode>(view)));
            ShowC64Codes(static_cast<ViewMode>(view));
        } else {
            ShowPage();
        }
    }
}

void MainWindow::ShowC64Codes(ViewMode view) {
    if (view == ViewAssembly) return;
    if (c64PaneText_) {
        panes_[view]->setC64Codes(c64PaneText_.get(), C64Charset(), session_.PaneCodes(view));
    } else {
        panes_[view]->setC64Codes(nullptr, Charset::UpperCaseGraphics, {});
    }
}

Charset MainWindow::C64Charset() const {
    return lowerCase_->isChecked() ? Charset::LowerUpperCase : Charset::UpperCaseGraphics;
}

void MainWindow::ShowPage() {
    const std::optional<std::u16string>& page = session_.Page();
    if (pageFolder_.isEmpty()) return;
    if (!page) {
        browser_->Navigate(pageFolder_ + QStringLiteral("/instructions.html"));
        return;
    }
    // A page that cannot be written leaves the pane as it was.
    const QString path = pageFolder_ + QStringLiteral("/view.html");
    if (!WritePageFile(path, *page)) return;
    if (session_.Listing()) {
        browser_->ShowListing(*session_.Listing(), Text(*page));
    } else {
        browser_->Navigate(path);
    }
}
