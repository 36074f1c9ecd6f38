#include "window/ToolPictures.h"

#include <QImage>

QPixmap ToolPictures::subdued(const QPixmap &picture)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int grey = qGray(pixel);
            auto mix = [grey](int channel) { return (channel + 2 * grey) / 3; };
            line[x] = qRgba(mix(qRed(pixel)), mix(qGreen(pixel)), mix(qBlue(pixel)), qAlpha(pixel));
        }
    }
    return QPixmap::fromImage(image);
}

QIcon ToolPictures::hotTracked(const QPixmap &hot)
{
    const QPixmap rest = subdued(hot);
    QIcon icon;
    for (QIcon::State state : {QIcon::Off, QIcon::On}) {
        icon.addPixmap(rest, QIcon::Normal, state);
        icon.addPixmap(hot, QIcon::Active, state);
    }
    return icon;
}
