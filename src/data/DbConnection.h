#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>

// The current row of a statement being read by DbConnection::readRows. Its texts are
// valid only while the row is.
class RowReader
{
public:
    virtual ~RowReader() = default;
    // The column as UTF-8 text; NULL reads as empty.
    virtual QByteArrayView utf8(int column) const = 0;
    QString text(int column) const { return QString::fromUtf8(utf8(column)); }
    // Whether the column holds an integer, and the integer.
    virtual bool isInteger(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
};

// One named connection to the address database. Every connection of the program has a
// unique name and is removed when its owner is destroyed. A statement run on a closed
// connection opens it first; a failed open or statement throws AppError with the
// database's own error text.
class DbConnection
{
public:
    // `role` only helps reading connection names while debugging ("Dm1", "editor").
    explicit DbConnection(const QString &role);
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // The database file this connection opens, or the error that keeps it from having
    // one (a `Path` that is not a usable folder, say). Set once by the owner.
    void setDatabaseFile(const QString &file);
    void setConfigurationError(const QString &message);
    QString databaseFile() const { return m_file; }
    QString connectionName() const { return m_name; }

    void open();
    void close();
    bool isOpen() const;

    // Runs a statement that returns rows; the query is positioned before the first row.
    QSqlQuery query(const QString &sql, const QVariantList &values = {});
    // Runs a statement and hands each row to `sink` as it is stepped. On SQLite the rows
    // are read through the driver's own handle, without a QVariant per value.
    void readRows(const QString &sql, const QVariantList &values, const std::function<void(const RowReader &)> &sink);
    // Runs a statement that returns no rows; gives the number of rows it changed.
    int execute(const QString &sql, const QVariantList &values = {});

    void beginTransaction();
    void commit();
    void rollback();

private:
    QSqlQuery prepared(const QString &sql, const QVariantList &values);
    bool readNativeRows(const QString &sql, const QVariantList &values,
                        const std::function<void(const RowReader &)> &sink);
    void createSchema();

    QString m_name;
    QString m_file;
    QString m_configurationError;
};

// RAII transaction: rolls back unless committed.
class Transaction
{
public:
    explicit Transaction(DbConnection &connection);
    ~Transaction();
    void commit();

private:
    DbConnection &m_connection;
    bool m_done = false;
};
