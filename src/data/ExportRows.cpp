#include "data/ExportRows.h"

#include "data/GroupStore.h"

#include <QVariant>

QStringList ExportRows::groups(DbConnection &db, const ExportScope &scope)
{
    switch (scope.kind) {
    case ExportScope::Kind::All:
        return GroupStore::groupNames(db);
    case ExportScope::Kind::Group:
        return {scope.groupName};
    case ExportScope::Kind::Favourites:
        return {};
    }
    return {};
}

void ExportRows::forEach(DbConnection &db, const ExportScope &scope, const std::function<void(ExportRow &&)> &sink)
{
    const QString columns = QStringLiteral(
        "SELECT g.GroupName, a.Address, a.AddressName, a.ViewTime FROM address a "
        "JOIN BaseGroup g ON g.GroupNo = a.GroupNo ");
    const QString key = db.engine().rowKeyColumn();
    QSqlQuery query;
    switch (scope.kind) {
    case ExportScope::Kind::All:
        query = db.query(columns + QStringLiteral("ORDER BY g.%1, a.%1").arg(key));
        break;
    case ExportScope::Kind::Group:
        query = db.query(columns + QStringLiteral("WHERE g.GroupName = ? ORDER BY a.%1").arg(key), {scope.groupName});
        break;
    case ExportScope::Kind::Favourites:
        query = db.query(columns + QStringLiteral("WHERE a.MyAddress <> 0 ORDER BY g.%1, a.%1").arg(key));
        break;
    }
    while (query.next()) {
        sink(ExportRow{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                       query.value(3).toString()});
    }
}
