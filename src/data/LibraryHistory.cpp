#include "data/LibraryHistory.h"

#include "data/AddressStore.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <array>
#include <map>
#include <vector>

namespace {

// A table whose rows a step holds: its key, the columns kept, which of them an undo
// compares and writes back (the address table's visit count and date are neither), and
// the column naming the row's group.
struct TableSpec
{
    QString name;
    QString key;
    QStringList columns;
    QList<int> compared;
    int groupColumn = -1;
};

enum TableIndex { Groups, Addresses, Bin, TableCount };

std::array<TableSpec, TableCount> specsFor(const SqlEngine &engine)
{
    return {
        TableSpec{QStringLiteral("BaseGroup"),
                  engine.rowKeyColumn(),
                  {QStringLiteral("GroupNo"), QStringLiteral("GroupName")},
                  {0, 1}},
        TableSpec{QStringLiteral("address"),
                  QStringLiteral("RowNo"),
                  {QStringLiteral("Address"), QStringLiteral("AddressName"), QStringLiteral("Times"),
                   QStringLiteral("ViewTime"), QStringLiteral("GroupNo"), QStringLiteral("MyAddress")},
                  {0, 1, 4, 5},
                  4},
        TableSpec{QStringLiteral("RecycleBin"),
                  QStringLiteral("Id"),
                  {QStringLiteral("RowNo"), QStringLiteral("Address"), QStringLiteral("AddressName"),
                   QStringLiteral("Times"), QStringLiteral("ViewTime"), QStringLiteral("GroupNo"),
                   QStringLiteral("MyAddress"), QStringLiteral("GroupName"), QStringLiteral("DeletedAt"),
                   QStringLiteral("DeletedBy")},
                  {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
}

// A row as a step knows it: absent, or present with a digest of its compared columns and,
// unless the step keeps only keys, its values. `orphan` tells that its group was missing
// when it was read, so that its group's absence refuses nothing.
struct RowState
{
    bool present = false;
    bool orphan = false;
    quint64 digest = 0;
    QVariantList values;
};

struct Entry
{
    qint64 key = 0;
    RowState before;
    RowState after;
};

quint64 digestOf(const QVariantList &values, const QList<int> &columns)
{
    size_t digest = 0;
    for (const int column : columns) {
        const QVariant &value = values.at(column);
        // Engines give numbers of different types; their texts agree.
        digest = qHash(value.isNull() ? QStringLiteral("\x01") : value.toString(), digest) ^ (digest << 7);
    }
    return quint64(digest);
}

qint64 bytesOf(const RowState &state)
{
    qint64 bytes = sizeof(RowState);
    for (const QVariant &value : state.values)
        bytes +=
            qint64(sizeof(QVariant)) + (value.typeId() == QMetaType::QString ? 32 + 2 * value.toString().size() : 0);
    return bytes;
}

using Rows = std::map<qint64, RowState>;

QSet<qint64> groupNumbers(DbConnection &db)
{
    QSet<qint64> numbers;
    QSqlQuery query = db.query(QStringLiteral("SELECT GroupNo FROM BaseGroup"));
    while (query.next())
        numbers.insert(query.value(0).toLongLong());
    return numbers;
}

// Reads the rows a statement picks (its first column the key) into `rows`.
void readInto(DbConnection &db, const TableSpec &spec, const QString &where, const QVariantList &values,
              const QSet<qint64> &groups, Rows &rows)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4")
                                   .arg(spec.key, spec.columns.join(QStringLiteral(", ")), spec.name, where),
                               values);
    const int width = int(spec.columns.size());
    while (query.next()) {
        RowState state;
        state.present = true;
        state.values.reserve(width);
        for (int column = 0; column < width; ++column)
            state.values << (query.isNull(column + 1) ? QVariant() : query.value(column + 1));
        state.digest = digestOf(state.values, spec.compared);
        state.orphan = spec.groupColumn >= 0 && !groups.contains(state.values.at(spec.groupColumn).toLongLong());
        rows[query.value(0).toLongLong()] = std::move(state);
    }
}

// The rows of these keys as stored now; a key without a row is absent.
Rows readKeys(DbConnection &db, const TableSpec &spec, const std::vector<qint64> &keys, const QSet<qint64> &groups)
{
    Rows rows;
    constexpr size_t Chunk = 500;
    for (size_t start = 0; start < keys.size(); start += Chunk) {
        const size_t end = std::min(keys.size(), start + Chunk);
        QVariantList values;
        for (size_t i = start; i < end; ++i)
            values << keys[i];
        readInto(db, spec,
                 QStringLiteral("%1 IN (%2)")
                     .arg(spec.key, QStringList(values.size(), QStringLiteral("?")).join(QLatin1Char(','))),
                 values, groups, rows);
    }
    for (const qint64 key : keys)
        rows.try_emplace(key);
    return rows;
}

qint64 highestKey(DbConnection &db, const TableSpec &spec)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT max(%1) FROM %2").arg(spec.key, spec.name));
    return query.next() ? query.value(0).toLongLong() : 0;
}

void lockAll(DbConnection &db, const std::array<TableSpec, TableCount> &specs)
{
    QStringList names;
    for (const TableSpec &spec : specs)
        names << spec.name;
    db.lockTables(names);
}

// How a refusal names a row.
QString describe(TableIndex table, const RowState &row)
{
    if (row.values.isEmpty())
        return table == Groups ? QStringLiteral("导入时新建的组别") : QStringLiteral("导入的网址");
    switch (table) {
    case Groups: return QStringLiteral("组别“%1”").arg(row.values.at(1).toString());
    case Addresses:
        return QStringLiteral("网址“%1”（%2）").arg(row.values.at(1).toString(), row.values.at(0).toString());
    case Bin:
        return QStringLiteral("回收站中的“%1”（%2）").arg(row.values.at(2).toString(), row.values.at(1).toString());
    case TableCount: break;
    }
    return QString();
}

QString problemWith(TableIndex table, const RowState &expected, const RowState &current)
{
    if (expected.present && !current.present)
        return describe(table, expected) + QStringLiteral("已被删除");
    if (!expected.present && current.present)
        return QStringLiteral("%1已占用它原来的位置").arg(describe(table, current));
    return describe(table, expected) + QStringLiteral("已被修改");
}

QString refusalText(const QString &verb, const QString &label, const QStringList &problems)
{
    QStringList shown = problems.mid(0, 3);
    QString text = QStringLiteral("无法%1“%2”：自那以后，%3").arg(verb, label, shown.join(QStringLiteral("，")));
    if (problems.size() > shown.size())
        text += QStringLiteral("等 %1 处").arg(problems.size());
    return text + QStringLiteral("。未作任何改动。");
}

QVariantList foldedOf(const QVariantList &values)
{
    return {AddressStore::folded(values.at(0).toString()), AddressStore::folded(values.at(1).toString())};
}

// Writes `target` over the row stored as `current`.
void writeRow(DbConnection &db, TableIndex table, const TableSpec &spec, qint64 key, const RowState &current,
              const RowState &target)
{
    if (!target.present) {
        if (current.present)
            db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(spec.name, spec.key), {key});
        return;
    }
    QStringList columns = spec.columns;
    QVariantList values = target.values;
    if (table == Addresses) {
        columns << QStringLiteral("AddressFolded") << QStringLiteral("AddressNameFolded");
        values << foldedOf(target.values);
    }
    if (!current.present) {
        db.execute(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?%4)")
                       .arg(spec.name, spec.key, columns.join(QStringLiteral(", ")),
                            QStringLiteral(", ?").repeated(columns.size())),
                   QVariantList{key} + values);
        return;
    }
    if (current.digest == target.digest)
        return;
    // A row that stays keeps its visits.
    QStringList assignments;
    QVariantList assigned;
    for (qsizetype column = 0; column < columns.size(); ++column) {
        if (column < spec.columns.size() && !spec.compared.contains(int(column)))
            continue;
        assignments << columns.at(column) + QStringLiteral(" = ?");
        assigned << values.at(column);
    }
    db.execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(spec.name, assignments.join(QStringLiteral(", ")), spec.key),
               assigned + QVariantList{key});
}

} // namespace

