#include "data/SqliteEngine.h"

#include "data/PrivateFiles.h"
#include "data/SqlSession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QTemporaryFile>
#include <QUrl>
#include <QVariant>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace {

bool isReadOnlyCode(const QSqlError &error)
{
    constexpr int sqliteReadOnly = 8; // primary result code; extended codes keep it in the low byte
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteReadOnly;
}

AppError errorFrom(const QSqlError &error)
{
    if (isReadOnlyCode(error))
        return SqlEngine::readOnlyError();
    const QString text = error.text().trimmed();
    return AppError(text.isEmpty() ? QCoreApplication::translate("SqlEngine", "数据库错误") : text);
}

// Whether a first read works; false when it fails for want of room to write beside the
// file (SQLite's "disk I/O error" or "database or disk is full").
bool canReadWithJournal(const QSqlDatabase &db)
{
    constexpr int sqliteIoError = 10, sqliteFull = 13;
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        return true;
    bool ok = false;
    const int code = probe.lastError().nativeErrorCode().toInt(&ok) & 0xff;
    return !ok || (code != sqliteIoError && code != sqliteFull);
}

bool canWrite(const QString &path)
{
    // access() also answers for root, whom a read-only mount refuses too.
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

void removeWithCompanions(const QString &file)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(file + QLatin1String(suffix));
}

// A row of a statement stepped with the SQLite C API.
class SqliteRow : public RowReader
{
public:
    explicit SqliteRow(sqlite3_stmt *statement) : m_statement(statement) {}

    QByteArrayView utf8(int column) const override
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QByteArrayView(text, text ? sqlite3_column_bytes(m_statement, column) : 0);
    }
    bool isInteger(int column) const override { return sqlite3_column_type(m_statement, column) == SQLITE_INTEGER; }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_statement, column); }
    bool isNull(int column) const override { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }

private:
    sqlite3_stmt *m_statement;
};

void bindNative(sqlite3_stmt *statement, int position, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool: sqlite3_bind_int64(statement, position, value.toLongLong()); break;
    case QMetaType::Double: sqlite3_bind_double(statement, position, value.toDouble()); break;
    default:
        if (value.isNull() && value.typeId() != QMetaType::QString) {
            sqlite3_bind_null(statement, position);
        } else {
            // A null QString binds as an empty text, as DbConnection binds it.
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        break;
    }
}

// The connection's own handle; null where the driver is not SQLite's.
sqlite3 *nativeHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

class SqliteWrite : public PreparedWrite
{
public:
    SqliteWrite(sqlite3 *native, const QString &sql) : m_native(native)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_native, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
            throw AppError(QString::fromUtf8(sqlite3_errmsg(m_native)));
    }
    ~SqliteWrite() override { sqlite3_finalize(m_statement); }
    SqliteWrite(const SqliteWrite &) = delete;
    SqliteWrite &operator=(const SqliteWrite &) = delete;

    void run(std::initializer_list<QVariant> values) override
    {
        Q_ASSERT(values.size() <= m_texts.size());
        int column = 1;
        for (const QVariant &value : values)
            bind(column++, value);
        const int rc = sqlite3_step(m_statement);
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        if (rc != SQLITE_DONE)
            throw AppError(QString::fromUtf8(sqlite3_errmsg(m_native)));
    }

private:
    // A null QVariant binds NULL, a null text's too (the Jet conversion stores NULL so),
    // where bindNative() binds a null text as an empty one, as DbConnection does.
    void bind(int column, const QVariant &value)
    {
        if (value.isNull()) {
            sqlite3_bind_null(m_statement, column);
        } else if (value.typeId() == QMetaType::QString) {
            // Qt's conversion to UTF-8 is quicker than the engine's own; the text stays
            // alive here until the statement has run, so the engine need not copy it.
            QByteArray &text = m_texts[size_t(column - 1)];
            text = value.toString().toUtf8();
            sqlite3_bind_text(m_statement, column, text.constData(), int(text.size()), SQLITE_STATIC);
        } else {
            sqlite3_bind_int64(m_statement, column, value.toLongLong());
        }
    }

    sqlite3 *m_native;
    sqlite3_stmt *m_statement = nullptr;
    std::array<QByteArray, 8> m_texts;
};

} // namespace

