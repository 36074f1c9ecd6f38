#include "data/RecycleBin.h"

#include "data/FoldedColumns.h"
#include "data/GroupStore.h"
#include "data/SettingsStore.h"

#include <QAtomicInt>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace {

// -1 until set or read from the settings.
QAtomicInt keptDays = -1;

const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString loginName()
{
    if (const passwd *entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

// On a server the bin is shared: who deleted a row tells the others where it went.
QString deleterOn(const DbConnection &db)
{
    if (!db.isServer())
        return QString();
    return QStringLiteral("%1@%2").arg(loginName(), QSysInfo::machineHostName());
}

bool groupExists(DbConnection &db, int groupNo, const QString &name)
{
    QSqlQuery query =
        db.query(QStringLiteral("SELECT 1 FROM BaseGroup WHERE GroupNo = ? AND GroupName = ?"), {groupNo, name});
    return query.next();
}

bool groupNoTaken(DbConnection &db, int groupNo)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT 1 FROM BaseGroup WHERE GroupNo = ?"), {groupNo});
    return query.next();
}

// The group a restored row goes into: its own (number and name), else one of its name,
// else the group made again, with its old number where no group took it since.
int groupFor(DbConnection &db, const RecycleBin::Entry &entry)
{
    if (groupExists(db, entry.groupNo, entry.groupName))
        return entry.groupNo;
    if (const std::optional<int> named = GroupStore::groupNoOf(db, entry.groupName))
        return *named;
    const int number =
        groupNoTaken(db, entry.groupNo) || entry.groupNo <= 0 ? GroupStore::nextGroupNo(db) : entry.groupNo;
    db.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"), {number, entry.groupName});
    return number;
}

bool rowNoFree(DbConnection &db, qint64 rowNo)
{
    if (rowNo <= 0)
        return false;
    QSqlQuery query = db.query(QStringLiteral("SELECT 1 FROM address WHERE RowNo = ?"), {rowNo});
    return !query.next();
}

struct StoredEntry
{
    RecycleBin::Entry entry;
    qint64 rowNo = 0;
    QVariant viewTime;
};

std::vector<StoredEntry> entriesWhere(DbConnection &db, const QString &where, const QVariantList &values = {})
{
    std::vector<StoredEntry> entries;
    QSqlQuery query = db.query(QStringLiteral("SELECT Id, DeletedAt, DeletedBy, GroupName, GroupNo, Address, "
                                              "AddressName, Times, ViewTime, MyAddress, RowNo FROM RecycleBin %1")
                                   .arg(where),
                               values);
    while (query.next()) {
        StoredEntry stored;
        RecycleBin::Entry &entry = stored.entry;
        entry.id = query.value(0).toLongLong();
        entry.deletedAt = query.value(1).toString();
        entry.deletedBy = query.value(2).toString();
        entry.groupName = query.value(3).toString();
        entry.groupNo = query.value(4).toInt();
        entry.address = query.value(5).toString();
        entry.name = query.value(6).toString();
        entry.times = query.value(7).toLongLong();
        entry.viewTime = query.value(8).toString();
        entry.favourite = query.value(9).toInt() != 0;
        stored.rowNo = query.value(10).toLongLong();
        stored.viewTime = query.isNull(8) ? QVariant() : query.value(8);
        entries.push_back(std::move(stored));
    }
    return entries;
}

// The entries' old places that rows of the address table hold now.
QSet<qint64> takenRowNos(DbConnection &db, const std::vector<StoredEntry> &entries)
{
    QSet<qint64> taken;
    constexpr size_t Chunk = 500;
    for (size_t start = 0; start < entries.size(); start += Chunk) {
        const size_t end = std::min(entries.size(), start + Chunk);
        QVariantList values;
        for (size_t i = start; i < end; ++i)
            values << entries[i].rowNo;
        QSqlQuery query = db.query(QStringLiteral("SELECT RowNo FROM address WHERE RowNo IN (%1)")
                                       .arg(QStringList(values.size(), QStringLiteral("?")).join(QLatin1Char(','))),
                                   values);
        while (query.next())
            taken.insert(query.value(0).toLongLong());
    }
    return taken;
}

} // namespace

void RecycleBin::setKeepDays(int days)
{
    keptDays.storeRelaxed(qMax(0, days));
}

int RecycleBin::keepDays()
{
    if (const int days = keptDays.loadRelaxed(); days >= 0)
        return days;
    const int days = keepDaysSetting();
    keptDays.storeRelaxed(days);
    return days;
}

int RecycleBin::keepDaysSetting()
{
    try {
        const std::optional<QString> text = SettingsStore::textValue(QStringLiteral("General/RecycleDays"));
        bool ok = false;
        const int days = text ? text->trimmed().toInt(&ok) : 0;
        return ok && days >= 0 ? days : DefaultKeepDays;
    } catch (const AppError &) {
        return DefaultKeepDays;
    }
}

