#pragma once

#include "data/BulkInsert.h"
#include "data/DbConnection.h"

#include <QHash>
#include <QSqlQuery>

// Writes imported groups and addresses inside a transaction the caller holds open, with
// the statements prepared once (an import can hold a hundred thousand rows), the search
// index brought up to date once by finish(), which comes before the commit. Throws
// AppError with the database's text when a statement fails.
class ImportWriter
{
public:
    explicit ImportWriter(DbConnection &db);

    // The number of the group with this name, creating the group when there is none.
    // `created` tells which happened.
    int groupNo(const QString &name, bool *created = nullptr);
    // `viewTime` as stored ("YYYY-MM-DD", with " HH:MM:SS" where a time exists).
    void insert(const QString &address, const QString &name, const QString &viewTime, int groupNo);
    void finish() { m_bulk.finish(); }

private:
    void run(QSqlQuery &query);

    DbConnection &m_db;
    BulkInsert m_bulk;
    QSqlQuery m_insert;
    QHash<QString, int> m_groups;
    int m_nextGroupNo = 0;
};
