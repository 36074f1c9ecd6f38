#pragma once

#include "data/DbConnection.h"
#include "data/LibraryHistory.h"

#include <memory>

// Where the address database lives: `address.mdb` in the folder that `Path` names, or in
// the program's XDG data folder when `Path` is empty. Throws AppError when `Path` is not
// an absolute folder that exists (nothing is created in a missing folder).
QString databaseFileFor(const QString &pathSetting);

// Points a connection at the database named by the settings: a PostgreSQL server when
// `Database` holds its URI, else the file named by `Path`. A `Path` of the wrong
// type throws AppError("Invalid data type for 'Path'"); an unusable folder leaves the
// connection with that error, which its first statement reports.
void configureConnection(DbConnection &connection);

// The data module: owner of the shared connection used by the main window and the
// import window, and of the session's undo history. The connection opens at its first
// statement and stays open.
class SharedConnection
{
public:
    SharedConnection();
    // Reads the settings; may throw AppError (shown by the default error report).
    void init();
    DbConnection &connection() { return *m_connection; }
    LibraryHistory &history() { return m_history; }

private:
    std::unique_ptr<DbConnection> m_connection;
    LibraryHistory m_history;
};
