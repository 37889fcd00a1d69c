#include "shell/kestrune_dlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>

#include "image/messages.h"
#include "shell/address_box.h"
#include "shell/dialog_template.h"
#include "shell/dialog_units.h"
#include "shell/directory_header.h"
#include "shell/explorer.h"
#include "shell/file_list.h"
#include "shell/list_cell_delegate.h"
#include "shell/page_files.h"
#include "shell/text_pane.h"
#include "views/pages.h"

using namespace kestrune;

// The icons are compiled into the shell's static library, whose resources the linker would
// otherwise leave out of the program.
static void InitShellResources() {
    Q_INIT_RESOURCE(icons);
}

namespace {

// A file of exactly this size in place of the instructions page is shown as it is.
constexpr qint64 kKeptInstructionsSize = 4096;

struct ListColumn {
    const char* heading;
    Qt::Alignment alignment;
    int width;  // pixels
};

// The GEOS column starts closed; its divider can be dragged open.
constexpr std::array<ListColumn, kColumnCount> kListColumns = {{
    {"Size", Qt::AlignLeft, 40},
    {"File Name", Qt::AlignLeft, 145},
    {"Type", Qt::AlignLeft, 50},
    {"Start", Qt::AlignRight, 110},
    {"Track", Qt::AlignHCenter, 50},
    {"Sector", Qt::AlignLeft, 55},
    {"GEOS", Qt::AlignLeft, 0},
}};

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

}  // namespace

CMyKestruneDlg::CMyKestruneDlg(QWidget* parent)
    : QDialog(parent), m_viewer(std::make_unique<ViewerState>()) {
    InitShellResources();
    for (const int size : {16, 24, 32, 48, 256})
        m_hIcon.addFile(QStringLiteral(":/icons/kestrune-%1.png").arg(size));
    QFont dialogFont = QApplication::font();
    dialogFont.setPointSize(kTemplateFontPoints);
    setFont(dialogFont);
    setWindowTitle(Text(kProductName));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    CreateMenu();
    CreateControls();
    OnInitDialog();
}

CMyKestruneDlg::~CMyKestruneDlg() = default;

void CMyKestruneDlg::CreateMenu() {
    menuBar_ = new QMenuBar(this);
    QMenu* file = menuBar_->addMenu(tr("&File"));
    file->addAction(tr("&New"), this, &CMyKestruneDlg::OnFileNew);
    file->addAction(tr("&Open"));  // enabled, and does nothing
    file->addAction(tr("&Close"), this, &CMyKestruneDlg::OnFileClose);
    file->addAction(tr("E&xit"), this, &CMyKestruneDlg::OnFileExit);
    QMenu* help = menuBar_->addMenu(tr("&Help"));
    help->addAction(tr("&About"), this, &CMyKestruneDlg::OnHelpAbout);
}

