#pragma once

#include <QString>

// A PostgreSQL server for a benchmark: the one VESTRANE_TEST_POSTGRES names, or one of its
// own, started with the tests' script (a Unix socket) and stopped at the end. Exits when it
// cannot start one.
class BenchServer
{
public:
    BenchServer();
    ~BenchServer();
    BenchServer(const BenchServer &) = delete;
    BenchServer &operator=(const BenchServer &) = delete;

    // A new, empty database on the server (a copy of `templateName` when given, which no
    // connection may use meanwhile); gives its URI. An old one of the name is dropped first.
    QString createDatabase(const QString &name, const QString &templateName = QString()) const;
    // The libpq connection string of a database of the server.
    QByteArray libpqTarget(const QString &name) const;

private:
    QString m_uri;
    QString m_folder;
};
