#include "data/RecycleBin.h"

#include "data/FoldedColumns.h"
#include "data/GroupStore.h"
#include "data/MovedRows.h"
#include "data/SettingsStore.h"

#include <QAtomicInt>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

#include <algorithm>
#include <array>

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

// The columns of a row of the bin as the history keeps them, after its Id.
const QString binColumns = MovedRows::comparedBinColumns().join(QStringLiteral(", "));
constexpr int BinColumnCount = 10;

struct StoredEntry
{
    RecycleBin::Entry entry;
    qint64 rowNo = 0;
    QVariant viewTime;
    QVariantList values; // binColumns' values
    quint64 digest = 0; // the engine's, where it digests rows
};

// Read through the engine's client library: a restore reads a whole group's rows.
void readEntries(DbConnection &db, const QString &where, const QVariantList &values, std::vector<StoredEntry> &entries)
{
    const QString digest = db.engine().rowDigest(MovedRows::comparedBinColumns());
    db.readRows(QStringLiteral("SELECT Id, %1%2 FROM RecycleBin %3")
                    .arg(binColumns, digest.isEmpty() ? QString() : QStringLiteral(", ") + digest, where),
                values, [&](const RowReader &row) {
                    StoredEntry stored;
                    stored.values = MovedRows::valuesOf(row, 1, BinColumnCount);
                    stored.digest = digest.isEmpty() ? 0 : quint64(row.integer(BinColumnCount + 1));
                    const QVariantList &v = stored.values;
                    RecycleBin::Entry &entry = stored.entry;
                    entry.id = row.integer(0);
                    stored.rowNo = v.at(0).toLongLong();
                    entry.address = v.at(1).toString();
                    entry.name = v.at(2).toString();
                    entry.times = v.at(3).toLongLong();
                    entry.viewTime = v.at(4).toString();
                    stored.viewTime = v.at(4);
                    entry.groupNo = v.at(5).toInt();
                    entry.favourite = v.at(6).toLongLong() != 0;
                    entry.groupName = v.at(7).toString();
                    entry.deletedAt = v.at(8).toString();
                    entry.deletedBy = v.at(9).toString();
                    entries.push_back(std::move(stored));
                });
}

// The old places of the chosen rows that rows of the address table hold now.
QSet<qint64> takenRowNos(DbConnection &db, const std::vector<RecycleBin::IdCondition> &conditions)
{
    QSet<qint64> taken;
    for (const RecycleBin::IdCondition &condition : conditions) {
        db.readRows(QStringLiteral("SELECT RowNo FROM address WHERE RowNo IN (SELECT RowNo FROM RecycleBin WHERE %1)")
                        .arg(condition.sql),
                    condition.values, [&](const RowReader &row) { taken.insert(row.integer(0)); });
    }
    return taken;
}

// A row going back into the address table: its place (0 where the engine numbers it) and
// the values of addressColumns.
struct RestoredRow
{
    qint64 rowNo = 0;
    QVariantList values;
};

const QString addressColumns = QStringLiteral("Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                              "AddressFolded, AddressNameFolded");

void appendJson(QByteArray &json, const QVariant &value)
{
    if (value.isNull()) {
        json += "null";
        return;
    }
    if (value.typeId() != QMetaType::QString) {
        json += QByteArray::number(value.toLongLong());
        return;
    }
    // Runs of plain characters are copied whole; quotes, backslashes and control
    // characters are escaped.
    const QByteArray text = value.toString().toUtf8();
    json += '"';
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = uchar(text[i]);
        if (c != '"' && c != '\\' && c >= 0x20)
            continue;
        json.append(text.constData() + plainFrom, i - plainFrom);
        if (c < 0x20)
            json += "\\u00" + QByteArray::number(c, 16).rightJustified(2, '0');
        else
            json += '\\' + QByteArray(1, char(c));
        plainFrom = i + 1;
    }
    json.append(text.constData() + plainFrom, text.size() - plainFrom);
    json += '"';
}

