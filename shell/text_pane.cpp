#include "shell/text_pane.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kTabColumns = 8;

bool IsLineEnd(const std::u16string& text, std::size_t at) {
    return at + 1 < text.size() && text[at] == u'\r' && text[at + 1] == u'\n';
}

}  // namespace

TextPane::TextPane(Wrap wrap, QWidget* parent) : QAbstractScrollArea(parent), wrap_(wrap) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    setHorizontalScrollBarPolicy(wrap_ == Wrap::Words ? Qt::ScrollBarAlwaysOff
                                                      : Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Relayout();
}

void TextPane::setText(std::u16string text, std::vector<std::uint8_t> emphasis) {
    text_ = std::move(text);
    emphasis_ = std::move(emphasis);
    matches_.clear();
    anchor_ = caret_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    Relayout();
    viewport()->update();
}

void TextPane::setC64Codes(const C64TextPainter* painter, kestrune::Charset charset,
                           std::vector<std::int16_t> codes) {
    c64_ = painter;
    charset_ = charset;
    codes_ = std::move(codes);
    viewport()->update();
}

void TextPane::setMatches(std::vector<kestrune::TextRange> ranges) {
    matches_ = std::move(ranges);
    chosen_ = {0, 0};
    if (searchSelected_) SetSelection(caret_, caret_);
    searchSelected_ = false;
    viewport()->update();
}

int TextPane::firstVisibleRow() const {
    return verticalScrollBar()->value();
}

std::size_t TextPane::firstVisibleOffset() const {
    return rows_.empty() ? 0 : rows_[static_cast<std::size_t>(firstVisibleRow())].begin;
}

int TextPane::lastVisibleRow() const {
    return std::min(rowCount(), firstVisibleRow() + viewport()->height() / lineHeight_) - 1;
}

void TextPane::showMatch(std::size_t first, std::size_t count) {
    if (first >= matches_.size() || count == 0) return;
    count = std::min(count, matches_.size() - first);
    chosen_ = {first, count};
    const std::size_t begin = matches_[first].begin;
    SetSelection(begin, count == 1 ? begin + matches_[first].length : begin);
    searchSelected_ = true;
    const auto row = std::upper_bound(rows_.begin(), rows_.end(), begin,
                                      [](std::size_t at, const Row& r) { return at < r.begin; });
    if (row == rows_.begin()) return;
    const int index = static_cast<int>(row - rows_.begin()) - 1;
    if (index < firstVisibleRow() || index > lastVisibleRow()) {
        const int visibleRows = std::max(1, viewport()->height() / lineHeight_);
        verticalScrollBar()->setValue(index - visibleRows / 3);
    }
    const int x = margin_ + ColumnOf(*(row - 1), begin) * charWidth_;
    const int left = horizontalScrollBar()->value();
    if (x < left || x + charWidth_ * 4 > left + viewport()->width())
        horizontalScrollBar()->setValue(x - viewport()->width() / 3);
}

void TextPane::setLineSpacing(double factor) {
    lineSpacing_ = factor;
    Relayout();
}

void TextPane::setTextMargin(int pixels) {
    margin_ = pixels;
    Relayout();
}

int TextPane::ColumnsToFit() const {
    return std::max(1, (viewport()->width() - 2 * margin_) / charWidth_);
}

int TextPane::ColumnOf(const Row& row, std::size_t offset) const {
    int column = 0;
    for (std::size_t at = row.begin; at < offset; ++at) {
        column = text_[at] == u'\t' ? (column / kTabColumns + 1) * kTabColumns : column + 1;
    }
    return column;
}

void TextPane::Relayout() {
    const QFontMetrics metrics(font());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    lineHeight_ = std::max(1, static_cast<int>(metrics.lineSpacing() * lineSpacing_ + 0.5));

    rows_.clear();
    widestColumns_ = 0;
    const auto columnsToFit = static_cast<std::size_t>(ColumnsToFit());
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = begin;
        while (end < text_.size() && !IsLineEnd(text_, end))
            ++end;
        if (wrap_ == Wrap::Words) {
            // Break after the last space that fits; a word wider than the pane is cut.
            std::size_t rowBegin = begin;
            while (end - rowBegin > columnsToFit) {
                std::size_t rowEnd = rowBegin + columnsToFit;
                const auto space =
                    std::u16string_view(text_).substr(rowBegin, columnsToFit).rfind(u' ');
                if (space != std::u16string_view::npos) rowEnd = rowBegin + space + 1;
                rows_.push_back({rowBegin, rowEnd});
                rowBegin = rowEnd;
            }
            rows_.push_back({rowBegin, end});
        } else {
            rows_.push_back({begin, end});
            widestColumns_ = std::max(widestColumns_, ColumnOf(rows_.back(), end));
        }
        if (end >= text_.size()) break;
        begin = end + 2;
    }

    const int visibleRows = std::max(1, viewport()->height() / lineHeight_);
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - visibleRows));
    verticalScrollBar()->setPageStep(visibleRows);
    verticalScrollBar()->setSingleStep(1);
    const int textWidth = widestColumns_ * charWidth_ + 2 * margin_;
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(charWidth_);
}

QString TextPane::RowText(std::size_t begin, std::size_t end, int column) const {
    QString text;
    text.reserve(static_cast<qsizetype>(end - begin));
    for (std::size_t at = begin; at < end; ++at) {
        if (text_[at] == u'\t') {
            const int next = (column / kTabColumns + 1) * kTabColumns;
            text.append(QString(next - column, QLatin1Char(' ')));
            column = next;
        } else {
            text.append(QChar(text_[at]));
            ++column;
        }
    }
    return text;
}

