#include "main/MainPictures.h"

#include <QImage>

// Registers the pictures of this static library (outside any namespace, as
// Q_INIT_RESOURCE requires).
static void initMainResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(main);
        done = true;
    }
}

namespace {

constexpr int PictureSize = 16;

QString resourcePath(const QString &name)
{
    initMainResources();
    return QStringLiteral(":/main/%1.svg").arg(name);
}

const QStringList smallImageNames = {
    QStringLiteral("node_computer"), QStringLiteral("node_crystal"), QStringLiteral("node_binders"),
    QStringLiteral("node_binder"), QStringLiteral("node_openfolder"),
};

QPixmap pictureOf(const QString &name)
{
    return QIcon(resourcePath(name)).pixmap(PictureSize, PictureSize);
}

// The picture at rest: colours pulled two thirds of the way toward their grey, as flat
// toolbars show their buttons until the mouse comes over them.
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

QList<QIcon> MainPictures::smallImages()
{
    QList<QIcon> images;
    for (const QString &name : smallImageNames)
        images << QIcon(pictureOf(name));
    return images;
}

QIcon MainPictures::nodeIcon(int image, int selectedImage)
{
    QIcon icon;
    icon.addPixmap(pictureOf(smallImageNames.value(image)), QIcon::Normal);
    icon.addPixmap(pictureOf(smallImageNames.value(selectedImage)), QIcon::Selected);
    return icon;
}

QIcon MainPictures::toolButtonIcon(const QString &name)
{
    const QPixmap hot = pictureOf(name);
    QIcon icon;
    icon.addPixmap(subdued(hot), QIcon::Normal, QIcon::Off);
    icon.addPixmap(subdued(hot), QIcon::Normal, QIcon::On);
    icon.addPixmap(hot, QIcon::Active, QIcon::Off);
    icon.addPixmap(hot, QIcon::Active, QIcon::On);
    return icon;
}

QIcon MainPictures::tabImage(int index)
{
    return QIcon(pictureOf(index == 0 ? QStringLiteral("tab_contents") : QStringLiteral("tab_search")));
}

QPixmap MainPictures::bandPicture(const QSize &size)
{
    const QPixmap drawing = QIcon(resourcePath(QStringLiteral("band"))).pixmap(64, 32);
    return drawing.scaled(size.expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
