// Text in the C64's own character sets: PETSCII bytes drawn with the Sixtyfour font ("C-64"), one
// square cell a character as on the machine, the reversed characters (0x00-0x1F, 0x80-0x9F) light
// on dark. A character the font lacks is drawn from our own 8x8 table rather than shown wrong.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>

#include <cstdint>
#include <span>

#include "text/c64_charsets.h"

class QPainter;

class C64TextPainter {
  public:
    // Whether the Sixtyfour font is installed.
    static bool FontAvailable();

    explicit C64TextPainter(int cellSize);

    int cellSize() const { return cell_; }
    const QFont& font() const { return font_; }

    // Draws the bytes up to the first shifted space (0xA0, a name's padding) from left, top on.
    void Draw(QPainter& painter, QPoint topLeft, std::span<const std::uint8_t> bytes,
              kestrune::Charset charset, const QColor& ink, const QColor& paper) const;
    // The same as a picture of its own, on paper.
    QPixmap Picture(std::span<const std::uint8_t> bytes, kestrune::Charset charset,
                    const QColor& ink, const QColor& paper) const;
    // The characters Draw draws: up to the first shifted space.
    static std::size_t Length(std::span<const std::uint8_t> bytes);

  private:
    QFont font_;
    int cell_;
};
