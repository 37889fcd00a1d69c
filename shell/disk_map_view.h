// The sector map of the Disk view: a grid of tracks (rows) by sectors (columns), each cell in the
// colour of what holds it: a file (each row its own colour), the file system, nothing (free), or
// nothing though the BAM says in use. A cross marks a sector whose BAM entry is wrong, a red frame
// one that carries an error. The chain of the file chosen in the list stands out; hovering names a
// sector, a click chooses it. The cells grow and shrink with the space the map has, so that a disk
// of 80 tracks fits without scrolling; the legend beside it says what each mark means.
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
    // A cell's side at the map's present size.
    int cellSize() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

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
    QSize SizeFor(int cell) const;

    kestrune::DiskMap map_;
    std::function<QString(int, int)> describe_;
    int highlightRow_ = 0;
    int chosenTrack_ = 0;
    int chosenSector_ = -1;
    int widest_ = 0;
};

// What the colours and marks of the map mean, a swatch and a word each, in as many lines as the
// width needs.
class DiskMapLegend : public QWidget {
    Q_OBJECT

  public:
    explicit DiskMapLegend(QWidget* parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // Lays the entries out in width; calls place for each with its swatch and text rectangles.
    // Returns the height they take.
    int Layout(int width, const std::function<void(std::size_t, QRect, QRect)>& place) const;
};
