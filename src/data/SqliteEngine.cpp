#include "data/SqliteEngine.h"

#include "data/DbConnection.h"

#include <QSqlError>
#include <QVariant>

#include <algorithm>

QString SqliteEngine::beginWriteStatement() const
{
    // Takes the write lock at once, so that a busy database makes the caller wait the
    // busy timeout up front instead of failing when a read would have to become a write.
    return QStringLiteral("BEGIN IMMEDIATE");
}

QString SqliteEngine::lockTablesStatement(const QStringList &) const
{
    return {}; // the write transaction holds the whole file's write lock already
}

bool SqliteEngine::isReadOnlyRefusal(const QSqlError &error) const
{
    constexpr int sqliteReadOnly = 8; // primary result code; extended codes keep it in the low byte
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteReadOnly;
}

bool SqliteEngine::isForeignFile(const QSqlError &error) const
{
    constexpr int sqliteNotADatabase = 26; // "file is not a database"
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteNotADatabase;
}

void SqliteEngine::prepareSession(DbConnection &db) const
{
    // Readers and writers run side by side; the setting is stored in the file. Fails with
    // "file is not a database" for a file of another kind.
    db.query(QStringLiteral("PRAGMA journal_mode=WAL"));
}

int SqliteEngine::schemaVersion(DbConnection &db) const
{
    QSqlQuery query = db.query(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

QStringList SqliteEngine::setSchemaVersionStatements(int version) const
{
    // A pragma takes no bound value; the number is the program's own constant.
    return {QStringLiteral("PRAGMA user_version = %1").arg(version)};
}

QStringList SqliteEngine::tableNames(DbConnection &db) const
{
    QStringList names;
    QSqlQuery query = db.query(QStringLiteral("SELECT name FROM sqlite_master "
                                              "WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QString SqliteEngine::autoNumberColumn(const QString &name) const
{
    return QStringLiteral("%1 INTEGER PRIMARY KEY AUTOINCREMENT").arg(name);
}

bool SqliteEngine::likeTakesPattern(const QString &pattern) const
{
    constexpr qsizetype longestPatternBytes = 50000; // SQLite's built-in limit
    return pattern.size() * 3 <= longestPatternBytes || pattern.toUtf8().size() <= longestPatternBytes;
}

QString SqliteEngine::containsCondition(const QString &column) const
{
    return QStringLiteral("instr(%1, ?) > 0").arg(column);
}

namespace {

// SQLite's own default (-2000: about 2 MB), restored after a bulk insert.
constexpr int defaultCacheSize = -2000;

const QString removeOldFromIndex =
    QStringLiteral("INSERT INTO address_search (address_search, rowid, AddressFolded, AddressNameFolded) "
                   "VALUES ('delete', old.RowNo, old.AddressFolded, old.AddressNameFolded);");
const QString addNewToIndex = QStringLiteral("INSERT INTO address_search (rowid, AddressFolded, AddressNameFolded) "
                                             "VALUES (new.RowNo, new.AddressFolded, new.AddressNameFolded);");
const QString insertTrigger =
    QStringLiteral("CREATE TRIGGER address_search_insert AFTER INSERT ON address BEGIN %1 END").arg(addNewToIndex);

} // namespace

// The search index holds every run of three characters of the folded columns (the
// `trigram` tokenizer built into SQLite), reading the texts themselves from the address
// table. Triggers keep it in step with every writer, the sqlite3 shell included; they
// use nothing but SQLite's own functions, so any program can still write the file.
QStringList SqliteEngine::indexStatements() const
{
    return {
        // detail=none keeps no positions: the index is half the size, and a search asks
        // for each run of three characters separately anyway.
        QStringLiteral("CREATE VIRTUAL TABLE address_search USING fts5(AddressFolded, AddressNameFolded, "
                       "tokenize = 'trigram', detail = none, content = 'address', content_rowid = 'RowNo')"),
        insertTrigger,
        QStringLiteral("CREATE TRIGGER address_search_delete AFTER DELETE ON address BEGIN %1 END")
            .arg(removeOldFromIndex),
        QStringLiteral("CREATE TRIGGER address_search_update AFTER UPDATE OF AddressFolded, AddressNameFolded, RowNo "
                       "ON address BEGIN %1 %2 END")
            .arg(removeOldFromIndex, addNewToIndex),
    };
}

// The index writes what it holds at every statement's end, so rows inserted one statement
// each cost it several times what one statement for all of them does. The trigger is gone
// only inside the caller's transaction: no other program ever sees the file without it.
void SqliteEngine::pauseSearchIndex(DbConnection &db) const
{
    db.execute(QStringLiteral("DROP TRIGGER IF EXISTS address_search_insert"));
    // A large import touches more pages of the table, its indexes and the search index
    // than the default cache holds: they would be written to the journal and read back
    // again and again before the commit. The cache grows only as far as it is used.
    db.query(QStringLiteral("PRAGMA cache_size = -262144"));
}

void SqliteEngine::resumeSearchIndex(DbConnection &db, qint64 lastRowNoBefore) const
{
    db.execute(QStringLiteral("INSERT INTO address_search (rowid, AddressFolded, AddressNameFolded) "
                              "SELECT RowNo, AddressFolded, AddressNameFolded FROM address WHERE RowNo > ?"),
               {lastRowNoBefore});
    db.execute(insertTrigger);
    db.query(QStringLiteral("PRAGMA cache_size = %1").arg(defaultCacheSize));
}

QStringList SqliteEngine::refillSearchIndexStatements() const
{
    return {QStringLiteral("INSERT INTO address_search (address_search) VALUES ('rebuild')")};
}

// The index is asked for runs of three characters of the text, each a quoted string of
// the full-text query language (a quote doubled inside), all of which a row must hold.
// That finds every row containing the text, and a few more, which the plain comparison
// beside this condition drops. LIKE on the index is no use: it scans the whole index
// when given an escape character, and misses patterns shorter than three characters.
SqlEngine::IndexedSearch SqliteEngine::indexedSearch(const QString &foldedText) const
{
    // Characters, not UTF-16 units: the tokenizer counts code points.
    const QList<uint> characters = foldedText.toUcs4();
    constexpr qsizetype runLength = 3;
    // A few runs spread over a long text pick the rows as well as all of them would, and
    // every run costs a read of its part of the index.
    constexpr qsizetype mostRuns = 8;
    if (characters.size() < runLength || foldedText.contains(QChar(0)))
        return {};
    const qsizetype runs = characters.size() - runLength + 1;
    const qsizetype asked = std::min(runs, mostRuns);
    QStringList terms;
    for (qsizetype i = 0; i < asked; ++i) {
        const qsizetype start = asked == 1 ? 0 : i * (runs - 1) / (asked - 1);
        QString run = QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData() + start), runLength);
        const QString term = QLatin1Char('"') + run.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        if (!terms.contains(term))
            terms << term;
    }
    // Rows come from the index in the order of their numbers, one by one: the first ones
    // are there at once, however many follow.
    return {QStringLiteral("(SELECT rowid AS FoundRowNo FROM address_search WHERE address_search MATCH ?)"),
            {terms.join(QLatin1String(" AND "))}};
}
