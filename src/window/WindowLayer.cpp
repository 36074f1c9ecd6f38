#include "window/WindowLayer.h"

#include <QGuiApplication>
#include <QWidget>

namespace {

bool platformHasOpacity()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

bool SetWindowLayered(QWidget *window, quint32 colorKey, quint8 alpha, quint32 flags)
{
    Q_UNUSED(colorKey);
    if (!window || !platformHasOpacity())
        return false;
    if (flags & LWA_ALPHA)
        window->setWindowOpacity(alpha / 255.0);
    return true;
}
