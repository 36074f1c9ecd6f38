#include "data/SqlEngine.h"

#include "data/DbConnection.h"

#include <QVariant>

QString SqlEngine::beginWriteStatement()
{
    return QStringLiteral("BEGIN IMMEDIATE");
}

QString SqlEngine::commitStatement()
{
    return QStringLiteral("COMMIT");
}

QString SqlEngine::rollbackStatement()
{
    return QStringLiteral("ROLLBACK");
}

void SqlEngine::useSharedJournal(DbConnection &db)
{
    // Fails with "file is not a database" for a file of another kind.
    db.query(QStringLiteral("PRAGMA journal_mode=WAL"));
}

int SqlEngine::schemaVersion(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

QString SqlEngine::setSchemaVersionStatement(int version)
{
    // A pragma takes no bound value; the number is the program's own constant.
    return QStringLiteral("PRAGMA user_version = %1").arg(version);
}

QStringList SqlEngine::tableNames(DbConnection &db)
{
    QStringList names;
    QSqlQuery query = db.query(QStringLiteral("SELECT name FROM sqlite_master "
                                              "WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QString SqlEngine::rowKeyColumn()
{
    return QStringLiteral("rowid");
}
