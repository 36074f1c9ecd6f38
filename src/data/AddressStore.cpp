#include "data/AddressStore.h"

#include "data/Dates.h"
#include "data/SqlEngine.h"
#include "data/AppError.h"
#include "data/BulkInsert.h"
#include "data/RecycleBin.h"
#include "data/Schema.h"

#include <QVariant>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const QString listedColumns =
    QStringLiteral("SELECT Address, AddressName, ViewTime, Times, MyAddress, GroupName, RowNo");

// The recycle bin's rows under the names of the listed columns, its own number as the key.
const QString binRows =
    QStringLiteral("(SELECT Id AS RowNo, Address, AddressName, DeletedAt AS ViewTime, Times, MyAddress, GroupName "
                   "FROM RecycleBin) bin_rows");

struct Listing
{
    QString sql;
    QVariantList values;
    bool ordered = false; // in the order the rows were added in already
};

// The part of a search's rows wanted: those after a key, at most `limit` of them, in the
// order of their keys; the default wants all of them in the engine's order.
struct KeyRange
{
    qint64 after = -1;
    int limit = -1;
};

// `table`: the view, or the address table where no group name is selected.
Listing listingFor(const SqlEngine &engine, const AddressFilter &filter, const QString &selected = listedColumns,
                   const QString &table = QStringLiteral("address_1"), const KeyRange &range = {})
{
    const QString listColumns = selected + QStringLiteral(" FROM ") + table;
    switch (filter.kind) {
    case AddressFilter::Kind::All: return {listColumns, {}};
    case AddressFilter::Kind::Favourites: return {listColumns + QStringLiteral(" WHERE MyAddress <> 0"), {}};
    case AddressFilter::Kind::Group: return {listColumns + QStringLiteral(" WHERE GroupName = ?"), {filter.text}};
    case AddressFilter::Kind::Failing:
        // The words are those the link check stores for its two kinds of failure.
        return {listColumns
                    + QStringLiteral(" WHERE Address IN (SELECT Address FROM LinkCheck WHERE Status IN (?, ?))"),
                {QStringLiteral("broken"), QStringLiteral("unreachable")}};
    case AddressFilter::Kind::Bin: return {selected + QStringLiteral(" FROM ") + binRows, {}};
    case AddressFilter::Kind::Search: {
        // The folded columns are compared with the folded text, so the case of every
        // letter is ignored alike on every engine; the escaped pattern takes the text
        // literally. Where the search index can serve the text, it picks the rows to
        // compare, which then come in the same order as without it.
        const QString text = AddressStore::folded(filter.text);
        const QString pattern = AddressStore::containsPattern(filter.text);
        const SqlEngine::IndexedSearch indexed = engine.indexedSearch(text);
        const bool useIndex = !indexed.rows.isEmpty();
        Listing listing{
            useIndex
                ? selected + QStringLiteral(" FROM %1 JOIN %2 ON RowNo = FoundRowNo WHERE ").arg(indexed.rows, table)
                : listColumns + QStringLiteral(" WHERE "),
            indexed.values};
        const QString key = useIndex ? QStringLiteral("FoundRowNo") : QStringLiteral("RowNo");
        if (range.after >= 0) {
            listing.sql += key + QStringLiteral(" > ? AND ");
            listing.values << range.after;
        }
        if (!engine.likeTakesPattern(pattern)) {
            listing.sql += QStringLiteral("(%1 OR %2)")
                               .arg(engine.containsCondition(QStringLiteral("AddressFolded")),
                                    engine.containsCondition(QStringLiteral("AddressNameFolded")));
            listing.values << text << text;
        } else {
            listing.sql += QStringLiteral("(AddressFolded LIKE ? ESCAPE '\\' OR AddressNameFolded LIKE ? ESCAPE '\\')");
            listing.values << pattern << pattern;
        }
        if (useIndex || range.after >= 0) {
            listing.sql += QStringLiteral(" ORDER BY ") + key;
            listing.ordered = true;
        }
        if (range.limit >= 0) {
            listing.sql += QStringLiteral(" LIMIT ?");
            listing.values << range.limit;
        }
        return listing;
    }
    }
    return {listColumns, {}};
}

QString insertStatement()
{
    return QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, "
                          "AddressFolded, AddressNameFolded) VALUES (?, ?, 0, ?, ?, ?, ?)");
}

// Texts that many rows share (group names, visit counts) are made once and shared by
// every row that has them, which saves a string per row.
class SharedTexts
{
public:
    const QString &text(QByteArrayView utf8)
    {
        for (const auto &[bytes, text] : m_texts) {
            if (bytes == utf8)
                return text;
        }
        if (m_texts.size() >= MaxShared) {
            m_unshared = QString::fromUtf8(utf8);
            return m_unshared;
        }
        m_texts.emplace_back(utf8.toByteArray(), QString::fromUtf8(utf8));
        return m_texts.back().second;
    }

private:
    static constexpr size_t MaxShared = 64; // beyond that a lookup costs more than it saves
    std::vector<std::pair<QByteArray, QString>> m_texts;
    QString m_unshared;
};

