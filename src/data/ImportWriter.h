#pragma once

#include "data/BulkInsert.h"
#include "data/DbConnection.h"
#include "data/WriteStatement.h"

#include <QHash>
#include <QSet>

// Writes imported groups and addresses inside a transaction the caller holds open, with
// the statements prepared once (an import can hold a hundred thousand rows, which a server
// takes many at a time), the search index brought up to date once by finish(), which comes
// before the commit. It takes the
// groups' write lock first, so imports run one after the other: what one of them finds
// stored stays true until it commits. Throws AppError with the database's text when a
// statement fails.
class ImportWriter
{
public:
    explicit ImportWriter(DbConnection &db);

    // The number of the group with this name, creating the group when there is none.
    // `created` tells which happened.
    int groupNo(const QString &name, bool *created = nullptr);
    // `viewTime` as stored ("YYYY-MM-DD", with " HH:MM:SS" where a time exists).
    void insert(const QString &address, const QString &name, const QString &viewTime, int groupNo);
    // Whether an address of the same key (addressKey) is stored in the group already, as
    // the database holds it now (another import may have stored it since the rows were
    // planned). A group's keys are read when it is first asked about: ask before
    // inserting into it.
    bool isStored(const QString &group, const QString &address);
    // Sends the rows still held back and brings the search index up to date.
    void finish();

private:
    DbConnection &m_db;
    BulkInsert m_bulk;
    WriteStatement m_insert;
    QHash<QString, int> m_groups;
    QHash<QString, QSet<QString>> m_storedKeys; // per group, read when first asked
    int m_nextGroupNo = 0;
};
