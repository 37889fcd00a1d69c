// The file list's header. Its last column (GEOS) starts closed, with width 0, so its divider lies
// on top of the one before it; as in the list views the window is modelled on, a press just right
// of that divider drags the closed column open, while a press on or left of it still resizes the
// column before. Everything else is the standard header's.
#pragma once

#include <QHeaderView>

class DirectoryHeader : public QHeaderView {
    Q_OBJECT

  public:
    explicit DirectoryHeader(QWidget* parent = nullptr);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The closed last section whose grab zone x lies in, -1 for none.
    int ClosedSectionAt(int x) const;

    int opening_ = -1;  // the section being dragged open
};