// Written by hand: Qt's JSON objects cost more than the insert of a group's rows.
QByteArray rowsAsJson(const std::vector<RestoredRow> &rows)
{
    static const std::array<const char *, 8> keys{"address", "addressname", "times",         "viewtime",
                                                  "groupno", "myaddress",   "addressfolded", "addressnamefolded"};
    QByteArray json;
    json.reserve(qsizetype(rows.size()) * 400);
    json += '[';
    for (const RestoredRow &row : rows) {
        if (json.size() > 1)
            json += ',';
        json += "{\"rowno\":";
        appendJson(json, row.rowNo > 0 ? QVariant(row.rowNo) : QVariant());
        for (size_t column = 0; column < keys.size(); ++column) {
            json += ",\"";
            json += keys[column];
            json += "\":";
            appendJson(json, row.values.at(qsizetype(column)));
        }
        json += '}';
    }
    json += ']';
    return json;
}

// Stores the rows in their order, with one statement where the engine has it (which tells
// `moved` the rows stored), else one each.
void storeRows(DbConnection &db, const std::vector<RestoredRow> &rows, MovedRows *moved)
{
    if (rows.empty())
        return;
    if (const QString statement = db.engine().insertAddressesStatement(); !statement.isEmpty()) {
        db.changeRows(statement, {QString::fromUtf8(rowsAsJson(rows))}, [&](const RowReader &row) {
            if (moved)
                moved->addressesAdded.push_back(
                    {row.integer(0), MovedRows::valuesOf(row, 1, 6), quint64(row.integer(7))});
        });
        return;
    }
    QSqlQuery placed = db.prepare(
        QStringLiteral("INSERT INTO address (RowNo, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)").arg(addressColumns));
    QSqlQuery numbered =
        db.prepare(QStringLiteral("INSERT INTO address (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?)").arg(addressColumns));
    for (const RestoredRow &row : rows) {
        if (row.rowNo > 0)
            db.run(placed, QVariantList{row.rowNo} + row.values);
        else
            db.run(numbered, row.values);
    }
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
// The rows are copied in the order the server finds them: ordered by RowNo, a server
// read the whole address table in that order to pick a group's rows, which cost a third
// of the copy. A restore puts each row at its RowNo whatever its Id.
// Reported, the copy itself gives back each row's keys and digests, nothing more: the
// values stay in the bin, where an undo reads them (see MovedRows).
void RecycleBin::keep(DbConnection &db, const QString &where, const QVariantList &values, MovedRows *moved)
{
    if (keepDays() == 0)
        return;
    QVariantList bound{QDateTime::currentDateTime().toString(timeFormat), deleterOn(db)};
    bound += values;
    const QString statement =
        QStringLiteral("INSERT INTO RecycleBin (DeletedAt, DeletedBy, RowNo, Address, AddressName, Times, "
                       "ViewTime, GroupNo, MyAddress, GroupName) "
                       "SELECT ?, ?, a.RowNo, a.Address, a.AddressName, a.Times, a.ViewTime, a.GroupNo, "
                       "a.MyAddress, g.GroupName FROM address a LEFT JOIN (SELECT GroupNo, GroupName "
                       "FROM BaseGroup WHERE %1 IN (SELECT min(%1) FROM BaseGroup GROUP BY GroupNo)) g "
                       "ON g.GroupNo = a.GroupNo WHERE %2")
            .arg(db.engine().rowKeyColumn(), where);
    if (!moved) {
        db.execute(statement, bound);
        return;
    }
    const SqlEngine &engine = db.engine();
    const QString returned = QStringLiteral("Id, RowNo, %1, %2")
                                 .arg(engine.rowDigest(MovedRows::comparedAddressColumns()),
                                      engine.rowDigest(MovedRows::comparedBinColumns()));
    db.changeRows(statement + engine.returningClause(returned), bound, [&](const RowReader &row) {
        moved->addressesDeleted.push_back({row.integer(1), {}, quint64(row.integer(2))});
        moved->binAdded.push_back({row.integer(0), {}, quint64(row.integer(3))});
    });
}

GroupStore::GroupChange RecycleBin::deleteGroupWithAddresses(DbConnection &db, const QString &name, MovedRows *moved)
{
    Transaction transaction(db);
    const std::optional<int> groupNo = GroupStore::groupNoOf(db, name);
    if (!groupNo)
        return GroupStore::GroupChange::NotFound;
    keep(db, QStringLiteral("a.GroupNo = ?"), {*groupNo}, moved);
    db.execute(QStringLiteral("DELETE FROM address WHERE GroupNo = ?"), {*groupNo});
    db.execute(QStringLiteral("DELETE FROM BaseGroup WHERE GroupName = ?"), {name});
    transaction.commit();
    return GroupStore::GroupChange::Done;
}

bool RecycleBin::deleteReportsRows(const DbConnection &db)
{
    return keepDays() > 0 && !db.engine().returningClause(QStringLiteral("Id")).isEmpty()
        && !db.engine().rowDigest({QStringLiteral("Id")}).isEmpty();
}

bool RecycleBin::restoreReportsRows(const DbConnection &db)
{
    return !db.engine().insertAddressesStatement().isEmpty()
        && !db.engine().rowDigest({QStringLiteral("Id")}).isEmpty();
}

std::vector<RecycleBin::Entry> RecycleBin::list(DbConnection &db)
{
    std::vector<StoredEntry> stored;
    readEntries(db, QStringLiteral("ORDER BY DeletedAt DESC, Id DESC"), {}, stored);
    std::vector<Entry> entries;
    entries.reserve(stored.size());
    for (StoredEntry &one : stored)
        entries.push_back(std::move(one.entry));
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

int RecycleBin::restore(DbConnection &db, const QList<qint64> &ids, MovedRows *moved)
{
    if (ids.isEmpty())
        return 0;
    Transaction transaction(db);
    db.lockTables({QStringLiteral("BaseGroup"), QStringLiteral("address"), QStringLiteral("RecycleBin")});
    const std::vector<IdCondition> conditions = idConditions(ids);
    std::vector<StoredEntry> entries;
    for (const IdCondition &condition : conditions)
        readEntries(db, QStringLiteral("WHERE %1 ORDER BY Id").arg(condition.sql), condition.values, entries);
    // Thousands of rows (a group's, all chosen) are restored with a few statements: their
    // group is looked up once, the places taken are read at the start. The rows that go
    // back to their places are stored first, so that a number the engine gives one of the
    // others is never the old place of a row still to come.
    QHash<QPair<int, QString>, int> groups;
    QSet<qint64> taken = takenRowNos(db, conditions);
    std::vector<RestoredRow> placed;
    std::vector<RestoredRow> numbered;
    for (const StoredEntry &stored : entries) {
        const Entry &entry = stored.entry;
        const QPair<int, QString> group{entry.groupNo, entry.groupName};
        if (!groups.contains(group))
            groups.insert(group, groupFor(db, entry));
        RestoredRow row{0,
                        {entry.address, entry.name, entry.times, stored.viewTime, groups.value(group),
                         entry.favourite ? 1 : 0, FoldedColumns::folded(entry.address),
                         FoldedColumns::folded(entry.name)}};
        if (stored.rowNo > 0 && !taken.contains(stored.rowNo)) {
            row.rowNo = stored.rowNo;
            taken.insert(stored.rowNo);
            placed.push_back(std::move(row));
        } else {
            numbered.push_back(std::move(row));
        }
    }
    placed.insert(placed.end(), std::make_move_iterator(numbered.begin()), std::make_move_iterator(numbered.end()));
    storeRows(db, placed, moved);
    for (const IdCondition &condition : conditions)
        db.execute(QStringLiteral("DELETE FROM RecycleBin WHERE %1").arg(condition.sql), condition.values);
    if (moved) {
        for (StoredEntry &stored : entries)
            moved->binDeleted.push_back({stored.entry.id, std::move(stored.values), stored.digest});
    }
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
