#include "ListHeaderView.h"

#include "AddressListView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionHeader>

namespace {
constexpr int CaptionLeft = 6;
constexpr int CaptionTop = 2;
constexpr int MarkGap = 15; // from the caption's end
constexpr int MarkWidth = 9;
constexpr int MarkHeight = 5;
constexpr int MarkRightMargin = 4; // kept free at the section's right edge
constexpr int CaptionToMark = 2; // at least, between a shortened caption and the mark
} // namespace

ListHeaderView::ListHeaderView(AddressListView *list) : QHeaderView(Qt::Horizontal, list), m_list(list)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ListHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    drawSectionFrame(painter, rect, logicalIndex);

    const QString text = caption(logicalIndex);
    const QFontMetrics metrics(m_list->HeaderFont);
    const bool sorted = logicalIndex == m_list->SortColumn;
    const int markLeft = sorted ? sortMarkLeft(rect, metrics.horizontalAdvance(text)) : rect.right();

    // A narrow section gives the mark precedence: a caption that would run under it is
    // shortened with an ellipsis, and nothing is drawn beyond the section.
    const int captionRoom = markLeft - rect.left() - CaptionLeft - CaptionToMark;
    const QString shown = sorted && metrics.horizontalAdvance(text) > captionRoom
        ? metrics.elidedText(text, Qt::ElideRight, qMax(0, captionRoom))
        : text;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setFont(m_list->HeaderFont);
    painter->setPen(palette().color(QPalette::WindowText));
    painter->setBackgroundMode(Qt::TransparentMode);
    painter->drawText(QPoint(rect.left() + CaptionLeft, rect.top() + CaptionTop + metrics.ascent()), shown);
    painter->restore();

    if (sorted)
        drawSortMark(painter, rect, markLeft);
}

// Behind the caption, but never beyond the section's right edge.
int ListHeaderView::sortMarkLeft(const QRect &rect, int captionWidth)
{
    const int afterCaption = rect.left() + captionWidth + MarkGap;
    const int lastFitting = rect.right() - MarkRightMargin - MarkWidth + 1;
    return qMax(rect.left() + 1, qMin(afterCaption, lastFitting));
}

// The section's button face comes from the style, without text or indicator.
void ListHeaderView::drawSectionFrame(QPainter *painter, const QRect &rect, int logicalIndex) const
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

// A solid triangle in the caption's colour, pointing up for an ascending order and down
// for a descending one, centred on the section's height.
void ListHeaderView::drawSortMark(QPainter *painter, const QRect &rect, int left) const
{
    const int top = rect.top() + (rect.height() - MarkHeight) / 2;
    const int bottom = top + MarkHeight - 1;
    const int right = left + MarkWidth - 1;
    const int apexX = left + MarkWidth / 2;
    QPolygon triangle;
    if (m_list->SortAscending)
        triangle << QPoint(left, bottom) << QPoint(right, bottom) << QPoint(apexX, top);
    else
        triangle << QPoint(left, top) << QPoint(right, top) << QPoint(apexX, bottom);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QColor colour = palette().color(QPalette::WindowText);
    painter->setPen(colour);
    painter->setBrush(colour);
    painter->drawPolygon(triangle);
    painter->restore();
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
