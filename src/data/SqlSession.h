#pragma once

#include <QByteArrayView>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class SqlEngine;

// The current row of a statement being read row by row. Its texts are valid only while
// the row is.
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
    virtual bool isNull(int column) const = 0;
};

// What an engine, the schema's upgrade and the folded columns need of a connection: the
// statements, not how the connection is opened or kept. DbConnection is the one there is;
// this keeps the engines and the schema from depending on it.
class SqlSession
{
public:
    virtual ~SqlSession() = default;

    // Runs a statement that returns rows; the query is positioned before the first row.
    virtual QSqlQuery query(const QString &sql, const QVariantList &values) = 0;
    QSqlQuery query(const QString &sql) { return query(sql, {}); }
    // Runs a statement that returns no rows; gives the number of rows it changed.
    virtual int execute(const QString &sql, const QVariantList &values) = 0;
    int execute(const QString &sql) { return execute(sql, {}); }
    // A statement prepared once and run for many rows; `run` gives the rows changed.
    virtual QSqlQuery prepare(const QString &sql) = 0;
    virtual int run(QSqlQuery &statement, const QVariantList &values) = 0;

    virtual const SqlEngine &engine() const = 0;
    // How long every statement and transaction waits for another program's lock.
    virtual int busyTimeout() const = 0;
};
