#include "framework/DialogUnits.h"

#include <QFont>
#include <QFontMetrics>

#include <cstdint>
#include <cstdlib>

namespace stubsetup {

int MulDiv(int a, int b, int c)
{
    const std::int64_t numerator = std::int64_t(a) * b;
    const std::int64_t divisor = c;
    const std::int64_t magnitude =
        (std::llabs(numerator) + std::llabs(divisor) / 2) / std::llabs(divisor);
    return int((numerator < 0) != (divisor < 0) ? -magnitude : magnitude);
}

DialogBaseUnits DialogBaseUnits::ofFont(const QFont &font)
{
    static const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const QFontMetrics metrics(font);
    // The width of all 52 letters over 52, rounded to the nearest pixel.
    const int average = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return DialogBaseUnits{average, metrics.height()};
}

int DialogBaseUnits::toPixelsX(int dialogUnits) const
{
    return MulDiv(dialogUnits, averageCharWidth, 4);
}

int DialogBaseUnits::toPixelsY(int dialogUnits) const
{
    return MulDiv(dialogUnits, charHeight, 8);
}

QRect DialogBaseUnits::toPixels(int x, int y, int width, int height) const
{
    return QRect(toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height));
}

} // namespace stubsetup
