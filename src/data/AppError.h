#pragma once

#include <QString>

// The one error type of the program. The data layer throws it with the database's own
// error text; the command that issued the statement catches it and decides what the
// user sees. Never let it cross a Qt slot or an event loop.
class AppError
{
public:
    // ReadOnly: the database can be read but not changed; the text says so in words
    // the user understands, and commands show it instead of their usual failure box.
    // Unreachable: the database's server cannot be reached; the text names the server and
    // the reason, and is shown as it is.
    enum class Kind { Failure, ReadOnly, Unreachable };

    explicit AppError(QString message, Kind kind = Kind::Failure) : m_message(std::move(message)), m_kind(kind) {}
    const QString &message() const { return m_message; }
    Kind kind() const { return m_kind; }

private:
    QString m_message;
    Kind m_kind;
};
