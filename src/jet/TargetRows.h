#pragma once

#include "data/DbConnection.h"
#include "jet/JetRecords.h"

#include <QSqlQuery>

// Writes rows read from a Jet file into the program's tables, with statements prepared
// once for the whole run. Each table has one function here that names every column it
// writes. A refused row throws AppError with the database's text.
class TargetRows
{
public:
    explicit TargetRows(DbConnection &db);

    void insertGroup(qint64 groupNo, const QString &name);
    // `groupNo` may differ from the row's own (a merge renumbers groups).
    void insertAddress(const JetAddress &row, std::optional<qint64> groupNo);
    // Without a number the database gives the next one.
    void insertSearch(const JetSearch &row, bool keepNumber);

private:
    QSqlQuery prepare(const QString &sql);
    void run(QSqlQuery &query);

    DbConnection &m_db;
    QSqlQuery m_group;
    QSqlQuery m_address;
    QSqlQuery m_searchNumbered;
    QSqlQuery m_search;
};
