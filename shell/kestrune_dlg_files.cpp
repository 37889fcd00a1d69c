// Opening images by menu and by drop, reading their directory into the window, closing them.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QTableWidget>
#include <QUrl>

#include "image/directory.h"
#include "image/loader.h"
#include "image/path_names.h"
#include "image/unicode.h"
#include "shell/about_dlg.h"
#include "shell/explorer.h"
#include "shell/kestrune_dlg.h"
#include "shell/message_box.h"
#include "shell/row_stores.h"
#include "shell/text_pane.h"

using namespace kestrune;

namespace {

std::u16string DisplayFileName(const QString& path) {
    return Utf8ToUtf16(FileNameOf(QFile::encodeName(path).toStdString()));
}

// Opens path and reads its directory; after an impossible track the rows read stay listed and the
// image stays loaded, so they can still be shown. The list then takes the focus, so the arrow keys
// move through the new files.
void OpenAndRead(CMyKestruneDlg& dialog, const QString& path) {
    if (dialog.OpenImage(path) == 0 && dialog.ReadDirectory(path) != 0)
        ShowMessageBox(&dialog, ReadErrorMessage(DisplayFileName(path)));
    dialog.Control(IDC_FILE_LIST)->setFocus();
}

// A viewer only ever copies what is dropped: a drag source that offers no copy is refused, and
// one that proposes a move is told the drop was a copy, so it never deletes the original.
template <typename Event>
bool AcceptAsCopy(Event* event) {
    if (!event->mimeData()->hasUrls() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

}  // namespace

int CMyKestruneDlg::OpenImage(QString path) {
    m_nShownRow = -1;
    ShowMessage(u"Select a file", true);
    m_image.reset();
    m_bFileShown = false;

    LoadOutcome outcome =
        LoadImage(QFile::encodeName(path).toStdString(),
                  [this](const Message& question) { return ShowMessageBox(this, question); });
    if (outcome.message) ShowMessageBox(this, *outcome.message);
    setWindowTitle(QString::fromStdU16String(outcome.caption));
    if (!outcome.image) return 1;
    m_image = std::move(outcome.image);
    return 0;
}

int CMyKestruneDlg::ReadDirectory(const QString& path) {
    const Directory directory = kestrune::ReadDirectory(*m_image);
    const DiskFields& disk = directory.disk;
    if (disk.isGeosDisk) m_strStatus = kGeosStatus;
    m_strDiskName = disk.diskName;
    m_strDiskId = disk.diskId;
    m_strDosType = disk.dosType;

    const int count = static_cast<int>(std::min(directory.rows.size(), kRowStoreCapacity));
    DirectoryRows.Fill(directory.rows);
    SortRows.Fill(directory.rows);
    FillList(DirectoryRows, count);
    // The free blocks show also for a disk without files.
    m_nBlocksFree = disk.blocksFree;
    UpdateData(false);
    if (count >= 1)
        ShowMessageBox(this, FilesFoundMessage(DisplayFileName(path), m_strDiskName, count));
    UpdateData(false);
    return directory.readError ? 1 : 0;
}

void CMyKestruneDlg::OnFileNew() {
    QFileDialog dialog(this, tr("Select file"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The names show as "Commodore files (*.d64;*.d71)" and "All files, (*.*)"; the patterns after
    // them match the extensions in any letter case.
    dialog.setNameFilters({QStringLiteral("Commodore files (*.d64;*.d71) (*.[dD]64 *.[dD]71)"),
                           QStringLiteral("All files, (*.*) (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenAndRead(*this, dialog.selectedFiles().first());
}

void CMyKestruneDlg::OnDropFiles(const QStringList& paths) {
    if (!paths.isEmpty()) OpenAndRead(*this, paths.first());
}

void CMyKestruneDlg::dragEnterEvent(QDragEnterEvent* event) {
    AcceptAsCopy(event);
}

void CMyKestruneDlg::dragMoveEvent(QDragMoveEvent* event) {
    AcceptAsCopy(event);
}

void CMyKestruneDlg::dropEvent(QDropEvent* event) {
    if (!AcceptAsCopy(event)) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    OnDropFiles(paths);
}

void CMyKestruneDlg::OnFileClose() {
    m_nShownRow = -1;
    m_bFileShown = false;
    m_nShownPane = ViewBasic;
    m_list->setRowCount(0);
    for (TextPane* pane : {m_editAssembly, m_editHex, m_editPetscii, m_editScrCode})
        pane->setText({});
    SetAddressBox(u"0");
    m_strDiskName.clear();
    m_strDosType.clear();
    m_strDiskId.clear();
    m_strStatus = u"No Disk";
    m_nBlocksFree = 0;
    m_nViewMode = ViewBasic;
    m_browser->Navigate(m_strInstructionsPath);
    for (TextPane* pane : {m_editHex, m_editAssembly, m_editPetscii, m_editScrCode})
        pane->hide();
    m_browser->show();
    setWindowTitle(QString::fromStdU16String(std::u16string(kProductName)));
    UpdateData(false);
}

void CMyKestruneDlg::OnHelpAbout() {
    CAboutDlg about(m_hIcon, this);
    about.exec();
}
