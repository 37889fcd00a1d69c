// Draws the cells of the file list plainly: the selection's background and the text, aligned and
// cut at the cell's edges. A full repaint of the list after a sort takes a tenth of the style's
// general item drawing. Names can be drawn in the C64's character set instead.
#pragma once

#include <QStyledItemDelegate>

#include "shell/c64_text.h"

class ListCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Names drawn in the C64's character set, or in the list's font for none.
    void setC64Text(const C64TextPainter* painter, kestrune::Charset charset) {
        c64_ = painter;
        charset_ = charset;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const C64TextPainter* c64_ = nullptr;
    kestrune::Charset charset_ = kestrune::Charset::UpperCaseGraphics;
};