void CMyKestruneDlg::CreateControls() {
    client_ = new QWidget(this);
    radios_ = new QButtonGroup(this);
    const DialogBaseUnits base = BaseUnitsOf(font());
    QWidget* previous = nullptr;
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
                auto* radio = new QRadioButton(text, client_);
                radio->setFocusPolicy(Qt::NoFocus);
                radios_->addButton(radio, control.id - IDC_RADIO_BASIC);
                widget = radio;
                break;
            }
            case ControlKind::Edit:
                widget = control.id == IDC_START_ADDRESS ? new AddressBox(client_)
                                                         : new QLineEdit(client_);
                static_cast<QLineEdit*>(widget)->setText(text);
                break;
            case ControlKind::List:
                widget = m_list = new FileList(client_);
                m_list->setHorizontalHeader(new DirectoryHeader(m_list));
                break;
            case ControlKind::Browser:
                widget = m_browser = new CExplorer1(client_);
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
        if (control.id != IDC_NONE) {
            widget->setObjectName(QString::number(control.id));
            controls_[control.id] = widget;
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr) setTabOrder(previous, widget);
            previous = widget;
        }
    }
    m_editScrCode = static_cast<TextPane*>(controls_[IDC_SCRCODE]);
    m_editAssembly = static_cast<TextPane*>(controls_[IDC_ASSEMBLY]);
    m_editHex = static_cast<TextPane*>(controls_[IDC_HEX]);
    m_editPetscii = static_cast<TextPane*>(controls_[IDC_PETSCII]);
    m_editAddress = static_cast<QLineEdit*>(controls_[IDC_START_ADDRESS]);
    m_editSearch = static_cast<QLineEdit*>(controls_[IDC_SEARCH]);
    defaultButton_ = static_cast<QPushButton*>(controls_[IDC_DEFAULT_BUTTON]);

    connect(radios_, &QButtonGroup::idClicked, this,
            [this](int view) { OnViewRadio(IDC_RADIO_BASIC + view); });
    connect(defaultButton_, &QPushButton::clicked, this, &CMyKestruneDlg::OnEnterAddress);
    connect(static_cast<QPushButton*>(controls_[IDC_REVERT]), &QPushButton::clicked, this,
            &CMyKestruneDlg::OnRevert);
    connect(m_list, &QTableWidget::cellClicked, this, &CMyKestruneDlg::OnClickFileList);
    connect(m_list, &QTableWidget::itemSelectionChanged, this,
            &CMyKestruneDlg::OnItemChangedFileList);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &CMyKestruneDlg::OnHeaderItemClick);

    const QRect clientRect = DialogRect(base, 0, 0, kTemplateWidth, kTemplateHeight);
    startClient_ = clientRect.size();
    const int menuHeight = menuBar_->sizeHint().height();
    const QSize start =
        FittedToScreen(QSize(startClient_.width(), startClient_.height() + menuHeight));
    resize(start);
    PlaceControls();
}

QSize CMyKestruneDlg::FittedToScreen(QSize size) const {
    // The window frame is not known before the window is shown: the title bar is allowed for.
    const QSize available =
        screen()->availableSize() - QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return size.boundedTo(available);
}

bool CMyKestruneDlg::OnInitDialog() {
    UpdateData(false);
    setWindowIcon(m_hIcon);
    m_rcInitial = QRect(QPoint(0, 0), size());
    setMinimumSize(m_rcInitial.size());
    m_nShownPane = ViewBasic;
    m_nShownRow = -1;

    m_fontPane = PaneFont();
    for (TextPane* pane : {m_editAssembly, m_editHex, m_editPetscii, m_editScrCode})
        pane->setFont(m_fontPane);
    m_browser->setListingFont(m_fontPane);

    m_editSearch->setText(QStringLiteral("<search term>"));
    SetAddressBox(u"0");
    InsertColumns();

    const QString appData = LocalAppDataFolder();
    if (!appData.isEmpty()) {
        m_strInstructionsPath = PageFolder(appData);
        if (!QFileInfo::exists(m_strInstructionsPath)) {
            QDir().mkpath(m_strInstructionsPath);
            WritePage(kInstructionsPage, true);
        }
        m_strInstructionsPath += QStringLiteral("/instructions.html");
        const QFileInfo instructions(m_strInstructionsPath);
        if (!instructions.exists() || instructions.size() != kKeptInstructionsSize) {
            WritePage(kInstructionsPage, true);
        }
        m_browser->Navigate(m_strInstructionsPath);
    }
    m_list->setFocus();
    return true;
}

void CMyKestruneDlg::InsertColumns() {
    m_list->setColumnCount(kColumnCount);
    m_list->verticalHeader()->hide();
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setWordWrap(false);
    m_list->setItemDelegate(new ListCellDelegate(m_list));
    QHeaderView* header = m_list->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < kColumnCount; ++column) {
        auto* heading = new QTableWidgetItem(QString::fromLatin1(kListColumns[column].heading));
        heading->setTextAlignment(kListColumns[column].alignment | Qt::AlignVCenter);
        m_list->setHorizontalHeaderItem(column, heading);
        header->resizeSection(column, kListColumns[column].width);
    }
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
}

void CMyKestruneDlg::FillList(const RowStore& rows, int count) {
    // The rows are written into the cells the list already has, new cells only for new rows; no
    // row is left selected and no row is current. Only the cells are repainted afterwards: the
    // header does not change, and repainting it too doubles the time a sort takes.
    m_list->viewport()->setUpdatesEnabled(false);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_list->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        for (int column = 0; column < kColumnCount; ++column) {
            const QString text = Text(rows[static_cast<std::size_t>(row)][column]);
            if (QTableWidgetItem* cell = m_list->item(row, column)) {
                cell->setText(text);
                continue;
            }
            auto* cell = new QTableWidgetItem(text);
            cell->setTextAlignment(kListColumns[column].alignment | Qt::AlignVCenter);
            m_list->setItem(row, column, cell);
        }
    }
    m_list->viewport()->setUpdatesEnabled(true);
}

