#pragma once

#include <QtGlobal>

class QWidget;

// Window opacity. The colour key and flags keep the classic layered-window shape of the
// call; only the alpha applies here. Returns false where the platform cannot show a
// window's opacity (the offscreen platform); the widget still records the value.
constexpr quint32 LWA_COLORKEY = 1;
constexpr quint32 LWA_ALPHA = 2;
bool SetWindowLayered(QWidget *window, quint32 colorKey, quint8 alpha, quint32 flags);

// Stacking: whether the window stays above the windows of other programs. The change is
// made on the native window, which keeps its opacity and its normal geometry (changing the
// widget's flag would re-create the native window and lose both); before the window
// exists the flag simply applies when it is created.
void SetWindowStaysOnTop(QWidget *window, bool onTop);
bool WindowStaysOnTop(const QWidget *window);