// Each group's name is looked up once for the whole statement, not once per row: a
// correlated lookup made the copy of a large group many times the cost of its delete.
void RecycleBin::keep(DbConnection &db, const QString &where, const QVariantList &values)
{
    if (keepDays() == 0)
        return;
    QVariantList bound{QDateTime::currentDateTime().toString(timeFormat), deleterOn(db)};
    bound += values;
    db.execute(QStringLiteral("INSERT INTO RecycleBin (DeletedAt, DeletedBy, RowNo, Address, AddressName, Times, "
                              "ViewTime, GroupNo, MyAddress, GroupName) "
                              "SELECT ?, ?, a.RowNo, a.Address, a.AddressName, a.Times, a.ViewTime, a.GroupNo, "
                              "a.MyAddress, g.GroupName FROM address a LEFT JOIN (SELECT GroupNo, GroupName "
                              "FROM BaseGroup WHERE %1 IN (SELECT min(%1) FROM BaseGroup GROUP BY GroupNo)) g "
                              "ON g.GroupNo = a.GroupNo WHERE %2 ORDER BY a.RowNo")
                   .arg(db.engine().rowKeyColumn(), where),
               bound);
}

std::vector<RecycleBin::Entry> RecycleBin::list(DbConnection &db)
{
    std::vector<Entry> entries;
    for (StoredEntry &stored : entriesWhere(db, QStringLiteral("ORDER BY DeletedAt DESC, Id DESC")))
        entries.push_back(std::move(stored.entry));
    return entries;
}

std::vector<RecycleBin::IdCondition> RecycleBin::idConditions(QList<qint64> ids, int limit)
{
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<IdCondition> conditions;
    QStringList parts;
    QVariantList singles;
    QVariantList values;
    const auto finish = [&] {
        if (!singles.isEmpty())
            parts << QStringLiteral("Id IN (%1)")
                         .arg(QStringList(singles.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        if (!parts.isEmpty())
            conditions.push_back({QStringLiteral("(%1)").arg(parts.join(QStringLiteral(" OR "))), values + singles});
        parts.clear();
        singles.clear();
        values.clear();
    };
    for (qsizetype first = 0; first < ids.size();) {
        qsizetype last = first;
        while (last + 1 < ids.size() && ids[last + 1] == ids[last] + 1)
            ++last;
        const int needed = last > first ? 2 : 1;
        if (values.size() + singles.size() + needed > qMax(2, limit))
            finish();
        if (last > first) {
            parts << QStringLiteral("Id BETWEEN ? AND ?");
            values << ids[first] << ids[last];
        } else {
            singles << ids[first];
        }
        first = last + 1;
    }
    finish();
    return conditions;
}

int RecycleBin::restore(DbConnection &db, const QList<qint64> &ids)
{
    if (ids.isEmpty())
        return 0;
    Transaction transaction(db);
    db.lockTables({QStringLiteral("BaseGroup"), QStringLiteral("address"), QStringLiteral("RecycleBin")});
    const std::vector<IdCondition> conditions = idConditions(ids);
    std::vector<StoredEntry> entries;
    for (const IdCondition &condition : conditions) {
        for (StoredEntry &stored :
             entriesWhere(db, QStringLiteral("WHERE %1 ORDER BY Id").arg(condition.sql), condition.values))
            entries.push_back(std::move(stored));
    }
    // Thousands of rows (a group's, all chosen) are restored with a statement or two each,
    // not five: their group is looked up once, the places taken are read at the start.
    QHash<QPair<int, QString>, int> groups;
    QSet<qint64> taken = takenRowNos(db, entries);
    bool placesKnown = true;
    const QString columns = QStringLiteral("Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                           "AddressFolded, AddressNameFolded");
    for (const StoredEntry &stored : entries) {
        const Entry &entry = stored.entry;
        const QPair<int, QString> group{entry.groupNo, entry.groupName};
        if (!groups.contains(group))
            groups.insert(group, groupFor(db, entry));
        const QVariantList values{entry.address,
                                  entry.name,
                                  entry.times,
                                  stored.viewTime,
                                  groups.value(group),
                                  entry.favourite ? 1 : 0,
                                  FoldedColumns::folded(entry.address),
                                  FoldedColumns::folded(entry.name)};
        const bool free =
            stored.rowNo > 0 && (placesKnown ? !taken.contains(stored.rowNo) : rowNoFree(db, stored.rowNo));
        if (free) {
            db.execute(
                QStringLiteral("INSERT INTO address (RowNo, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(columns),
                QVariantList{stored.rowNo} + values);
            taken.insert(stored.rowNo);
        } else {
            db.execute(QStringLiteral("INSERT INTO address (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(columns), values);
            placesKnown = false; // the engine chose a place, which a later row may want
        }
    }
    for (const IdCondition &condition : conditions)
        db.execute(QStringLiteral("DELETE FROM RecycleBin WHERE %1").arg(condition.sql), condition.values);
    transaction.commit();
    return int(entries.size());
}

int RecycleBin::purge(DbConnection &db, const QList<qint64> &ids)
{
    if (ids.isEmpty())
        return 0;
    Transaction transaction(db);
    int deleted = 0;
    for (const IdCondition &condition : idConditions(ids))
        deleted += db.execute(QStringLiteral("DELETE FROM RecycleBin WHERE %1").arg(condition.sql), condition.values);
    transaction.commit();
    return deleted;
}

int RecycleBin::empty(DbConnection &db)
{
    return db.execute(QStringLiteral("DELETE FROM RecycleBin"));
}

int RecycleBin::dropExpired(DbConnection &db, int days, const QDateTime &now)
{
    if (days <= 0)
        return empty(db);
    return db.execute(QStringLiteral("DELETE FROM RecycleBin WHERE DeletedAt < ?"),
                      {now.addDays(-days).toString(timeFormat)});
}
