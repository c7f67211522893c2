// Build tool: draws the program's SVG icon at the given sizes into an icon
// resource folder (see framework/IconResource.h), so that the program shows
// its icon without parsing and drawing SVG at start.
// Usage: stubsetup-render-icon ICON.svg FOLDER SIZE [SIZE ...]
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool writePixels(const QImage &image, const QString &path)
{
    QFile file(path);
    const auto bytes = reinterpret_cast<const char *>(image.constBits());
    if (file.open(QIODevice::WriteOnly) &&
        file.write(bytes, image.sizeInBytes()) == image.sizeInBytes())
        return true;
    std::fprintf(stderr, "stubsetup-render-icon: cannot write %s: %s\n", qPrintable(path),
                 qPrintable(file.errorString()));
    return false;
}

QImage render(QSvgRenderer &renderer, int side)
{
    QImage image(side, side, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON.svg FOLDER SIZE [SIZE ...]\n", argv[0]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "stubsetup-render-icon: %s is not a valid SVG image\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "stubsetup-render-icon: cannot create %s\n", argv[2]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        bool isNumber = false;
        const int side = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        if (!isNumber || side <= 0) {
            std::fprintf(stderr, "stubsetup-render-icon: bad size %s\n", argv[i]);
            return 2;
        }
        if (!writePixels(render(renderer, side), folder.filePath(QString::number(side))))
            return 1;
    }
    return 0;
}