void TextPane::DrawC64Run(QPainter& painter, std::size_t begin, std::size_t end, int column,
                          int left, int y, std::size_t selectedFrom, std::size_t selectedTo) {
    const int ascent = QFontMetrics(font()).ascent();
    const QColor ink = painter.pen().color();
    const int top = y + (lineHeight_ - c64_->cellSize()) / 2;
    for (std::size_t at = begin; at < end; ++at, ++column) {
        const int x = left + column * charWidth_;
        if (at < codes_.size() && codes_[at] >= 0) {
            const bool selected = at >= selectedFrom && at < selectedTo;
            const std::uint8_t code = static_cast<std::uint8_t>(codes_[at]);
            c64_->Draw(painter, {x, top}, std::span(&code, 1), charset_, ink,
                       palette().color(selected ? QPalette::Highlight : QPalette::Base));
        } else {
            painter.drawText(x, y + ascent, QString(QChar(text_[at])));
        }
    }
}

void TextPane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette& colors = palette();
    const int first = verticalScrollBar()->value();
    const int left = margin_ - horizontalScrollBar()->value();
    const int ascent = QFontMetrics(font()).ascent();
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t to = std::max(anchor_, caret_);
    for (int i = first, y = 0; i < rowCount() && y < viewport()->height(); ++i, y += lineHeight_) {
        const Row& row = rows_[static_cast<std::size_t>(i)];
        // Search matches on the row, under the selection.
        auto match = std::lower_bound(
            matches_.begin(), matches_.end(), row.begin,
            [](const kestrune::TextRange& m, std::size_t at) { return m.begin + m.length <= at; });
        for (; match != matches_.end() && match->begin < row.end; ++match) {
            const int x0 = left + ColumnOf(row, std::max(match->begin, row.begin)) * charWidth_;
            const int x1 =
                left + ColumnOf(row, std::min(match->begin + match->length, row.end)) * charWidth_;
            const bool chosen = isChosenMatch(static_cast<std::size_t>(match - matches_.begin()));
            painter.fillRect(QRect(x0, y, x1 - x0, lineHeight_),
                             chosen ? colors.highlight().color() : matchColor_);
        }
        if (from < to && from <= row.end && to > row.begin) {
            const int x0 = left + ColumnOf(row, std::max(from, row.begin)) * charWidth_;
            const int x1 = left + ColumnOf(row, std::min(to, row.end)) * charWidth_ +
                           (to > row.end && IsLineEnd(text_, row.end) ? charWidth_ : 0);
            painter.fillRect(QRect(x0, y, x1 - x0, lineHeight_), colors.highlight());
        }
        // Runs of emphasized and plain characters, each in its colour.
        for (std::size_t begin = row.begin; begin < row.end;) {
            const bool emphasis = emphasized(begin);
            std::size_t end = begin + 1;
            while (end < row.end && emphasized(end) == emphasis)
                ++end;
            const int column = ColumnOf(row, begin);
            painter.setPen(emphasis ? emphasisColor_ : colors.color(QPalette::Text));
            if (c64_ != nullptr && !codes_.empty()) {
                DrawC64Run(painter, begin, end, column, left, y, from, to);
            } else {
                painter.drawText(left + column * charWidth_, y + ascent,
                                 RowText(begin, end, column));
            }
            begin = end;
        }
    }
}

void TextPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TextPane::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) Relayout();
}

std::size_t TextPane::OffsetAt(QPoint position) const {
    if (rows_.empty()) return 0;
    const int index =
        std::clamp(verticalScrollBar()->value() + position.y() / lineHeight_, 0, rowCount() - 1);
    const Row& row = rows_[static_cast<std::size_t>(index)];
    const int column =
        (position.x() + horizontalScrollBar()->value() - margin_ + charWidth_ / 2) / charWidth_;
    std::size_t at = row.begin;
    while (at < row.end && ColumnOf(row, at + 1) <= column)
        ++at;
    return at;
}

void TextPane::SetSelection(std::size_t anchor, std::size_t caret) {
    anchor_ = std::min(anchor, text_.size());
    caret_ = std::min(caret, text_.size());
    viewport()->update();
}

QString TextPane::selectedText() const {
    const std::size_t from = std::min(anchor_, caret_);
    const std::size_t to = std::max(anchor_, caret_);
    QString selected = QString::fromUtf16(text_.data() + from, static_cast<qsizetype>(to - from));
    selected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return selected;
}

void TextPane::selectAll() {
    SetSelection(0, text_.size());
}

void TextPane::copy() const {
    if (anchor_ != caret_) QApplication::clipboard()->setText(selectedText());
}

void TextPane::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TextPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    searchSelected_ = false;
    const std::size_t at = OffsetAt(event->position().toPoint());
    SetSelection(event->modifiers() & Qt::ShiftModifier ? anchor_ : at, at);
}

void TextPane::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        SetSelection(anchor_, OffsetAt(event->position().toPoint()));
}

void TextPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const auto isWordChar = [&](std::size_t at) {
        return at < text_.size() && text_[at] != u' ' && text_[at] != u'\t' && text_[at] != u'\r' &&
               text_[at] != u'\n';
    };
    std::size_t begin = OffsetAt(event->position().toPoint());
    std::size_t end = begin;
    while (begin > 0 && isWordChar(begin - 1))
        --begin;
    while (isWordChar(end))
        ++end;
    SetSelection(begin, end);
}

void TextPane::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &TextPane::copy);
    copyAction->setEnabled(anchor_ != caret_);
    menu.addAction(tr("Select &All"), this, &TextPane::selectAll);
    // Actions the window gave this pane follow the pane's own.
    bool separated = false;
    for (QAction* action : actions()) {
        if (!action->isVisible()) continue;
        if (!separated) menu.addSeparator();
        separated = true;
        menu.addAction(action);
    }
    menu.exec(event->globalPos());
}
