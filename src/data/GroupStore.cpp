#include "data/GroupStore.h"

#include <QVariant>

QStringList GroupStore::groupNames(DbConnection &db)
{
    QStringList names;
    for (const Group &group : groups(db))
        names << group.name;
    return names;
}

QList<GroupStore::Group> GroupStore::groups(DbConnection &db)
{
    QList<Group> found;
    QSqlQuery query = db.query(
        QStringLiteral("SELECT GroupNo, GroupName FROM BaseGroup ORDER BY %1").arg(db.engine().rowKeyColumn()));
    while (query.next())
        found.append({query.value(0).toInt(), query.value(1).toString()});
    return found;
}

std::optional<int> GroupStore::groupNoOf(DbConnection &db, const QString &name)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT GroupNo FROM BaseGroup WHERE GroupName = ? ORDER BY %1 LIMIT 1")
                                   .arg(db.engine().rowKeyColumn()),
                               {name});
    if (!query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

int GroupStore::nextGroupNo(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT Max FROM MaxGroupNo"));
    // An empty table gives no maximum: the first group gets number 1.
    const int max = query.next() ? query.value(0).toInt() : 0;
    return max + 1;
}

GroupStore::GroupChange GroupStore::addGroup(DbConnection &db, const QString &name)
{
    Transaction transaction(db);
    // Another program adding a group waits, so that no two groups get one number and
    // a name added twice at once is stored once.
    db.lockTables({QStringLiteral("BaseGroup")});
    if (groupNoOf(db, name))
        return GroupChange::NameExists;
    db.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"), {nextGroupNo(db), name});
    transaction.commit();
    return GroupChange::Done;
}

GroupStore::GroupChange GroupStore::renameGroup(DbConnection &db, const QString &oldName, const QString &newName)
{
    Transaction transaction(db);
    db.lockTables({QStringLiteral("BaseGroup")});
    if (newName != oldName && groupNoOf(db, newName))
        return GroupChange::NameExists;
    const int changed =
        db.execute(QStringLiteral("UPDATE BaseGroup SET GroupName = ? WHERE GroupName = ?"), {newName, oldName});
    transaction.commit();
    return changed > 0 ? GroupChange::Done : GroupChange::NotFound;
}
