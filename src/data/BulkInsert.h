#pragma once

class DbConnection;

#include <QtGlobal>

// Many addresses inserted in one write transaction that the caller holds open, and no
// other change of the address table until finish(): the search index takes them all at
// once. finish() must come before the commit; a transaction rolled back needs nothing.
class BulkInsert
{
public:
    explicit BulkInsert(DbConnection &db);
    void finish();

private:
    DbConnection &m_db;
    qint64 m_lastRowNoBefore = 0;
    bool m_finished = false;
};
