#include "data/DbConnection.h"

#include "data/AppError.h"
#include "data/FoldedColumns.h"
#include "data/LibraryWrites.h"
#include "data/PostgresEngine.h"
#include "data/Schema.h"
#include "data/SqliteEngine.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include <memory>

namespace {

QAtomicInt connectionCounter;

std::function<void(const QString &)> &newFileHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

std::unique_ptr<SqlEngine> engineFor(const LibraryLocation &location)
{
    if (location.isServer())
        return std::make_unique<PostgresEngine>(location.server());
    return std::make_unique<SqliteEngine>(location.filePath());
}

// A row of a QSqlQuery, for engines that cannot read rows themselves.
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
    bool isNull(int column) const override { return m_query.isNull(column); }

private:
    const QSqlQuery &m_query;
    QList<QByteArray> m_texts;
};

} // namespace

DbConnection::DbConnection(const QString &role)
    : m_name(QStringLiteral("%1#%2").arg(role).arg(connectionCounter.fetchAndAddRelaxed(1) + 1)),
      m_engine(engineFor(LibraryLocation()))
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
    try {
        setLocation(LibraryLocation::parse(location));
    } catch (const AppError &error) {
        setConfigurationError(error.message());
    }
}

void DbConnection::setLocation(const LibraryLocation &location)
{
    m_configurationError.clear();
    useLocation(location);
}

void DbConnection::setConfigurationError(const QString &message)
{
    m_location = {};
    m_configurationError = message;
}

// Each engine has its own Qt driver, so the named connection is made anew for another one.
void DbConnection::useLocation(const LibraryLocation &location)
{
    close();
    std::unique_ptr<SqlEngine> engine = engineFor(location);
    m_location = location;
    if (engine->driverName() != m_engine->driverName()) {
        QSqlDatabase::removeDatabase(m_name);
        QSqlDatabase::addDatabase(engine->driverName(), m_name);
    }
    m_engine = std::move(engine);
}

QString DbConnection::describe() const
{
    return m_location.describe();
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
    if (m_location.isEmpty())
        throw AppError(tr("未设置数据库文件"));

    m_engine->createIfMissing([](const QString &temporary) {
        DbConnection builder(QStringLiteral("new"));
        builder.setDatabaseFile(temporary);
        builder.open(); // an empty file gets the tables
        builder.close();
        if (newFileHook())
            newFileHook()(temporary);
    });
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    m_readOnly = m_engine->open(db, {m_busyTimeoutMs, m_quickConnectSeconds});
    try {
        prepareForUse();
    } catch (const AppError &) {
        close();
        throw;
    }
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
                           .arg(where, m_engine->schemaVersionTable()));
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
            FoldedColumns::refoldAll(*this);
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
        return SqlEngine::readOnlyError();
    // A Jet file left unconverted, or any other file under the database's name.
    if (m_engine->isForeignFile(error))
        return AppError(tr("数据库文件“%1”不是本程序的数据库，无法使用，未作任何改动。").arg(describe()));
    const QString text = error.text().trimmed();
    return AppError(text.isEmpty() ? tr("数据库错误") : text);
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
        throw SqlEngine::readOnlyError();
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
    if (m_engine->readRows(QSqlDatabase::database(m_name, false), sql, values, sink))
        return;
    QSqlQuery query = this->query(sql, values);
    QueryRow row(query);
    while (query.next()) {
        row.load();
        sink(row);
    }
}

// Its callers write inside a transaction, where a lost connection is never tried again: a
// write that failed is not run twice.
int DbConnection::changeRows(const QString &sql, const QVariantList &values,
                             const std::function<void(const RowReader &)> &sink)
{
    open();
    requireWritable();
    int changed = 0;
    readRows(sql, values, [&](const RowReader &row) {
        ++changed;
        sink(row);
    });
    noteWrite(changed);
    return changed;
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
        LibraryWrites::report(m_location.text(), m_name);
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
    LibraryWrites::report(m_location.text(), m_name);
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
