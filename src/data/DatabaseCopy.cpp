#include "data/DatabaseCopy.h"

#include "data/AppError.h"
#include "data/BulkInsert.h"
#include "data/DbConnection.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QSqlRecord>

#include <vector>

namespace {

// The tables copied, each with the columns a program writes (an engine's hidden row key
// is left to the target, which numbers the rows in the same order).
struct Table
{
    QString name;
    QStringList columns;
};

const Table Groups{QStringLiteral("BaseGroup"), {QStringLiteral("GroupNo"), QStringLiteral("GroupName")}};
const Table Addresses{QStringLiteral("address"),
                      {QStringLiteral("Address"), QStringLiteral("AddressName"), QStringLiteral("Times"),
                       QStringLiteral("ViewTime"), QStringLiteral("GroupNo"), QStringLiteral("MyAddress"),
                       QStringLiteral("AddressFolded"), QStringLiteral("AddressNameFolded")}};
const Table Searches{QStringLiteral("Search"),
                     {QStringLiteral("SearchText"), QStringLiteral("Searchdate"), QStringLiteral("Sort_No")}};

// What the link check found and the site icons it fetched, keyed by address and site.
const Table LinkChecks{QStringLiteral("LinkCheck"),
                       {QStringLiteral("Address"), QStringLiteral("Status"), QStringLiteral("HttpCode"),
                        QStringLiteral("FinalAddress"), QStringLiteral("TitleSeen"), QStringLiteral("Reason"),
                        QStringLiteral("FirstFailure"), QStringLiteral("FailuresInRow"), QStringLiteral("CheckedAt")}};
const Table SiteIcons{QStringLiteral("SiteIcon"),
                      {QStringLiteral("Site"), QStringLiteral("Icon"), QStringLiteral("FetchedAt")}};

// The recycle bin, with its numbers (the command line names rows by them).
const Table Deleted{QStringLiteral("RecycleBin"),
                    {QStringLiteral("Id"), QStringLiteral("RowNo"), QStringLiteral("Address"),
                     QStringLiteral("AddressName"), QStringLiteral("Times"), QStringLiteral("ViewTime"),
                     QStringLiteral("GroupNo"), QStringLiteral("MyAddress"), QStringLiteral("GroupName"),
                     QStringLiteral("DeletedAt"), QStringLiteral("DeletedBy")}};

using Rows = std::vector<QVariantList>;

// The rows in the order they were stored: the engine's row key, or the history's own number.
Rows readAll(DbConnection &db, const Table &table, const QString &orderColumn)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                   .arg(table.columns.join(QStringLiteral(", ")), table.name, orderColumn));
    Rows rows;
    const int width = int(table.columns.size());
    while (query.next()) {
        QVariantList values;
        values.reserve(width);
        // A NULL stays NULL: the connection binds a null text as an empty one.
        for (int column = 0; column < width; ++column)
            values << (query.isNull(column) ? QVariant() : query.value(column));
        rows.push_back(std::move(values));
    }
    return rows;
}

void insertAll(DbConnection &db, const Table &table, const Rows &rows)
{
    QStringList placeholders;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        placeholders << QStringLiteral("?");
    QSqlQuery insert = db.prepare(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table.name, table.columns.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))));
    for (const QVariantList &values : rows)
        db.run(insert, values);
}

int countOf(DbConnection &db, const QString &table)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return query.next() ? query.value(0).toInt() : 0;
}

} // namespace

DatabaseCopy::Result DatabaseCopy::copy(DbConnection &from, DbConnection &to)
{
    const QString fromKey = from.engine().rowKeyColumn();
    const Rows groups = readAll(from, Groups, fromKey);
    const Rows addresses = readAll(from, Addresses, fromKey);
    const Rows searches = readAll(from, Searches, QStringLiteral("Sort_No"));
    const Rows linkChecks = readAll(from, LinkChecks, QStringLiteral("Address"));
    const Rows siteIcons = readAll(from, SiteIcons, QStringLiteral("Site"));
    const Rows deleted = readAll(from, Deleted, QStringLiteral("Id"));

    Transaction transaction(to);
    to.lockTables({Groups.name, Addresses.name, Searches.name, LinkChecks.name, SiteIcons.name, Deleted.name});
    if (const int held = countOf(to, Addresses.name); held > 0)
        throw AppError(
            QCoreApplication::translate("DatabaseCopy",
                                        "目标数据库“%1”中已有 %n 条网址，未复制任何内容：只能复制到没有网址的数据库。",
                                        nullptr, held)
                .arg(to.describe()));

    // A new library holds the import group already; the copy brings its own.
    to.execute(QStringLiteral("DELETE FROM %1").arg(Groups.name));
    for (const Table *table : {&Searches, &LinkChecks, &SiteIcons, &Deleted})
        to.execute(QStringLiteral("DELETE FROM %1").arg(table->name));
    insertAll(to, Groups, groups);
    BulkInsert bulk(to);
    insertAll(to, Addresses, addresses);
    bulk.finish();
    insertAll(to, Searches, searches);
    for (const QString &statement :
         to.engine().followExplicitNumbersStatements(Searches.name, QStringLiteral("Sort_No")))
        to.execute(statement);
    insertAll(to, LinkChecks, linkChecks);
    insertAll(to, SiteIcons, siteIcons);
    insertAll(to, Deleted, deleted);
    for (const QString &statement : to.engine().followExplicitNumbersStatements(Deleted.name, QStringLiteral("Id")))
        to.execute(statement);
    transaction.commit();
    return Result{int(groups.size()), int(addresses.size()), int(searches.size())};
}

QString DatabaseCopy::summary(const Result &result, const QString &target)
{
    return QStringLiteral("%1 groups, %2 addresses, %3 search texts copied to %4")
        .arg(result.groups)
        .arg(result.addresses)
        .arg(result.searches)
        .arg(target);
}
