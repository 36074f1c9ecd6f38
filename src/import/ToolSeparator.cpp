#include "import/ToolSeparator.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

ToolSeparator::ToolSeparator(int width, QWidget *parent) : QWidget(parent)
{
    setFixedWidth(width);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void ToolSeparator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal; // a horizontal bar draws an upright line
    style()->drawPrimitive(QStyle::PE_IndicatorToolBarSeparator, &option, &painter, this);
}
