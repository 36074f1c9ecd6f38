#include "platform/PlainHint.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStringList>
#include <QTextLayout>
#include <QToolTip>
#include <QWidget>

namespace {

// Room the tooltip's frame and margins take beside the text.
constexpr int TipFrameRoom = 16;

QStringList breakToWidth(const QString &line, const QFont &font, int maxWidth)
{
    QTextLayout layout(line, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList parts;
    layout.beginLayout();
    for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
        row.setLineWidth(maxWidth);
        parts << line.mid(row.textStart(), row.textLength());
    }
    layout.endLayout();
    return parts;
}

} // namespace

QString PlainHint::asRichText(const QString &text, const QWidget *widget)
{
    const QScreen *screen = widget ? widget->screen() : nullptr;
    const int screenWidth = screen ? screen->availableGeometry().width() : 0;
    return asRichText(text, QToolTip::font(), screenWidth - TipFrameRoom);
}

QString PlainHint::asRichText(QString text, const QFont &font, int maxLineWidth)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (maxLineWidth > 0) {
        const QFontMetrics metrics(font);
        QStringList lines = text.split(QLatin1Char('\n'));
        for (QString &line : lines) {
            if (metrics.horizontalAdvance(line) > maxLineWidth)
                line = breakToWidth(line, font, maxLineWidth).join(QLatin1Char('\n'));
        }
        text = lines.join(QLatin1Char('\n'));
    }
    // "pre" keeps blanks and line feeds and never breaks a line by itself.
    return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
