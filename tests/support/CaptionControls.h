#pragma once

// The controls of the program's windows, found by their object names (their members'
// names), for tests: `controls(window).closeButton`. A window that owns another
// window (the main window owns its editor and its import window) holds controls of the
// same names twice; only the controls of the window itself count. This header has the
// caption bar every window shares; WindowControls.h the program's windows.

#include "window/CaptionWindow.h"

#include <QLabel>
#include <QToolButton>

namespace WindowControlsDetail {

// The window an object belongs to: its nearest window ancestor that is not a popup menu.
inline const QObject *owningWindow(const QObject *object)
{
    for (; object; object = object->parent()) {
        const auto *widget = qobject_cast<const QWidget *>(object);
        if (widget && widget->isWindow() && widget->windowType() != Qt::Popup)
            return widget;
    }
    return nullptr;
}

} // namespace WindowControlsDetail

// The control of this type and name that belongs to the window; a missing control ends
// the test program, since every later step would fail for the wrong reason.
template <typename T>
T *controlOf(const QWidget &window, const char *name)
{
    for (T *found : window.findChildren<T *>(QLatin1String(name))) {
        if (WindowControlsDetail::owningWindow(found) == &window)
            return found;
    }
    qFatal("%s has no control named %s", window.metaObject()->className(), name);
    return nullptr;
}

struct CaptionControls
{
    explicit CaptionControls(const QWidget &w)
        : captionBar(controlOf<QWidget>(w, "captionBar")), captionIcon(controlOf<QLabel>(w, "captionIcon")),
          captionLabel(controlOf<QLabel>(w, "captionLabel")), captionButtons(controlOf<QWidget>(w, "captionButtons")),
          minimiseButton(controlOf<QToolButton>(w, "minimiseButton")),
          maximiseButton(controlOf<QToolButton>(w, "maximiseButton")),
          closeButton(controlOf<QToolButton>(w, "closeButton"))
    {}
    QWidget *captionBar;
    QLabel *captionIcon;
    QLabel *captionLabel;
    QWidget *captionButtons;
    QToolButton *minimiseButton;
    QToolButton *maximiseButton;
    QToolButton *closeButton;
};

inline CaptionControls controls(const CaptionWindow &w)
{
    return CaptionControls(w);
}
