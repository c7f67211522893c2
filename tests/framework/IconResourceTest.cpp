#include "framework/IconResource.h"

#include "TestSupport.h"

#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

namespace stubsetup {
namespace {

TEST(IconResourceTest, ReadsEachSquareNamedByItsSideAndSkipsTheRest)
{
    const test::TempFolder folder;
    const std::string opaqueRed("\xff\x00\x00\xff", 4);
    const std::string fourOpaqueRedPixels = opaqueRed + opaqueRed + opaqueRed + opaqueRed;
    test::WriteFile(folder / "2", fourOpaqueRedPixels);
    test::WriteFile(folder / "3", fourOpaqueRedPixels); // too short for 3 x 3
    test::WriteFile(folder / "icon", fourOpaqueRedPixels);
    test::WriteFile(folder / "0");

    const QIcon icon = loadIconResource(QString::fromStdString(folder.path()));
    EXPECT_EQ(icon.availableSizes(), QList<QSize>({QSize(2, 2)}));
    const QImage image = icon.pixmap(2, 2).toImage();
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::red));

    EXPECT_TRUE(loadIconResource(QString::fromStdString(folder / "missing")).isNull());
}

} // namespace
} // namespace stubsetup
