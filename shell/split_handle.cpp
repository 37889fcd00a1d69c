#include "shell/split_handle.h"

#include <QMouseEvent>
#include <QPainter>

SplitHandle::SplitHandle(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitHCursor);
    setToolTip(tr("Drag to share the width between the list and the view"));
}

void SplitHandle::paintEvent(QPaintEvent*) {
    // A few dots in the middle say that it can be taken hold of.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    const int x = width() / 2;
    for (int y = height() / 2 - 8; y <= height() / 2 + 8; y += 4)
        painter.drawPoint(x, y);
}

void SplitHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressedAt_ = static_cast<int>(event->globalPosition().x());
}

void SplitHandle::mouseMoveEvent(QMouseEvent* event) {
    if (pressedAt_ < 0) return;
    const int x = static_cast<int>(event->globalPosition().x());
    emit dragged(x - pressedAt_);
    pressedAt_ = x;
}

void SplitHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || pressedAt_ < 0) return;
    pressedAt_ = -1;
    emit released();
}
