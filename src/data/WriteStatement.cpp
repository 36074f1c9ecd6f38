#include "data/WriteStatement.h"

#include "data/AppError.h"
#include "data/DbConnection.h"
#include "data/SqlEngine.h"

#include <QSqlError>

WriteStatement::WriteStatement(DbConnection &db, const QString &sql)
    : m_native(db.engine().prepareWrite(QSqlDatabase::database(db.connectionName(), false), sql))
{
    if (!m_native)
        m_query = db.prepare(sql);
}

WriteStatement::~WriteStatement() = default;

void WriteStatement::flush()
{
    if (m_native)
        m_native->flush();
}

void WriteStatement::run(std::initializer_list<QVariant> values)
{
    if (m_native) {
        m_native->run(values);
        return;
    }
    int i = 0;
    for (const QVariant &value : values)
        m_query.bindValue(i++, value);
    if (!m_query.exec()) {
        const QString text = m_query.lastError().text().trimmed();
        throw AppError(text.isEmpty() ? DbConnection::tr("数据库错误") : text);
    }
}
