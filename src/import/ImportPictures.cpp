#include "import/ImportPictures.h"

#include "window/SharedIcons.h"
#include "window/ToolPictures.h"

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

} // namespace

QIcon ImportPictures::toolButtonIcon(const QString &name)
{
    // Made once: the import window is made anew for each use.
    return SharedIcons::cached(QStringLiteral("import/tool/") + name, [&name] {
        return ToolPictures::hotTracked(SharedIcons::fromFile(resourcePath(name)).pixmap(PictureSize, PictureSize));
    });
}

QPixmap ImportPictures::bandTile(int height)
{
    return SharedIcons::fromFile(resourcePath(QStringLiteral("band"))).pixmap(64, qMax(1, height));
}

QIcon ImportPictures::duplicateIcon()
{
    return SharedIcons::cached(QStringLiteral("import/duplicate"),
                               [] { return SharedIcons::fromFile(resourcePath(QStringLiteral("duplicate"))); });
}
