// The Disk view: the sector map of the directory on show with its legend, the chosen sector's
// 256 bytes in the HEX/ASCII layout with a button that follows its link, and the check's
// findings, each of which leads to its file and sector. An image without sectors, or no image,
// is said in words instead. It only reads.
#pragma once

#include <QWidget>

#include "viewer/session.h"

class DiskMapLegend;
class DiskMapView;
class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class TextPane;

class DiskPane : public QWidget {
    Q_OBJECT

  public:
    DiskPane(const kestrune::Session& session, QWidget* parent = nullptr);

    // Takes the session's map and findings afresh (after a load, a partition opened, ...).
    void Reload();
    // Shows the chain of a 1-based directory row, 0 for none.
    void setHighlightRow(int row);

    DiskMapView* mapView() const { return map_; }
    QPushButton* followButton() const { return follow_; }
    TextPane* sectorPane() const { return sectorHex_; }
    QListWidget* findingsList() const { return findings_; }
    QLabel* sectorTitle() const { return title_; }
    // What the pane says in place of the map, when there is no map to show; empty otherwise.
    QString notice() const;
    QTabWidget* tabs() const { return tabs_; }

  public slots:
    void chooseSector(int track, int sector);

  signals:
    // A finding was chosen: the file it names first (a 1-based directory row, 0 for none) and its
    // sector.
    void findingChosen(int row, int track, int sector);

  private:
    // Shows a sector chosen in the map: its description, its bytes and its link.
    void ShowSector(int track, int sector);
    void followLink();
    void chooseFinding(int index);

    const kestrune::Session& session_;
    QStackedWidget* stack_;
    QLabel* notice_;
    DiskMapView* map_;
    DiskMapLegend* legend_;
    QTabWidget* tabs_;
    QLabel* title_;
    QPushButton* follow_;
    TextPane* sectorHex_;
    QListWidget* findings_;
    int linkTrack_ = 0;
    int linkSector_ = 0;
};