struct LibraryHistory::Step
{
    QString label;
    bool keysOnly = false;
    std::array<std::vector<Entry>, TableCount> tables;
    qint64 bytes = 0;

    void measure()
    {
        bytes = qint64(sizeof(Step)) + 2 * label.size();
        for (const auto &entries : tables) {
            for (const Entry &entry : entries)
                bytes += qint64(sizeof(Entry)) + bytesOf(entry.before) + bytesOf(entry.after);
        }
    }
    // An import's step keeps its added rows' keys and digests only.
    void compact()
    {
        if (!keysOnly)
            return;
        for (auto &entries : tables) {
            for (Entry &entry : entries) {
                if (!entry.before.present) {
                    entry.after.values.clear();
                    entry.after.values.squeeze();
                }
            }
        }
    }
};

LibraryHistory::LibraryHistory(qint64 memoryLimit) : m_limit(memoryLimit) {}

LibraryHistory::~LibraryHistory() = default;

bool LibraryHistory::record(DbConnection &db, const QString &label, const StepScope &scope,
                            const std::function<bool()> &command)
{
    const std::array<TableSpec, TableCount> specs = specsFor(db.engine());
    Transaction transaction(db);
    lockAll(db, specs);
    std::array<qint64, TableCount> highest{};
    std::array<Rows, TableCount> before;
    const QSet<qint64> groupsBefore = groupNumbers(db);
    const std::array<std::pair<QString, QVariantList>, TableCount> scopes{
        std::pair{scope.groups, scope.groupValues}, std::pair{scope.addresses, scope.addressValues},
        std::pair{scope.binRows, scope.binValues}};
    for (int table = 0; table < TableCount; ++table) {
        highest[table] = highestKey(db, specs[table]);
        if (!scopes[table].first.isEmpty())
            readInto(db, specs[table], scopes[table].first, scopes[table].second, groupsBefore, before[table]);
    }
    if (!scope.addressKeys.isEmpty()) {
        QSqlQuery query = db.query(scope.addressKeys, scope.addressKeyValues);
        std::vector<qint64> keys;
        while (query.next())
            keys.push_back(query.value(0).toLongLong());
        query.finish();
        before[Addresses].merge(readKeys(db, specs[Addresses], keys, groupsBefore));
    }
    const bool succeeded = command();
    if (!succeeded
        && (!scope.keepsWorkBeforeFailure || db.engine().failedStatementEndsTransaction() || !db.inTransaction()))
        return false;

    auto step = std::make_unique<Step>();
    step->label = label;
    step->keysOnly = scope.keysOnly;
    const QSet<qint64> groupsAfter = groupNumbers(db);
    bool changed = false;
    for (int table = 0; table < TableCount; ++table) {
        const TableSpec &spec = specs[table];
        Rows after;
        readInto(db, spec, QStringLiteral("%1 > ?").arg(spec.key), {highest[table]}, groupsAfter, after);
        std::vector<qint64> kept;
        for (const auto &[key, state] : before[table]) {
            if (!after.count(key))
                kept.push_back(key);
        }
        after.merge(readKeys(db, spec, kept, groupsAfter));
        for (auto &[key, state] : after) {
            auto found = before[table].find(key);
            RowState was = found == before[table].end() ? RowState() : std::move(found->second);
            if (was.present == state.present && (!was.present || was.digest == state.digest))
                continue;
            step->tables[table].push_back(Entry{key, std::move(was), std::move(state)});
            changed = true;
        }
    }
    transaction.commit();
    if (!changed)
        return succeeded;
    if (db.location().text() != m_location) {
        clear();
        m_location = db.location().text();
    }
    step->compact();
    step->measure();
    m_bytes += step->bytes;
    m_undo.push_back(std::move(step));
    for (const auto &dropped : m_redo)
        m_bytes -= dropped->bytes;
    m_redo.clear();
    trim();
    return succeeded;
}

