#include "data/SqliteEngine.h"

#include "data/DbConnection.h"

#include <QSqlError>
#include <QVariant>

QString SqliteEngine::beginWriteStatement() const
{
    // Takes the write lock at once, so that a busy database makes the caller wait the
    // busy timeout up front instead of failing when a read would have to become a write.
    return QStringLiteral("BEGIN IMMEDIATE");
}

QString SqliteEngine::lockTablesStatement(const QStringList &) const
{
    return {}; // the write transaction holds the whole file's write lock already
}

bool SqliteEngine::isReadOnlyRefusal(const QSqlError &error) const
{
    constexpr int sqliteReadOnly = 8; // primary result code; extended codes keep it in the low byte
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteReadOnly;
}

bool SqliteEngine::isForeignFile(const QSqlError &error) const
{
    constexpr int sqliteNotADatabase = 26; // "file is not a database"
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteNotADatabase;
}

void SqliteEngine::prepareSession(DbConnection &db) const
{
    // Readers and writers run side by side; the setting is stored in the file. Fails with
    // "file is not a database" for a file of another kind.
    db.query(QStringLiteral("PRAGMA journal_mode=WAL"));
}

int SqliteEngine::schemaVersion(DbConnection &db) const
{
    QSqlQuery query = db.query(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

QStringList SqliteEngine::setSchemaVersionStatements(int version) const
{
    // A pragma takes no bound value; the number is the program's own constant.
    return {QStringLiteral("PRAGMA user_version = %1").arg(version)};
}

QStringList SqliteEngine::tableNames(DbConnection &db) const
{
    QStringList names;
    QSqlQuery query = db.query(QStringLiteral("SELECT name FROM sqlite_master "
                                              "WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QString SqliteEngine::autoNumberColumn(const QString &name) const
{
    return QStringLiteral("%1 INTEGER PRIMARY KEY AUTOINCREMENT").arg(name);
}

bool SqliteEngine::likeTakesPattern(const QString &pattern) const
{
    constexpr qsizetype longestPatternBytes = 50000; // SQLite's built-in limit
    return pattern.size() * 3 <= longestPatternBytes || pattern.toUtf8().size() <= longestPatternBytes;
}

QString SqliteEngine::containsCondition(const QString &column) const
{
    return QStringLiteral("instr(%1, ?) > 0").arg(column);
}
