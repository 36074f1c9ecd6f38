#pragma once

#include <QString>

// A text quoted inside a message (a folder name, a value read from a file) is cut to
// `limit` characters and marked with "…", so that a huge value keeps the box small and
// quick to lay out. Shorter texts are returned unchanged. Header-only, like AppError, so
// that the data layer uses it without linking the widgets.
inline QString excerptForMessage(const QString &text, qsizetype limit = 200)
{
    if (text.size() <= limit)
        return text;
    qsizetype cut = limit;
    // Never split a surrogate pair: half a character would show as a replacement box.
    if (cut > 0 && text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}
