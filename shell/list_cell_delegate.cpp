#include "shell/list_cell_delegate.h"

#include <QPainter>

#include "shell/directory_model.h"
#include "viewer/row_texts.h"

namespace {

constexpr int kTextMargin = 4;  // pixels between the cell's edge and its text

}  // namespace

void ListCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    // A row's own colour (a file that crosses error sectors) shows unless the row is selected.
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(
        selected || !foreground.isValid()
            ? option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text)
            : foreground.value<QColor>());
    const QVariant nameBytes = index.data(kNameBytesRole);
    if (c64_ != nullptr && nameBytes.isValid() && index.column() == kestrune::ColumnFileName) {
        const QByteArray bytes = nameBytes.toByteArray();
        const QPoint topLeft(option.rect.x() + kTextMargin,
                             option.rect.y() + (option.rect.height() - c64_->cellSize()) / 2);
        c64_->Draw(*painter, topLeft,
                   std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                             static_cast<std::size_t>(bytes.size())),
                   charset_, painter->pen().color(),
                   selected ? option.palette.color(group, QPalette::Highlight)
                            : option.palette.color(group, QPalette::Base));
        painter->restore();
        return;
    }
    const auto alignment = static_cast<Qt::Alignment>(index.data(Qt::TextAlignmentRole).toInt());
    painter->drawText(option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0),
                      static_cast<int>(alignment), index.data(Qt::DisplayRole).toString());
    painter->restore();
}
