#include "data/DbConnection.h"

#include "data/AddressStore.h"
#include "data/Schema.h"
#include "data/SqlEngine.h"
#include "platform/AppError.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QTemporaryFile>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QAtomicInt connectionCounter;

std::function<void(const QString &)> &newFileHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

const QString readOnlyText = QStringLiteral("数据库所在的位置是只读的，不能修改！");

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
        return AppError(readOnlyText, AppError::Kind::ReadOnly);
    const QString text = error.text().trimmed();
    return AppError(text.isEmpty() ? QStringLiteral("数据库错误") : text);
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

} // namespace

DbConnection::DbConnection(const QString &role)
    : m_name(QStringLiteral("%1#%2").arg(role).arg(connectionCounter.fetchAndAddRelaxed(1) + 1))
{
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
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

void DbConnection::setDatabaseFile(const QString &file)
{
    m_file = file;
    m_configurationError.clear();
}

void DbConnection::setConfigurationError(const QString &message)
{
    m_file.clear();
    m_configurationError = message;
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

void DbConnection::open()
{
    if (isOpen())
        return;
    if (!m_configurationError.isEmpty())
        throw AppError(m_configurationError);
    if (m_file.isEmpty())
        throw AppError(QStringLiteral("未设置数据库文件"));

    if (!QFileInfo::exists(m_file))
        createDatabaseFile();
    openConnection();
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
            throw AppError(QStringLiteral("无法建立数据库文件“%1”：%2").arg(m_file, file.errorString()));
        // A temporary file is private to its owner; the database gets the modes any new
        // file of the user gets, so that a shared folder stays shared.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(file.handle(), 0666 & ~mask);
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
            throw AppError(QStringLiteral("无法建立数据库文件“%1”").arg(m_file));
    }
}

void DbConnection::openConnection()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    m_readOnly = !canChange(m_file);
    QStringList options{QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs)};
    QString name = m_file;
    if (m_readOnly) {
        options << QStringLiteral("QSQLITE_OPEN_READONLY");
        // The shared journal needs its index file beside the database; where it cannot be
        // made, the file is read as it is. A journal left behind is still read normally.
        if (!QFileInfo::exists(m_file + QStringLiteral("-wal"))) {
            options << QStringLiteral("QSQLITE_OPEN_URI");
            name = QUrl::fromLocalFile(m_file).toString(QUrl::FullyEncoded) + QStringLiteral("?immutable=1");
        }
    }
    db.setDatabaseName(name);
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open())
        throw errorFrom(db.lastError());
}

void DbConnection::prepareForUse()
{
    // Nothing is written before the file is known to be ours and not too new.
    const int version = SqlEngine::schemaVersion(*this); // "file is not a database" fails here
    if (version > Schema::Version)
        throw AppError(QStringLiteral("数据库“%1”由较新版本的程序建立（版本 %2，本程序只能使用版本 %3 及以前的数据库），未作任何改动。")
                           .arg(m_file)
                           .arg(version)
                           .arg(Schema::Version));
    const QStringList tables = SqlEngine::tableNames(*this);
    QStringList missing;
    for (const QString &table : Schema::tableNames()) {
        if (!tables.contains(table, Qt::CaseInsensitive))
            missing << table;
    }
    const bool empty = tables.isEmpty();
    if (!empty && !missing.isEmpty())
        throw AppError(QStringLiteral("数据库“%1”不完整，缺少表 %2，未作任何改动。").arg(m_file, missing.join(QStringLiteral("、"))));
    if (m_readOnly) {
        if (empty || version < Schema::Version)
            throw AppError(QStringLiteral("数据库“%1”所在的位置是只读的，无法建立或升级数据库。").arg(m_file),
                           AppError::Kind::ReadOnly);
        return;
    }
    SqlEngine::useSharedJournal(*this);
    if (empty)
        createSchema();
    else if (version < Schema::Version)
        upgradeFrom(version);
}

void DbConnection::createSchema()
{
    Transaction transaction(*this);
    if (!SqlEngine::tableNames(*this).isEmpty())
        return; // another program made them meanwhile
    for (const QString &statement : Schema::statements())
        runStatement(statement);
    runStatement(SqlEngine::setSchemaVersionStatement(Schema::Version));
    transaction.commit();
}

void DbConnection::upgradeFrom(int version)
{
    Transaction transaction(*this);
    version = SqlEngine::schemaVersion(*this); // another program may have upgraded it meanwhile
    for (; version < Schema::Version; ++version) {
        for (const QString &statement : Schema::upgradeStatements(version))
            runStatement(statement);
        if (version == 0)
            AddressStore::refoldAll(*this);
    }
    runStatement(SqlEngine::setSchemaVersionStatement(Schema::Version));
    transaction.commit();
}

void DbConnection::close()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen())
        db.close();
}

void DbConnection::requireWritable() const
{
    if (m_readOnly)
        throw AppError(readOnlyText, AppError::Kind::ReadOnly);
}

QSqlQuery DbConnection::prepare(const QString &sql)
{
    open();
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw errorFrom(query.lastError());
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
        throw errorFrom(statement.lastError());
    return statement.numRowsAffected();
}

QSqlQuery DbConnection::prepared(const QString &sql, const QVariantList &values)
{
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
    return prepared(sql, values);
}

int DbConnection::execute(const QString &sql, const QVariantList &values)
{
    open();
    requireWritable();
    return prepared(sql, values).numRowsAffected();
}

void DbConnection::beginTransaction()
{
    open();
    requireWritable();
    // Qt's driver would send a plain BEGIN, which takes the write lock only at the first
    // write and then fails at once when another program holds it.
    runStatement(SqlEngine::beginWriteStatement());
}

void DbConnection::commit()
{
    runStatement(SqlEngine::commitStatement());
}

void DbConnection::rollback()
{
    if (!isOpen())
        return;
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    query.exec(SqlEngine::rollbackStatement()); // nothing to undo is no error here
}

Transaction::Transaction(DbConnection &connection) : m_connection(connection)
{
    m_connection.beginTransaction();
}

Transaction::~Transaction()
{
    if (!m_done)
        m_connection.rollback();
}

void Transaction::commit()
{
    m_connection.commit();
    m_done = true;
}
