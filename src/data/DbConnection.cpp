#include "data/DbConnection.h"

#include "data/Schema.h"
#include "platform/AppError.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include <sqlite3.h>

#include <memory>

namespace {

QAtomicInt connectionCounter;

QString errorText(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("数据库错误") : text;
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
    case QMetaType::Bool:
        sqlite3_bind_int64(statement, position, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(statement, position, value.toDouble());
        break;
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

void DbConnection::readRows(const QString &sql, const QVariantList &values,
                            const std::function<void(const RowReader &)> &sink)
{
    open();
    if (readNativeRows(sql, values, sink))
        return;
    QSqlQuery query = prepared(sql, values);
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
