#include "shell/directory_header.h"

#include <QMouseEvent>

namespace {

// How far right of the last divider a press still grabs the closed column.
constexpr int kGrabWidth = 6;

}  // namespace

DirectoryHeader::DirectoryHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setMouseTracking(true);
}

int DirectoryHeader::ClosedSectionAt(int x) const {
    const int last = logicalIndex(count() - 1);
    if (last < 0 || isSectionHidden(last) || sectionSize(last) != 0) return -1;
    const int divider = sectionViewportPosition(last);
    return x >= divider && x < divider + kGrabWidth ? last : -1;
}

void DirectoryHeader::mousePressEvent(QMouseEvent* event) {
    const int closed = ClosedSectionAt(event->position().toPoint().x());
    if (event->button() == Qt::LeftButton && closed >= 0) {
        opening_ = closed;
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void DirectoryHeader::mouseMoveEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    if (opening_ >= 0) {
        resizeSection(opening_, std::max(0, x - sectionViewportPosition(opening_)));
        event->accept();
        return;
    }
    QHeaderView::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton && ClosedSectionAt(x) >= 0) setCursor(Qt::SplitHCursor);
}

void DirectoryHeader::mouseReleaseEvent(QMouseEvent* event) {
    if (opening_ >= 0) {
        opening_ = -1;
        event->accept();
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}
