#include "controls/LogFont.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace stubsetup {
namespace {

constexpr std::uint8_t kPitchMask = 0x03;
constexpr std::uint8_t kFamilyMask = 0xF0;

QFont::StyleHint styleHintOf(std::uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & kFamilyMask) {
    case LogFont::kFamilyRoman:
        return QFont::Serif;
    case LogFont::kFamilySwiss:
        return QFont::SansSerif;
    case LogFont::kFamilyModern:
        return QFont::Monospace;
    case LogFont::kFamilyScript:
        return QFont::Cursive;
    case LogFont::kFamilyDecorative:
        return QFont::Decorative;
    default:
        return QFont::AnyStyle;
    }
}

std::uint8_t familyOf(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif:
        return LogFont::kFamilyRoman;
    case QFont::SansSerif:
        return LogFont::kFamilySwiss;
    case QFont::Monospace:
    case QFont::TypeWriter:
        return LogFont::kFamilyModern;
    case QFont::Cursive:
        return LogFont::kFamilyScript;
    case QFont::Decorative:
        return LogFont::kFamilyDecorative;
    default:
        return 0;
    }
}

QFont::StyleStrategy styleStrategyOf(std::uint8_t quality)
{
    switch (quality) {
    case LogFont::kNonAntialiasedQuality:
        return QFont::NoAntialias;
    case LogFont::kAntialiasedQuality:
        return QFont::PreferAntialias;
    default:
        return QFont::PreferDefault;
    }
}

std::uint8_t qualityOf(QFont::StyleStrategy strategy)
{
    if (strategy & QFont::NoAntialias)
        return LogFont::kNonAntialiasedQuality;
    if (strategy & QFont::PreferAntialias)
        return LogFont::kAntialiasedQuality;
    return 0;
}

// Qt widens glyphs by a percentage; `width` is an average character width
// in pixels.
void applyAverageWidth(QFont &font, int width)
{
    const int naturalWidth = QFontMetrics(font).averageCharWidth();
    if (naturalWidth > 0)
        font.setStretch(std::clamp(width * 100 / naturalWidth, 1, 4000));
}

} // namespace

void LogFont::setFaceName(const QString &name)
{
    int length = std::min<int>(name.size(), kMaxFaceNameLength);
    if (length > 0 && length < name.size() && name.at(length - 1).isHighSurrogate())
        --length;
    faceName = name.left(length);
}

QFont LogFont::toQFont() const
{
    QFont font;
    if (!faceName.isEmpty())
        font.setFamily(faceName);
    // Qt sizes a font by its em; a positive (cell) height is taken as the em as
    // well, a few pixels of internal leading larger than asked.
    if (height != 0)
        font.setPixelSize(std::abs(height));
    font.setWeight(weight > 0 ? static_cast<QFont::Weight>(std::min(weight, 1000)) : QFont::Normal);
    font.setItalic(italic != 0);
    font.setUnderline(underline != 0);
    font.setStrikeOut(strikeOut != 0);
    font.setFixedPitch((pitchAndFamily & kPitchMask) == kFixedPitch);
    font.setStyleHint(styleHintOf(pitchAndFamily), styleStrategyOf(quality));
    if (width > 0)
        applyAverageWidth(font, width);
    return font;
}

LogFont LogFont::fromQFont(const QFont &font, int dpiY)
{
    LogFont description;
    description.height =
        font.pixelSize() > 0
            ? -font.pixelSize()
            : -static_cast<std::int32_t>(std::lround(font.pointSizeF() * dpiY / 72.0));
    description.weight = font.weight();
    description.italic = font.italic() ? 1 : 0;
    description.underline = font.underline() ? 1 : 0;
    description.strikeOut = font.strikeOut() ? 1 : 0;
    description.quality = qualityOf(font.styleStrategy());
    description.pitchAndFamily = static_cast<std::uint8_t>((font.fixedPitch() ? kFixedPitch : 0) |
                                                           familyOf(font.styleHint()));
    description.setFaceName(font.family());
    return description;
}

} // namespace stubsetup
