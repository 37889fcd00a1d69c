// The divider between the file list and the panes: a thin strip the mouse drags sideways to give
// one of them width from the other.
#pragma once

#include <QWidget>

class SplitHandle : public QWidget {
    Q_OBJECT

  public:
    explicit SplitHandle(QWidget* parent = nullptr);

  signals:
    // While dragged: how far the divider moved since the press.
    void dragged(int dx);
    // The drag ended.
    void released();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int pressedAt_ = -1;  // the global x of the press, -1 when not pressed
};
