#include "framework/DialogUnits.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace stubsetup {
namespace {

TEST(DialogUnitsTest, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(10, 7, 4), 18); // 17.5
    EXPECT_EQ(MulDiv(9, 7, 4), 16);  // 15.75
    EXPECT_EQ(MulDiv(11, 7, 4), 19); // 19.25
    EXPECT_EQ(MulDiv(-10, 7, 4), -18);
    EXPECT_EQ(MulDiv(10, 7, -4), -18);
    EXPECT_EQ(MulDiv(1 << 20, 1 << 20, 1 << 10), 1 << 30); // no overflow in between
}

TEST(DialogUnitsTest, ConvertsFromAFixedPitchFontsLetterWidthAndHeight)
{
    // In a fixed-pitch face every letter is as wide as the average.
    QFont font("DejaVu Sans Mono");
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    ASSERT_TRUE(QFontInfo(font).fixedPitch());

    const DialogBaseUnits units = DialogBaseUnits::ofFont(font);
    EXPECT_EQ(units.averageCharWidth, metrics.horizontalAdvance(QLatin1Char('x')));
    EXPECT_EQ(units.charHeight, metrics.height());

    const DialogBaseUnits known{7, 16};
    EXPECT_EQ(known.toPixels(10, 7, 50, 14), QRect(18, 14, 88, 28));
    EXPECT_EQ(known.toPixelsY(3), 6);

    font.setPixelSize(26);
    const DialogBaseUnits larger = DialogBaseUnits::ofFont(font);
    EXPECT_GT(larger.averageCharWidth, units.averageCharWidth);
    EXPECT_GT(larger.charHeight, units.charHeight);
}

} // namespace
} // namespace stubsetup
