#pragma once

#include <QString>

class QFont;
class QWidget;

// Hints are plain texts whose lines are separated by line feeds (or carriage returns).
// A tooltip wraps a plain text at a width of its own choosing, inside words and
// addresses; these give the rich text that shows the same characters, escaped, breaking
// a line only where the text has a line feed, or where the line could not be read
// otherwise because it is wider than the screen.
namespace PlainHint {

// For a hint of the widget: lines are kept within the width of the widget's screen.
QString asRichText(const QString &text, const QWidget *widget);
// Lines wider than maxLineWidth pixels in the font are broken, at a word boundary where
// there is one.
QString asRichText(QString text, const QFont &font, int maxLineWidth);

} // namespace PlainHint
