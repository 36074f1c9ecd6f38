#include "import/ImportPictures.h"

#include <QImage>

// Registers the pictures of this static library (outside any namespace, as
// Q_INIT_RESOURCE requires).
static void initImportResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(import);
        done = true;
    }
}

namespace {

constexpr int PictureSize = 16;

QString resourcePath(const QString &name)
{
    initImportResources();
    return QStringLiteral(":/import/%1.svg").arg(name);
}

// Colours pulled two thirds of the way toward their grey: a flat tool bar shows its
// buttons like this until the mouse comes over them.
QPixmap subdued(const QPixmap &picture)
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

} // namespace

QIcon ImportPictures::toolButtonIcon(const QString &name)
{
    const QPixmap hot = QIcon(resourcePath(name)).pixmap(PictureSize, PictureSize);
    const QPixmap rest = subdued(hot);
    QIcon icon;
    for (QIcon::State state : {QIcon::Off, QIcon::On}) {
        icon.addPixmap(rest, QIcon::Normal, state);
        icon.addPixmap(hot, QIcon::Active, state);
    }
    return icon;
}

QPixmap ImportPictures::bandTile(int height)
{
    return QIcon(resourcePath(QStringLiteral("band"))).pixmap(64, qMax(1, height));
}
