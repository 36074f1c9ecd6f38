#include "ListHeaderView.h"

#include "TListView1.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionHeader>

namespace {
constexpr int CaptionLeft = 6;
constexpr int CaptionTop = 2;
constexpr int MarkGap = 15;
constexpr int MarkWidth = 8;
constexpr int MarkInset = 5;
} // namespace

ListHeaderView::ListHeaderView(TListView1* list)
    : QHeaderView(Qt::Horizontal, list), m_list(list)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ListHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    drawSectionFrame(painter, rect, logicalIndex);

    const QString text = caption(logicalIndex);
    painter->setFont(m_list->HeaderFont);
    painter->setPen(palette().color(QPalette::WindowText));
    painter->setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics metrics(m_list->HeaderFont);
    painter->drawText(QPoint(rect.left() + CaptionLeft, rect.top() + CaptionTop + metrics.ascent()),
                      text);

    if (logicalIndex == m_list->SortColumn)
        drawSortMark(painter, rect, metrics.horizontalAdvance(text));
}

// The section's button face comes from the style, without text or indicator.
void ListHeaderView::drawSectionFrame(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.state |= QStyle::State_Raised;
    if (isEnabled())
        option.state |= QStyle::State_Enabled;
    option.sortIndicator = QStyleOptionHeader::None;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
}

// Three strokes: a lit edge and a shaded edge, as a raised triangle.
void ListHeaderView::drawSortMark(QPainter* painter, const QRect& rect, int captionWidth) const
{
    const QColor lit = palette().color(QPalette::Light);
    const QColor shaded = palette().color(QPalette::Dark);
    const int x = rect.left() + captionWidth + MarkGap;
    const int top = rect.top() + MarkInset;
    const int bottom = rect.top() + rect.height() - MarkInset;

    auto stroke = [painter](const QColor& colour, QPoint from, QPoint to) {
        painter->setPen(colour);
        painter->drawLine(from, to);
    };
    if (m_list->SortAscending) {
        const QPoint start(x, bottom);
        const QPoint right(x + MarkWidth, bottom);
        const QPoint apex(x + MarkWidth / 2, top);
        stroke(lit, start, right);
        stroke(lit, right, apex);
        stroke(shaded, apex, start);
    } else {
        const QPoint start(x, top);
        const QPoint right(x + MarkWidth, top);
        const QPoint apex(x + MarkWidth / 2, bottom);
        stroke(shaded, start, right);
        stroke(lit, right, apex);
        stroke(shaded, apex, start);
    }
}

QSize ListHeaderView::sectionSizeFromContents(int logicalIndex) const
{
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    const QFontMetrics metrics(m_list->HeaderFont);
    size.setHeight(qMax(size.height(), metrics.height() + 2 * CaptionTop + 4));
    return size;
}

QString ListHeaderView::caption(int logicalIndex) const
{
    if (!model())
        return {};
    return model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
}
