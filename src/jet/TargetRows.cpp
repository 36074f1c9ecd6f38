#include "jet/TargetRows.h"

#include "data/AddressStore.h"
#include "data/AppError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <array>
#include <initializer_list>
#include <sqlite3.h>

namespace {

QVariant textOrNull(const std::optional<QString> &text)
{
    return text ? QVariant(text->isNull() ? QStringLiteral("") : *text) : QVariant(QMetaType(QMetaType::QString));
}

QVariant dateOrNull(const QString &date)
{
    return date.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(date);
}

// The program's texts are never NULL where the row had an empty value.
QString notNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

// One prepared statement, run with its values in column order.
class TargetRows::Statement
{
public:
    Statement(DbConnection &db, sqlite3 *sqlite, const QString &sql) : m_sqlite(sqlite)
    {
        if (m_sqlite) {
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v2(m_sqlite, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
                throw AppError(QString::fromUtf8(sqlite3_errmsg(m_sqlite)));
            return;
        }
        m_query = QSqlQuery(QSqlDatabase::database(db.connectionName(), false));
        if (!m_query.prepare(sql))
            throw AppError(m_query.lastError().text());
    }

    ~Statement() { sqlite3_finalize(m_statement); }

    void run(std::initializer_list<QVariant> values)
    {
        if (!m_statement) {
            int i = 0;
            for (const QVariant &value : values)
                m_query.bindValue(i++, value);
            if (!m_query.exec())
                throw AppError(m_query.lastError().text());
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

private:
    void bind(int column, const QVariant &value)
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

    sqlite3 *m_sqlite;
    sqlite3_stmt *m_statement = nullptr;
    std::array<QByteArray, 8> m_texts;
    QSqlQuery m_query;
};

TargetRows::TargetRows(DbConnection &db) : m_db(db)
{
    m_db.open();
    const QVariant handle = QSqlDatabase::database(db.connectionName(), false).driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        m_sqlite = *static_cast<sqlite3 *const *>(handle.constData());
    m_group = prepare(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"));
    m_address =
        prepare(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                               "AddressFolded, AddressNameFolded) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    m_searchNumbered = prepare(QStringLiteral("INSERT INTO Search (SearchText, Searchdate, Sort_No) VALUES (?, ?, ?)"));
    m_search = prepare(QStringLiteral("INSERT INTO Search (SearchText, Searchdate) VALUES (?, ?)"));
}

TargetRows::~TargetRows() = default;

std::unique_ptr<TargetRows::Statement> TargetRows::prepare(const QString &sql)
{
    return std::make_unique<Statement>(m_db, m_sqlite, sql);
}

void TargetRows::insertGroup(qint64 groupNo, const QString &name)
{
    m_group->run({groupNo, notNull(name)});
}

void TargetRows::insertAddress(const JetAddress &row, std::optional<qint64> groupNo)
{
    m_address->run({textOrNull(row.address), notNull(row.name), row.times, dateOrNull(row.viewTime),
                    groupNo ? QVariant(*groupNo) : QVariant(QMetaType(QMetaType::LongLong)), row.favourite ? 1 : 0,
                    QVariant(row.address ? AddressStore::folded(*row.address) : QString()),
                    QVariant(AddressStore::folded(notNull(row.name)))});
}

void TargetRows::insertSearch(const JetSearch &row, bool keepNumber)
{
    if (keepNumber)
        m_searchNumbered->run({textOrNull(row.text), dateOrNull(row.date), row.sortNo});
    else
        m_search->run({textOrNull(row.text), dateOrNull(row.date)});
}
