#include "data/AddressStore.h"

#include "data/Dates.h"
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
    case AddressFilter::Kind::Search:
        // instr() takes the text literally (no wildcards); lower() folds ASCII letters only.
        return db.query(listColumns + QStringLiteral(" WHERE instr(lower(Address), lower(?)) > 0"
                                                     " OR instr(lower(AddressName), lower(?)) > 0"),
                        {filter.text, filter.text});
    }
    return db.query(listColumns);
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

int AddressStore::countVisit(DbConnection &db, const QString &address)
{
    return db.execute(QStringLiteral("UPDATE address SET Times = Times + 1, ViewTime = ? WHERE Address = ?"),
                      {Dates::todayForStorage(), address});
}

void AddressStore::insert(DbConnection &db, const QString &address, const QString &name, int groupNo)
{
    db.execute(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo) "
                              "VALUES (?, ?, 0, ?, ?)"),
               {address, name, Dates::todayForStorage(), groupNo});
}

int AddressStore::update(DbConnection &db, const QString &address, const QString &name, int groupNo,
                         const QString &oldAddress, const QString &oldName)
{
    return db.execute(QStringLiteral("UPDATE address SET Address = ?, AddressName = ?, GroupNo = ? "
                                     "WHERE Address = ? AND AddressName = ?"),
                      {address, name, groupNo, oldAddress, oldName});
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
    const QString sql = QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo) "
                                       "VALUES (?, ?, 0, ?, ?)");
    for (const NewAddress &row : rows) {
        try {
            db.execute(sql, {row.address, row.name, today, groupNo});
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
