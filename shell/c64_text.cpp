#include "shell/c64_text.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "text/c64_glyphs.h"

namespace {

constexpr auto kFontFamily = "C-64";
constexpr std::uint8_t kShiftedSpace = 0xA0;

}  // namespace

bool C64TextPainter::FontAvailable() {
    return QFontDatabase::families().contains(QLatin1String(kFontFamily));
}

C64TextPainter::C64TextPainter(int cellSize) : font_(QLatin1String(kFontFamily)), cell_(cellSize) {
    font_.setPixelSize(cellSize);
    font_.setStyleStrategy(QFont::NoFontMerging);
}

std::size_t C64TextPainter::Length(std::span<const std::uint8_t> bytes) {
    return static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), kShiftedSpace) -
                                    bytes.begin());
}

void C64TextPainter::Draw(QPainter& painter, QPoint topLeft, std::span<const std::uint8_t> bytes,
                          kestrune::Charset charset, const QColor& ink, const QColor& paper) const {
    const QFontMetrics metrics(font_);
    const std::array<char32_t, 256>& table = kestrune::C64CharsetTable(charset);
    painter.save();
    painter.setFont(font_);
    const std::size_t length = Length(bytes);
    for (std::size_t i = 0; i < length; ++i) {
        const QRect cell(topLeft.x() + static_cast<int>(i) * cell_, topLeft.y(), cell_, cell_);
        const bool reversed = kestrune::IsReversedPetscii(bytes[i]);
        const QColor& front = reversed ? paper : ink;
        if (reversed) painter.fillRect(cell, ink);
        const char32_t codePoint = table[bytes[i]];
        const auto own = kestrune::C64GlyphOf(codePoint);
        if (own && !metrics.inFontUcs4(codePoint)) {
            // Our drawing, each of its pixels an eighth of the cell.
            for (int row = 0; row < 8; ++row) {
                for (int column = 0; column < 8; ++column) {
                    if (((*own)[static_cast<std::size_t>(row)] >> (7 - column)) & 1) {
                        painter.fillRect(
                            QRect(cell.x() + column * cell_ / 8, cell.y() + row * cell_ / 8,
                                  (column + 1) * cell_ / 8 - column * cell_ / 8,
                                  (row + 1) * cell_ / 8 - row * cell_ / 8),
                            front);
                    }
                }
            }
        } else {
            painter.setPen(front);
            painter.drawText(cell, Qt::AlignCenter, QString::fromUcs4(&codePoint, 1));
        }
    }
    painter.restore();
}

QPixmap C64TextPainter::Picture(std::span<const std::uint8_t> bytes, kestrune::Charset charset,
                                const QColor& ink, const QColor& paper) const {
    QPixmap picture(std::max<int>(1, static_cast<int>(Length(bytes)) * cell_), cell_);
    picture.fill(paper);
    QPainter painter(&picture);
    Draw(painter, {0, 0}, bytes, charset, ink, paper);
    return picture;
}