DirectoryEntry CMyKestruneDlg::ListRow(int row) const {
    DirectoryEntry entry;
    for (int column = 0; column < kColumnCount; ++column) {
        const QTableWidgetItem* cell = m_list->item(row, column);
        if (cell != nullptr) entry[column] = cell->text().toStdU16String();
    }
    return entry;
}

int CMyKestruneDlg::SelectionMark() const {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QWidget* CMyKestruneDlg::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QWidget* CMyKestruneDlg::Pane(int view) const {
    switch (view) {
        case ViewAssembly:
            return m_editAssembly;
        case ViewHex:
            return m_editHex;
        case ViewPetscii:
            return m_editPetscii;
        case ViewScrCode:
            return m_editScrCode;
        default:
            return m_browser;
    }
}

void CMyKestruneDlg::ShowPane(int view) {
    Pane(m_nShownPane)->hide();
    Pane(view)->show();
    m_nShownPane = view;
}

void CMyKestruneDlg::SetAddressBox(std::u16string_view text) {
    m_editAddress->setText(Text(text));
}

bool CMyKestruneDlg::UpdateData(bool saveAndValidate) {
    auto* status = static_cast<QLabel*>(controls_[IDC_STATUS]);
    auto* diskName = static_cast<QLabel*>(controls_[IDC_DISK_NAME]);
    auto* blocks = static_cast<QLabel*>(controls_[IDC_BLOCKS_FREE]);
    auto* dosType = static_cast<QLabel*>(controls_[IDC_DOS_TYPE]);
    auto* diskId = static_cast<QLabel*>(controls_[IDC_DISK_ID]);
    if (saveAndValidate) {
        m_strStatus = status->text().toStdU16String();
        m_strDiskName = diskName->text().toStdU16String();
        m_nBlocksFree = blocks->text().toInt();
        m_strDosType = dosType->text().toStdU16String();
        m_strDiskId = diskId->text().toStdU16String();
        m_nViewMode = radios_->checkedId();
    } else {
        status->setText(Text(m_strStatus));
        diskName->setText(Text(m_strDiskName));
        blocks->setText(QString::number(m_nBlocksFree));
        dosType->setText(Text(m_strDosType));
        diskId->setText(Text(m_strDiskId));
        if (QAbstractButton* button = radios_->button(m_nViewMode)) button->setChecked(true);
    }
    return true;
}

void CMyKestruneDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void CMyKestruneDlg::PlaceControls() {
    if (client_ == nullptr) return;
    const int menuHeight = menuBar_->sizeHint().height();
    const QSize clientSize(width(), height() - menuHeight);
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    client_->setGeometry(0, menuHeight, clientSize.width(), clientSize.height());
    // The change from the template's size; below 0 only where the screen is smaller than it.
    const int dW = clientSize.width() - startClient_.width();
    const int dH = clientSize.height() - startClient_.height();
    for (std::size_t i = 0; i < MainWindowTemplate.size(); ++i) {
        const Anchoring& anchoring = MainWindowTemplate[i].anchoring;
        const QRect& start = startRects_[i];
        templateWidgets_[i]->setGeometry(start.x() + anchoring.moveRight * dW,
                                         start.y() + anchoring.moveDown * dH,
                                         std::max(0, start.width() + anchoring.growWider * dW),
                                         std::max(0, start.height() + anchoring.growTaller * dH));
    }
}

void CMyKestruneDlg::keyPressEvent(QKeyEvent* event) {
    // Enter anywhere in the window presses the hidden default button: the start-address entry.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        defaultButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMyKestruneDlg::reject() {
    OnCancel();
}

void CMyKestruneDlg::OnOK() {
    if (UpdateData(true)) done(1);
}

void CMyKestruneDlg::OnCancel() {
    done(2);
}

void CMyKestruneDlg::OnFileExit() {
    OnOK();
}
