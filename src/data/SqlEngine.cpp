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

bool SqlEngine::likeTakesPattern(const QString &pattern)
{
    constexpr qsizetype longestPatternBytes = 50000; // SQLite's built-in limit
    return pattern.size() * 3 <= longestPatternBytes || pattern.toUtf8().size() <= longestPatternBytes;
}

QString SqlEngine::containsCondition(const QString &column)
{
    return QStringLiteral("instr(%1, ?) > 0").arg(column);
}

QString SqlEngine::rowKeyColumn()
{
    return QStringLiteral("rowid");
}
