#pragma once

#include <QString>

// Hints are plain texts whose lines are separated by line feeds (or carriage returns).
// A tooltip wraps a plain text to a width of its own choosing, inside words and
// addresses; this gives the rich text that shows the same characters, escaped, with a
// break only where the text has one.
namespace PlainHint {

inline QString asRichText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // "pre" keeps blanks and line feeds and never breaks a line by itself.
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace PlainHint
