#pragma once

#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

class PreparedWrite;
class QSqlDatabase;
class RowReader;

// Reads the rows of a statement on a PostgreSQL connection through the client library
// itself, on the connection Qt's driver opened: the whole result comes in one piece and
// each value is read where the library holds it. Qt's own fetch reads a forward-only
// result one row per server message and makes a record, a QVariant and a QString of every
// value, which is many times slower for a long list.
namespace PostgresRows {

// False when the connection is no open PostgreSQL connection, is busy with another
// statement, or the statement fails: the caller then runs it the usual way, which reports
// the failure (a read changes nothing, so running it twice is harmless). `sql` takes `?`
// placeholders, as every statement of the program does.
bool read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
          const std::function<void(const RowReader &)> &sink);

// The statement with `?` placeholders numbered as PostgreSQL wants them ($1, $2, ...
// from `first`); a `?` inside a quoted text or name stays.
QString numberedPlaceholders(const QString &sql, int first = 1);

// An INSERT ending in the VALUES list of one row, run for many rows that go to the server
// a thousand or so a statement; their values are bound. Null where the statement has
// another form or the connection is no open PostgreSQL connection.
std::unique_ptr<PreparedWrite> batchedWrite(const QSqlDatabase &db, const QString &sql);

} // namespace PostgresRows
