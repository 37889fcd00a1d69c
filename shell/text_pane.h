// A pane that shows a long text: the disassembly of a 64 KB file has 65,000 lines and takes a
// millisecond to hand over, where a text document would take tens. Lines end in CR LF; a pane
// either scrolls sideways or wraps lines at word boundaries to its width, like the multi-line
// edit controls of the original window. The text can be selected with the mouse or the keyboard
// and copied; it cannot be edited, as nothing typed into a pane is ever read.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>

#include <cstdint>
#include <string>
#include <vector>

#include "shell/c64_text.h"
#include "viewer/search.h"

class TextPane : public QAbstractScrollArea {
    Q_OBJECT

  public:
    enum class Wrap { None, Words };

    TextPane(Wrap wrap, QWidget* parent = nullptr);

    // emphasis, when given, marks each character of text that shows in the emphasis colour.
    void setText(std::u16string text, std::vector<std::uint8_t> emphasis = {});
    const std::u16string& text() const { return text_; }
    bool emphasized(std::size_t offset) const {
        return offset < emphasis_.size() && emphasis_[offset] != 0;
    }

    void setEmphasisColor(const QColor& color) { emphasisColor_ = color; }
    // Draws the characters that stand for PETSCII codes (codes[offset] >= 0) in the C64's
    // character set; a null painter draws every character in the pane's font again.
    void setC64Codes(const C64TextPainter* painter, kestrune::Charset charset,
                     std::vector<std::int16_t> codes);
    void setLineSpacing(double factor);  // of the font's line spacing
    void setTextMargin(int pixels);
    Wrap wrap() const { return wrap_; }

    // Marks ranges of the text, in order, as found by a search; a new text clears them, and so
    // does a new search the selection the last one made.
    void setMatches(std::vector<kestrune::TextRange> ranges);
    const std::vector<kestrune::TextRange>& matches() const { return matches_; }
    // Shows the match of count ranges from matches()[first] on: marked as chosen and scrolled
    // into view. A match of one range is selected too; one that goes on on the next line (bytes
    // of the dump) is marked on each line and selects nothing between them.
    void showMatch(std::size_t first, std::size_t count);
    // Whether the range at index is part of the chosen match.
    bool isChosenMatch(std::size_t index) const {
        return index >= chosen_.first && index < chosen_.first + chosen_.second;
    }
    // The rows on view, first and last, and where the first one starts in the text.
    int firstVisibleRow() const;
    int lastVisibleRow() const;
    std::size_t firstVisibleOffset() const;

    // The selected text with its line ends as the platform writes them.
    QString selectedText() const;
    void selectAll();
    void copy() const;

    // The visual rows the text takes at the pane's width (for tests and the scroll range).
    int rowCount() const { return static_cast<int>(rows_.size()); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    struct Row {
        std::size_t begin;  // text offset of the row's first character
        std::size_t end;    // text offset after its last (before a line's CR LF)
    };

    void Relayout();
    int ColumnsToFit() const;
    int ColumnOf(const Row& row, std::size_t offset) const;  // tabs stop every eight columns
    std::size_t OffsetAt(QPoint position) const;
    // The text from begin to end, which starts at column, with its tabs written as spaces.
    QString RowText(std::size_t begin, std::size_t end, int column) const;
    // Draws the characters from begin to end, those with a code in the C64's character set.
    void DrawC64Run(QPainter& painter, std::size_t begin, std::size_t end, int column, int left,
                    int y, std::size_t selectedFrom, std::size_t selectedTo);
    void SetSelection(std::size_t anchor, std::size_t caret);

    Wrap wrap_;
    std::u16string text_;
    std::vector<std::uint8_t> emphasis_;
    std::vector<kestrune::TextRange> matches_;
    QColor emphasisColor_ = Qt::blue;
    QColor matchColor_ = QColor(255, 226, 90);
    double lineSpacing_ = 1.0;
    int margin_ = 2;  // pixels between the border and the text
    std::vector<Row> rows_;
    int widestColumns_ = 0;
    const C64TextPainter* c64_ = nullptr;
    kestrune::Charset charset_ = kestrune::Charset::UpperCaseGraphics;
    std::vector<std::int16_t> codes_;
    int charWidth_ = 1;
    int lineHeight_ = 1;
    std::size_t anchor_ = 0;  // the selection runs from anchor_ to caret_, in either order
    std::size_t caret_ = 0;
    std::pair<std::size_t, std::size_t> chosen_{0, 0};  // the shown match: first range, count
    bool searchSelected_ = false;  // the selection is the shown match's, not the user's
};
