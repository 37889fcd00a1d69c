// Pages for the browser pane and messages shown in every pane.
#include <QLineEdit>
#include <QTableWidget>

#include "shell/explorer.h"
#include "shell/kestrune_dlg.h"
#include "shell/page_files.h"
#include "shell/row_stores.h"
#include "shell/text_pane.h"
#include "views/pages.h"

using namespace kestrune;

int CMyKestruneDlg::WritePage(std::u16string_view page, bool instructions) {
    const QString appData = LocalAppDataFolder();
    if (appData.isEmpty()) return 1;
    const QString path = PageFolder(appData) + (instructions ? QStringLiteral("/instructions.html")
                                                             : QStringLiteral("/view.html"));
    if (!WritePageFile(path, page)) return 1;
    m_browser->Navigate(path);
    return 0;
}

void CMyKestruneDlg::ShowMessage(std::u16string_view text, bool clearDisk) {
    if (clearDisk) {
        m_strDiskName.clear();
        m_strDiskId.clear();
        m_strDosType.clear();
        m_nBlocksFree = 0;
        // A new disk starts with an empty status line too, so no status of the last disk stays.
        m_strStatus.clear();
        m_list->setRowCount(0);
        DirectoryRows.Clear();
        SortRows.Clear();
    }
    for (TextPane* pane : {m_editAssembly, m_editHex, m_editPetscii, m_editScrCode})
        pane->setText(std::u16string(text));
    SetAddressBox(u"0");
    WritePage(MessagePage(text), false);
    UpdateData(false);
}
