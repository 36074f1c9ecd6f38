#include "data/DbConnection.h"

#include "data/AddressStore.h"
#include "data/LibraryWrites.h"
#include "data/PostgresEngine.h"
#include "data/PostgresRows.h"
#include "data/PrivateFiles.h"
#include "data/Schema.h"
#include "data/SqlEngine.h"
#include "data/AppError.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

QAtomicInt connectionCounter;

std::function<void(const QString &)> &newFileHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

QString readOnlyText()
{
    return DbConnection::tr("数据库所在的位置是只读的，不能修改！");
}

// The driver's own text, or a word when it gave none.
QString errorTextOf(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? DbConnection::tr("数据库错误") : text;
}

bool isReadOnlyError(const QSqlError &error)
{
    constexpr int sqliteReadOnly = 8; // primary result code; extended codes keep it in the low byte
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok && (code & 0xff) == sqliteReadOnly;
}

AppError errorFrom(const QSqlError &error)
{
    if (isReadOnlyError(error))
        return AppError(readOnlyText(), AppError::Kind::ReadOnly);
    return AppError(errorTextOf(error));
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

private:
    sqlite3_stmt *m_statement;
};

// A row of a QSqlQuery, for drivers without a handle of SQLite's.
class QueryRow : public RowReader
{
public:
    explicit QueryRow(const QSqlQuery &query) : m_query(query) {}

    void load()
    {
        m_texts.clear();
        for (int column = 0; column < m_query.record().count(); ++column)
            m_texts.push_back(m_query.value(column).toString().toUtf8());
    }
    QByteArrayView utf8(int column) const override { return m_texts.value(column); }
    bool isInteger(int column) const override
    {
        const int type = m_query.value(column).typeId();
        return type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt
            || type == QMetaType::ULongLong;
    }
    qint64 integer(int column) const override { return m_query.value(column).toLongLong(); }

private:
    const QSqlQuery &m_query;
    QList<QByteArray> m_texts;
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
            // A null QString binds as an empty text, as in prepared().
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        break;
    }
}

} // namespace

DbConnection::DbConnection(const QString &role)
    : m_name(QStringLiteral("%1#%2").arg(role).arg(connectionCounter.fetchAndAddRelaxed(1) + 1)),
      m_engine(SqlEngine::forLocation({}))
{
    QSqlDatabase::addDatabase(m_engine->driverName(), m_name);
}

DbConnection::~DbConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

void DbConnection::setDatabaseFile(const QString &location)
{
    m_configurationError.clear();
    try {
        useLocation(location);
    } catch (const AppError &error) {
        setConfigurationError(error.message());
    }
}

void DbConnection::setConfigurationError(const QString &message)
{
    m_file.clear();
    m_server.reset();
    m_configurationError = message;
}

// Each engine has its own Qt driver, so the named connection is made anew for another one.
void DbConnection::useLocation(const QString &location)
{
    close();
    std::unique_ptr<SqlEngine> engine = SqlEngine::forLocation(location);
    m_server.reset();
    if (engine->isServer())
        m_server = ServerAddress::parse(location);
    m_file = location;
    if (engine->driverName() != m_engine->driverName()) {
        QSqlDatabase::removeDatabase(m_name);
        QSqlDatabase::addDatabase(engine->driverName(), m_name);
    }
    m_engine = std::move(engine);
}

QString DbConnection::describe() const
{
    return m_server ? m_server->describe() : m_file;
}

bool DbConnection::canChange(const QString &file)
{
    return canWrite(QFileInfo(file).absolutePath()) && canWrite(file);
}

void DbConnection::setNewFileHook(std::function<void(const QString &)> hook)
{
    newFileHook() = std::move(hook);
}

bool DbConnection::isOpen() const
{
    return QSqlDatabase::database(m_name, false).isOpen();
}

bool DbConnection::tryOpenQuickly(int connectTimeoutSeconds)
{
    m_quickConnectSeconds = connectTimeoutSeconds;
    try {
        open();
    } catch (const AppError &) {
        m_quickConnectSeconds = 0;
        return false;
    }
    m_quickConnectSeconds = 0;
    return true;
}

