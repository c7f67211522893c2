#include "framework/IconResource.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace stubsetup {
namespace {

constexpr int kBytesPerPixel = 4;

QImage readSquareImage(const QString &path, int side)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pixels = file.readAll();
    const qsizetype bytesPerLine = qsizetype(side) * kBytesPerPixel;
    if (pixels.size() != bytesPerLine * side)
        return {};
    // The image only borrows the bytes, so it is copied before they go.
    return QImage(reinterpret_cast<const uchar *>(pixels.constData()), side, side, bytesPerLine,
                  QImage::Format_RGBA8888_Premultiplied)
        .copy();
}

} // namespace

QIcon loadIconResource(const QString &folder)
{
    QIcon icon;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files)) {
        bool isNumber = false;
        const int side = name.toInt(&isNumber);
        if (!isNumber || side <= 0)
            continue;
        const QImage image = readSquareImage(dir.filePath(name), side);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace stubsetup
