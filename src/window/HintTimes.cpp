#include "window/HintTimes.h"

#include "platform/PlainHint.h"
#include "window/SharedIcons.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace {

int hintDelay = 700;
int hintDisplay = 10000;

class HintStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return hintDelay;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    // Qt's own pictures are picture files, and the first one read makes Qt load every
    // picture format plug-in to ask which one reads it. The main window asks for two (the
    // tool bar's extension arrow and the search button's mark) that its first screen never
    // draws; they are read when first drawn.
    QIcon standardIcon(StandardPixmap picture, const QStyleOption *option, const QWidget *widget) const override
    {
        if (picture != SP_ToolBarHorizontalExtensionButton && picture != SP_ToolBarVerticalExtensionButton
            && picture != SP_DialogOkButton)
            return QProxyStyle::standardIcon(picture, option, widget);
        return SharedIcons::deferred(
            [base = QPointer<QStyle>(baseStyle()), picture] { return base ? base->standardIcon(picture) : QIcon(); });
    }
};

// Shows the hint of any widget with a hint text for the configured display time; hints
// are plain text, broken only at their line feeds.
class HintFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->toolTip().isEmpty())
            return false;
        auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), PlainHint::asRichText(widget->toolTip(), widget), widget, QRect(),
                           hintDisplay);
        return true;
    }
};

} // namespace

void HintTimes::install()
{
    static bool installed = false;
    if (installed || !qApp)
        return;
    installed = true;
    qApp->setStyle(new HintStyle);
    qApp->installEventFilter(new HintFilter(qApp));
}

void HintTimes::apply(int delayMs, int displayMs)
{
    hintDelay = delayMs;
    hintDisplay = displayMs;
    install();
}

int HintTimes::delay()
{
    return hintDelay;
}

int HintTimes::displayTime()
{
    return hintDisplay;
}
