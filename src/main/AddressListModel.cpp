#include "main/AddressListModel.h"

#include "data/Dates.h"
#include "data/DbConnection.h"
#include "main/MainPictures.h"

#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <unordered_map>

AddressListModel::AddressListModel(DbConnection &db, QObject *parent) : ReportRows(parent), m_db(db) {}

AddressListModel::~AddressListModel() = default;

Outcome AddressListModel::show(const AddressFilter &filter)
{
    // The first page is read before the list changes: a listing that cannot be read
    // leaves the list as it was.
    Fetched<AddressListing::Start> start = AddressListing::start(m_db, filter, PageSize);
    if (!start.ok())
        return start.outcome;
    const int count = start.value.count;
    const bool keysPending = start.value.keysPending;
    std::vector<AddressRecord> firstRows = std::move(start.value.firstRows);
    beginResetModel();
    m_paging = std::move(start.value.listing);
    m_count = count;
    m_keyed = m_paging->readsKeys();
    m_keys = std::move(start.value.keys);
    m_order.clear();
    m_sorted = false;
    m_keysColumn = -1;
    m_columnKeys.reset();
    m_pages.clear();
    if (m_keyed)
        firstRows = arrangedByKeys(firstRows, 0, std::min(count, PageSize));
    firstRows.resize(size_t(std::min(count, PageSize)));
    m_pages.emplace(0, Page{std::move(firstRows), ++m_useClock});
    m_keysPending = keysPending;
    const quint64 listing = ++m_listing;
    endResetModel();
    if (keysPending) {
        // After the first page has been painted.
        QTimer::singleShot(0, this, [this, listing] {
            if (listing == m_listing)
                readRemainingKeys();
        });
    }
    return Outcome::done(count);
}

// The rows found after the first page join the list at its end, in the order of their keys.
void AddressListModel::readRemainingKeys()
{
    if (!m_keysPending)
        return;
    m_keysPending = false;
    const Fetched<std::vector<qint64>> read = m_paging->keysAfter(m_keys.back());
    // The list keeps the rows found; the user's next statement reports the failure.
    if (!read.ok())
        qWarning() << "address list:" << read.outcome.message;
    const std::vector<qint64> &rest = read.value;
    if (!rest.empty()) {
        beginInsertRows({}, m_count, m_count + int(rest.size()) - 1);
        m_keys.insert(m_keys.end(), rest.begin(), rest.end());
        m_count = int(m_keys.size());
        endInsertRows();
    }
    Q_EMIT countKnown(m_count);
}

const AddressRecord &AddressListModel::recordAt(int row) const
{
    static const AddressRecord noRecord;
    if (row < 0 || row >= m_count)
        return noRecord;
    const Page &shown = page(row / PageSize);
    const size_t offset = size_t(row % PageSize);
    return offset < shown.rows.size() ? shown.rows[offset] : noRecord;
}

const AddressListModel::Page *AddressListModel::cachedPage(int index) const
{
    const auto found = m_pages.find(index);
    return found == m_pages.end() ? nullptr : &found->second;
}

const AddressListModel::Page &AddressListModel::page(int index) const
{
    auto found = m_pages.find(index);
    if (found == m_pages.end()) {
        if (m_pages.size() >= PagesKept) {
            auto oldest = std::min_element(m_pages.begin(), m_pages.end(), [](const auto &a, const auto &b) {
                return a.second.lastUse < b.second.lastUse;
            });
            m_pages.erase(oldest);
        }
        bool failed = false;
        std::vector<AddressRecord> rows = readPage(index, failed);
        if (failed) { // not kept: the next look tries again
            static Page unread;
            unread.rows = std::move(rows);
            return unread;
        }
        found = m_pages.emplace(index, Page{std::move(rows), 0}).first;
    }
    found->second.lastUse = ++m_useClock;
    return found->second;
}

// A page that cannot be read shows empty rows until the list is filled again; the
// failure is for the next statement the user starts to report.
std::vector<AddressRecord> AddressListModel::readPage(int index, bool &failed) const
{
    const int first = index * PageSize;
    const int size = std::min(PageSize, m_count - first);
    Fetched<std::vector<AddressRecord>> read;
    if (m_keyed) {
        read = readKeyedPage(first, size);
    } else {
        // Next to a page at hand, the rows follow from its key; else they are counted off.
        const Page *previous = cachedPage(index - 1);
        const Page *next = cachedPage(index + 1);
        if (previous && !previous->rows.empty() && previous->rows.back().rowNo != 0)
            read = m_paging->after(previous->rows.back().rowNo, size);
        else if (next && !next->rows.empty() && next->rows.front().rowNo != 0)
            read = m_paging->before(next->rows.front().rowNo, size);
        else
            read = m_paging->atOffset(first, size, m_count);
    }
    if (!read.ok()) {
        qWarning() << "address list:" << read.outcome.message;
        read.value.clear();
        failed = true;
    }
    std::vector<AddressRecord> rows = std::move(read.value);
    rows.resize(size_t(std::max(0, size)));
    return rows;
}

qint64 AddressListModel::keyAtPosition(int position) const
{
    return m_keys[size_t(m_order.empty() ? position : m_order[size_t(position)])];
}

Fetched<std::vector<AddressRecord>> AddressListModel::readKeyedPage(int first, int size) const
{
    std::vector<qint64> keys;
    for (int position = first; position < first + size; ++position)
        keys.push_back(keyAtPosition(position));
    Fetched<std::vector<AddressRecord>> read = m_paging->rowsOf(keys);
    if (read.ok())
        read.value = arrangedByKeys(read.value, first, size);
    return read;
}

