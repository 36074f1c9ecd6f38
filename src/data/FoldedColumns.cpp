#include "data/FoldedColumns.h"

#include "data/SqlEngine.h"
#include "data/SqlSession.h"

#include <QVariant>

#include <vector>

QString FoldedColumns::folded(const QString &text)
{
    return text.toCaseFolded();
}

void FoldedColumns::refoldAll(SqlSession &db)
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
    QSqlQuery update =
        db.prepare(QStringLiteral("UPDATE address SET AddressFolded = ?, AddressNameFolded = ? WHERE %1 = ?").arg(key));
    for (const Row &row : rows)
        db.run(update, {folded(row.address), folded(row.name), row.key});
}
