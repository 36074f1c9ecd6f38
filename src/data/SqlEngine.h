#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class DbConnection;
class QSqlDatabase;
class QSqlError;

// What differs between the database engines the program runs on, kept in one class per
// engine (SqliteEngine, PostgresEngine) so that the stores and the schema hold only
// statements every engine understands. DbConnection picks the engine from the place it
// opens: a file is SQLite, a server URI PostgreSQL.
class SqlEngine
{
public:
    virtual ~SqlEngine() = default;

    // The engine of a database location: a file path, or a PostgreSQL URI.
    static std::unique_ptr<SqlEngine> forLocation(const QString &location);

    // Qt's driver name.
    virtual QString driverName() const = 0;
    // True for an engine behind a server, which other computers use at the same time.
    virtual bool isServer() const = 0;

    // Starts a write transaction so that it waits for another program's writes up front
    // instead of failing halfway.
    virtual QString beginWriteStatement() const = 0;
    QString commitStatement() const { return QStringLiteral("COMMIT"); }
    QString rollbackStatement() const { return QStringLiteral("ROLLBACK"); }
    // Inside a write transaction: keeps every other writer of these tables waiting until
    // the transaction ends, so that a read, a check and a write form one step (the next
    // group number, a name stored once). Empty where the transaction holds that lock.
    virtual QString lockTablesStatement(const QStringList &tables) const = 0;
    // Whether a failed statement leaves the rest of its transaction unusable.
    virtual bool failedStatementEndsTransaction() const = 0;
    // Whether the database refused a write because it may only be read.
    virtual bool isReadOnlyRefusal(const QSqlError &error) const = 0;
    // Whether the connection itself is gone (a server that went away), after `error`.
    virtual bool isConnectionLost(const QSqlDatabase &db, const QSqlError &error) const = 0;

    // Run on every new connection before anything is read from it.
    virtual void startSession(DbConnection &) const {}
    // Run once on every new connection of a database that can be written.
    virtual void prepareSession(DbConnection &db) const = 0;

    // The schema's version (0 for a database that never had one) and how it is stored.
    virtual int schemaVersion(DbConnection &db) const = 0;
    virtual QStringList setSchemaVersionStatements(int version) const = 0;
    // Inside the transaction that makes the tables: keeps another program that makes
    // them at the same moment waiting, so that it finds them made. Empty if not needed.
    virtual QString schemaLockStatement() const = 0;
    // Names of the program's tables in the database, the engine's own ones left out.
    virtual QStringList tableNames(DbConnection &db) const = 0;

    // Column definitions for the schema. An automatic number: one more than any given
    // before, never reused; an explicitly inserted number is allowed too.
    virtual QString autoNumberColumn(const QString &name) const = 0;
    // The hidden key that picks one row of a table that has no key of its own and keeps
    // the order rows were added in; its definition (with a leading comma) where the
    // engine has no such key by itself.
    virtual QString rowKeyColumn() const = 0;
    virtual QString rowKeyDefinition() const = 0;
    // What a listing of the addresses (the view address_1) appends to come back in the
    // order the rows were added: empty where the engine's scan gives that order anyway,
    // whereas a server moves a row whenever it is changed.
    virtual QString addedOrderClause() const = 0;
    // Statements that complete the schema beyond the shared tables and views.
    virtual QStringList extraSchemaStatements() const = 0;
    // After rows were inserted with explicit automatic numbers: the next automatic
    // number follows them.
    virtual QStringList followExplicitNumbersStatements(const QString &table, const QString &column) const = 0;

    // Whether LIKE takes a pattern this long.
    virtual bool likeTakesPattern(const QString &pattern) const = 0;
    // A condition true where `column` holds the bound text literally, for texts too long
    // to be a LIKE pattern.
    virtual QString containsCondition(const QString &column) const = 0;
};
