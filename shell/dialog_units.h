// Dialog units: a template's coordinates in quarters of the dialog font's average character width
// and eighths of its height, so the window keeps its proportions with any font.
#pragma once

#include <QFont>
#include <QRect>

struct DialogBaseUnits {
    int x;  // average character width of the dialog font, in pixels
    int y;  // its height, in pixels
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// x * base.x / 4 and y * base.y / 8, rounded, for each edge.
QRect DialogRect(const DialogBaseUnits& base, int x, int y, int width, int height);
