// The sector map of the Disk view: a grid of tracks (rows) by sectors (columns), each cell in the
// colour of what holds it: a file (each row its own colour), the file system, nothing (free), or
// nothing though the BAM says in use. A cross marks a sector whose BAM entry is wrong, a red frame
// one that carries an error. The chain of the file chosen in the list stands out; hovering names a
// sector, a click chooses it.
#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

#include "viewer/disk_map.h"

class DiskMapView : public QWidget {
    Q_OBJECT

  public:
    explicit DiskMapView(QWidget* parent = nullptr);

    // The map to show, kept here, and the function that names a sector for the tooltip.
    void setMap(kestrune::DiskMap map, std::function<QString(int, int)> describe);
    const kestrune::DiskMap& map() const { return map_; }
    void setHighlightRow(int row);  // a 1-based directory row, 0 for none
    void setChosen(int track, int sector);

    // Where the cell of a sector lies; an empty rectangle for one the map does not have.
    QRect cellRect(int track, int sector) const;
    QSize sizeHint() const override;

    static QColor RowColour(int row);

  signals:
    void sectorChosen(int track, int sector);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // The track and sector at a point, if any.
    std::optional<std::pair<int, int>> SectorAt(QPoint point) const;

    kestrune::DiskMap map_;
    std::function<QString(int, int)> describe_;
    int highlightRow_ = 0;
    int chosenTrack_ = 0;
    int chosenSector_ = -1;
    int widest_ = 0;
};