class SharedCounts
{
public:
    QString text(const RowReader &row, int column)
    {
        if (!row.isInteger(column))
            return row.text(column);
        const qint64 value = row.integer(column);
        if (value < 0 || value >= MaxShared)
            return QString::number(value);
        if (m_texts.size() <= size_t(value))
            m_texts.resize(size_t(value) + 1);
        QString &text = m_texts[size_t(value)];
        if (text.isNull())
            text = QString::number(value);
        return text;
    }

private:
    static constexpr qint64 MaxShared = 10000;
    std::vector<QString> m_texts;
};

// Reads the listed columns of a row into a record.
class RecordReader
{
public:
    AddressRecord read(const RowReader &row)
    {
        AddressRecord record;
        record.address = row.text(0);
        record.name = row.text(1);
        record.viewTime = m_dates.format(row.utf8(2));
        record.times = m_counts.text(row, 3);
        record.favourite = row.integer(4) != 0;
        record.groupName = m_groups.text(row.utf8(5));
        record.rowNo = row.integer(6);
        return record;
    }

private:
    Dates::DisplayFormatter m_dates;
    SharedTexts m_groups;
    SharedCounts m_counts;
};

} // namespace

void AddressStore::forEach(DbConnection &db, const AddressFilter &filter,
                           const std::function<void(AddressRecord &&)> &sink)
{
    Listing listing = listingFor(db.engine(), filter);
    if (!listing.ordered)
        listing.sql += db.engine().addedOrderClause();
    RecordReader reader;
    db.readRows(listing.sql, listing.values, [&](const RowReader &row) { sink(reader.read(row)); });
}

AddressPaging::AddressPaging(DbConnection &db, const AddressFilter &filter) : m_db(db), m_filter(filter)
{
    switch (filter.kind) {
    case AddressFilter::Kind::All: break;
    case AddressFilter::Kind::Favourites: m_condition = QStringLiteral("MyAddress <> 0"); break;
    case AddressFilter::Kind::Group: {
        // By number, so that the group's index gives its rows in the order of their keys.
        QStringList marks;
        db.readRows(QStringLiteral("SELECT GroupNo FROM BaseGroup WHERE GroupName = ?"), {filter.text},
                    [&](const RowReader &row) {
                        m_values << row.integer(0);
                        marks << QStringLiteral("?");
                    });
        m_condition = marks.isEmpty() ? QStringLiteral("1 = 0")
            : marks.size() == 1       ? QStringLiteral("GroupNo = ?")
                                      : QStringLiteral("GroupNo IN (%1)").arg(marks.join(QLatin1Char(',')));
        break;
    }
    case AddressFilter::Kind::Failing:
        // The words are those the link check stores for its two kinds of failure.
        m_condition = QStringLiteral("Address IN (SELECT Address FROM LinkCheck WHERE Status IN (?, ?))");
        m_values << QStringLiteral("broken") << QStringLiteral("unreachable");
        break;
    case AddressFilter::Kind::Bin:
        m_view = binRows;
        m_table = binRows;
        break;
    case AddressFilter::Kind::Search:
        // An empty text finds every row.
        m_readsKeys = !filter.text.isEmpty();
        break;
    }
}

QString AddressPaging::where(const QString &also) const
{
    QStringList conditions;
    if (!m_condition.isEmpty())
        conditions << m_condition;
    if (!also.isEmpty())
        conditions << also;
    return conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QLatin1String(" AND "));
}

std::vector<AddressRecord> AddressPaging::read(const QString &sql, const QVariantList &values)
{
    std::vector<AddressRecord> rows;
    RecordReader reader;
    m_db.readRows(sql, values, [&](const RowReader &row) { rows.push_back(reader.read(row)); });
    return rows;
}

int AddressPaging::count()
{
    if (m_readsKeys)
        return int(keys().size());
    int count = 0;
    m_db.readRows(QStringLiteral("SELECT count(*) FROM ") + m_table + where(), m_values,
                  [&count](const RowReader &row) { count = int(row.integer(0)); });
    return count;
}

std::vector<qint64> AddressPaging::keys()
{
    std::vector<qint64> keys;
    forEachColumn(-1, [&keys](const RowReader &row) { keys.push_back(row.integer(0)); });
    std::sort(keys.begin(), keys.end()); // the plain scan's order is the engine's
    return keys;
}

