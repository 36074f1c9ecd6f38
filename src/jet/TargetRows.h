#pragma once

#include "data/DbConnection.h"
#include "data/WriteStatement.h"
#include "jet/JetRecords.h"

#include <memory>

// Writes rows read from a Jet file into the program's tables, with statements prepared
// once for the whole run. Each table has one function here that names every column it
// writes. A refused row throws AppError with the database's text.
class TargetRows
{
public:
    explicit TargetRows(DbConnection &db);
    ~TargetRows();
    TargetRows(const TargetRows &) = delete;
    TargetRows &operator=(const TargetRows &) = delete;

    void insertGroup(qint64 groupNo, const QString &name);
    // `groupNo` may differ from the row's own (a merge renumbers groups).
    void insertAddress(const JetAddress &row, std::optional<qint64> groupNo);
    // Without a number the database gives the next one.
    void insertSearch(const JetSearch &row, bool keepNumber);
    // Sends the rows held back (see WriteStatement): before the rows are read, and before
    // the commit.
    void flush();

private:
    std::unique_ptr<WriteStatement> prepare(const QString &sql);

    DbConnection &m_db;
    std::unique_ptr<WriteStatement> m_group;
    std::unique_ptr<WriteStatement> m_address;
    std::unique_ptr<WriteStatement> m_searchNumbered;
    std::unique_ptr<WriteStatement> m_search;
};
