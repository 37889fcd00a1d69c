// The main window: the disk fields, the view buttons and start-address box, the file list, the
// five panes that share one place, and the status line. Its operations move data between the
// widgets and the Qt-free core, which does the work.
#pragma once

#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QRect>
#include <QString>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "image/disk_image.h"
#include "image/row_store.h"
#include "shell/control_ids.h"
#include "viewer/show_row.h"

class CExplorer1;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTableWidget;
class TextPane;

class CMyKestruneDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CMyKestruneDlg(QWidget* parent = nullptr);
    ~CMyKestruneDlg() override;

    // Start-up: controls, fonts, list columns, the page folder and the instructions page.
    bool OnInitDialog();

    // Loading and closing images.
    int OpenImage(QString path);
    int ReadDirectory(const QString& path);
    void OnFileNew();
    void OnDropFiles(const QStringList& paths);
    void OnFileClose();
    void OnFileExit();
    void OnHelpAbout();

    // Pages and messages.
    int WritePage(std::u16string_view page, bool instructions);
    void ShowMessage(std::u16string_view text, bool clearDisk);

    // Showing files.
    void OnClickFileList();
    void OnItemChangedFileList();
    void ShowSelectedFile();
    void OnViewRadio(int id);
    void OnEnterAddress();

    // Sorting.
    void OnHeaderItemClick(int column);
    void OnRevert();

    // Copies the bound members into their controls (false) or the controls into the members.
    bool UpdateData(bool saveAndValidate);

    void OnOK();
    void OnCancel();

    // The control with a template id.
    QWidget* Control(int id) const;
    // The row whose selection the list handlers show, -1 for none.
    int SelectionMark() const;

    QString m_strInstructionsPath;
    QIcon m_hIcon;
    QRect m_rcInitial;
    QFont m_fontPane;
    CExplorer1* m_browser = nullptr;
    QTableWidget* m_list = nullptr;
    TextPane* m_editScrCode = nullptr;
    QLineEdit* m_editAddress = nullptr;
    QLineEdit* m_editSearch = nullptr;
    TextPane* m_editAssembly = nullptr;
    TextPane* m_editHex = nullptr;
    TextPane* m_editPetscii = nullptr;
    std::u16string m_strDiskName;
    std::u16string m_strDosType;
    std::u16string m_strDiskId;
    std::u16string m_strStatus;
    std::optional<kestrune::DiskImage> m_image;
    // The file on show and what the views keep between showings: the file chain, the start of
    // the last disassembly and the addresses it covers, the requested start address, the BASIC
    // listing's verdict.
    std::unique_ptr<kestrune::ViewerState> m_viewer;
    int m_nBlocksFree = 0;
    int m_nViewMode = kestrune::ViewBasic;
    int m_nShownPane = kestrune::ViewBasic;
    int m_nShownRow = 0;
    // A file is on show (not a message): the start-address box has a file to start in.
    bool m_bFileShown = false;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void reject() override;

  private:
    void CreateControls();
    void CreateMenu();
    void PlaceControls();
    // size, made smaller where the screen's free area is smaller.
    QSize FittedToScreen(QSize size) const;
    void InsertColumns();
    void FillList(const kestrune::RowStore& rows, int count);
    kestrune::DirectoryEntry ListRow(int row) const;
    QWidget* Pane(int view) const;
    void ShowPane(int view);
    void SetAddressBox(std::u16string_view text);

    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    QButtonGroup* radios_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::array<QWidget*, 25> templateWidgets_{};  // in template order
    std::array<QRect, 25> startRects_{};
    QSize startClient_;
};
