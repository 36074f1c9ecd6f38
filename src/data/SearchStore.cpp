#include "data/SearchStore.h"

#include "data/Dates.h"

#include <QVariant>

void SearchStore::save(DbConnection &db, const QString &text)
{
    db.execute(QStringLiteral("INSERT INTO Search (SearchText, Searchdate) VALUES (?, ?)"),
               {text, Dates::todayForStorage()});
}

QStringList SearchStore::history(DbConnection &db)
{
    QStringList texts;
    QSqlQuery query = db.query(QStringLiteral("SELECT SearchText FROM Search ORDER BY Sort_No DESC"));
    while (query.next())
        texts << query.value(0).toString();
    return texts;
}

int SearchStore::count(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT count(*) AS c1 FROM Search"));
    return query.next() ? query.value(0).toInt() : 0;
}

void SearchStore::deleteOldest(DbConnection &db, int n)
{
    if (n <= 0)
        return;
    db.execute(QStringLiteral("DELETE FROM Search WHERE Sort_No IN "
                              "(SELECT Sort_No FROM Search ORDER BY Sort_No ASC LIMIT ?)"),
               {n});
}