std::vector<qint64> AddressPaging::keys(qint64 after, int limit)
{
    std::vector<qint64> keys;
    const Listing listing = listingFor(m_db.engine(), m_filter, QStringLiteral("SELECT RowNo"), m_table,
                                       KeyRange{std::max<qint64>(after, 0), limit});
    m_db.readRows(listing.sql, listing.values, [&keys](const RowReader &row) { keys.push_back(row.integer(0)); });
    return keys;
}

std::vector<AddressRecord> AddressPaging::after(qint64 rowNo, int limit)
{
    return read(listedColumns + QStringLiteral(" FROM ") + m_view + where(QStringLiteral("RowNo > ?"))
                    + QStringLiteral(" ORDER BY RowNo LIMIT ?"),
                m_values + QVariantList{rowNo, limit});
}

std::vector<AddressRecord> AddressPaging::before(qint64 rowNo, int limit)
{
    std::vector<AddressRecord> rows =
        read(listedColumns + QStringLiteral(" FROM ") + m_view + where(QStringLiteral("RowNo < ?"))
                 + QStringLiteral(" ORDER BY RowNo DESC LIMIT ?"),
             m_values + QVariantList{rowNo, limit});
    std::reverse(rows.begin(), rows.end());
    return rows;
}

// Only the keys are counted off, on the narrowest index that holds them; the rows are
// read for the page alone.
std::vector<AddressRecord> AddressPaging::atOffset(int offset, int limit, int total)
{
    const int wanted = std::max(0, std::min(limit, total - offset));
    const int fromEnd = total - offset - wanted;
    const bool forward = offset <= fromEnd;
    return read(listedColumns
                    + QStringLiteral(" FROM %1 WHERE RowNo IN (SELECT RowNo FROM %2%3 ORDER BY RowNo %4 "
                                     "LIMIT ? OFFSET ?) ORDER BY RowNo")
                          .arg(m_view, m_table, where(), forward ? QStringLiteral("ASC") : QStringLiteral("DESC")),
                m_values + QVariantList{wanted, forward ? offset : fromEnd});
}

int AddressPaging::countBefore(qint64 rowNo)
{
    int count = 0;
    m_db.readRows(QStringLiteral("SELECT count(*) FROM ") + m_table + where(QStringLiteral("RowNo < ?")),
                  m_values + QVariantList{rowNo}, [&count](const RowReader &row) { count = int(row.integer(0)); });
    return count;
}

void AddressPaging::forEachColumn(int column, const std::function<void(const RowReader &row)> &sink)
{
    static const QStringList columns = {QStringLiteral("Address"), QStringLiteral("AddressName"),
                                        QStringLiteral("ViewTime"), QStringLiteral("Times"),
                                        QStringLiteral("GroupName")};
    QString selected = QStringLiteral("SELECT RowNo");
    if (column >= 0)
        selected += QStringLiteral(", ") + columns.value(column);
    // Only the group's name needs the view; the rest comes from the address table alone.
    const QString table = column == 4 ? m_view : m_table;
    if (m_readsKeys) {
        Listing listing = listingFor(m_db.engine(), m_filter, selected, table);
        m_db.readRows(listing.sql, listing.values, sink);
        return;
    }
    m_db.readRows(selected + QStringLiteral(" FROM ") + table + where() + QStringLiteral(" ORDER BY RowNo"), m_values,
                  sink);
}

namespace {

std::vector<AddressRecord> rowsOfKeys(DbConnection &db, const QString &view, const std::vector<qint64> &keys)
{
    constexpr size_t chunk = 200; // bound values per statement
    std::vector<AddressRecord> rows;
    RecordReader reader;
    for (size_t first = 0; first < keys.size(); first += chunk) {
        const size_t size = std::min(chunk, keys.size() - first);
        QVariantList values;
        for (size_t i = first; i < first + size; ++i)
            values << keys[i];
        QStringList marks(qsizetype(size), QStringLiteral("?"));
        db.readRows(listedColumns
                        + QStringLiteral(" FROM %1 WHERE RowNo IN (%2)").arg(view, marks.join(QLatin1Char(','))),
                    values, [&](const RowReader &row) { rows.push_back(reader.read(row)); });
    }
    return rows;
}

} // namespace

std::vector<AddressRecord> AddressPaging::rowsOf(DbConnection &db, const std::vector<qint64> &keys)
{
    return rowsOfKeys(db, QStringLiteral("address_1"), keys);
}

std::vector<AddressRecord> AddressPaging::rowsOf(const std::vector<qint64> &keys)
{
    return rowsOfKeys(m_db, m_view, keys);
}

