#include "jet/JetMerge.h"

#include "data/AddressKey.h"
#include "jet/TargetRows.h"
#include "data/BulkInsert.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

namespace {

class MergingSink : public JetSink
{
public:
    explicit MergingSink(DbConnection &db) : m_db(db), m_rows(db)
    {
        QSqlQuery groups = db.query(QStringLiteral("SELECT GroupNo, GroupName FROM BaseGroup"));
        while (groups.next()) {
            const qint64 no = groups.value(0).toLongLong();
            m_nextGroupNo = std::max(m_nextGroupNo, no + 1);
            // The first group of a name wins, as everywhere in the program.
            if (!m_groupByName.contains(groups.value(1).toString()))
                m_groupByName.insert(groups.value(1).toString(), no);
        }
    }

    void group(const JetGroup &group) override { m_targetOfFileGroup.insert(group.groupNo, targetGroup(group.name)); }

    void address(const JetAddress &row) override
    {
        const qint64 target = row.groupNo && m_targetOfFileGroup.contains(*row.groupNo)
            ? m_targetOfFileGroup.value(*row.groupNo)
            : targetGroup(JetMerge::UngroupedName);
        const QString key = addressKey(row.address.value_or(QString()));
        QSet<QString> &keys = keysOf(target);
        if (keys.contains(key)) {
            ++m_result.addressesSkipped;
            return;
        }
        m_rows.insertAddress(row, target);
        keys.insert(key);
        ++m_result.addressesImported;
    }

    void search(const JetSearch &row) override
    {
        m_rows.insertSearch(row, false);
        ++m_result.searchesAppended;
    }

    void finish() { m_rows.flush(); }
    const JetMerge::Result &result() const { return m_result; }

private:
    qint64 targetGroup(const QString &name)
    {
        const auto found = m_groupByName.constFind(name);
        if (found != m_groupByName.constEnd())
            return *found;
        const qint64 no = m_nextGroupNo++;
        m_rows.insertGroup(no, name);
        m_groupByName.insert(name, no);
        ++m_result.groupsCreated;
        return no;
    }

    // The keys of the addresses stored in a group, read when the group is first needed.
    QSet<QString> &keysOf(qint64 groupNo)
    {
        auto found = m_keysByGroup.find(groupNo);
        if (found != m_keysByGroup.end())
            return *found;
        m_rows.flush();
        QSet<QString> keys;
        QSqlQuery stored = m_db.query(QStringLiteral("SELECT Address FROM address WHERE GroupNo = ?"), {groupNo});
        while (stored.next())
            keys.insert(addressKey(stored.value(0).toString()));
        return *m_keysByGroup.insert(groupNo, keys);
    }

    DbConnection &m_db;
    TargetRows m_rows;
    QHash<QString, qint64> m_groupByName;
    QHash<qint64, qint64> m_targetOfFileGroup;
    QHash<qint64, QSet<QString>> m_keysByGroup;
    qint64 m_nextGroupNo = 1;
    JetMerge::Result m_result;
};

} // namespace

JetMerge::Result JetMerge::merge(DbConnection &db, const QString &jetFile, const JetReader::Options &options)
{
    Transaction transaction(db);
    // Group numbers and the addresses already stored are read once at the start; they
    // stay true while no other program writes these tables.
    db.lockTables({QStringLiteral("BaseGroup"), QStringLiteral("address")});
    BulkInsert bulk(db);
    MergingSink sink(db);
    JetReader::read(jetFile, sink, options);
    sink.finish();
    bulk.finish();
    transaction.commit();
    return sink.result();
}

QString JetMerge::summary(const Result &result)
{
    return QStringLiteral("%1 groups, %2 addresses imported, %3 skipped")
        .arg(result.groupsCreated)
        .arg(result.addressesImported)
        .arg(result.addressesSkipped);
}
