// The main window: the disk fields, the view buttons and start-address box, the file list, the
// panes of the views (one table: viewer/view_table.h) that share one place, and the status line. It
// shows a Session and turns the user's actions into calls on it; the Session does the work.
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

#include "shell/image_reader.h"
#include "text/c64_charsets.h"
#include "text/message.h"
#include "viewer/session.h"

class BrowserPane;
class CollectionPane;
struct CollectionPlace;
class C64TextPainter;
class DiskPane;
class ListCellDelegate;
class QAction;
class QRadioButton;
class DirectoryModel;
class FileList;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class SplitHandle;
class PictureView;
class TextPane;

// The id of the Disk view's button.
inline constexpr int kDiskView = kestrune::ViewDisk;

class MainWindow : public QDialog {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

  public slots:
    // Opens the image at path, as File > New and a drop do.
    void openImage(const QString& path);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

  private slots:
    void chooseImage();
    void chooseFolder();
    // Opens the Collection pane on folder, and indexes it.
    void showFolder(const QString& folder);
    void closeFolder();
    // Opens the image a collection names, at its file.
    void openPlace(const CollectionPlace& place);
    void closeImage();
    void exportView();
    void saveFileAs();
    void exitWindow();
    void showAbout();
    void selectRow();
    void chooseView(int view);
    void enterAddress();
    void sortByColumn(int column);
    void revert();
    void search();
    void findNext();
    void findPrevious();
    void copyFromPane();
    void selectAllOfPane();
    void disassembleFromSys();
    void openPartition(const QModelIndex& index);
    void leavePartition();
    void showFinding(int row, int track, int sector);

  private:
    void CreateMenu();
    void CreateControls();
    void SetUpList();
    void WriteInstructions();
    void PlaceControls();
    QSize FittedToScreen(QSize size) const;
    // Once the window manager has framed the shown window, moves and shrinks it so the frame is
    // on the screen; until then it waits.
    void FitFrameOnScreen();
    // How far the divider between list and panes is right of its start, for a window dW wider
    // than at start.
    int Split(int dW) const;
    // The file list's place in the template.
    static std::size_t ListIndex();
    void WidenForViewButtons();

    // Shows a message box, the window first brought up to date with the session.
    bool Tell(const kestrune::Message& message);
    // Brings the widgets up to date with the session: the fields, the caption, the list, the
    // visible pane and its button, the address box's state (and with withAddress its text, which
    // otherwise keeps what the user typed); the panes when they changed.
    void ShowSession(bool withAddress);
    // Takes the C64 font options from their menu items into the list and the panes.
    void ApplyC64Font();
    // The list's names in the C64 font, their cells as large as the list's width lets them be.
    void FitC64Names();
    // The sort arrow on the column the list is sorted by, none in directory order.
    void ShowSortArrow();
    // Shows a directory that replaced the one on show (a partition opened or left).
    void ShowNewDirectory();
    // Hands a text pane the C64 codes of its characters, or takes them away.
    void ShowC64Codes(kestrune::ViewMode view);
    kestrune::Charset C64Charset() const;
    // File > Open Recent: the files opened last, remembered between runs.
    void RememberFile(const QString& path);
    void ListRecentFiles();
    // Asks which of an archive's images to open.
    std::optional<std::size_t> ChooseMember(const std::vector<std::string>& names);
    // Gives the panes that changed their new text: the browser pane, and the text pane on show.
    void ShowPanes(kestrune::ViewMode visible);
    // Shows the session's status line, whole in its tooltip where the field cuts it short.
    void ShowStatus();
    void ShowPage();
    // The text pane on view, the listing of the browser pane among them; none for other pages.
    TextPane* SearchablePane() const;
    void ShowHit(std::size_t hit);
    void PlaceSysLink();
    // The Picture view was asked for: a file that names no picture format asks for one first.
    void AskPictureFormat();
    void choosePictureFormat(const QString& key);
    void exportPicture();

    kestrune::Session session_;
    ImageReader reader_;
    DirectoryModel* model_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    FileList* list_ = nullptr;
    BrowserPane* browser_ = nullptr;
    std::array<TextPane*, kestrune::kViewCount> panes_{};  // by view; none for the BASIC view
    std::array<QLabel*, 5> fields_{};                      // name, ID, DOS type, blocks, status
    QLineEdit* address_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* sysLink_ = nullptr;     // "Disassemble from SYS n" in the status line
    QAction* sysAction_ = nullptr;  // the same in the BASIC listing's menu
    QAction* leavePartition_ = nullptr;
    QAction* nextImage_ = nullptr;
    QAction* previousImage_ = nullptr;
    CollectionPane* collection_ = nullptr;  // made when a folder is first opened
    int collectionWidth_ = 0;
    QMenu* recent_ = nullptr;
    // The buttons of the views the template has no place for (the Disk and Picture views),
    // after its last, by view.
    std::array<QRadioButton*, kestrune::kViewCount> extraButtons_{};
    PictureView* picturePane_ = nullptr;
    QAction* exportPicture_ = nullptr;
    // The Disk view: the disk's sectors. It stays on show while files are chosen in the list,
    // marking the chosen file's chain, until a file view is chosen.
    DiskPane* diskPane_ = nullptr;
    bool diskShown_ = false;
    std::uint64_t diskVersion_ = 0;  // the session's directory the Disk view last took
    QWidget* shownPane_ = nullptr;
    // View > C64 Font: names in the C64's character set (remembered between runs).
    QAction* c64Font_ = nullptr;
    QAction* lowerCase_ = nullptr;
    std::unique_ptr<C64TextPainter> c64Text_;      // the list's names and the disk name
    std::unique_ptr<C64TextPainter> c64PaneText_;  // the panes' characters, in their own cells
    ListCellDelegate* listDelegate_ = nullptr;
    TextPane* searched_ = nullptr;  // the pane whose matches are marked
    kestrune::SearchHits hits_;
    std::size_t currentHit_ = 0;
    QButtonGroup* viewButtons_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
    QString pageFolder_;  // empty when the platform has no data folder
    std::array<std::uint64_t, kestrune::kViewCount> panesShown_{};  // PaneVersion on show, by view
    kestrune::ViewMode visible_ = kestrune::ViewBasic;
    std::array<QWidget*, 25> templateWidgets_{};  // in template order
    std::array<QRect, 25> startRects_{};
    QSize startClient_;
    SplitHandle* splitHandle_ = nullptr;
    int split_ = 0;            // where the user left the divider, remembered between runs
    int minSplit_ = 0;         // how far left it may go
    bool frameToFit_ = false;  // shown, and the frame not yet seen on the screen
    bool shownOnce_ = false;
};
