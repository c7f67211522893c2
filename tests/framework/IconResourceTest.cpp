#include "framework/IconResource.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace stubsetup {
namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

TEST(IconResourceTest, ReadsEachSquareNamedByItsSideAndSkipsTheRest)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray opaqueRed("\xff\x00\x00\xff", 4);
    writeFile(folder.filePath("2"), opaqueRed.repeated(4));
    writeFile(folder.filePath("3"), opaqueRed.repeated(4)); // too short for 3 x 3
    writeFile(folder.filePath("icon"), opaqueRed.repeated(4));
    writeFile(folder.filePath("0"), QByteArray());

    const QIcon icon = loadIconResource(folder.path());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>({QSize(2, 2)}));
    const QImage image = icon.pixmap(2, 2).toImage();
    EXPECT_EQ(image.pixelColor(1, 1), QColor(Qt::red));

    EXPECT_TRUE(loadIconResource(folder.filePath("missing")).isNull());
}

} // namespace
} // namespace stubsetup
