// Draws an SVG picture at one size, for screens of scale 1 and 2, the way the program's SVG
// icons draw it (Qt's SVG icon engine), into files of its pixels:
//   vestrane_draw_pictures PICTURE.svg WIDTHxHEIGHT OUT   ->  OUT.argb and OUT@2x.argb
// The windows show these copies instead of reading the drawings at start (see
// SharedIcons::fromFile): reading an SVG file costs more than the rest of a small picture's
// work, and reading a PNG file makes Qt load every picture format plug-in first.
//
// A file holds the width and the height (32-bit, little-endian), then the rows of premultiplied
// 32-bit ARGB pixels in this machine's byte order, as QImage keeps them: the program reads the
// copies made by the build of the same machine.
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QtEndian>

#include <cstdio>

namespace {

bool writePixels(const QImage &image, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const quint32 size[2] = {qToLittleEndian(quint32(image.width())), qToLittleEndian(quint32(image.height()))};
    bool written = file.write(reinterpret_cast<const char *>(size), sizeof size) == qint64(sizeof size);
    const qint64 rowBytes = qint64(image.width()) * 4;
    for (int row = 0; written && row < image.height(); ++row)
        written = file.write(reinterpret_cast<const char *>(image.constScanLine(row)), rowBytes) == rowBytes;
    return written && file.flush();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PICTURE.svg WIDTHxHEIGHT OUT\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString svg = QString::fromLocal8Bit(argv[1]);
    const QStringList size = QString::fromLatin1(argv[2]).split(QLatin1Char('x'));
    const QString out = QString::fromLocal8Bit(argv[3]);
    const QSize designSize(size.value(0).toInt(), size.value(1).toInt());
    if (!QFile::exists(svg) || designSize.isEmpty()) {
        std::fprintf(stderr, "%s: no picture %s at %s\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    const QIcon icon(svg);
    for (const int scale : {1, 2}) {
        // Asked at a ratio of 1, the icon draws the pixels a screen of this scale shows.
        const QImage picture =
            icon.pixmap(designSize * scale, 1.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QString file = out + (scale == 1 ? QStringLiteral(".argb") : QStringLiteral("@2x.argb"));
        if (picture.size() != designSize * scale || !writePixels(picture, file)) {
            std::fprintf(stderr, "%s: cannot draw %s into %s\n", argv[0], argv[1], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