QString LibraryHistory::undoLabel() const
{
    return m_undo.empty() ? QString() : m_undo.back()->label;
}

QString LibraryHistory::redoLabel() const
{
    return m_redo.empty() ? QString() : m_redo.back()->label;
}

HistoryResult LibraryHistory::undo(DbConnection &db)
{
    return move(db, true);
}

HistoryResult LibraryHistory::redo(DbConnection &db)
{
    return move(db, false);
}

// Takes the newest step of one stack back (undo) or does it again (redo), after checking
// that its rows are stored as it left them.
HistoryResult LibraryHistory::move(DbConnection &db, bool back)
{
    auto &from = back ? m_undo : m_redo;
    auto &to = back ? m_redo : m_undo;
    const QString verb = back ? QStringLiteral("撤销") : QStringLiteral("重做");
    if (from.empty())
        return {false, QStringLiteral("没有可%1的操作。").arg(verb)};
    Step &step = *from.back();
    if (db.location().text() != m_location)
        return {false, QStringLiteral("无法%1“%2”：它改的是另一个数据库。").arg(verb, step.label)};

    const std::array<TableSpec, TableCount> specs = specsFor(db.engine());
    Transaction transaction(db);
    lockAll(db, specs);
    const QSet<qint64> groupsNow = groupNumbers(db);
    std::array<Rows, TableCount> current;
    QStringList problems;
    for (int table = 0; table < TableCount; ++table) {
        std::vector<qint64> keys;
        for (const Entry &entry : step.tables[table])
            keys.push_back(entry.key);
        current[table] = readKeys(db, specs[table], keys, groupsNow);
        for (const Entry &entry : step.tables[table]) {
            const RowState &expected = back ? entry.after : entry.before;
            const RowState &now = current[table][entry.key];
            if (expected.present != now.present || (now.present && expected.digest != now.digest))
                problems << problemWith(TableIndex(table), expected, now);
        }
    }
    if (!problems.isEmpty())
        return {false, refusalText(verb, step.label, problems)};

    for (int table = 0; table < TableCount; ++table) {
        for (const Entry &entry : step.tables[table])
            writeRow(db, TableIndex(table), specs[table], entry.key, current[table][entry.key],
                     back ? entry.before : entry.after);
    }
    const QSet<qint64> groupsAfter = groupNumbers(db);
    for (const Entry &entry : step.tables[Addresses]) {
        const RowState &target = back ? entry.before : entry.after;
        if (target.present && !target.orphan
            && !groupsAfter.contains(target.values.at(specs[Addresses].groupColumn).toLongLong()))
            problems << describe(Addresses, target) + QStringLiteral("所在的组别已不存在");
    }
    if (!problems.isEmpty())
        return {false, refusalText(verb, step.label, problems)}; // rolled back
    transaction.commit();

    // The side left behind is kept as it was stored now (with its visits), for the way back.
    m_bytes -= step.bytes;
    for (int table = 0; table < TableCount; ++table) {
        for (Entry &entry : step.tables[table]) {
            RowState &left = back ? entry.after : entry.before;
            left = std::move(current[table][entry.key]);
        }
    }
    if (!back)
        step.compact();
    step.measure();
    m_bytes += step.bytes;
    to.push_back(std::move(from.back()));
    from.pop_back();
    trim();
    return {true, QString()};
}

void LibraryHistory::takeSteps(LibraryHistory &other)
{
    if (other.m_undo.empty())
        return;
    if (other.m_location != m_location) {
        clear();
        m_location = other.m_location;
    }
    for (const auto &dropped : m_redo)
        m_bytes -= dropped->bytes;
    m_redo.clear();
    for (auto &step : other.m_undo) {
        m_bytes += step->bytes;
        m_undo.push_back(std::move(step));
    }
    other.clear();
    trim();
}

void LibraryHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_bytes = 0;
}

// The oldest steps go first; the newest one stays whatever it holds.
void LibraryHistory::trim()
{
    while (m_bytes > m_limit && m_undo.size() + m_redo.size() > 1) {
        auto &oldest = m_undo.size() > 1 || m_redo.empty() ? m_undo : m_redo;
        if (oldest.empty())
            break;
        m_bytes -= oldest.front()->bytes;
        oldest.pop_front();
    }
}
