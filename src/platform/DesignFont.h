#pragma once

#include <QFont>

// The font of the window designs ("MS Sans Serif" at a pixel height); where that face is
// missing, as on most Linux desktops, the system's sans-serif face stands in.
inline QFont designFont(int pixelSize = 11)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}
