#include "AddressListView.h"

#include "ListHeaderView.h"
#include "ListRowModel.h"
#include "platform/DesignFont.h"
#include "platform/PlainHint.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>

#include <array>

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

// Draws a cell as one part of its row: the list frames the current row as a whole, and
// the row under the mouse is lit in every cell.
class RowCellDelegate : public QStyledItemDelegate
{
public:
    explicit RowCellDelegate(AddressListView *list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem cell = option;
        cell.state &= ~QStyle::State_HasFocus;
        cell.state.setFlag(QStyle::State_MouseOver, index.row() == m_list->hoverRow());
        cell.viewItemPosition = placeInRow(index.column());
        // As the base class paints, with the text cut; a size asked for (a row's height, a
        // column fitted to its texts) is still that of the whole text.
        initStyleOption(&cell, index);
        cell.text = startThatCanShow(cell.text, cell.font, cell.rect.width());
        const QWidget *widget = cell.widget;
        (widget ? widget->style() : QApplication::style())
            ->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    }

private:
    // The style lays out a cell's whole text before it elides it to the cell, and an address
    // may be hundreds of characters long where a dozen show. The text is cut once its
    // letters, measured one by one, are twice as wide as the cell: kerning and ligatures
    // never narrow a text by half, so what is drawn, the ellipsis included, is the same.
    QString startThatCanShow(const QString &text, const QFont &font, int width) const
    {
        // A text of several lines (the delegate shows a line break as a line separator) may
        // show any of its lines in a tall row: it is drawn whole.
        if (text.contains(QChar::LineSeparator) || text.contains(QChar::ParagraphSeparator)
            || text.contains(QLatin1Char('\n')))
            return text;
        const int enough = 2 * qMax(width, 0);
        int advance = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar letter = text[i];
            if (advance > enough && !letter.isLowSurrogate() && letter.category() != QChar::Mark_NonSpacing)
                return text.left(i);
            advance += advanceOf(letter, font);
        }
        return text;
    }

    // Measuring a letter costs as much as a short text (more where a fallback font is sought),
    // so only printable ASCII, of which addresses are made, is measured, once per font; any
    // other letter counts as no width, which can only cut a text later.
    int advanceOf(QChar letter, const QFont &font) const
    {
        const char16_t code = letter.unicode();
        if (code < u' ' || code >= m_asciiAdvances.size())
            return 0;
        if (font != m_measuredFont) {
            m_measuredFont = font;
            m_asciiAdvances.fill(-1);
        }
        int &advance = m_asciiAdvances[code];
        if (advance < 0)
            advance = QFontMetrics(font).horizontalAdvance(letter);
        return advance;
    }

    mutable QFont m_measuredFont;
    mutable std::array<int, 128> m_asciiAdvances = unmeasured();

    static std::array<int, 128> unmeasured()
    {
        std::array<int, 128> advances;
        advances.fill(-1);
        return advances;
    }

    // Where the column stands among the shown columns, for styles that round a row's ends.
    QStyleOptionViewItem::ViewItemPosition placeInRow(int column) const
    {
        const QHeaderView *header = m_list->header();
        const int visual = header->visualIndex(column);
        bool before = false;
        bool after = false;
        for (int i = 0; i < header->count(); ++i) {
            if (header->isSectionHidden(header->logicalIndex(i)))
                continue;
            before = before || i < visual;
            after = after || i > visual;
        }
        if (before && after)
            return QStyleOptionViewItem::Middle;
        if (before)
            return QStyleOptionViewItem::End;
        return after ? QStyleOptionViewItem::Beginning : QStyleOptionViewItem::OnlyOne;
    }

    AddressListView *m_list;
};

} // namespace

AddressListView::AddressListView(QWidget *parent)
    : QTableView(parent), HeaderFont(designFont(11)), m_rows(new ListRowModel(this)), m_model(m_rows),
      m_header(new ListHeaderView(this))
{
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    // Rows are as tall as the first one needs, all alike; the header keeps one size for
    // them, however short.
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new RowCellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    m_header->setSectionsClickable(true);
    setMouseTracking(true);
    setIconSize(QSize(16, 16));
    setModel(m_rows);
    verticalHeader()->setDefaultSectionSize(typicalRowHeight());
    watchRows();

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
    watchRows();
    fitRowHeight();
}

QHeaderView *AddressListView::header() const
{
    return m_header;
}

// Every change that may bring another first row, or take the row under the mouse away.
void AddressListView::watchRows()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_rowWatch))
        disconnect(connection);
    m_rowWatch.clear();
    auto refit = [this] {
        m_hoverRow = -1;
        fitRowHeight();
    };
    m_rowWatch << connect(m_model, &QAbstractItemModel::modelReset, this, refit)
               << connect(m_model, &QAbstractItemModel::layoutChanged, this, refit)
               << connect(m_model, &QAbstractItemModel::rowsRemoved, this, refit)
               << connect(m_model, &QAbstractItemModel::rowsInserted, this,
                          [this](const QModelIndex &, int first) {
                              if (first == 0)
                                  fitRowHeight();
                          })
               << connect(m_model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &topLeft) {
                      if (topLeft.row() == 0)
                          fitRowHeight();
                  });
}

