#include "data/DbConnection.h"

#include "data/Schema.h"
#include "platform/AppError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>

namespace {

QAtomicInt connectionCounter;

QString errorText(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("数据库错误") : text;
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

    const bool isNew = !QFileInfo::exists(m_file);
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    db.setDatabaseName(m_file);
    // An existing file is opened read-write but never created or truncated; only a
    // missing file is created, and then filled with the schema in one transaction.
    db.setConnectOptions(isNew ? QString() : QStringLiteral("QSQLITE_OPEN_READWRITE_NO_CREATE"));
    if (!db.open())
        throw AppError(errorText(db.lastError()));
    try {
        QSqlQuery pragma(db);
        // Fails with "file is not a database" for a file of another kind, before
        // anything is written to it.
        if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            throw AppError(errorText(pragma.lastError()));
        pragma.exec(QStringLiteral("PRAGMA busy_timeout=5000"));
        if (isNew)
            createSchema();
    } catch (const AppError &) {
        db.close();
        if (isNew)
            QFile::remove(m_file);
        throw;
    }
}

void DbConnection::createSchema()
{
    Transaction transaction(*this);
    for (const QString &statement : Schema::statements())
        execute(statement);
    transaction.commit();
}

void DbConnection::close()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen())
        db.close();
}

QSqlQuery DbConnection::prepared(const QString &sql, const QVariantList &values)
{
    open();
    QSqlQuery query(QSqlDatabase::database(m_name, false));
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throw AppError(errorText(query.lastError()));
    for (const QVariant &value : values) {
        // A null QString would bind as SQL NULL; the program's texts are never NULL.
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            query.addBindValue(QString(QLatin1String("")));
        else
            query.addBindValue(value);
    }
    if (!query.exec())
        throw AppError(errorText(query.lastError()));
    return query;
}

QSqlQuery DbConnection::query(const QString &sql, const QVariantList &values)
{
    return prepared(sql, values);
}

int DbConnection::execute(const QString &sql, const QVariantList &values)
{
    return prepared(sql, values).numRowsAffected();
}

void DbConnection::beginTransaction()
{
    open();
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.transaction())
        throw AppError(errorText(db.lastError()));
}

void DbConnection::commit()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.commit())
        throw AppError(errorText(db.lastError()));
}

void DbConnection::rollback()
{
    QSqlDatabase::database(m_name, false).rollback();
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
