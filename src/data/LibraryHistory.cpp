#include "data/LibraryHistory.h"

#include "data/AddressStore.h"
#include "data/SqlSession.h"

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
struct TableShape
{
    QString name;
    QString key;
    QStringList columns;
    QList<int> compared;
    int groupColumn = -1;
};

enum TableIndex { Groups, Addresses, Bin, TableCount };

std::array<TableShape, TableCount> shapesFor(const SqlEngine &engine)
{
    return {
        TableShape{QStringLiteral("BaseGroup"),
                   engine.rowKeyColumn(),
                   {QStringLiteral("GroupNo"), QStringLiteral("GroupName")},
                   {0, 1}},
        TableShape{QStringLiteral("address"),
                   QStringLiteral("RowNo"),
                   {QStringLiteral("Address"), QStringLiteral("AddressName"), QStringLiteral("Times"),
                    QStringLiteral("ViewTime"), QStringLiteral("GroupNo"), QStringLiteral("MyAddress")},
                   {0, 1, 4, 5},
                   4},
        TableShape{QStringLiteral("RecycleBin"),
                   QStringLiteral("Id"),
                   MovedRows::comparedBinColumns(),
                   {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
}

// The columns whose digest tells that a row changed; for the address table those of
// MovedRows::comparedAddressColumns(), the digest a move reports.
QStringList comparedColumns(const TableShape &shape)
{
    QStringList columns;
    for (const int column : shape.compared)
        columns << shape.columns.at(column);
    return columns;
}

// A row as a step knows it: absent, or present with a digest of its compared columns and,
// unless the step keeps only keys or the row was moved into the bin (MovedRows), its
// values. `orphan` tells that its group was missing when it was read, so that its group's
// absence refuses nothing.
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

// The digest is the engine's where it digests rows (then every digest of a row is), else
// one of the values. A row known by its digest alone (moved into the bin with its group)
// is of a group that exists.
RowState presentRow(const TableShape &shape, QVariantList values, const QSet<qint64> &groups,
                    const quint64 *engineDigest)
{
    RowState state;
    state.present = true;
    state.values = std::move(values);
    state.digest = engineDigest ? *engineDigest : digestOf(state.values, shape.compared);
    state.orphan = shape.groupColumn >= 0 && !state.values.isEmpty()
        && !groups.contains(state.values.at(shape.groupColumn).toLongLong());
    return state;
}

QSet<qint64> groupNumbers(DbConnection &db)
{
    QSet<qint64> numbers;
    QSqlQuery query = db.query(QStringLiteral("SELECT GroupNo FROM BaseGroup"));
    while (query.next())
        numbers.insert(query.value(0).toLongLong());
    return numbers;
}

// Reads the rows a statement picks (its first column the key) into `rows`, through the
// engine's own client library: a step reads thousands of rows (a deleted group's), and Qt's
// driver makes a record of each that costs more than the delete itself.
void readInto(DbConnection &db, const TableShape &shape, const QString &where, const QVariantList &values,
              const QSet<qint64> &groups, Rows &rows)
{
    const int width = int(shape.columns.size());
    const QString digest = db.engine().rowDigest(comparedColumns(shape));
    db.readRows(QStringLiteral("SELECT %1, %2%3 FROM %4 WHERE %5")
                    .arg(shape.key, shape.columns.join(QStringLiteral(", ")),
                         digest.isEmpty() ? QString() : QStringLiteral(", ") + digest, shape.name, where),
                values, [&](const RowReader &row) {
                    const quint64 engineDigest = digest.isEmpty() ? 0 : quint64(row.integer(width + 1));
                    rows[row.integer(0)] = presentRow(shape, MovedRows::valuesOf(row, 1, width), groups,
                                                      digest.isEmpty() ? nullptr : &engineDigest);
                });
}

// Placeholders and values of one part of a list of keys.
constexpr size_t KeyChunk = 500;

QString keyList(const std::vector<qint64> &keys, size_t start, QVariantList &values)
{
    const size_t end = std::min(keys.size(), start + KeyChunk);
    for (size_t i = start; i < end; ++i)
        values << keys[i];
    return QStringList(qsizetype(end - start), QStringLiteral("?")).join(QLatin1Char(','));
}

void deleteKeys(DbConnection &db, const TableShape &shape, const std::vector<qint64> &keys)
{
    for (size_t start = 0; start < keys.size(); start += KeyChunk) {
        QVariantList values;
        const QString list = keyList(keys, start, values);
        db.execute(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)").arg(shape.name, shape.key, list), values);
    }
}

// The rows of these keys as stored now; a key without a row is absent.
Rows readKeys(DbConnection &db, const TableShape &shape, const std::vector<qint64> &keys, const QSet<qint64> &groups)
{
    Rows rows;
    for (size_t start = 0; start < keys.size(); start += KeyChunk) {
        QVariantList values;
        const QString list = keyList(keys, start, values);
        readInto(db, shape, QStringLiteral("%1 IN (%2)").arg(shape.key, list), values, groups, rows);
    }
    for (const qint64 key : keys)
        rows.try_emplace(key);
    return rows;
}

qint64 highestKey(DbConnection &db, const TableShape &shape)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT max(%1) FROM %2").arg(shape.key, shape.name));
    return query.next() ? query.value(0).toLongLong() : 0;
}

void lockAll(DbConnection &db, const std::array<TableShape, TableCount> &shapes)
{
    QStringList names;
    for (const TableShape &shape : shapes)
        names << shape.name;
    db.lockTables(names);
}

// How a refusal names a row.
QString describe(TableIndex table, const RowState &row)
{
    if (row.values.isEmpty() && table == Bin)
        return LibraryHistory::tr("回收站中的网址");
    if (row.values.isEmpty())
        return table == Groups ? LibraryHistory::tr("导入时新建的组别") : LibraryHistory::tr("导入的网址");
    switch (table) {
    case Groups: return LibraryHistory::tr("组别“%1”").arg(row.values.at(1).toString());
    case Addresses:
        return LibraryHistory::tr("网址“%1”（%2）").arg(row.values.at(1).toString(), row.values.at(0).toString());
    case Bin:
        return LibraryHistory::tr("回收站中的“%1”（%2）").arg(row.values.at(2).toString(), row.values.at(1).toString());
    case TableCount: break;
    }
    return QString();
}

QString problemWith(TableIndex table, const RowState &expected, const RowState &current)
{
    if (expected.present && !current.present)
        return LibraryHistory::tr("%1已被删除").arg(describe(table, expected));
    if (!expected.present && current.present)
        return LibraryHistory::tr("%1已占用它原来的位置").arg(describe(table, current));
    // A row moved into the bin, which the step knows by its digest alone, is named as it
    // is stored now.
    return LibraryHistory::tr("%1已被修改")
        .arg(describe(table, table == Bin && expected.values.isEmpty() && current.present ? current : expected));
}

// The rows a group delete moved into the bin are known by key and digest alone; going
// back, each takes the values of its row of the bin (RowNo first), read now and found as
// the delete left it.
bool takeValuesFromBin(std::vector<Entry> &addresses, const Rows &bin)
{
    bool allFound = true;
    QHash<qint64, const QVariantList *> byRowNo;
    for (const auto &[key, row] : bin) {
        if (row.present && !row.values.isEmpty())
            byRowNo.insert(row.values.at(0).toLongLong(), &row.values);
    }
    for (Entry &entry : addresses) {
        if (!entry.before.present || !entry.before.values.isEmpty())
            continue;
        if (const QVariantList *values = byRowNo.value(entry.key))
            entry.before.values = values->mid(1, 6);
        else
            allFound = false;
    }
    return allFound;
}

// Names at most three problems; a longer list ends with how many there are in all.
QString refusalText(bool back, const QString &label, const QStringList &problems)
{
    const QStringList shown = problems.mid(0, 3);
    const QString listed = shown.join(LibraryHistory::tr("，", "between the problems of a list"));
    if (problems.size() > shown.size()) {
        const int all = int(problems.size());
        return back
            ? LibraryHistory::tr("无法撤销“%1”：自那以后，%2等 %n 处。未作任何改动。", nullptr, all).arg(label, listed)
            : LibraryHistory::tr("无法重做“%1”：自那以后，%2等 %n 处。未作任何改动。", nullptr, all).arg(label, listed);
    }
    return back ? LibraryHistory::tr("无法撤销“%1”：自那以后，%2。未作任何改动。").arg(label, listed)
                : LibraryHistory::tr("无法重做“%1”：自那以后，%2。未作任何改动。").arg(label, listed);
}

QVariantList foldedOf(const QVariantList &values)
{
    return {AddressStore::folded(values.at(0).toString()), AddressStore::folded(values.at(1).toString())};
}

// The columns a step writes of a table's row (the address table's folded copies too), and
// a row's values for them.
QStringList writtenColumns(TableIndex table, const TableShape &shape)
{
    QStringList columns = shape.columns;
    if (table == Addresses)
        columns << QStringLiteral("AddressFolded") << QStringLiteral("AddressNameFolded");
    return columns;
}

QVariantList writtenValues(TableIndex table, const RowState &row)
{
    return table == Addresses ? row.values + foldedOf(row.values) : row.values;
}

using KeyedRows = std::vector<std::pair<qint64, const RowState *>>;

// Stores the rows again with their keys, many to a statement (a deleted group's thousands).
void insertRows(DbConnection &db, TableIndex table, const TableShape &shape, const KeyedRows &rows)
{
    const QStringList columns = writtenColumns(table, shape);
    const QString oneRow = QStringLiteral("(?%1)").arg(QStringLiteral(", ?").repeated(columns.size()));
    const size_t perStatement = std::max<size_t>(1, KeyChunk / size_t(columns.size() + 1));
    for (size_t start = 0; start < rows.size(); start += perStatement) {
        const size_t end = std::min(rows.size(), start + perStatement);
        QVariantList values;
        for (size_t i = start; i < end; ++i)
            values << rows[i].first << writtenValues(table, *rows[i].second);
        db.execute(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES %4")
                       .arg(shape.name, shape.key, columns.join(QStringLiteral(", ")),
                            QStringList(qsizetype(end - start), oneRow).join(QStringLiteral(", "))),
                   values);
    }
}

// Writes `target` over the stored row `current`; a row that stays keeps its visits.
void updateRow(DbConnection &db, TableIndex table, const TableShape &shape, qint64 key, const RowState &current,
               const RowState &target)
{
    if (current.digest == target.digest)
        return;
    const QStringList columns = writtenColumns(table, shape);
    const QVariantList values = writtenValues(table, target);
    QStringList assignments;
    QVariantList assigned;
    for (qsizetype column = 0; column < columns.size(); ++column) {
        if (column < shape.columns.size() && !shape.compared.contains(int(column)))
            continue;
        assignments << columns.at(column) + QStringLiteral(" = ?");
        assigned << values.at(column);
    }
    db.execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                   .arg(shape.name, assignments.join(QStringLiteral(", ")), shape.key),
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
    return recordStep(db, label, scope, nullptr, command);
}

bool LibraryHistory::record(DbConnection &db, const QString &label, const StepScope &scope,
                            const std::function<bool(MovedRows *)> &command)
{
    MovedRows moved;
    MovedRows *reporting = scope.reportsMovedRows ? &moved : nullptr;
    return recordStep(db, label, scope, reporting, [&] { return command(reporting); });
}

bool LibraryHistory::recordStep(DbConnection &db, const QString &label, const StepScope &scope, MovedRows *moved,
                                const std::function<bool()> &command)
{
    const std::array<TableShape, TableCount> shapes = shapesFor(db.engine());
    const auto reported = [moved](int table) { return moved && (table == Addresses || table == Bin); };
    Transaction transaction(db);
    lockAll(db, shapes);
    std::array<qint64, TableCount> highest{};
    std::array<Rows, TableCount> before;
    const QSet<qint64> groupsBefore = groupNumbers(db);
    const std::array<std::pair<QString, QVariantList>, TableCount> scopes{
        std::pair{scope.groups, scope.groupValues}, std::pair{scope.addresses, scope.addressValues},
        std::pair{scope.binRows, scope.binValues}};
    for (int table = 0; table < TableCount; ++table) {
        if (reported(table))
            continue;
        highest[table] = highestKey(db, shapes[table]);
        if (!scopes[table].first.isEmpty())
            readInto(db, shapes[table], scopes[table].first, scopes[table].second, groupsBefore, before[table]);
    }
    if (!scope.addressKeys.isEmpty() && !moved) {
        QSqlQuery query = db.query(scope.addressKeys, scope.addressKeyValues);
        std::vector<qint64> keys;
        while (query.next())
            keys.push_back(query.value(0).toLongLong());
        query.finish();
        before[Addresses].merge(readKeys(db, shapes[Addresses], keys, groupsBefore));
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
        const TableShape &shape = shapes[table];
        Rows after;
        if (reported(table)) {
            const bool addresses = table == Addresses;
            for (MovedRows::Row &row : addresses ? moved->addressesDeleted : moved->binDeleted) {
                after.try_emplace(row.key);
                before[table][row.key] = presentRow(shape, std::move(row.values), groupsBefore, &row.digest);
            }
            for (MovedRows::Row &row : addresses ? moved->addressesAdded : moved->binAdded)
                after[row.key] = presentRow(shape, std::move(row.values), groupsAfter, &row.digest);
        } else {
            readInto(db, shape, QStringLiteral("%1 > ?").arg(shape.key), {highest[table]}, groupsAfter, after);
            std::vector<qint64> kept;
            for (const auto &[key, state] : before[table]) {
                if (!after.count(key))
                    kept.push_back(key);
            }
            after.merge(readKeys(db, shape, kept, groupsAfter));
        }
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
    if (from.empty())
        return {false, back ? tr("没有可撤销的操作。") : tr("没有可重做的操作。")};
    Step &step = *from.back();
    if (db.location().text() != m_location)
        return {false,
                back ? tr("无法撤销“%1”：它改的是另一个数据库。").arg(step.label)
                     : tr("无法重做“%1”：它改的是另一个数据库。").arg(step.label)};

    const std::array<TableShape, TableCount> shapes = shapesFor(db.engine());
    Transaction transaction(db);
    lockAll(db, shapes);
    const QSet<qint64> groupsNow = groupNumbers(db);
    std::array<Rows, TableCount> current;
    QStringList problems;
    for (int table = 0; table < TableCount; ++table) {
        std::vector<qint64> keys;
        for (const Entry &entry : step.tables[table])
            keys.push_back(entry.key);
        current[table] = readKeys(db, shapes[table], keys, groupsNow);
        for (const Entry &entry : step.tables[table]) {
            const RowState &expected = back ? entry.after : entry.before;
            const RowState &now = current[table][entry.key];
            if (expected.present != now.present || (now.present && expected.digest != now.digest))
                problems << problemWith(TableIndex(table), expected, now);
        }
    }
    if (!problems.isEmpty())
        return {false, refusalText(back, step.label, problems)};
    if (back && !takeValuesFromBin(step.tables[Addresses], current[Bin]))
        return {false, refusalText(back, step.label, {tr("%1已被删除").arg(describe(Bin, RowState()))})};

    for (int table = 0; table < TableCount; ++table) {
        // Rows to remove go first, then the rows stored again, a few statements for
        // thousands of them (a group's addresses out of the bin and back), then changes.
        std::vector<qint64> removed;
        for (const Entry &entry : step.tables[table]) {
            if (current[table][entry.key].present && !(back ? entry.before : entry.after).present)
                removed.push_back(entry.key);
        }
        deleteKeys(db, shapes[table], removed);
        KeyedRows added;
        for (const Entry &entry : step.tables[table]) {
            const RowState &target = back ? entry.before : entry.after;
            const RowState &now = current[table][entry.key];
            if (target.present && !now.present)
                added.emplace_back(entry.key, &target);
            else if (target.present)
                updateRow(db, TableIndex(table), shapes[table], entry.key, now, target);
        }
        insertRows(db, TableIndex(table), shapes[table], added);
    }
    const QSet<qint64> groupsAfter = groupNumbers(db);
    for (const Entry &entry : step.tables[Addresses]) {
        const RowState &target = back ? entry.before : entry.after;
        if (target.present && !target.orphan && !target.values.isEmpty()
            && !groupsAfter.contains(target.values.at(shapes[Addresses].groupColumn).toLongLong()))
            problems << tr("%1所在的组别已不存在").arg(describe(Addresses, target));
    }
    if (!problems.isEmpty())
        return {false, refusalText(back, step.label, problems)}; // rolled back

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
