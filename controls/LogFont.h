#pragma once

#include <QString>

#include <cstdint>

class QFont;

namespace stubsetup {

// A logical font: the fields a control keeps to rebuild its font from. The
// label's font setters take these units (heights in pixels, negative for the
// character height; escapement and orientation in tenths of a degree), so
// the font is kept in them too and only turned into a QFont when drawn.
struct LogFont {
    static constexpr int kMaxFaceNameLength = 31;

    static constexpr std::uint8_t kDefaultCharSet = 1;
    static constexpr std::uint8_t kNonAntialiasedQuality = 3;
    static constexpr std::uint8_t kAntialiasedQuality = 4;
    static constexpr std::uint8_t kFixedPitch = 1;
    static constexpr std::uint8_t kVariablePitch = 2;
    static constexpr std::uint8_t kFamilyRoman = 0x10;
    static constexpr std::uint8_t kFamilySwiss = 0x20;
    static constexpr std::uint8_t kFamilyModern = 0x30;
    static constexpr std::uint8_t kFamilyScript = 0x40;
    static constexpr std::uint8_t kFamilyDecorative = 0x50;

    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = kDefaultCharSet;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName; // at most kMaxFaceNameLength characters, see setFaceName

    // Stores `name` cut to kMaxFaceNameLength characters, never inside a
    // surrogate pair: callers may rely on a face name that short.
    void setFaceName(const QString &name);

    // The font to draw with. Escapement is not part of a QFont: whoever draws
    // rotates the painter by it.
    QFont toQFont() const;

    // Describes `font` as shown on a screen of `dpiY` dots per inch.
    static LogFont fromQFont(const QFont &font, int dpiY);
};

} // namespace stubsetup
