#include "window/WindowLayer.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

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
    if (!window)
        return false;
    // The widget keeps the opacity also where the platform cannot show it, so that the
    // window reports what it was given.
    if (flags & LWA_ALPHA)
        window->setWindowOpacity(alpha / 255.0);
    return platformHasOpacity();
}

void SetWindowStaysOnTop(QWidget *window, bool onTop)
{
    if (!window || WindowStaysOnTop(window) == onTop)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    QWindow *native = window->windowHandle();
    if (!native) {
        window->setWindowFlags(flags);
        return;
    }
    // Keeps the widget's record of its flags in step without re-creating the window.
    window->overrideWindowFlags(flags);
    native->setFlags(flags);
}

bool WindowStaysOnTop(const QWidget *window)
{
    return window && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}
