#include "shell/disk_map_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

constexpr int kSmallestCell = 4;    // a cell's side in pixels, at least
constexpr int kLargestCell = 16;    // and at most
constexpr int kLabelWidth = 30;     // the track numbers on the left
constexpr int kHeadingHeight = 16;  // the sector numbers above
constexpr int kMargin = 4;

const QColor kSystemColour(70, 80, 100);
const QColor kFreeColour(250, 250, 250);
const QColor kUnownedColour(240, 150, 40);  // in use by the BAM, held by nothing
const QColor kNoBamColour(215, 215, 215);
const QColor kErrorColour(220, 0, 0);
const QColor kGridColour(160, 160, 160);

// The marks a cell carries over its colour.
struct CellMarks {
    bool wrongBam = false;  // a cross
    bool error = false;     // a red frame
    bool chain = false;     // a black frame: the chosen file's chain
};

void PaintCell(QPainter& painter, const QRect& box, const QColor& colour, CellMarks marks) {
    painter.fillRect(box, colour);
    painter.setPen(kGridColour);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const int inset = box.width() >= 8 ? 2 : 1;
    if (marks.wrongBam) {
        painter.setPen(QPen(Qt::black, 1.2));
        painter.drawLine(box.topLeft() + QPoint(inset, inset),
                         box.bottomRight() - QPoint(inset, inset));
        painter.drawLine(box.topRight() + QPoint(-inset, inset),
                         box.bottomLeft() + QPoint(inset, -inset));
    }
    if (marks.error) {
        painter.setPen(QPen(kErrorColour, box.width() >= 8 ? 2 : 1));
        painter.drawRect(box.adjusted(1, 1, -2, -2));
    }
    if (marks.chain) {
        painter.setPen(QPen(Qt::black, box.width() >= 8 ? 2 : 1));
        painter.drawRect(box.adjusted(1, 1, -2, -2));
    }
}

struct LegendEntry {
    QColor colour;
    CellMarks marks;
    const char* text;
};

const std::array<LegendEntry, 8> kLegend = {{
    {DiskMapView::RowColour(1), {}, "a file (each its colour)"},
    {kSystemColour, {}, "header, BAM, directory"},
    {kFreeColour, {}, "free"},
    {kUnownedColour, {}, "in use, no file"},
    {kNoBamColour, {}, "not in the BAM"},
    {kFreeColour, {true, false, false}, "BAM entry wrong"},
    {kFreeColour, {false, true, false}, "error byte"},
    {DiskMapView::RowColour(2), {false, false, true}, "the chosen file"},
}};

}  // namespace

DiskMapView::DiskMapView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor DiskMapView::RowColour(int row) {
    // Hues 137.5 degrees apart stay apart from their neighbours however many rows there are;
    // every row, whatever its number, gets a colour in range.
    const auto n = static_cast<std::uint32_t>(row);
    return QColor::fromHsv(static_cast<int>(std::fmod(n * 137.508, 360.0)),
                           110 + static_cast<int>(n % 3) * 40, 235 - static_cast<int>(n % 2) * 35);
}

