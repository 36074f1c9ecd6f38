#include "data/AddressStore.h"

#include "data/Dates.h"
#include "data/SqlEngine.h"
#include "data/AppError.h"
#include "data/BulkInsert.h"
#include "data/RecycleBin.h"

#include <QVariant>

#include <tuple>
#include <utility>
#include <vector>

namespace {

const QString listedColumns = QStringLiteral("SELECT Address, AddressName, ViewTime, Times, MyAddress, GroupName");
const QString listColumns = listedColumns + QStringLiteral(" FROM address_1");

struct Listing
{
    QString sql;
    QVariantList values;
    bool ordered = false; // in the order the rows were added in already
};

Listing listingFor(const SqlEngine &engine, const AddressFilter &filter)
{
    switch (filter.kind) {
    case AddressFilter::Kind::All:
        return {listColumns, {}};
    case AddressFilter::Kind::Favourites:
        return {listColumns + QStringLiteral(" WHERE MyAddress <> 0"), {}};
    case AddressFilter::Kind::Group:
        return {listColumns + QStringLiteral(" WHERE GroupName = ?"), {filter.text}};
    case AddressFilter::Kind::Search: {
        // The folded columns are compared with the folded text, so the case of every
        // letter is ignored alike on every engine; the escaped pattern takes the text
        // literally. Where the search index can serve the text, it picks the rows to
        // compare, which then come in the same order as without it.
        const QString text = AddressStore::folded(filter.text);
        const QString pattern = AddressStore::containsPattern(filter.text);
        const SqlEngine::IndexedSearch indexed = engine.indexedSearch(text);
        const bool useIndex = !indexed.rows.isEmpty();
        Listing listing{useIndex ? listedColumns + QStringLiteral(" FROM %1 JOIN address_1 ON RowNo = FoundRowNo WHERE ")
                                                       .arg(indexed.rows)
                                 : listColumns + QStringLiteral(" WHERE "),
                        indexed.values};
        if (!engine.likeTakesPattern(pattern)) {
            listing.sql += QStringLiteral("(%1 OR %2)").arg(engine.containsCondition(QStringLiteral("AddressFolded")),
                                                             engine.containsCondition(QStringLiteral("AddressNameFolded")));
            listing.values << text << text;
        } else {
            listing.sql += QStringLiteral("(AddressFolded LIKE ? ESCAPE '\\' OR AddressNameFolded LIKE ? ESCAPE '\\')");
            listing.values << pattern << pattern;
        }
        if (useIndex) {
            listing.sql += QStringLiteral(" ORDER BY FoundRowNo");
            listing.ordered = true;
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

} // namespace

void AddressStore::forEach(DbConnection &db, const AddressFilter &filter,
                           const std::function<void(AddressRecord &&)> &sink)
{
    Listing listing = listingFor(db.engine(), filter);
    if (!listing.ordered)
        listing.sql += db.engine().addedOrderClause();
    Dates::DisplayFormatter dates;
    SharedTexts groups;
    SharedCounts counts;
    db.readRows(listing.sql, listing.values, [&](const RowReader &row) {
        AddressRecord record;
        record.address = row.text(0);
        record.name = row.text(1);
        record.viewTime = dates.format(row.utf8(2));
        record.times = counts.text(row, 3);
        record.favourite = row.integer(4) != 0;
        record.groupName = groups.text(row.utf8(5));
        sink(std::move(record));
    });
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

QString AddressStore::folded(const QString &text)
{
    return text.toCaseFolded();
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

void AddressStore::refoldAll(DbConnection &db)
{
    struct Row
    {
        QVariant key;
        QString address;
        QString name;
    };
    std::vector<Row> rows;
    const QString key = db.engine().rowKeyColumn();
    {
        QSqlQuery query = db.query(QStringLiteral("SELECT %1, Address, AddressName FROM address").arg(key));
        while (query.next())
            rows.push_back({query.value(0), query.value(1).toString(), query.value(2).toString()});
    }
    QSqlQuery update = db.prepare(
        QStringLiteral("UPDATE address SET AddressFolded = ?, AddressNameFolded = ? WHERE %1 = ?").arg(key));
    for (const Row &row : rows)
        db.run(update, {folded(row.address), folded(row.name), row.key});
}

int AddressStore::foldMissing(DbConnection &db)
{
    static const QString missing =
        QStringLiteral(" FROM address WHERE (AddressFolded = '' AND Address <> '') "
                       "OR (AddressNameFolded = '' AND AddressName <> '')");
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
    QSqlQuery update = db.prepare(
        QStringLiteral("UPDATE address SET AddressFolded = ?, AddressNameFolded = ? WHERE %1 = ?").arg(key));
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
    const int removed = db.execute(QStringLiteral("DELETE FROM address WHERE Address = ? AND GroupNo = ?"), {address, groupNo});
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
