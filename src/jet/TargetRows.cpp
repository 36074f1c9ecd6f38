#include "jet/TargetRows.h"

#include "platform/AppError.h"

#include <QSqlError>
#include <QVariant>

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

TargetRows::TargetRows(DbConnection &db)
    : m_db(db),
      m_group(prepare(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"))),
      m_address(prepare(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, "
                                       "MyAddress) VALUES (?, ?, ?, ?, ?, ?)"))),
      m_searchNumbered(prepare(QStringLiteral("INSERT INTO Search (SearchText, Searchdate, Sort_No) VALUES (?, ?, ?)"))),
      m_search(prepare(QStringLiteral("INSERT INTO Search (SearchText, Searchdate) VALUES (?, ?)")))
{
}

QSqlQuery TargetRows::prepare(const QString &sql)
{
    m_db.open();
    QSqlQuery query(QSqlDatabase::database(m_db.connectionName(), false));
    if (!query.prepare(sql))
        throw AppError(query.lastError().text());
    return query;
}

void TargetRows::run(QSqlQuery &query)
{
    if (!query.exec())
        throw AppError(query.lastError().text());
}

void TargetRows::insertGroup(qint64 groupNo, const QString &name)
{
    m_group.bindValue(0, groupNo);
    m_group.bindValue(1, notNull(name));
    run(m_group);
}

void TargetRows::insertAddress(const JetAddress &row, std::optional<qint64> groupNo)
{
    m_address.bindValue(0, textOrNull(row.address));
    m_address.bindValue(1, notNull(row.name));
    m_address.bindValue(2, row.times);
    m_address.bindValue(3, dateOrNull(row.viewTime));
    m_address.bindValue(4, groupNo ? QVariant(*groupNo) : QVariant(QMetaType(QMetaType::LongLong)));
    m_address.bindValue(5, row.favourite ? 1 : 0);
    run(m_address);
}

void TargetRows::insertSearch(const JetSearch &row, bool keepNumber)
{
    QSqlQuery &query = keepNumber ? m_searchNumbered : m_search;
    query.bindValue(0, textOrNull(row.text));
    query.bindValue(1, dateOrNull(row.date));
    if (keepNumber)
        query.bindValue(2, row.sortNo);
    run(query);
}
