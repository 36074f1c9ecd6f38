#pragma once

#include "data/ServerAddress.h"

#include <QString>

// Where the library is: an SQLite file, or a database on a PostgreSQL server. Read once
// from the settings (or a command line) and handed on as it is, so that nobody asks a
// text again whether it names a server.
class LibraryLocation
{
public:
    // No library: a connection given none refuses every statement.
    LibraryLocation() = default;
    static LibraryLocation file(const QString &path);
    // A location given as text: a server's URI (see ServerAddress) when it starts with
    // one of the URI schemes, else a file's path. Throws AppError for a faulty URI,
    // naming `origin` (where the text was given).
    static LibraryLocation parse(const QString &text);
    static LibraryLocation parse(const QString &text, const QString &origin);

    bool isEmpty() const { return m_text.isEmpty(); }
    bool isServer() const { return m_isServer; }
    // The file's path; empty for a server.
    QString filePath() const { return m_isServer ? QString() : m_text; }
    // The server's address; meaningful only where isServer().
    const ServerAddress &server() const { return m_server; }
    // The path or the URI as given: two connections given the same text use the same
    // database (it names the library in the reports of writes).
    const QString &text() const { return m_text; }
    // How messages name the library: the file, or the server, its port and database.
    QString describe() const { return m_isServer ? m_server.describe() : m_text; }

    bool operator==(const LibraryLocation &other) const { return m_text == other.m_text; }
    bool operator!=(const LibraryLocation &other) const { return !(*this == other); }

private:
    static LibraryLocation onServer(const QString &uri, ServerAddress server);

    QString m_text;
    bool m_isServer = false;
    ServerAddress m_server;
};
