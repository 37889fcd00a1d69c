// The Disk view: the sector map of the directory on show, the chosen sector's 256 bytes in the
// HEX/ASCII layout with a button that follows its link, and the check's report. It only reads.
#pragma once

#include <QWidget>

#include "viewer/session.h"

class DiskMapView;
class QLabel;
class QPushButton;
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
    TextPane* reportPane() const { return report_; }
    QLabel* sectorTitle() const { return title_; }

  public slots:
    void chooseSector(int track, int sector);

  private:
    void followLink();

    const kestrune::Session& session_;
    DiskMapView* map_;
    QTabWidget* tabs_;
    QLabel* title_;
    QPushButton* follow_;
    TextPane* sectorHex_;
    TextPane* report_;
    int linkTrack_ = 0;
    int linkSector_ = 0;
};
