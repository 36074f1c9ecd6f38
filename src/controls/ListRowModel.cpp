#include "ListRowModel.h"

#include <algorithm>
#include <iterator>

ListRowModel::ListRowModel(QObject *parent) : ReportRows(parent) {}

void ListRowModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_sortKeys.clear();
    endResetModel();
}

void ListRowModel::append(ListRow row)
{
    const int position = count();
    beginInsertRows({}, position, position);
    m_rows.push_back(std::move(row));
    endInsertRows();
}

void ListRowModel::append(std::vector<ListRow> &&rows)
{
    if (rows.empty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    if (m_rows.empty()) {
        m_rows = std::move(rows);
    } else {
        m_rows.reserve(m_rows.size() + rows.size());
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    }
    endInsertRows();
    rows.clear();
}

void ListRowModel::removeRowAt(int row)
{
    if (!isValidRow(row))
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    m_sortKeys.removeAt(row);
    endRemoveRows();
}

const ListRow &ListRowModel::rowAt(int row) const
{
    static const ListRow noRow;
    return isValidRow(row) ? m_rows[size_t(row)] : noRow;
}

int ListRowModel::count() const
{
    return int(m_rows.size());
}

void ListRowModel::setImageIndex(int row, int imageIndex)
{
    if (!isValidRow(row))
        return;
    m_rows[size_t(row)].imageIndex = imageIndex;
    const QModelIndex cell = index(row, 0);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole});
}

void ListRowModel::setTexts(int row, const QString &caption, const QStringList &subItems)
{
    if (!isValidRow(row))
        return;
    ListRow &changed = m_rows[size_t(row)];
    changed.caption = caption;
    changed.subItems = subItems;
    // The keys are kept by position; a rare change costs a new set at the next sort.
    m_sortKeys.clear();
    Q_EMIT dataChanged(index(row, 0), index(row, qMax(0, columnCount() - 1)), {Qt::DisplayRole});
}

void ListRowModel::setChecked(int row, bool checked)
{
    if (!isValidRow(row) || m_rows[size_t(row)].checked == checked)
        return;
    m_rows[size_t(row)].checked = checked;
    const QModelIndex cell = index(row, 0);
    Q_EMIT dataChanged(cell, cell, {Qt::CheckStateRole});
    Q_EMIT checkStateChanged(row);
}

bool ListRowModel::isChecked(int row) const
{
    return isValidRow(row) && m_rows[size_t(row)].checked;
}

void ListRowModel::setCheckable(bool checkable)
{
    if (m_checkable == checkable)
        return;
    m_checkable = checkable;
    if (count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, 0), {Qt::CheckStateRole});
}

QVariant ListRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !isValidRow(index.row()))
        return {};
    const ListRow &row = m_rows[size_t(index.row())];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return column == 0 ? row.caption.toString() : row.subItems.value(column - 1);
    case Qt::DecorationRole: return column == 0 ? imageAt(row.imageIndex) : QVariant();
    case ImageIndexRole: return column == 0 ? QVariant(row.imageIndex) : QVariant();
    case Qt::CheckStateRole:
        if (column == 0 && m_checkable)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default: return {};
    }
}

bool ListRowModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !m_checkable || !index.isValid() || index.column() != 0)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ListRowModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkable && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool ListRowModel::isValidRow(int row) const
{
    return row >= 0 && row < count();
}

void ListRowModel::sortRows(int column, bool ascending)
{
    if (count() < 2 || column < 0)
        return;
    const std::vector<int> order = m_sortKeys.sortedOrder(column, ascending, m_rows);

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    applyOrder(order);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// Moves the rows and their keys into the new order and carries the views'
// persistent indexes (selection, current row) along with their rows.
void ListRowModel::applyOrder(const std::vector<int> &order)
{
    std::vector<int> newPosition(order.size());
    std::vector<ListRow> sorted;
    sorted.reserve(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newPosition[size_t(order[i])] = int(i);
        sorted.push_back(std::move(m_rows[size_t(order[i])]));
    }
    m_rows = std::move(sorted);
    m_sortKeys.permute(order);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &old : before)
        after.append(index(newPosition[size_t(old.row())], old.column()));
    changePersistentIndexList(before, after);
}
