#include "jet/TargetRows.h"

#include "data/AddressStore.h"
#include "data/AppError.h"

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

TargetRows::TargetRows(DbConnection &db) : m_db(db)
{
    m_db.open();
    m_group = prepare(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"));
    m_address =
        prepare(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                               "AddressFolded, AddressNameFolded) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    m_searchNumbered = prepare(QStringLiteral("INSERT INTO Search (SearchText, Searchdate, Sort_No) VALUES (?, ?, ?)"));
    m_search = prepare(QStringLiteral("INSERT INTO Search (SearchText, Searchdate) VALUES (?, ?)"));
}

TargetRows::~TargetRows() = default;

std::unique_ptr<WriteStatement> TargetRows::prepare(const QString &sql)
{
    return std::make_unique<WriteStatement>(m_db, sql);
}

void TargetRows::flush()
{
    for (WriteStatement *statement : {m_group.get(), m_address.get(), m_searchNumbered.get(), m_search.get()})
        statement->flush();
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
