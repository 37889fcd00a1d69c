#include "shell/dialog_units.h"

#include <QFontMetrics>

namespace {

int MulDiv(int value, int numerator, int denominator) {
    return static_cast<int>((static_cast<long long>(value) * numerator * 2 + denominator) /
                            (2 * denominator));
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogRect(const DialogBaseUnits& base, int x, int y, int width, int height) {
    const int left = MulDiv(x, base.x, 4);
    const int top = MulDiv(y, base.y, 8);
    const int right = MulDiv(x + width, base.x, 4);
    const int bottom = MulDiv(y + height, base.y, 8);
    return QRect(left, top, right - left, bottom - top);
}
