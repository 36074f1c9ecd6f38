#include "ListRowModel.h"

#include "ListSortKeys.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <optional>

namespace {
constexpr int CountColumn = 3;
constexpr int CountSubItem = 2;
} // namespace

// A row with the sort keys that have been computed for it so far. The keys
// are built at the first sort that needs them and move with the row.
struct ListRowModel::Entry
{
    explicit Entry(ListRow&& r) : row(std::move(r)) {}

    ListRow row;
    std::optional<QCollatorSortKey> captionKey;
    std::optional<ListSortKeys::CountKey> countKey;
    std::vector<std::optional<QByteArray>> textKeys; // by sub-item index
};

ListRowModel::ListRowModel(QObject* parent) : QAbstractTableModel(parent) {}

ListRowModel::~ListRowModel() = default;

void ListRowModel::setColumnCaptions(const QStringList& captions)
{
    beginResetModel();
    m_captions = captions;
    endResetModel();
}

void ListRowModel::appendColumn(const QString& caption)
{
    const int column = int(m_captions.size());
    beginInsertColumns({}, column, column);
    m_captions.append(caption);
    endInsertColumns();
}

void ListRowModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void ListRowModel::append(ListRow row)
{
    const int position = count();
    beginInsertRows({}, position, position);
    m_entries.emplace_back(std::move(row));
    endInsertRows();
}

void ListRowModel::append(std::vector<ListRow>&& rows)
{
    if (rows.empty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_entries.reserve(m_entries.size() + rows.size());
    for (ListRow& row : rows)
        m_entries.emplace_back(std::move(row));
    endInsertRows();
    rows.clear();
}

void ListRowModel::removeRowAt(int row)
{
    if (!isValidRow(row))
        return;
    beginRemoveRows({}, row, row);
    m_entries.erase(m_entries.begin() + row);
    endRemoveRows();
}

const ListRow& ListRowModel::rowAt(int row) const
{
    static const ListRow noRow;
    return isValidRow(row) ? m_entries[size_t(row)].row : noRow;
}

int ListRowModel::count() const
{
    return int(m_entries.size());
}

void ListRowModel::setImageIndex(int row, int imageIndex)
{
    if (!isValidRow(row))
        return;
    m_entries[size_t(row)].row.imageIndex = imageIndex;
    const QModelIndex cell = index(row, 0);
    Q_EMIT dataChanged(cell, cell, {Qt::DecorationRole});
}

void ListRowModel::setChecked(int row, bool checked)
{
    if (!isValidRow(row) || m_entries[size_t(row)].row.checked == checked)
        return;
    m_entries[size_t(row)].row.checked = checked;
    const QModelIndex cell = index(row, 0);
    Q_EMIT dataChanged(cell, cell, {Qt::CheckStateRole});
    Q_EMIT checkStateChanged(row);
}

bool ListRowModel::isChecked(int row) const
{
    return isValidRow(row) && m_entries[size_t(row)].row.checked;
}

void ListRowModel::setCheckable(bool checkable)
{
    if (m_checkable == checkable)
        return;
    m_checkable = checkable;
    if (count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, 0), {Qt::CheckStateRole});
}

void ListRowModel::setImages(const QList<QIcon>& images)
{
    m_images = images;
    if (count() > 0)
        Q_EMIT dataChanged(index(0, 0), index(count() - 1, 0), {Qt::DecorationRole});
}

int ListRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int ListRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

QVariant ListRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !isValidRow(index.row()))
        return {};
    const ListRow& row = m_entries[size_t(index.row())].row;
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return column == 0 ? row.caption : row.subItems.value(column - 1);
    case Qt::DecorationRole:
        if (column == 0 && row.imageIndex >= 0 && row.imageIndex < m_images.size())
            return m_images.at(row.imageIndex);
        return {};
    case Qt::CheckStateRole:
        if (column == 0 && m_checkable)
            return row.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ListRowModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !m_checkable || !index.isValid() || index.column() != 0)
        return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ListRowModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkable && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ListRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_captions.value(section);
    return {};
}

bool ListRowModel::isValidRow(int row) const
{
    return row >= 0 && row < count();
}

void ListRowModel::sortRows(int column, bool ascending)
{
    if (count() < 2 || column < 0)
        return;
    prepareKeys(column);

    std::vector<int> order(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int r = compareEntries(m_entries[size_t(a)], m_entries[size_t(b)], column);
        return ascending ? r < 0 : r > 0;
    });

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    applyOrder(order);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListRowModel::prepareKeys(int column)
{
    if (column == 0) {
        prepareCaptionKeys();
        return;
    }
    if (column == CountColumn) {
        for (Entry& entry : m_entries) {
            if (!entry.countKey)
                entry.countKey = ListSortKeys::countKey(entry.row.subItems.value(CountSubItem));
        }
        return;
    }
    const size_t subItem = size_t(column - 1);
    QStringEncoder encoder = ListSortKeys::textEncoder();
    for (Entry& entry : m_entries) {
        if (entry.textKeys.size() <= subItem)
            entry.textKeys.resize(subItem + 1);
        if (!entry.textKeys[subItem]) {
            entry.textKeys[subItem] =
                ListSortKeys::textKey(encoder, entry.row.subItems.value(qsizetype(subItem)));
        }
    }
}

void ListRowModel::prepareCaptionKeys()
{
    // Collator keys belong to one locale; a changed default locale starts afresh.
    const QLocale locale;
    if (locale.name() != m_captionKeyLocale) {
        for (Entry& entry : m_entries)
            entry.captionKey.reset();
        m_captionKeyLocale = locale.name();
    }
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    for (Entry& entry : m_entries) {
        if (!entry.captionKey)
            entry.captionKey = collator.sortKey(entry.row.caption);
    }
}

int ListRowModel::compareEntries(const Entry& first, const Entry& second, int column) const
{
    if (column == 0)
        return first.captionKey->compare(*second.captionKey);
    if (column == CountColumn)
        return ListSortKeys::compareCountKeys(*first.countKey, *second.countKey);
    const size_t subItem = size_t(column - 1);
    return ListSortKeys::compareTextKeys(*first.textKeys[subItem], *second.textKeys[subItem]);
}

void ListRowModel::applyOrder(const std::vector<int>& order)
{
    std::vector<int> newPosition(order.size());
    std::vector<Entry> sorted;
    sorted.reserve(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newPosition[size_t(order[i])] = int(i);
        sorted.push_back(std::move(m_entries[size_t(order[i])]));
    }
    m_entries = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[size_t(index.row())], index.column()));
    changePersistentIndexList(before, after);
}
