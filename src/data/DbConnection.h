#pragma once

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

#include "data/AppError.h"
#include "data/LibraryLocation.h"
#include "data/SqlEngine.h"
#include "data/SqlSession.h"

// One named connection to the address database: an SQLite file, or a database on a
// PostgreSQL server named by its URI. Every connection of the program has a unique name
// and is removed when its owner is destroyed. A statement run on a closed connection
// opens it first; a failed open or statement throws AppError with the database's own
// error text.
//
// A server that went away fails the statement that finds out, and closes the
// connection; the next statement opens it again. A read, or the start of a transaction,
// that finds a lost connection outside a transaction is tried once more on a new one,
// since nothing of it can have been done.
//
// Opening makes a server's database ready for use as it does a file: missing tables are
// made in one transaction, and a newer or incomplete database is refused.
//
// Opening makes the file ready for use: a missing file is built complete in a temporary
// file beside it and then renamed into place; a file with no table at all gets the
// tables; a file of an older version is upgraded in one transaction. A file of a newer
// version, or one holding only some of the tables, is refused and left as it is. A file
// that cannot be written (a read-only folder) is opened for reading only; every write
// then throws AppError of kind ReadOnly.
//
// How a database is opened and read natively is its engine's (SqlEngine); this class keeps
// the connection, its transactions and the schema's version.
class DbConnection : public SqlSession
{
    Q_DECLARE_TR_FUNCTIONS(DbConnection)

public:
    // How long every statement and transaction waits for another program's lock.
    static constexpr int DefaultBusyTimeoutMs = 5000;

    // `role` only helps reading connection names while debugging ("Dm1", "editor").
    explicit DbConnection(const QString &role);
    ~DbConnection() override;
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // The database this connection opens: a file, or a database on a PostgreSQL server.
    // Or the error that keeps it from having one (a `Path` that is not a usable folder,
    // say). Set once by the owner, before the first statement.
    void setLocation(const LibraryLocation &location);
    void setConfigurationError(const QString &message);
    // The same, given as text (a file's path or a server's URI), as tools and tests give
    // it; a faulty URI becomes the configuration error.
    void setDatabaseFile(const QString &location);
    // The location given; another connection given it opens the same database.
    const LibraryLocation &location() const { return m_location; }
    // True when the database is on a server (there is no file then).
    bool isServer() const { return m_engine->isServer(); }
    const SqlEngine &engine() const override { return *m_engine; }
    // How messages name the database: the file, or the server, its port and database.
    QString describe() const;
    QString connectionName() const { return m_name; }
    // Takes effect at the next open.
    void setBusyTimeout(int milliseconds) { m_busyTimeoutMs = milliseconds; }
    int busyTimeout() const override { return m_busyTimeoutMs; }

    void open();
    // Opens with a connection time-out of its own (a server's), for tries that run
    // without a user waiting; false when it failed.
    bool tryOpenQuickly(int connectTimeoutSeconds);
    void close();
    bool isOpen() const;
    // True once opened on a file that cannot be written.
    bool isReadOnly() const { return m_readOnly; }

    // Runs a statement that returns rows; the query is positioned before the first row.
    QSqlQuery query(const QString &sql, const QVariantList &values = {}) override;
    // Runs a statement and hands each row to `sink` as it is stepped. Where the engine
    // can, the rows are read through its own client library, without a QVariant per value.
    void readRows(const QString &sql, const QVariantList &values, const std::function<void(const RowReader &)> &sink);
    // Runs a statement that changes rows and gives back one row for each (RETURNING), read
    // as readRows() reads them; gives the number of rows.
    int changeRows(const QString &sql, const QVariantList &values, const std::function<void(const RowReader &)> &sink);
    // Runs a statement that returns no rows; gives the number of rows it changed.
    int execute(const QString &sql, const QVariantList &values = {}) override;
    // A statement prepared once and run for many rows; `run` gives the rows changed.
    QSqlQuery prepare(const QString &sql) override;
    int run(QSqlQuery &statement, const QVariantList &values) override;

    // Write transactions: the write lock is taken at the start.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }
    // Inside a write transaction: no other program writes these tables until it ends, so
    // that what was read stays true until the transaction's writes are done.
    void lockTables(const QStringList &tables);

    // Test seam: called once a new database is complete in its temporary file, before
    // it is renamed into place. An AppError thrown here abandons the new file.
    static void setNewFileHook(std::function<void(const QString &temporaryFile)> hook);

private:
    QSqlQuery prepared(const QString &sql, const QVariantList &values);
    template <typename Result>
    Result retryingOnce(const std::function<Result()> &statement);
    AppError failure(const QSqlError &error);
    void useLocation(const LibraryLocation &location);
    void runStatement(const QString &sql);
    void noteWrite(int changedRows);
    void requireWritable() const;
    void prepareForUse();
    void createSchema();
    void upgradeFrom(int version);

    QString m_name;
    LibraryLocation m_location;
    std::unique_ptr<SqlEngine> m_engine;
    bool m_inTransaction = false;
    bool m_wroteInTransaction = false;
    int m_quickConnectSeconds = 0;
    QString m_configurationError;
    int m_busyTimeoutMs = DefaultBusyTimeoutMs;
    bool m_readOnly = false;
};

// RAII transaction: rolls back unless committed. Made while the connection is in a
// transaction already, it joins that one: its commit and rollback are left to the outer
// one, so that a command can run inside a step that records what it changed.
class Transaction
{
public:
    explicit Transaction(DbConnection &connection);
    ~Transaction();
    void commit();

private:
    DbConnection &m_connection;
    bool m_joined = false;
    bool m_done = false;
};
