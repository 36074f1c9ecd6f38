#pragma once

#include "ListRow.h"

#include <QFont>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QTableView>

class ListHeaderView;
class ListRowModel;
class QHeaderView;
class ReportRows;
class QItemSelection;

// Report list: columns, rows with sub-items and small images, optional check
// boxes. A click on a column header sorts the rows by that column (a second
// click on the same header flips the direction); the header is drawn in a
// font of its own with a mark on the sorted column; a picture may be tiled
// behind the rows. Rows are never sorted when they are added.
//
// A table without grid or row header: it keeps no item of its own per row, so that a list
// of a million rows lays out as fast as one of a hundred. Each row is drawn as one piece:
// one frame around the current row, the whole row lit under the mouse, and every row as
// tall as the first one needs.
class AddressListView : public QTableView
{
    Q_OBJECT

public:
    explicit AddressListView(QWidget *parent = nullptr);
    ~AddressListView() override;

    // The column header.
    QHeaderView *header() const;

    // The column of the last sort and the direction of the next comparison.
    int SortColumn = 0;
    bool SortAscending = false;

    // Font of the header captions. Written directly it shows at the next
    // repaint of the header; SetHeaderFont repaints at once.
    QFont HeaderFont;
    void SetHeaderFont(const QFont &font);

    // Picture tiled behind the rows; a null picture draws nothing.
    QPixmap BackPicture;
    void SetBackPicture(const QPixmap &picture);

    void addColumn(const QString &caption, int width);
    void clearColumns();

    // The list's own rows, shown unless other rows were set.
    ListRowModel *rows() const { return m_rows; }
    // Rows kept elsewhere take the list's place (null: its own again); the columns are
    // those of the rows set.
    void setReportRows(ReportRows *rows);
    ReportRows *reportRows() const { return m_model; }
    void setCheckBoxes(bool on);
    void setSmallImages(const QList<QIcon> &images);

    int selectedRow() const;
    void selectRow(int row);
    int rowAt(const QPoint &viewportPos) const;

    // The header click: the same column flips SortAscending, another column
    // becomes SortColumn with the direction unchanged; then the rows are sorted.
    void SortByColumn(int column);

    // Tooltip of the list, shown as plain text; empty shows none.
    void setHintText(const QString &text);
    QString hintText() const { return m_hintText; }

    static constexpr int HintDisplayMs = 60000;

    // The row under the mouse, lit as a whole where the style lights items; -1 for none.
    int hoverRow() const { return m_hoverRow; }

    void doItemsLayout() override;

Q_SIGNALS:
    void rowSelected(int row, bool selected);
    void keyReleased(int key);
    void mouseMovedTo(const QPoint &viewportPos);
    void doubleClickedAnywhere();
    void checkStateChanged(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void reportSelectionChange(const QItemSelection &selected, const QItemSelection &deselected);
    void tileBackPicture();
    bool showHint(const QPoint &viewportPos, const QPoint &globalPos);
    QRect rowRect(int row) const;
    void updateRow(int row);
    void keepTopRowAtTop();
    void drawCurrentRowFrame();
    void watchRows();
    void fitRowHeight();
    int rowHeightFor(int row) const;
    int typicalRowHeight() const;

    ListRowModel *m_rows;
    ReportRows *m_model;
    ListHeaderView *m_header;
    QString m_hintText;
    int m_hoverRow = -1;
    bool m_scrolledSideways = false;
    QList<QMetaObject::Connection> m_rowWatch;
};