void DbConnection::open()
{
    if (isOpen())
        return;
    if (!m_configurationError.isEmpty())
        throw AppError(m_configurationError);
    if (m_file.isEmpty())
        throw AppError(tr("未设置数据库文件"));

    if (m_server) {
        openServerConnection();
    } else {
        if (!QFileInfo::exists(m_file))
            createDatabaseFile();
        openConnection(!canChange(m_file));
    }
    try {
        prepareForUse();
    } catch (const AppError &) {
        close();
        throw;
    }
}

// A crash while the tables are made must never leave a file without them under the
// real name, so the new database is completed under a temporary name first.
void DbConnection::createDatabaseFile()
{
    const QFileInfo target(m_file);
    QString temporary;
    {
        QTemporaryFile file(target.absoluteFilePath() + QStringLiteral(".new-XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open())
            throw AppError(tr("无法建立数据库文件“%1”：%2").arg(m_file, file.errorString()));
        // The owner's alone, unless the folder is shared with a group (PrivateFiles).
        ::fchmod(file.handle(), PrivateFiles::fileModeIn(target.absolutePath()));
        temporary = file.fileName();
    }
    try {
        DbConnection builder(QStringLiteral("new"));
        builder.setDatabaseFile(temporary);
        builder.open(); // an empty file gets the tables
        builder.close();
        if (newFileHook())
            newFileHook()(temporary);
    } catch (const AppError &) {
        removeWithCompanions(temporary);
        throw;
    }
    if (!QFile::rename(temporary, m_file)) {
        removeWithCompanions(temporary);
        // Another connection may have made it meanwhile; that one is used.
        if (!QFileInfo::exists(m_file))
            throw AppError(tr("无法建立数据库文件“%1”").arg(m_file));
    }
}

void DbConnection::openConnection(bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    m_readOnly = readOnly;
    QStringList options{QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs)};
    QString name = m_file;
    if (m_readOnly) {
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
    if (!m_readOnly && !canReadWithJournal(db)) {
        db.close();
        openConnection(true);
    }
}

// The password never reaches this text: it is not in the settings, and the client
// library's reasons do not repeat it.
void DbConnection::openServerConnection()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    m_readOnly = false;
    db.setHostName(m_server->host);
    db.setPort(m_server->port);
    db.setUserName(m_server->user);
    db.setDatabaseName(m_server->database);
    QString options = m_server->connectOptions();
    // A server that does not answer is given up after a while, as a busy file is.
    if (m_quickConnectSeconds > 0) // the later setting wins
        options = QStringLiteral("%1connect_timeout=%2")
                      .arg(options.isEmpty() ? QString() : options + QLatin1Char(';'))
                      .arg(m_quickConnectSeconds);
    else if (m_server->connectTimeout.isEmpty())
        options = QStringLiteral("connect_timeout=10;") + options;
    db.setConnectOptions(options);
    if (!db.open())
        throw AppError(tr("无法连接数据库（%1）：%2").arg(m_server->describe(), db.lastError().text().trimmed()),
                       AppError::Kind::Unreachable);
}

void DbConnection::prepareForUse()
{
    const QString where = describe();
    m_engine->startSession(*this);
    // Nothing is written before the database is known to be ours and not too new.
    const int version = m_engine->schemaVersion(*this); // "file is not a database" fails here
    if (version > Schema::Version)
        throw AppError(
            tr("数据库“%1”由较新版本的程序建立（版本 %2，本程序只能使用版本 %3 及以前的数据库），未作任何改动。")
                .arg(where)
                .arg(version)
                .arg(Schema::Version));
    const QStringList tables = m_engine->tableNames(*this);
    QStringList missing;
    for (const QString &table : Schema::tableNames()) {
        if (!tables.contains(table, Qt::CaseInsensitive))
            missing << table;
    }
    const bool empty = tables.isEmpty();
    if (!empty && !missing.isEmpty())
        throw AppError(tr("数据库“%1”不完整，缺少表 %2，未作任何改动。")
                           .arg(where, missing.join(tr("、", "between the names of a list"))));
    // Only SQLite files are as old as the first version, which had no record of its
    // number; a server's tables without that record were made by someone else.
    if (!empty && version == 0 && m_engine->isServer())
        throw AppError(tr("数据库“%1”缺少记录版本的表 %2，无法确定其中的表是否由本程序建立，未作任何改动。")
                           .arg(where, QLatin1String(PostgresEngine::VersionTable)));
    if (m_readOnly) {
        if (empty || version < Schema::Version)
            throw AppError(tr("数据库“%1”所在的位置是只读的，无法建立或升级数据库。").arg(where),
                           AppError::Kind::ReadOnly);
        return;
    }
    m_engine->prepareSession(*this);
    if (empty)
        createSchema();
    else if (version < Schema::Version)
        upgradeFrom(version);
}

void DbConnection::createSchema()
{
    Transaction transaction(*this);
    if (const QString lock = m_engine->schemaLockStatement(); !lock.isEmpty())
        query(lock);
    if (!m_engine->tableNames(*this).isEmpty())
        return; // another program made them meanwhile
    for (const QString &statement : Schema::statements(*m_engine))
        runStatement(statement);
    for (const QString &statement : m_engine->setSchemaVersionStatements(Schema::Version))
        runStatement(statement);
    transaction.commit();
}

void DbConnection::upgradeFrom(int version)
{
    Transaction transaction(*this);
    if (const QString lock = m_engine->schemaLockStatement(); !lock.isEmpty())
        query(lock);
    version = m_engine->schemaVersion(*this); // another program may have upgraded it meanwhile
    for (; version < Schema::Version; ++version) {
        for (const QString &statement : Schema::upgradeStatements(*m_engine, version))
            runStatement(statement);
        if (version == 0)
            AddressStore::refoldAll(*this);
    }
    for (const QString &statement : m_engine->setSchemaVersionStatements(Schema::Version))
        runStatement(statement);
    transaction.commit();
}

void DbConnection::close()
{
    m_inTransaction = false;
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen())
        db.close();
}

