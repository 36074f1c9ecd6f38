#include "data/ExportRows.h"

#include "data/GroupStore.h"

#include <QVariant>

QStringList ExportRows::groups(DbConnection &db, const ExportScope &scope)
{
    switch (scope.kind) {
    case ExportScope::Kind::All: return GroupStore::groupNames(db);
    case ExportScope::Kind::Group: return {scope.groupName};
    case ExportScope::Kind::Favourites: return {};
    }
    return {};
}

namespace {

// The bytes as they are when they are valid UTF-8, else their text with each fault
// replaced, kept in `repaired`.
QByteArrayView validUtf8(QByteArrayView bytes, QByteArray &repaired)
{
    if (bytes.isValidUtf8())
        return bytes;
    repaired = QString::fromUtf8(bytes).toUtf8();
    return repaired;
}

} // namespace

void ExportRows::forEach(DbConnection &db, const ExportScope &scope, const std::function<void(const ExportRow &)> &sink)
{
    const QString columns = QStringLiteral("SELECT g.GroupName, a.Address, a.AddressName, a.ViewTime FROM address a "
                                           "JOIN BaseGroup g ON g.GroupNo = a.GroupNo ");
    const QString key = db.engine().rowKeyColumn();
    QString sql;
    QVariantList values;
    switch (scope.kind) {
    case ExportScope::Kind::All: sql = columns + QStringLiteral("ORDER BY g.%1, a.%1").arg(key); break;
    case ExportScope::Kind::Group:
        sql = columns + QStringLiteral("WHERE g.GroupName = ? ORDER BY a.%1").arg(key);
        values << scope.groupName;
        break;
    case ExportScope::Kind::Favourites:
        sql = columns + QStringLiteral("WHERE a.MyAddress <> 0 ORDER BY g.%1, a.%1").arg(key);
        break;
    }
    // The texts go to the file as UTF-8: read as UTF-8, they are never turned into
    // QStrings and back for every row.
    QByteArray repaired[4];
    db.readRows(sql, values, [&](const RowReader &row) {
        sink(ExportRow{validUtf8(row.utf8(0), repaired[0]), validUtf8(row.utf8(1), repaired[1]),
                       validUtf8(row.utf8(2), repaired[2]), validUtf8(row.utf8(3), repaired[3])});
    });
}
