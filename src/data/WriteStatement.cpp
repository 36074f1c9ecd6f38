#include "data/WriteStatement.h"

#include "data/AppError.h"
#include "data/DbConnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

WriteStatement::WriteStatement(DbConnection &db, const QString &sql)
{
    const QSqlDatabase database = QSqlDatabase::database(db.connectionName(), false);
    const QVariant handle = database.driver() ? database.driver()->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_sqlite = *static_cast<sqlite3 *const *>(handle.constData());
    if (m_sqlite) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_sqlite, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
            throw AppError(QString::fromUtf8(sqlite3_errmsg(m_sqlite)));
        return;
    }
    m_query = db.prepare(sql);
}

WriteStatement::~WriteStatement()
{
    sqlite3_finalize(m_statement);
}

void WriteStatement::run(std::initializer_list<QVariant> values)
{
    if (!m_statement) {
        int i = 0;
        for (const QVariant &value : values)
            m_query.bindValue(i++, value);
        if (!m_query.exec()) {
            const QString text = m_query.lastError().text().trimmed();
            throw AppError(text.isEmpty() ? DbConnection::tr("数据库错误") : text);
        }
        return;
    }
    Q_ASSERT(values.size() <= m_texts.size());
    int column = 1;
    for (const QVariant &value : values)
        bind(column++, value);
    const int rc = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    if (rc != SQLITE_DONE)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(m_sqlite)));
}

void WriteStatement::bind(int column, const QVariant &value)
{
    if (value.isNull()) {
        sqlite3_bind_null(m_statement, column);
    } else if (value.typeId() == QMetaType::QString) {
        // Qt's conversion to UTF-8 is quicker than the engine's own; the text stays
        // alive here until the statement has run, so the engine need not copy it.
        QByteArray &text = m_texts[size_t(column - 1)];
        text = value.toString().toUtf8();
        sqlite3_bind_text(m_statement, column, text.constData(), int(text.size()), SQLITE_STATIC);
    } else {
        sqlite3_bind_int64(m_statement, column, value.toLongLong());
    }
}