// A lost connection is closed, so that the next statement opens a new one.
AppError DbConnection::failure(const QSqlError &error)
{
    if (m_engine->isConnectionLost(QSqlDatabase::database(m_name, false), error)) {
        close();
        return AppError(tr("与数据库的连接中断（%1）：%2").arg(describe(), error.text().trimmed()),
                        AppError::Kind::Unreachable);
    }
    if (m_engine->isReadOnlyRefusal(error))
        return AppError(readOnlyText(), AppError::Kind::ReadOnly);
    // A Jet file left unconverted, or any other file under the database's name.
    if (m_engine->isForeignFile(error))
        return AppError(tr("数据库文件“%1”不是本程序的数据库，无法使用，未作任何改动。").arg(describe()));
    return AppError(errorTextOf(error));
}

template <typename Result>
Result DbConnection::retryingOnce(const std::function<Result()> &statement)
{
    const bool wasOpen = isOpen();
    const bool canRetry = wasOpen && !m_inTransaction && m_engine->isServer();
    try {
        return statement();
    } catch (const AppError &) {
        // Closed by failure(): the connection was found lost, not the statement refused.
        if (!canRetry || isOpen())
            throw;
    }
    return statement();
}

void DbConnection::requireWritable() const
{
    if (m_readOnly)
        throw AppError(readOnlyText(), AppError::Kind::ReadOnly);
}

QSqlQuery DbConnection::prepare(const QString &sql)
{
    open();
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw failure(query.lastError());
    return query;
}

int DbConnection::run(QSqlQuery &statement, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        // A null QString would bind as SQL NULL; the program's texts are never NULL.
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            statement.bindValue(i, QString(QLatin1String("")));
        else
            statement.bindValue(i, value);
    }
    if (!statement.exec())
        throw failure(statement.lastError());
    const int changed = statement.numRowsAffected();
    noteWrite(changed);
    return changed;
}

