#pragma once

#include <QHeaderView>

class AddressListView;

// Header of the report list. It draws each section itself: the caption in the
// list's HeaderFont and, on the sorted column, a small solid triangle that
// points up for an ascending and down for a descending order, inside the section
// however narrow it is. A click on a section sorts the list by that column.
class ListHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit ListHeaderView(AddressListView *list);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    void drawSectionFrame(QPainter *painter, const QRect &rect, int logicalIndex) const;
    void drawSortMark(QPainter *painter, const QRect &rect, int left) const;
    static int sortMarkLeft(const QRect &rect, int captionWidth);
    QString caption(int logicalIndex) const;

    AddressListView *m_list;
};