// The rows found for the keys of these positions, in the positions' order.
std::vector<AddressRecord> AddressListModel::arrangedByKeys(const std::vector<AddressRecord> &found, int first,
                                                            int size) const
{
    std::vector<qint64> keys;
    for (int position = first; position < first + size; ++position)
        keys.push_back(keyAtPosition(position));
    std::unordered_map<qint64, size_t> byKey;
    for (size_t i = 0; i < found.size(); ++i)
        byKey.emplace(found[i].rowNo, i);
    std::vector<AddressRecord> rows(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const auto at = byKey.find(keys[i]);
        if (at != byKey.end())
            rows[i] = found[at->second]; // a key listed twice stays possible after a write elsewhere
    }
    return rows;
}

int AddressListModel::rowOfKey(qint64 key, int near) const
{
    if (key == 0 || m_count == 0)
        return -1;
    near = std::clamp(near, 0, m_count - 1);
    for (int index : {near / PageSize, near / PageSize - 1, near / PageSize + 1}) {
        if (index < 0 || index * PageSize >= m_count)
            continue;
        const Page &shown = page(index);
        for (size_t i = 0; i < shown.rows.size(); ++i) {
            if (shown.rows[i].rowNo == key)
                return index * PageSize + int(i);
        }
    }
    if (m_keyed) {
        if (m_keysPending) // the key may be among those not read yet
            const_cast<AddressListModel *>(this)->readRemainingKeys();
        const auto at = std::find(m_keys.begin(), m_keys.end(), key);
        if (at == m_keys.end())
            return -1;
        const int index = int(at - m_keys.begin());
        if (m_order.empty())
            return index;
        return int(std::find(m_order.begin(), m_order.end(), index) - m_order.begin());
    }
    const Fetched<int> row = m_paging->countBefore(key);
    return row.ok() && row.value < m_count && recordAt(row.value).rowNo == key ? row.value : -1;
}

// Reads every listed row's key and the column's text; the listing's order is the order read.
Outcome AddressListModel::readSortKeys(int column, std::vector<qint64> &keys)
{
    auto columnKeys = std::make_unique<ListSortKeys::ColumnKeys>(column);
    Dates::DisplayFormatter dates;
    Outcome read = m_paging->forEachColumn(column, [&](const RowReader &row) {
        keys.push_back(row.integer(0));
        if (column == ListSortKeys::RowSortKeys::CountColumn)
            columnKeys->addCount(row.isInteger(1) ? ListSortKeys::CountKey{true, row.integer(1)}
                                                  : ListSortKeys::countKey(row.text(1)));
        else if (column == 2)
            columnKeys->add(dates.format(row.utf8(1)));
        else
            columnKeys->add(row.text(1));
    });
    if (!read.ok())
        return read;
    m_columnKeys = std::move(columnKeys);
    m_keysColumn = column;
    return read;
}

void AddressListModel::sortRows(int column, bool ascending)
{
    if (!m_paging || column < 0 || column >= columnCount())
        return;
    readRemainingKeys();
    std::vector<qint64> keys;
    if (column != m_keysColumn || !m_columnKeys) {
        const Outcome read = readSortKeys(column, keys);
        if (!read.ok()) {
            qWarning() << "address list:" << read.message;
            return;
        }
    }
    // Other rows than before (written elsewhere meanwhile): the list starts afresh.
    const bool sameRows = keys.empty() || (m_keyed ? keys == m_keys : int(keys.size()) == m_count);
    std::vector<int> order;
    if (sameRows && m_keyed && !m_order.empty()) {
        order = m_order;
    } else {
        order.resize(keys.empty() ? m_keys.size() : keys.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = int(i);
    }
    m_columnKeys->sort(order, ascending);

    if (!sameRows) {
        beginResetModel();
        m_keys = std::move(keys);
        m_count = int(m_keys.size());
        m_keyed = true;
        m_order = std::move(order);
        m_pages.clear();
        m_sorted = true;
        endResetModel();
        return;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The views' persistent indexes (selection, current row) go along with their rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<qint64> keysBefore;
    for (const QModelIndex &old : before)
        keysBefore.push_back(m_keyed ? keyAtPosition(old.row()) : recordAt(old.row()).rowNo);
    if (!m_keyed)
        m_keys = std::move(keys);
    m_keyed = true;
    m_order = std::move(order);
    m_pages.clear();
    m_sorted = true;
    std::unordered_map<qint64, int> positionOfKey;
    for (qint64 key : keysBefore)
        positionOfKey.emplace(key, -1);
    for (int position = 0; position < int(m_order.size()); ++position) {
        const auto wanted = positionOfKey.find(m_keys[size_t(m_order[size_t(position)])]);
        if (wanted != positionOfKey.end())
            wanted->second = position;
    }
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i) {
        const int position = positionOfKey.at(keysBefore[size_t(i)]);
        after.append(position < 0 ? QModelIndex() : index(position, before[i].column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant AddressListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        const AddressRecord &record = recordAt(index.row());
        switch (column) {
        case 0: return record.address;
        case 1: return record.name;
        case 2: return record.viewTime;
        case 3: return record.times;
        case 4: return record.groupName;
        default: return {};
        }
    }
    case Qt::DecorationRole:
    case ImageIndexRole: {
        if (column != 0)
            return {};
        const AddressRecord &record = recordAt(index.row());
        const int image = record.favourite ? MainPictures::Crystal : MainPictures::Binder;
        if (role == ImageIndexRole)
            return image;
        if (!record.favourite && m_rowIcon) {
            const QIcon own = m_rowIcon(record);
            if (!own.isNull())
                return own;
        }
        return imageAt(image);
    }
    default: return {};
    }
}

Qt::ItemFlags AddressListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
