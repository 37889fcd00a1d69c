// Showing the selected file, the view buttons, the start-address box and sorting the list.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QTableWidget>

#include "shell/explorer.h"
#include "shell/kestrune_dlg.h"
#include "shell/message_box.h"
#include "shell/row_stores.h"
#include "shell/text_pane.h"
#include "viewer/address_entry.h"
#include "viewer/sorting.h"

using namespace kestrune;

void CMyKestruneDlg::OnClickFileList() {
    OnItemChangedFileList();
}

void CMyKestruneDlg::OnItemChangedFileList() {
    const int mark = SelectionMark();
    if (mark == m_nShownRow) return;
    m_viewer->gotoAddress = 0;
    m_nShownRow = mark;
    ShowSelectedFile();
}

void CMyKestruneDlg::ShowSelectedFile() {
    const int mark = SelectionMark();
    if (mark == -1 || !m_image) return;
    RowDisplay display = ShowRow(*m_image, ListRow(mark), *m_viewer);
    if (display.status) m_strStatus = *display.status;
    switch (display.kind) {
        case RowDisplay::Kind::Message:
            m_bFileShown = false;
            ShowMessage(display.message, false);
            return;
        case RowDisplay::Kind::AssemblyOnly:
            m_editAssembly->setText(display.panes.Text(ViewAssembly));
            if (display.addressBoxText) SetAddressBox(*display.addressBoxText);
            return;
        case RowDisplay::Kind::Full:
            break;
    }
    m_bFileShown = true;
    WritePage(display.page, false);
    m_editHex->setText(display.panes.Text(ViewHex));
    m_editAssembly->setText(display.panes.Text(ViewAssembly));
    m_editScrCode->setText(display.panes.Text(ViewScrCode));
    m_editPetscii->setText(display.panes.Text(ViewPetscii));
    if (display.addressBoxText) SetAddressBox(*display.addressBoxText);
    m_editAddress->setEnabled(display.addressBoxEnabled);
    m_nViewMode = display.view;
    ShowPane(display.view);
    UpdateData(false);
}

void CMyKestruneDlg::OnViewRadio(int id) {
    const int view = id - IDC_RADIO_BASIC;
    m_editAddress->setEnabled(view == ViewAssembly);
    ShowPane(view);
    // The checked button always names the pane on show.
    m_nViewMode = view;
}

void CMyKestruneDlg::OnEnterAddress() {
    // Without a file on show there is no file for the address to lie in.
    if (!m_bFileShown) return;
    const AddressJudgement judgement = JudgeAddress(m_editAddress->text().toStdU16String(),
                                                    m_viewer->rangeStart, m_viewer->rangeEnd);
    if (judgement.message) {
        ShowMessageBox(this, *judgement.message);
        if (judgement.message->id == MessageId::AddressOutOfRange) {
            SetAddressBox(std::u16string(QString::number(m_viewer->disasmStart).toStdU16String()));
        }
        return;
    }
    m_viewer->gotoAddress = judgement.address;
    ShowSelectedFile();
}

void CMyKestruneDlg::OnHeaderItemClick(int column) {
    const int count = m_list->rowCount();
    SortByColumn(SortRows.First(static_cast<std::size_t>(count)), column);
    FillList(SortRows, count);
    m_nShownRow = -1;
}

void CMyKestruneDlg::OnRevert() {
    const int count = m_list->rowCount();
    FillList(DirectoryRows, count);
    m_nShownRow = -1;
}
