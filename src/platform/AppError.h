#pragma once

#include <QString>

// The one error type of the program. The data layer throws it with the database's own
// error text; the command that issued the statement catches it and decides what the
// user sees. Never let it cross a Qt slot or an event loop.
class AppError
{
public:
    explicit AppError(QString message) : m_message(std::move(message)) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