int AddressStore::countHint(DbConnection &db, const AddressFilter &filter)
{
    QString sql;
    QVariantList values;
    if (filter.kind == AddressFilter::Kind::All) {
        sql = QStringLiteral("SELECT count(*) FROM address"); // counted on an index
    } else if (filter.kind == AddressFilter::Kind::Group) {
        sql = QStringLiteral("SELECT count(*) FROM address WHERE GroupNo IN "
                             "(SELECT GroupNo FROM BaseGroup WHERE GroupName = ?)");
        values = {filter.text};
    } else {
        return 0; // would cost as much as the listing itself
    }
    int count = 0;
    db.readRows(sql, values, [&count](const RowReader &row) { count = int(row.integer(0)); });
    return count;
}

std::vector<AddressRecord> AddressStore::list(DbConnection &db, const AddressFilter &filter)
{
    std::vector<AddressRecord> rows;
    forEach(db, filter, [&rows](AddressRecord &&record) { rows.push_back(std::move(record)); });
    return rows;
}

QString AddressStore::containsPattern(const QString &text)
{
    QString pattern = QStringLiteral("%");
    for (const QChar c : folded(text)) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('%');
}

int AddressStore::foldMissing(DbConnection &db)
{
    static const QString missing = QStringLiteral(" FROM address WHERE ") + Schema::UnfoldedCondition;
    // Most looks find nothing: the scan alone decides, without a write lock.
    QSqlQuery any = db.query(QStringLiteral("SELECT 1") + missing + QStringLiteral(" LIMIT 1"));
    if (!any.next())
        return 0;
    any.finish();
    Transaction transaction(db);
    const QString key = db.engine().rowKeyColumn();
    std::vector<std::tuple<QVariant, QString, QString>> rows;
    {
        QSqlQuery query = db.query(QStringLiteral("SELECT %1, Address, AddressName").arg(key) + missing);
        while (query.next())
            rows.emplace_back(query.value(0), query.value(1).toString(), query.value(2).toString());
    }
    QSqlQuery update =
        db.prepare(QStringLiteral("UPDATE address SET AddressFolded = ?, AddressNameFolded = ? WHERE %1 = ?").arg(key));
    for (const auto &[rowKey, address, name] : rows)
        db.run(update, {folded(address), folded(name), rowKey});
    transaction.commit();
    return int(rows.size());
}

int AddressStore::countVisit(DbConnection &db, const QString &address)
{
    return db.execute(QStringLiteral("UPDATE address SET Times = Times + 1, ViewTime = ? WHERE Address = ?"),
                      {Dates::todayForStorage(), address});
}

void AddressStore::insert(DbConnection &db, const QString &address, const QString &name, int groupNo)
{
    db.execute(insertStatement(), {address, name, Dates::todayForStorage(), groupNo, folded(address), folded(name)});
}

int AddressStore::update(DbConnection &db, const QString &address, const QString &name, int groupNo,
                         const QString &oldAddress, const QString &oldName)
{
    return db.execute(QStringLiteral("UPDATE address SET Address = ?, AddressName = ?, GroupNo = ?, "
                                     "AddressFolded = ?, AddressNameFolded = ? "
                                     "WHERE Address = ? AND AddressName = ?"),
                      {address, name, groupNo, folded(address), folded(name), oldAddress, oldName});
}

int AddressStore::remove(DbConnection &db, const QString &address, int groupNo)
{
    Transaction transaction(db);
    RecycleBin::keep(db, QStringLiteral("a.Address = ? AND a.GroupNo = ?"), {address, groupNo});
    const int removed =
        db.execute(QStringLiteral("DELETE FROM address WHERE Address = ? AND GroupNo = ?"), {address, groupNo});
    transaction.commit();
    return removed;
}

int AddressStore::setFavourite(DbConnection &db, const QString &address)
{
    return db.execute(QStringLiteral("UPDATE address SET MyAddress = 1 WHERE Address = ?"), {address});
}

int AddressStore::clearFavourite(DbConnection &db, const QString &address, int groupNo)
{
    return db.execute(QStringLiteral("UPDATE address SET MyAddress = 0 WHERE Address = ? AND GroupNo = ?"),
                      {address, groupNo});
}

void AddressStore::insertAll(DbConnection &db, const std::vector<NewAddress> &rows, int groupNo, int *stored)
{
    int done = 0;
    if (stored)
        *stored = 0;
    Transaction transaction(db);
    BulkInsert bulk(db);
    const QString today = Dates::todayForStorage();
    QSqlQuery insert = db.prepare(insertStatement());
    for (const NewAddress &row : rows) {
        try {
            db.run(insert, {row.address, row.name, today, groupNo, folded(row.address), folded(row.name)});
        } catch (const AppError &) {
            // Where a failed statement ends the transaction, nothing of it is kept.
            if (db.engine().failedStatementEndsTransaction())
                throw;
            bulk.finish();
            transaction.commit(); // keep the rows before the failing one
            if (stored)
                *stored = done;
            throw;
        }
        ++done;
    }
    bulk.finish();
    transaction.commit();
    if (stored)
        *stored = done;
}