// A change of the height walks every row of the header: it is made only when the first
// row needs another height than the rows have, which a list whose rows all look alike
// never does after its first fill.
void AddressListView::fitRowHeight()
{
    if (m_model->count() == 0)
        return;
    const int height = rowHeightFor(0);
    if (height > 0 && height != verticalHeader()->defaultSectionSize())
        verticalHeader()->setDefaultSectionSize(height);
}

int AddressListView::rowHeightFor(int row) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int height = 0;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        option.rect = QRect(0, 0, columnWidth(column), 0);
        height = qMax(height, itemDelegate()->sizeHint(option, m_model->index(row, column)).height());
    }
    return height;
}

// The height of a row with a text and a small picture, before there are rows to ask.
int AddressListView::typicalRowHeight() const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.text = QStringLiteral("W");
    option.decorationSize = iconSize();
    return style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).height();
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
    QTableView::paintEvent(event);
    drawCurrentRowFrame();
}

// The focus frame goes around the whole current row, whichever of its cells is current.
void AddressListView::drawCurrentRowFrame()
{
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid())
        return;
    QStyleOptionViewItem view;
    initViewItemOption(&view);
    QStyleOptionFocusRect frame;
    frame.QStyleOption::operator=(view);
    frame.state |= QStyle::State_KeyboardFocusChange;
    const QPalette::ColorGroup group = (view.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    frame.backgroundColor =
        view.palette.color(group, selectionModel()->isSelected(current) ? QPalette::Highlight : QPalette::Window);
    frame.rect = style()->visualRect(layoutDirection(), viewport()->rect(), rowRect(current.row()));
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter);
}

void AddressListView::updateRow(int row)
{
    if (row >= 0 && row < m_model->count())
        viewport()->update(QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row)));
}

void AddressListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    updateRow(previous.row());
    updateRow(current.row());
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
    switch (event->type()) {
    case QEvent::ToolTip: {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (!showHint(help->pos(), help->globalPos()))
            event->ignore();
        return true;
    }
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave: {
        const auto *hover = static_cast<QHoverEvent *>(event);
        const int row = event->type() == QEvent::HoverLeave ? -1 : indexAt(hover->position().toPoint()).row();
        if (row != m_hoverRow) {
            updateRow(m_hoverRow);
            m_hoverRow = row;
            updateRow(row);
        }
        break;
    }
    default: break;
    }
    return QTableView::viewportEvent(event);
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
    m_scrolledSideways = false;
    QTableView::keyPressEvent(event);
    if (m_scrolledSideways)
        event->accept();
}

// Up, down and the page keys go from row to row; Home and End to the first and the last
// row; left and right scroll the columns sideways and leave the current cell.
QModelIndex AddressListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return QTableView::moveCursor(cursorAction, modifiers);
    switch (cursorAction) {
    case MoveNext: return QTableView::moveCursor(MoveDown, Qt::NoModifier);
    case MovePrevious: return QTableView::moveCursor(MoveUp, Qt::NoModifier);
    case MoveHome: return m_model->index(0, current.column());
    case MoveEnd: return m_model->index(m_model->count() - 1, current.column());
    case MoveLeft:
    case MoveRight: {
        QScrollBar *bar = horizontalScrollBar();
        const int before = bar->value();
        const bool back = (cursorAction == MoveLeft) != isRightToLeft();
        bar->setValue(before + (back ? -bar->singleStep() : bar->singleStep()));
        m_scrolledSideways = bar->value() != before;
        return current;
    }
    default: return QTableView::moveCursor(cursorAction, Qt::NoModifier);
    }
}

void AddressListView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    keepTopRowAtTop();
}

void AddressListView::doItemsLayout()
{
    QTableView::doItemsLayout();
    keepTopRowAtTop();
}

// Scrolled to the end, the table would move the last row to the bottom edge and cut the
// top row; the list keeps its top row whole there as everywhere else.
void AddressListView::keepTopRowAtTop()
{
    if (verticalScrollMode() != ScrollPerItem || m_model->count() == 0)
        return;
    QHeaderView *rows = verticalHeader();
    const int top = verticalScrollBar()->value() * rows->defaultSectionSize(); // every row is as tall
    if (rows->offset() != top) {
        rows->setOffset(top);
        viewport()->update();
    }
}

void AddressListView::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        if (m_model->count() == 0)
            verticalHeader()->setDefaultSectionSize(typicalRowHeight());
        fitRowHeight();
    }
}

void AddressListView::keyReleaseEvent(QKeyEvent *event)
{
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyReleased(event->key());
}

void AddressListView::mouseMoveEvent(QMouseEvent *event)
{
    QTableView::mouseMoveEvent(event);
    Q_EMIT mouseMovedTo(event->position().toPoint());
}

void AddressListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
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
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}
