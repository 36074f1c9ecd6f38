#include "main/MainPictures.h"

#include "window/ToolPictures.h"

#include <QPixmapCache>

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
    QStringLiteral("node_computer"), QStringLiteral("node_crystal"),    QStringLiteral("node_binders"),
    QStringLiteral("node_binder"),   QStringLiteral("node_openfolder"),
};

// Each drawing is rendered once: every group's node shows the same two.
QPixmap pictureOf(const QString &name)
{
    const QString key = QStringLiteral("vestrane-main-") + name;
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = QIcon(resourcePath(name)).pixmap(PictureSize, PictureSize);
        QPixmapCache::insert(key, picture);
    }
    return picture;
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
    return ToolPictures::hotTracked(pictureOf(name));
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