bool SqliteEngine::canChange(const QString &file)
{
    return canWrite(QFileInfo(file).absolutePath()) && canWrite(file);
}

// A crash while the tables are made must never leave a file without them under the
// real name, so the new database is completed under a temporary name first.
void SqliteEngine::createIfMissing(const std::function<void(const QString &)> &fillTables) const
{
    if (QFileInfo::exists(m_file))
        return;
    const QFileInfo target(m_file);
    QString temporary;
    {
        QTemporaryFile file(target.absoluteFilePath() + QStringLiteral(".new-XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open())
            throw AppError(
                QCoreApplication::translate("SqlEngine", "无法建立数据库文件“%1”：%2").arg(m_file, file.errorString()));
        // The owner's alone, unless the folder is shared with a group (PrivateFiles).
        ::fchmod(file.handle(), PrivateFiles::fileModeIn(target.absolutePath()));
        temporary = file.fileName();
    }
    try {
        fillTables(temporary);
    } catch (const AppError &) {
        removeWithCompanions(temporary);
        throw;
    }
    if (!QFile::rename(temporary, m_file)) {
        removeWithCompanions(temporary);
        // Another connection may have made it meanwhile; that one is used.
        if (!QFileInfo::exists(m_file))
            throw AppError(QCoreApplication::translate("SqlEngine", "无法建立数据库文件“%1”").arg(m_file));
    }
}

bool SqliteEngine::open(QSqlDatabase &db, const OpenSettings &settings) const
{
    return openFile(db, settings, !canChange(m_file));
}

bool SqliteEngine::openFile(QSqlDatabase &db, const OpenSettings &settings, bool readOnly) const
{
    QStringList options{QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(settings.busyTimeoutMs)};
    QString name = m_file;
    if (readOnly) {
        options << QStringLiteral("QSQLITE_OPEN_READONLY");
        // The shared journal needs its index file beside the database; where it cannot be
        // made, the file is read as it is. A journal left behind is still read normally;
        // an empty one (a read on a full disk leaves it) holds nothing to read.
        if (QFileInfo(m_file + QStringLiteral("-wal")).size() == 0) {
            options << QStringLiteral("QSQLITE_OPEN_URI");
            name = QUrl::fromLocalFile(m_file).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1");
        }
    }
    db.setDatabaseName(name);
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open())
        throw errorFrom(db.lastError());
    // On a full disk the shared journal's index file cannot be made, and not even a read
    // succeeds; read as for a read-only folder, the library can still be looked up.
    if (!readOnly && !canReadWithJournal(db)) {
        db.close();
        return openFile(db, settings, true);
    }
    return readOnly;
}

// Qt Sql's row fetch makes a QVariant and a QString of every value, which costs more than
// SQLite's own stepping; the C API reads the same connection without that.
bool SqliteEngine::readRows(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                            const std::function<void(const RowReader &)> &sink) const
{
    sqlite3 *native = nativeHandle(db);
    if (!native)
        return false;
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(native, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(native)));
    // Finalised however the reading ends, a throwing sink included.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(statement, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i)
        bindNative(statement, i + 1, values.at(i));
    const SqliteRow row(statement);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        sink(row);
    if (result != SQLITE_DONE)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(native)));
    return true;
}

