#include "data/AddressStore.h"

#include "data/Dates.h"
#include "data/SqlEngine.h"
#include "platform/AppError.h"

#include <QHash>
#include <QVariant>

namespace {

const QString listColumns =
    QStringLiteral("SELECT Address, AddressName, ViewTime, Times, MyAddress, GroupName FROM address_1");

QSqlQuery openListing(DbConnection &db, const AddressFilter &filter)
{
    switch (filter.kind) {
    case AddressFilter::Kind::All:
        return db.query(listColumns);
    case AddressFilter::Kind::Favourites:
        return db.query(listColumns + QStringLiteral(" WHERE MyAddress <> 0"));
    case AddressFilter::Kind::Group:
        return db.query(listColumns + QStringLiteral(" WHERE GroupName = ?"), {filter.text});
    case AddressFilter::Kind::Search: {
        // The folded columns are compared with the folded text, so the case of every
        // letter is ignored alike on every engine; the escaped pattern takes the text
        // literally.
        const QString pattern = AddressStore::containsPattern(filter.text);
        if (!SqlEngine::likeTakesPattern(pattern)) {
            const QString text = AddressStore::folded(filter.text);
            return db.query(listColumns + QStringLiteral(" WHERE %1 OR %2")
                                              .arg(SqlEngine::containsCondition(QStringLiteral("AddressFolded")),
                                                   SqlEngine::containsCondition(QStringLiteral("AddressNameFolded"))),
                            {text, text});
        }
        return db.query(listColumns + QStringLiteral(" WHERE AddressFolded LIKE ? ESCAPE '\\'"
                                                     " OR AddressNameFolded LIKE ? ESCAPE '\\'"),
                        {pattern, pattern});
    }
    }
    return db.query(listColumns);
}

QString insertStatement()
{
    return QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, "
                          "AddressFolded, AddressNameFolded) VALUES (?, ?, 0, ?, ?, ?, ?)");
}

} // namespace

void AddressStore::forEach(DbConnection &db, const AddressFilter &filter,
                           const std::function<void(AddressRecord &&)> &sink)
{
    QSqlQuery query = openListing(db, filter);
    QHash<QString, QString> shownDates; // most rows share a handful of dates
    while (query.next()) {
        AddressRecord record;
        record.address = query.value(0).toString();
        record.name = query.value(1).toString();
        const QString stored = query.value(2).toString();
        auto shown = shownDates.constFind(stored);
        if (shown == shownDates.constEnd())
            shown = shownDates.insert(stored, Dates::forDisplay(stored));
        record.viewTime = *shown;
        record.times = query.value(3).toString();
        record.favourite = query.value(4).toInt() != 0;
        record.groupName = query.value(5).toString();
        sink(std::move(record));
    }
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
    const QString key = SqlEngine::rowKeyColumn();
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
    return db.execute(QStringLiteral("DELETE FROM address WHERE Address = ? AND GroupNo = ?"), {address, groupNo});
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
    const QString today = Dates::todayForStorage();
    QSqlQuery insert = db.prepare(insertStatement());
    for (const NewAddress &row : rows) {
        try {
            db.run(insert, {row.address, row.name, today, groupNo, folded(row.address), folded(row.name)});
        } catch (const AppError &) {
            transaction.commit(); // keep the rows before the failing one
            if (stored)
                *stored = done;
            throw;
        }
        ++done;
    }
    transaction.commit();
    if (stored)
        *stored = done;
}
