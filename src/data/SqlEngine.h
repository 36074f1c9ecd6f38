#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <initializer_list>
#include <memory>

#include "data/AppError.h"

class QSqlDatabase;
class QSqlError;
class RowReader;
class SqlSession;

// A statement that writes, prepared once through an engine's own client library and run
// for many rows with its values in column order (see WriteStatement). An engine may hold
// rows back to send many at once: flush() sends them.
class PreparedWrite
{
public:
    virtual ~PreparedWrite() = default;
    // Throws AppError with the engine's text when a row is refused.
    virtual void run(std::initializer_list<QVariant> values) = 0;
    virtual void flush() {}
};

// What differs between the database engines the program runs on, kept in one class per
// engine (SqliteEngine, PostgresEngine) so that the stores and the schema hold only
// statements every engine understands. DbConnection picks the engine from the place it
// opens: a file is SQLite, a server URI PostgreSQL. An engine knows that place, how to
// open a connection to it and how to read rows through its own client library; it runs
// its statements on the SqlSession it is given.
class SqlEngine
{
public:
    virtual ~SqlEngine() = default;

    // The refusal of every write to a database that may only be read.
    static AppError readOnlyError();

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
    // True when the error says the database is a file of another kind.
    virtual bool isForeignFile(const QSqlError &) const { return false; }
    // Whether the connection itself is gone (a server that went away), after `error`.
    virtual bool isConnectionLost(const QSqlDatabase &db, const QSqlError &error) const = 0;

    // How messages name the database: the file, or the server, its port and database.
    virtual QString describe() const = 0;

    // Where the database does not exist yet, makes it complete before anyone can see it:
    // `fillTables` is given a temporary location to make the tables in. Throws AppError.
    virtual void createIfMissing(const std::function<void(const QString &temporaryLocation)> &fillTables) const
    {
        (void)fillTables;
    }
    struct OpenSettings
    {
        int busyTimeoutMs = 0;
        // A connection time-out of its own for tries without a user waiting; 0: the usual.
        int quickConnectSeconds = 0;
    };
    // Opens `db` (made with driverName()) on the engine's database; gives true when it
    // could be opened for reading only. Throws AppError.
    virtual bool open(QSqlDatabase &db, const OpenSettings &settings) const = 0;
    // Hands each row of the statement to `sink`, read through the engine's own client
    // library on the connection Qt's driver opened; false when it cannot, and the caller
    // then reads through Qt's driver.
    virtual bool readRows(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                          const std::function<void(const RowReader &)> &sink) const = 0;

    // Run on every new connection before anything is read from it.
    virtual void startSession(SqlSession &) const {}
    // Run once on every new connection of a database that can be written.
    virtual void prepareSession(SqlSession &db) const = 0;

    // The schema's version (0 for a database that never had one) and how it is stored.
    virtual int schemaVersion(SqlSession &db) const = 0;
    virtual QStringList setSchemaVersionStatements(int version) const = 0;
    // Inside the transaction that makes the tables: keeps another program that makes
    // them at the same moment waiting, so that it finds them made. Empty if not needed.
    virtual QString schemaLockStatement() const = 0;
    // The table that records the schema's version, where the engine needs one.
    virtual QString schemaVersionTable() const { return {}; }
    // Names of the program's tables in the database, the engine's own ones left out.
    virtual QStringList tableNames(SqlSession &db) const = 0;

    // Column definitions for the schema. An automatic number: one more than any given
    // before, never reused; an explicitly inserted number is allowed too.
    virtual QString autoNumberColumn(const QString &name) const = 0;
    // The hidden key that picks one row of a table that has no key of its own and keeps
    // the order rows were added in; its definition (with a leading comma) where the
    // engine has no such key by itself.
    virtual QString rowKeyColumn() const = 0;
    virtual QString rowKeyDefinition() const = 0;
    // The address table's key, RowNo (with a leading comma): it keeps the order rows were
    // added in and numbers them for good, where SQLite's hidden key would be renumbered
    // by a VACUUM, say, and the search index would then point at other rows.
    virtual QString addressKeyDefinition() const = 0;
    // What a listing of the addresses (the view address_1) appends to come back in the
    // order the rows were added: empty where the engine's scan gives that order anyway,
    // whereas a server moves a row whenever it is changed.
    virtual QString addedOrderClause() const = 0;
    // Statements that complete the schema beyond the shared tables and views.
    virtual QStringList extraSchemaStatements() const = 0;
    // Indexes beyond the shared ones, with whatever keeps them in step with every writer
    // of the rows: the index of the listing order where the engine needs one, and the one
    // that finds a text inside the folded columns. Made after the shared tables and views.
    virtual QStringList indexStatements() const = 0;
    // Fills the search index from the stored rows, where it does not read them itself.
    virtual QStringList refillSearchIndexStatements() const = 0;
    // The numbers (column FoundRowNo, ascending) of at least every address whose folded
    // columns contain `foldedText`, read from the search index, and the values the
    // statement binds. Empty where the index cannot serve this text (too short, say) or
    // where the plain comparison uses the index by itself.
    struct IndexedSearch
    {
        QString rows;
        QVariantList values;
    };
    virtual IndexedSearch indexedSearch(const QString &foldedText) const = 0;
    // Around many inserts of addresses in one write transaction, with no other change of
    // the address table in between: the search index takes the new rows (RowNo above
    // `lastRowNoBefore`) in one statement at the end, several times faster than one by one.
    virtual void pauseSearchIndex(SqlSession &db) const = 0;
    virtual void resumeSearchIndex(SqlSession &db, qint64 lastRowNoBefore) const = 0;
    // After rows were inserted with explicit automatic numbers: the next automatic
    // number follows them.
    virtual QStringList followExplicitNumbersStatements(const QString &table, const QString &column) const = 0;

    // What an INSERT, UPDATE or DELETE appends to give back these columns of each row it
    // wrote (with a leading space). Empty where the engine does without: the history then
    // reads the rows itself, which costs little in a file read in the same process.
    virtual QString returningClause(const QString &columns) const
    {
        (void)columns;
        return {};
    }
    // An expression giving a 64-bit digest of these columns of a row, NULL told from an
    // empty text, computed where the row is stored: whether a row changed is then told
    // without sending its values. Empty where the program digests the values it reads.
    virtual QString rowDigest(const QStringList &columns) const
    {
        (void)columns;
        return {};
    }
    // A statement that stores the address rows of one bound JSON array in one go (objects
    // with the keys rowno, address, addressname, times, viewtime, groupno, myaddress,
    // addressfolded and addressnamefolded; a null rowno takes the next number), giving
    // back each row stored (RowNo, Address, AddressName, Times, ViewTime, GroupNo,
    // MyAddress, and the rowDigest() of MovedRows::comparedAddressColumns() where the
    // engine digests rows). Empty where the engine has none: the rows are then stored one
    // by one.
    virtual QString insertAddressesStatement() const { return {}; }
    // A write statement for many rows through the engine's own client library, where Qt
    // Sql's layer costs several times the write itself or a server's answer to each row
    // costs more than its insert; null where the engine has none (the statement then goes
    // through Qt Sql).
    virtual std::unique_ptr<PreparedWrite> prepareWrite(const QSqlDatabase &db, const QString &sql) const
    {
        (void)db;
        (void)sql;
        return nullptr;
    }

    // Whether LIKE takes a pattern this long.
    virtual bool likeTakesPattern(const QString &pattern) const = 0;
    // A condition true where `column` holds the bound text literally, for texts too long
    // to be a LIKE pattern.
    virtual QString containsCondition(const QString &column) const = 0;
};