// SQLite's online backup reads a consistent state even while another program writes.
QString SqliteEngine::copyFile(const QString &source, const QString &target, int busyTimeoutMs)
{
    sqlite3 *from = nullptr;
    sqlite3 *to = nullptr;
    QString error;
    if (sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(from));
    } else if (sqlite3_open_v2(QFile::encodeName(target).constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr)
               != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(to));
    } else {
        sqlite3_busy_timeout(from, busyTimeoutMs);
        sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
        if (!backup) {
            error = QString::fromUtf8(sqlite3_errmsg(to));
        } else {
            const int stepped = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            if (stepped != SQLITE_DONE)
                error = QString::fromUtf8(sqlite3_errstr(stepped));
            // The copy is one self-contained file, whatever journal the library uses.
            else if (sqlite3_exec(to, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
                error = QString::fromUtf8(sqlite3_errmsg(to));
        }
    }
    sqlite3_close(from);
    sqlite3_close(to);
    return error;
}

std::unique_ptr<PreparedWrite> SqliteEngine::prepareWrite(const QSqlDatabase &db, const QString &sql) const
{
    sqlite3 *native = nativeHandle(db);
    return native ? std::make_unique<SqliteWrite>(native, sql) : nullptr;
}

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
    return isReadOnlyCode(error);
}

bool SqliteEngine::isForeignFile(const QSqlError &error) const
{
    constexpr int sqliteNotADatabase = 26; // "file is not a database"
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteNotADatabase;
}

void SqliteEngine::prepareSession(SqlSession &db) const
{
    // Readers and writers run side by side; the setting is stored in the file. Fails with
    // "file is not a database" for a file of another kind.
    db.query(QStringLiteral("PRAGMA journal_mode=WAL"));
}

int SqliteEngine::schemaVersion(SqlSession &db) const
{
    QSqlQuery query = db.query(QStringLiteral("PRAGMA user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

QStringList SqliteEngine::setSchemaVersionStatements(int version) const
{
    // A pragma takes no bound value; the number is the program's own constant.
    return {QStringLiteral("PRAGMA user_version = %1").arg(version)};
}

QStringList SqliteEngine::tableNames(SqlSession &db) const
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
void SqliteEngine::pauseSearchIndex(SqlSession &db) const
{
    db.execute(QStringLiteral("DROP TRIGGER IF EXISTS address_search_insert"));
    // A large import touches more pages of the table, its indexes and the search index
    // than the default cache holds: they would be written to the journal and read back
    // again and again before the commit. The cache grows only as far as it is used.
    db.query(QStringLiteral("PRAGMA cache_size = -262144"));
}

namespace {

// The index gathers what it is given in memory and writes it out as a new segment of its
// table whenever that passes its "hashsize" (1 MB unless set): a fill of a hundred
// thousand rows would write dozens of segments and merge them again and again. For the
// fill the limit is raised, then set back as the file had it, so that the file holds
// what it held before and other programs keep their own memory use.
constexpr int bulkHashSize = 64 << 20;
constexpr int defaultHashSize = 1 << 20; // SQLite's own
const QString hashSizeKey = QStringLiteral("hashsize");

std::optional<QVariant> storedIndexSetting(SqlSession &db, const QString &key)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT v FROM address_search_config WHERE k = ?"), {key});
    return query.next() ? std::optional<QVariant>(query.value(0)) : std::nullopt;
}

void setIndexSetting(SqlSession &db, const QString &key, const QVariant &value)
{
    db.execute(QStringLiteral("INSERT INTO address_search (address_search, rank) VALUES (?, ?)"), {key, value});
}

} // namespace

void SqliteEngine::resumeSearchIndex(SqlSession &db, qint64 lastRowNoBefore) const
{
    const std::optional<QVariant> hashSize = storedIndexSetting(db, hashSizeKey);
    setIndexSetting(db, hashSizeKey, bulkHashSize);
    db.execute(QStringLiteral("INSERT INTO address_search (rowid, AddressFolded, AddressNameFolded) "
                              "SELECT RowNo, AddressFolded, AddressNameFolded FROM address WHERE RowNo > ?"),
               {lastRowNoBefore});
    // Setting a value tells the other connections to read the settings again; the row of
    // a value the file did not hold goes after that, and they read SQLite's default.
    setIndexSetting(db, hashSizeKey, hashSize.value_or(QVariant(defaultHashSize)));
    if (!hashSize)
        db.execute(QStringLiteral("DELETE FROM address_search_config WHERE k = ?"), {hashSizeKey});
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
