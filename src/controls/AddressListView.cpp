#include "AddressListView.h"

#include "ListHeaderView.h"
#include "ListRowModel.h"
#include "platform/DesignFont.h"
#include "platform/PlainHint.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

namespace {

// First coordinate of a run of tiles that starts at `start` and steps by
// `step`, skipping the tiles that lie wholly before 0.
int firstVisibleTile(int start, int step)
{
    if (start >= 0)
        return start;
    const int skipped = (-start) / step;
    return start + skipped * step;
}

} // namespace

AddressListView::AddressListView(QWidget *parent)
    : QTreeView(parent), HeaderFont(designFont(11)), m_rows(new ListRowModel(this)), m_model(m_rows),
      m_header(new ListHeaderView(this))
{
    setHeader(m_header);
    setModel(m_rows);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    m_header->setSectionsClickable(true); // turned off by setSortingEnabled(false)
    setMouseTracking(true);
    setIconSize(QSize(16, 16));

    connect(m_header, &QHeaderView::sectionClicked, this, &AddressListView::SortByColumn);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &AddressListView::reportSelectionChange);
    connect(m_rows, &ListRowModel::checkStateChanged, this, &AddressListView::checkStateChanged);
}

void AddressListView::setReportRows(ReportRows *rows)
{
    m_model = rows ? rows : m_rows;
    setModel(m_model);
    // The view made a new selection model for the new rows.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &AddressListView::reportSelectionChange);
}

AddressListView::~AddressListView() = default;

void AddressListView::SetHeaderFont(const QFont &font)
{
    if (&font == &HeaderFont)
        return;
    HeaderFont = font;
    // The header measures its height anew on a font change of its own.
    QEvent fontChange(QEvent::FontChange);
    QCoreApplication::sendEvent(m_header->viewport(), &fontChange);
    m_header->viewport()->update();
}

void AddressListView::SetBackPicture(const QPixmap &picture)
{
    if (&picture == &BackPicture)
        return;
    BackPicture = picture;
    viewport()->update();
}

void AddressListView::addColumn(const QString &caption, int width)
{
    m_model->appendColumn(caption);
    m_header->resizeSection(m_model->columnCount() - 1, width);
}

void AddressListView::clearColumns()
{
    m_model->setColumnCaptions({});
}

void AddressListView::setCheckBoxes(bool on)
{
    m_model->setCheckable(on);
}

void AddressListView::setSmallImages(const QList<QIcon> &images)
{
    m_model->setImages(images);
}

int AddressListView::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void AddressListView::selectRow(int row)
{
    if (row < 0 || row >= m_model->count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

int AddressListView::rowAt(const QPoint &viewportPos) const
{
    if (!viewport()->rect().contains(viewportPos) || m_model->columnCount() == 0)
        return -1;
    // Right of the last column a point still lies on its row.
    const int rowsRight = m_header->length() - m_header->offset();
    QPoint probe = viewportPos;
    if (probe.x() >= rowsRight)
        probe.setX(rowsRight - 1);
    const QModelIndex index = indexAt(probe);
    return index.isValid() ? index.row() : -1;
}

void AddressListView::SortByColumn(int column)
{
    if (column == SortColumn)
        SortAscending = !SortAscending;
    else
        SortColumn = column;
    m_model->sortRows(column, SortAscending);
    m_header->viewport()->update();
}

void AddressListView::setHintText(const QString &text)
{
    m_hintText = text;
}

void AddressListView::reportSelectionChange(const QItemSelection &selected, const QItemSelection &deselected)
{
    // A row losing the selection is reported before the row gaining it.
    for (const QModelIndex &index : deselected.indexes()) {
        if (index.column() == 0)
            Q_EMIT rowSelected(index.row(), false);
    }
    for (const QModelIndex &index : selected.indexes()) {
        if (index.column() == 0)
            Q_EMIT rowSelected(index.row(), true);
    }
}

void AddressListView::paintEvent(QPaintEvent *event)
{
    if (!BackPicture.isNull() && BackPicture.width() > 0 && BackPicture.height() > 0)
        tileBackPicture();
    QTreeView::paintEvent(event);
}

// Tiles start at the first row, two pixels above its top, so that they move
// with the rows when the list scrolls.
void AddressListView::tileBackPicture()
{
    int left = 0;
    int top = 0;
    if (m_model->count() > 0) {
        const QRect first = rowRect(0);
        left = first.left();
        top = first.top() - 2;
    }
    const int width = BackPicture.width();
    const int height = BackPicture.height();
    const QRect area = viewport()->rect();

    QPainter painter(viewport());
    for (int y = firstVisibleTile(top, height); y <= area.height(); y += height) {
        for (int x = firstVisibleTile(left, width); x <= area.width(); x += width)
            painter.drawPixmap(x, y, BackPicture);
    }
}

QRect AddressListView::rowRect(int row) const
{
    const QRect cell = visualRect(m_model->index(row, 0));
    return QRect(-m_header->offset(), cell.top(), m_header->length(), cell.height());
}

bool AddressListView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (!showHint(help->pos(), help->globalPos()))
            event->ignore();
        return true;
    }
    return QTreeView::viewportEvent(event);
}

bool AddressListView::showHint(const QPoint &viewportPos, const QPoint &globalPos)
{
    if (m_hintText.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    // Bound to the row under the mouse, so that the tip is asked for again on
    // the next row, whose hint text may differ.
    const int row = rowAt(viewportPos);
    const QRect area = row >= 0 ? rowRect(row) : QRect();
    QToolTip::showText(globalPos, PlainHint::asRichText(m_hintText, viewport()), viewport(), area, HintDisplayMs);
    return true;
}

void AddressListView::keyPressEvent(QKeyEvent *event)
{
    // Space toggles the check box of the current row whichever cell has focus.
    const int row = currentIndex().row();
    if (event->key() == Qt::Key_Space && m_model->isCheckable() && row >= 0 && event->modifiers() == Qt::NoModifier) {
        m_model->setChecked(row, !m_model->isChecked(row));
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void AddressListView::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyReleased(event->key());
}

void AddressListView::mouseMoveEvent(QMouseEvent *event)
{
    QTreeView::mouseMoveEvent(event);
    Q_EMIT mouseMovedTo(event->position().toPoint());
}

void AddressListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClickedAnywhere();
}

void AddressListView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    // The view would make the next row current and, with single selection,
    // select it, reporting a row the user never chose.
    const int current = currentIndex().row();
    if (current >= start && current <= end)
        selectionModel()->clearCurrentIndex();
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}
