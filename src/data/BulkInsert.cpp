#include "data/BulkInsert.h"

#include "data/DbConnection.h"

#include <QVariant>

BulkInsert::BulkInsert(DbConnection &db) : m_db(db)
{
    QSqlQuery query = m_db.query(QStringLiteral("SELECT coalesce(max(RowNo), 0) FROM address"));
    m_lastRowNoBefore = query.next() ? query.value(0).toLongLong() : 0;
    m_db.engine().pauseSearchIndex(m_db);
}

void BulkInsert::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_db.engine().resumeSearchIndex(m_db, m_lastRowNoBefore);
}
