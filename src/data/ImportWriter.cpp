#include "data/ImportWriter.h"

#include "data/AddressKey.h"
#include "data/AddressStore.h"
#include "data/GroupStore.h"
#include "data/AppError.h"

#include <QVariant>

namespace {

// New groups are numbered from the highest number read here: no other program may add
// one until the caller's transaction ends.
DbConnection &lockedGroups(DbConnection &db)
{
    db.lockTables({QStringLiteral("BaseGroup")});
    return db;
}

} // namespace

ImportWriter::ImportWriter(DbConnection &db)
    : m_db(lockedGroups(db)), m_bulk(db),
      m_insert(db,
               QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, "
                              "AddressFolded, AddressNameFolded) VALUES (?, ?, 0, ?, ?, ?, ?)"))
{}

int ImportWriter::groupNo(const QString &name, bool *created)
{
    if (created)
        *created = false;
    if (const auto known = m_groups.constFind(name); known != m_groups.constEnd())
        return *known;
    int number = 0;
    if (const std::optional<int> stored = GroupStore::groupNoOf(m_db, name)) {
        number = *stored;
    } else {
        if (m_nextGroupNo == 0)
            m_nextGroupNo = GroupStore::nextGroupNo(m_db);
        number = m_nextGroupNo++;
        m_db.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"), {number, name});
        if (created)
            *created = true;
    }
    m_groups.insert(name, number);
    return number;
}

void ImportWriter::insert(const QString &address, const QString &name, const QString &viewTime, int groupNo)
{
    const QString storedAddress = address.isNull() ? QString(QLatin1String("")) : address;
    const QString storedName = name.isNull() ? QString(QLatin1String("")) : name;
    m_insert.run({storedAddress, storedName, viewTime, groupNo, AddressStore::folded(storedAddress),
                  AddressStore::folded(storedName)});
}

void ImportWriter::finish()
{
    m_insert.flush();
    m_bulk.finish();
}

bool ImportWriter::isStored(const QString &group, const QString &address)
{
    auto keys = m_storedKeys.find(group);
    if (keys == m_storedKeys.end()) {
        m_insert.flush(); // the group may hold rows of this import already
        QSet<QString> stored;
        if (const std::optional<int> number = GroupStore::groupNoOf(m_db, group)) {
            QSqlQuery query = m_db.query(QStringLiteral("SELECT Address FROM address WHERE GroupNo = ?"), {*number});
            while (query.next())
                stored.insert(addressKey(query.value(0).toString()));
        }
        keys = m_storedKeys.emplace(group, std::move(stored));
    }
    return !keys->isEmpty() && keys->contains(addressKey(address));
}
