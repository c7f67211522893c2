#pragma once

#include <QRect>

class QFont;

namespace stubsetup {

// Rounds a * b / c to the nearest integer, halves away from zero; every
// template coordinate goes through it, so neighbouring controls' edges meet
// where the same arithmetic puts them. c must not be 0.
int MulDiv(int a, int b, int c);

// The pixels behind dialog units for one dialog font: a horizontal unit is a
// quarter of the average letter width, a vertical unit an eighth of the
// font's height.
struct DialogBaseUnits {
    int averageCharWidth = 0;
    int charHeight = 0;

    static DialogBaseUnits ofFont(const QFont &font);

    int toPixelsX(int dialogUnits) const;
    int toPixelsY(int dialogUnits) const;
    QRect toPixels(int x, int y, int width, int height) const;
};

} // namespace stubsetup