void DiskMapView::setMap(kestrune::DiskMap map, std::function<QString(int, int)> describe) {
    map_ = std::move(map);
    describe_ = std::move(describe);
    widest_ = 0;
    for (const kestrune::MapTrack& track : map_.tracks)
        widest_ = std::max(widest_, static_cast<int>(track.sectors.size()));
    updateGeometry();
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

QSize DiskMapView::SizeFor(int cell) const {
    const int tracks = static_cast<int>(map_.tracks.size());
    return {kLabelWidth + widest_ * cell + kMargin, kHeadingHeight + tracks * cell + kMargin};
}

QSize DiskMapView::sizeHint() const {
    return SizeFor(kLargestCell);
}

QSize DiskMapView::minimumSizeHint() const {
    return SizeFor(kSmallestCell);
}

int DiskMapView::cellSize() const {
    const int tracks = static_cast<int>(map_.tracks.size());
    if (tracks == 0 || widest_ == 0) return kLargestCell;
    const int across = (width() - kLabelWidth - kMargin) / widest_;
    const int down = (height() - kHeadingHeight - kMargin) / tracks;
    return std::clamp(std::min(across, down), kSmallestCell, kLargestCell);
}

QRect DiskMapView::cellRect(int track, int sector) const {
    const int cell = cellSize();
    for (std::size_t i = 0; i < map_.tracks.size(); ++i) {
        const kestrune::MapTrack& mapped = map_.tracks[i];
        if (mapped.track != track) continue;
        if (sector < 0 || sector >= static_cast<int>(mapped.sectors.size())) return {};
        return {kLabelWidth + sector * cell, kHeadingHeight + static_cast<int>(i) * cell, cell,
                cell};
    }
    return {};
}

std::optional<std::pair<int, int>> DiskMapView::SectorAt(QPoint point) const {
    if (point.x() < kLabelWidth || point.y() < kHeadingHeight) return std::nullopt;
    const int cell = cellSize();
    const auto row = static_cast<std::size_t>((point.y() - kHeadingHeight) / cell);
    const int sector = (point.x() - kLabelWidth) / cell;
    if (row >= map_.tracks.size() || sector >= static_cast<int>(map_.tracks[row].sectors.size()))
        return std::nullopt;
    return std::pair{map_.tracks[row].track, sector};
}

void DiskMapView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    const int cell = cellSize();
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    painter.setPen(palette().windowText().color());
    // Sector numbers every 5 columns, track numbers as often as there is room for them.
    const int every = std::max(1, (12 + cell - 1) / cell);
    for (int sector = 0; sector < widest_; sector += 5 * ((every + 4) / 5)) {
        painter.drawText(QRect(kLabelWidth + sector * cell, 0, 30, kHeadingHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::number(sector));
    }
    // Only the tracks in the damaged rectangle are drawn.
    const int firstRow = std::max(0, (event->rect().top() - kHeadingHeight) / cell);
    const int lastRow = std::min(static_cast<int>(map_.tracks.size()) - 1,
                                 (event->rect().bottom() - kHeadingHeight) / cell);
    for (int row = firstRow; row <= lastRow; ++row) {
        const kestrune::MapTrack& track = map_.tracks[static_cast<std::size_t>(row)];
        const int y = kHeadingHeight + row * cell;
        if (track.track % every == 0 || every == 1) {
            painter.setPen(palette().windowText().color());
            painter.drawText(QRect(0, y + cell / 2 - 8, kLabelWidth - 4, 16),
                             Qt::AlignRight | Qt::AlignVCenter, QString::number(track.track));
        }
        for (std::size_t s = 0; s < track.sectors.size(); ++s) {
            const kestrune::SectorCell& sector = track.sectors[s];
            const QRect box(kLabelWidth + static_cast<int>(s) * cell, y, cell, cell);
            QColor colour = sector.row != 0 ? RowColour(sector.row)
                            : sector.system ? kSystemColour
                            : !sector.free  ? kNoBamColour
                            : *sector.free  ? kFreeColour
                                            : kUnownedColour;
            // Another file's sectors fade while one file's chain is shown.
            if (highlightRow_ != 0 && sector.row != highlightRow_) colour = colour.lighter(135);
            PaintCell(painter, box, colour,
                      {sector.BamDisagrees(), sector.error.has_value(),
                       highlightRow_ != 0 && sector.row == highlightRow_});
            if (track.track == chosenTrack_ && static_cast<int>(s) == chosenSector_) {
                painter.setPen(QPen(palette().highlight().color(), cell >= 8 ? 3 : 2));
                painter.drawRect(box.adjusted(0, 0, -1, -1));
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

DiskMapLegend::DiskMapLegend(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int DiskMapLegend::Layout(int width,
                          const std::function<void(std::size_t, QRect, QRect)>& place) const {
    const QFontMetrics metrics(font());
    const int swatch = 12;
    const int line = std::max(swatch, metrics.height()) + 4;
    int x = 0, y = 0;
    for (std::size_t i = 0; i < kLegend.size(); ++i) {
        const int textWidth = metrics.horizontalAdvance(tr(kLegend[i].text));
        const int entry = swatch + 4 + textWidth + 12;
        if (x > 0 && x + entry > width) {
            x = 0;
            y += line;
        }
        place(i, QRect(x, y + (line - swatch) / 2, swatch, swatch),
              QRect(x + swatch + 4, y, textWidth, line));
        x += entry;
    }
    return y + line;
}

int DiskMapLegend::heightForWidth(int width) const {
    return Layout(width, [](std::size_t, QRect, QRect) {});
}

QSize DiskMapLegend::sizeHint() const {
    return {400, heightForWidth(400)};
}

void DiskMapLegend::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Layout(width(), [&](std::size_t i, QRect swatch, QRect text) {
        PaintCell(painter, swatch, kLegend[i].colour, kLegend[i].marks);
        painter.setPen(palette().windowText().color());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, tr(kLegend[i].text));
    });
}
