#pragma once

#include <QtGlobal>

class QWidget;

// Window opacity. The colour key and flags keep the classic layered-window shape of the
// call; only the alpha applies here. Returns false, changing nothing, where the platform
// cannot set a window's opacity (the offscreen platform).
constexpr quint32 LWA_COLORKEY = 1;
constexpr quint32 LWA_ALPHA = 2;
bool SetWindowLayered(QWidget *window, quint32 colorKey, quint8 alpha, quint32 flags);
