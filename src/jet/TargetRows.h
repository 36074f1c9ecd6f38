#pragma once

#include "data/DbConnection.h"
#include "jet/JetRecords.h"

#include <QSqlQuery>
#include <QVariant>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Writes rows read from a Jet file into the program's tables, with statements prepared
// once for the whole run. Each table has one function here that names every column it
// writes. A refused row throws AppError with the database's text.
//
// On SQLite the statements run through the engine's own interface, which the bulk of a
// conversion needs: Qt's layer costs several times the insert itself per row. Another
// engine goes through Qt Sql.
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

private:
    class Statement;
    std::unique_ptr<Statement> prepare(const QString &sql);

    DbConnection &m_db;
    sqlite3 *m_sqlite = nullptr;
    std::unique_ptr<Statement> m_group;
    std::unique_ptr<Statement> m_address;
    std::unique_ptr<Statement> m_searchNumbered;
    std::unique_ptr<Statement> m_search;
};
