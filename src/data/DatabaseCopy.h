#pragma once

#include <QString>

class DbConnection;

// Copies a whole library to another place: an SQLite file to a PostgreSQL server or back.
namespace DatabaseCopy {

struct Result
{
    int groups = 0;
    int addresses = 0;
    int searches = 0;
};

// Every group (with its number), every address (visits, dates, favourites, the folded
// search columns), the search history and the recycle bin (with their numbers) of `from`, in the order they
// were stored, into `to`, in one transaction on `to`. `to` is opened first, which makes its
// tables when it has none. A `to` that holds addresses already is refused and left as it
// is; its groups and search history are replaced. Everything is read before `to` is
// written, so a `to` that is `from` itself loses nothing. Throws AppError.
Result copy(DbConnection &from, DbConnection &to);

// One line for the command line: what was copied where.
QString summary(const Result &result, const QString &target);

} // namespace DatabaseCopy
