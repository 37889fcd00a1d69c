#include "shell/disk_map_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int kCell = 13;           // a cell's side in pixels
constexpr int kLabelWidth = 30;     // the track numbers on the left
constexpr int kHeadingHeight = 16;  // the sector numbers above

const QColor kSystemColour(70, 80, 100);
const QColor kFreeColour(250, 250, 250);
const QColor kUnownedColour(240, 150, 40);  // in use by the BAM, held by nothing
const QColor kNoBamColour(215, 215, 215);
const QColor kErrorColour(220, 0, 0);

}  // namespace

DiskMapView::DiskMapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor DiskMapView::RowColour(int row) {
    // Hues 137.5 degrees apart stay apart from their neighbours however many rows there are.
    return QColor::fromHsv(static_cast<int>(row * 137.508) % 360, 110 + (row % 3) * 40,
                           235 - (row % 2) * 35);
}

void DiskMapView::setMap(kestrune::DiskMap map, std::function<QString(int, int)> describe) {
    map_ = std::move(map);
    describe_ = std::move(describe);
    widest_ = 0;
    for (const kestrune::MapTrack& track : map_.tracks)
        widest_ = std::max(widest_, static_cast<int>(track.sectors.size()));
    updateGeometry();
    resize(sizeHint());
    update();
}

void DiskMapView::setHighlightRow(int row) {
    highlightRow_ = row;
    update();
}

void DiskMapView::setChosen(int track, int sector) {
    chosenTrack_ = track;
    chosenSector_ = sector;
    update();
}

QSize DiskMapView::sizeHint() const {
    const int tracks = static_cast<int>(map_.tracks.size());
    return {kLabelWidth + widest_ * kCell + 4, kHeadingHeight + tracks * kCell + 4};
}

QRect DiskMapView::cellRect(int track, int sector) const {
    for (std::size_t i = 0; i < map_.tracks.size(); ++i) {
        const kestrune::MapTrack& mapped = map_.tracks[i];
        if (mapped.track != track) continue;
        if (sector < 0 || sector >= static_cast<int>(mapped.sectors.size())) return {};
        return {kLabelWidth + sector * kCell, kHeadingHeight + static_cast<int>(i) * kCell, kCell,
                kCell};
    }
    return {};
}

std::optional<std::pair<int, int>> DiskMapView::SectorAt(QPoint point) const {
    if (point.x() < kLabelWidth || point.y() < kHeadingHeight) return std::nullopt;
    const auto row = static_cast<std::size_t>((point.y() - kHeadingHeight) / kCell);
    const int sector = (point.x() - kLabelWidth) / kCell;
    if (row >= map_.tracks.size() || sector >= static_cast<int>(map_.tracks[row].sectors.size()))
        return std::nullopt;
    return std::pair{map_.tracks[row].track, sector};
}

void DiskMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.setFont(font());
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    painter.setPen(palette().windowText().color());
    for (int sector = 0; sector < widest_; sector += 5) {
        painter.drawText(QRect(kLabelWidth + sector * kCell, 0, 2 * kCell, kHeadingHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::number(sector));
    }
    // Only the tracks in the damaged rectangle are drawn.
    const int firstRow = std::max(0, (event->rect().top() - kHeadingHeight) / kCell);
    const int lastRow = std::min(static_cast<int>(map_.tracks.size()) - 1,
                                 (event->rect().bottom() - kHeadingHeight) / kCell);
    const QPen gridPen(QColor(160, 160, 160));
    const QPen markPen(Qt::black, 1.2);
    const QPen errorPen(kErrorColour, 2);
    const QPen highlightPen(Qt::black, 2);
    for (int row = firstRow; row <= lastRow; ++row) {
        const kestrune::MapTrack& track = map_.tracks[static_cast<std::size_t>(row)];
        const int y = kHeadingHeight + row * kCell;
        painter.setPen(palette().windowText().color());
        painter.drawText(QRect(0, y, kLabelWidth - 4, kCell), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(track.track));
        for (std::size_t s = 0; s < track.sectors.size(); ++s) {
            const kestrune::SectorCell& cell = track.sectors[s];
            const QRect box(kLabelWidth + static_cast<int>(s) * kCell, y, kCell, kCell);
            QColor colour = cell.row != 0 ? RowColour(cell.row)
                            : cell.system ? kSystemColour
                            : !cell.free  ? kNoBamColour
                            : *cell.free  ? kFreeColour
                                          : kUnownedColour;
            // Another file's sectors fade while one file's chain is shown.
            if (highlightRow_ != 0 && cell.row != highlightRow_) colour = colour.lighter(135);
            painter.fillRect(box, colour);
            painter.setPen(gridPen);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            if (cell.BamDisagrees()) {
                painter.setPen(markPen);
                painter.drawLine(box.topLeft() + QPoint(2, 2), box.bottomRight() - QPoint(2, 2));
                painter.drawLine(box.topRight() + QPoint(-2, 2), box.bottomLeft() + QPoint(2, -2));
            }
            if (cell.error) {
                painter.setPen(errorPen);
                painter.drawRect(box.adjusted(1, 1, -2, -2));
            }
            if (highlightRow_ != 0 && cell.row == highlightRow_) {
                painter.setPen(highlightPen);
                painter.drawRect(box.adjusted(1, 1, -2, -2));
            }
            if (track.track == chosenTrack_ && static_cast<int>(s) == chosenSector_) {
                painter.setPen(QPen(palette().highlight().color(), 3));
                painter.drawRect(box.adjusted(1, 1, -2, -2));
            }
        }
    }
}

void DiskMapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (const auto at = SectorAt(event->position().toPoint())) {
        setChosen(at->first, at->second);
        emit sectorChosen(at->first, at->second);
    }
}

bool DiskMapView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto at = SectorAt(help->pos());
        if (at && describe_) {
            QToolTip::showText(help->globalPos(), describe_(at->first, at->second), this,
                               cellRect(at->first, at->second));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}