QSqlQuery DbConnection::prepared(const QString &sql, const QVariantList &values)
{
    // Qt's PostgreSQL driver prepares with the PREPARE statement, which takes only
    // queries and changes of rows (no transaction control, no lock, no schema): a
    // statement without values is sent as it is.
    if (values.isEmpty() && m_engine->isServer()) {
        open();
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.setForwardOnly(true);
        if (!query.exec(sql))
            throw failure(query.lastError());
        return query;
    }
    QSqlQuery query = prepare(sql);
    run(query, values);
    return query;
}

void DbConnection::runStatement(const QString &sql)
{
    prepared(sql, {});
}

QSqlQuery DbConnection::query(const QString &sql, const QVariantList &values)
{
    return retryingOnce<QSqlQuery>([&] { return prepared(sql, values); });
}

void DbConnection::readRows(const QString &sql, const QVariantList &values,
                            const std::function<void(const RowReader &)> &sink)
{
    open();
    if (readNativeRows(sql, values, sink))
        return;
    if (m_engine->isServer() && PostgresRows::read(QSqlDatabase::database(m_name, false), sql, values, sink))
        return;
    QSqlQuery query = this->query(sql, values);
    QueryRow row(query);
    while (query.next()) {
        row.load();
        sink(row);
    }
}

// Qt Sql's row fetch makes a QVariant and a QString of every value, which costs more than
// SQLite's own stepping; the C API reads the same connection without that.
bool DbConnection::readNativeRows(const QString &sql, const QVariantList &values,
                                  const std::function<void(const RowReader &)> &sink)
{
    const QVariant handle = QSqlDatabase::database(m_name, false).driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *db = *static_cast<sqlite3 *const *>(handle.constData());
    if (!db)
        return false;
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    // Finalised however the reading ends, a throwing sink included.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> owner(statement, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i)
        bindNative(statement, i + 1, values.at(i));
    const SqliteRow row(statement);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        sink(row);
    if (result != SQLITE_DONE)
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    return true;
}

int DbConnection::execute(const QString &sql, const QVariantList &values)
{
    open();
    requireWritable();
    const int changed = prepared(sql, values).numRowsAffected();
    noteWrite(changed);
    return changed;
}

// Outside a transaction a statement that changed rows is a finished write; inside one,
// the commit is.
void DbConnection::noteWrite(int changedRows)
{
    if (changedRows <= 0)
        return;
    if (m_inTransaction)
        m_wroteInTransaction = true;
    else
        LibraryWrites::report(m_file, m_name);
}

void DbConnection::beginTransaction()
{
    open();
    requireWritable();
    // Qt's driver would send a plain BEGIN, which on SQLite takes the write lock only at
    // the first write and then fails at once when another program holds it.
    retryingOnce<int>([this] {
        runStatement(m_engine->beginWriteStatement());
        return 0;
    });
    m_inTransaction = true;
    m_wroteInTransaction = false;
}

void DbConnection::commit()
{
    // A connection lost inside the transaction took its writes with it; a new one has
    // nothing to commit, which must not pass for success.
    if (!m_inTransaction)
        throw AppError(tr("与数据库的连接已中断，所作的修改未保存"));

    runStatement(m_engine->commitStatement());
    m_inTransaction = false;
    // A transaction's statements may change rows through queries the connection does not
    // count (a lock, an upgrade), so every commit counts as a write.
    m_wroteInTransaction = false;
    LibraryWrites::report(m_file, m_name);
}

void DbConnection::rollback()
{
    m_inTransaction = false;
    if (!isOpen())
        return;
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    // Nothing to undo is no error here; a connection lost meanwhile is closed.
    if (!query.exec(m_engine->rollbackStatement()))
        failure(query.lastError());
}

void DbConnection::lockTables(const QStringList &tables)
{
    if (const QString lock = m_engine->lockTablesStatement(tables); !lock.isEmpty())
        runStatement(lock);
}

Transaction::Transaction(DbConnection &connection) : m_connection(connection), m_joined(connection.inTransaction())
{
    if (!m_joined)
        m_connection.beginTransaction();
}

Transaction::~Transaction()
{
    if (!m_done && !m_joined)
        m_connection.rollback();
}

void Transaction::commit()
{
    if (!m_joined)
        m_connection.commit();
    m_done = true;
}
