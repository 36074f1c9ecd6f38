#include "main/MainPictures.h"

#include "window/SharedIcons.h"
#include "window/ToolPictures.h"

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

// One icon a drawing for the whole program: its rendered picture is kept with it, so
// every group's node does not render the same two drawings again.
QPixmap pictureOf(const QString &name)
{
    return SharedIcons::fromFile(resourcePath(name)).pixmap(PictureSize, PictureSize);
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
    const QPixmap drawing = SharedIcons::fromFile(resourcePath(QStringLiteral("band"))).pixmap(64, 32);
    return drawing.scaled(size.expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
