#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Where a PostgreSQL server is and which database of it to use, as read from a connection
// URI in the settings:
//   postgresql://user@host:port/dbname        (postgres:// alike)
//   postgresql:///dbname?host=/run/postgresql  a Unix socket's folder as the host
//   postgresql://user@%2Frun%2Fpostgresql/db   the same, the folder percent-encoded
// with the query parameters host, port, user, dbname, sslmode, connect_timeout and
// application_name, which win over the parts before them. A password is refused: it
// comes from ~/.pgpass or PGPASSWORD, which the client library reads itself.
struct ServerAddress
{
    Q_DECLARE_TR_FUNCTIONS(ServerAddress)

public:
    QString host; // a host name, a numeric address, or a socket folder (starting with '/'); empty: the default socket
    int port = -1; // -1: the default port
    QString user; // empty: the name of the user running the program
    QString database; // empty: the user's name
    QString sslMode;
    QString connectTimeout;
    QString applicationName;

    // True for a text that names a server rather than a file: it starts with one of the
    // two URI schemes (any letter case).
    static bool isServerUri(const QString &text);
    // Throws AppError naming `origin` (where the URI was given; empty: the settings'
    // Database value) and saying what is wrong; the text never repeats a password.
    static ServerAddress parse(const QString &uri, const QString &origin = {});

    // The options of Qt's PostgreSQL driver beyond host, port, user and database.
    QString connectOptions() const;
    // The URI of this address, with another database in place of this one's when given.
    QString toUri(const QString &otherDatabase = {}) const;
    // How messages name the server: "服务器 localhost 端口 5432 数据库 addresses" (in the user's language).

    QString describe() const;
};
