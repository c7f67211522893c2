#pragma once

#include <QColor>

#include <cstdint>

namespace stubsetup {

// A colour as the controls' interface carries it: 0x00BBGGRR.
using COLORREF = std::uint32_t;

inline constexpr COLORREF makeColorref(int red, int green, int blue)
{
    return static_cast<COLORREF>(red & 0xFF) | static_cast<COLORREF>(green & 0xFF) << 8 |
           static_cast<COLORREF>(blue & 0xFF) << 16;
}

inline QColor toQColor(COLORREF color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

inline COLORREF toColorref(const QColor &color)
{
    return makeColorref(color.red(), color.green(), color.blue());
}

} // namespace stubsetup
