// The Collection pane beside the file list: a folder's images, indexed in the background with a
// progress bar and Cancel; a query box (name, text, hex bytes, load address) whose hits follow
// the typing; the files the folder holds more than once. Choosing an image, a hit or a place
// asks the window to open it there.
#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

#include "shell/collection_tasks.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TableRowsModel;

// Where the window is asked to go: an image (a file, the member of an archive, the partitions
// inside), and the row of the file to select there, 0 for none.
struct CollectionPlace {
    QString path;
    std::optional<std::string> member;
    std::vector<int> partition;
    int row = 0;
};

class CollectionPane : public QWidget {
    Q_OBJECT

  public:
    // catalogPath is the index's file.
    CollectionPane(const std::string& catalogPath, QWidget* parent = nullptr);
    ~CollectionPane() override;

    // Shows the folder's images and indexes it.
    void ShowFolder(const QString& folder);
    // Opens the image step rows after the one chosen in the image list (-1 before it); false
    // when there is none.
    bool OpenAdjacentImage(int step);

  signals:
    void placeChosen(const CollectionPlace& place);
    void closeRequested();

  private:
    // The folder's images; with withDuplicates its duplicates too (which take longer: they are
    // asked when the indexing starts and ends, not while it runs).
    void AskImages(bool withDuplicates);
    void AskFind();
    void ShowAnswer(const CollectionAnswer& answer);
    void ShowImages(std::vector<kestrune::FolderImage> images);
    void ShowHits(std::vector<kestrune::CatalogHit> hits);
    void ShowDuplicates(const kestrune::Duplicates& duplicates);
    void ShowIndexed(const QString& summary, const QStringList& problems, bool cancelled);
    void ChooseImage(int row);
    void ChooseHit(int row);
    void ChoosePlace(QTreeWidgetItem* item);
    // An image as the lists name it: its path under the folder, "/" and its member, and " > "
    // before each partition row.
    QString Label(const std::string& path, const std::optional<std::string>& member,
                  const std::vector<int>& partition) const;

    CollectionTasks tasks_;
    std::string folder_;  // absolute, in file system bytes, ending in '/'; empty before one
    QLabel* title_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* state_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QTableView* imagesView_ = nullptr;
    TableRowsModel* images_ = nullptr;
    QComboBox* kind_ = nullptr;
    QLineEdit* query_ = nullptr;
    QLabel* hitCount_ = nullptr;
    QTableView* hitsView_ = nullptr;
    TableRowsModel* hits_ = nullptr;
    QTreeWidget* duplicates_ = nullptr;
    QTimer* typing_ = nullptr;   // the find waits for a pause in the typing
    QTimer* refresh_ = nullptr;  // the image list follows the indexing
    std::vector<kestrune::FolderImage> imageRows_;
    std::vector<kestrune::CatalogHit> hitRows_;
    std::uint64_t imagesAsked_ = 0;  // the newest question of each kind, whose answer is shown
    std::uint64_t findAsked_ = 0;
    std::uint64_t duplicatesAsked_ = 0;
    bool showing_ = false;  // a list being filled: its selection opens nothing
};
