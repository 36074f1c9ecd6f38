#include "data/PostgresRows.h"

#include "data/AppError.h"
#include "data/SqlEngine.h"
#include "data/SqlSession.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QMetaObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <vector>

namespace {

// The client library's functions, looked up when first wanted. Linked, the library and the
// dozens it needs (TLS, Kerberos, LDAP) would be loaded at every start of the program, a
// library on SQLite included, which costs more than a bare window's whole start. By the
// time a connection is open Qt's driver has loaded it, so the lookup finds it in memory.
struct ClientLibrary
{
    decltype(&PQstatus) status = nullptr;
    decltype(&PQtransactionStatus) transactionStatus = nullptr;
    decltype(&PQexecParams) execParams = nullptr;
    decltype(&PQclear) clear = nullptr;
    decltype(&PQresultStatus) resultStatus = nullptr;
    decltype(&PQresultErrorField) resultErrorField = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQntuples) ntuples = nullptr;
    decltype(&PQftype) ftype = nullptr;
    decltype(&PQgetisnull) getisnull = nullptr;
    decltype(&PQgetvalue) getvalue = nullptr;
    decltype(&PQgetlength) getlength = nullptr;

    bool complete = false; // every function found
};

template <typename Function>
bool lookUp(QLibrary &library, Function &function, const char *name)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

ClientLibrary loadClientLibrary()
{
    ClientLibrary functions;
    QLibrary library(QStringLiteral("pq"), 5);
    if (!library.load())
        return functions;
    functions.complete = lookUp(library, functions.status, "PQstatus")
        && lookUp(library, functions.transactionStatus, "PQtransactionStatus")
        && lookUp(library, functions.execParams, "PQexecParams") && lookUp(library, functions.clear, "PQclear")
        && lookUp(library, functions.resultStatus, "PQresultStatus")
        && lookUp(library, functions.resultErrorField, "PQresultErrorField")
        && lookUp(library, functions.errorMessage, "PQerrorMessage") && lookUp(library, functions.ntuples, "PQntuples")
        && lookUp(library, functions.ftype, "PQftype") && lookUp(library, functions.getisnull, "PQgetisnull")
        && lookUp(library, functions.getvalue, "PQgetvalue") && lookUp(library, functions.getlength, "PQgetlength");
    return functions;
}

// Null when the library cannot be loaded or lacks a function: the callers then take the
// usual way through Qt's driver.
const ClientLibrary *clientLibrary()
{
    static const ClientLibrary functions = loadClientLibrary();
    static const ClientLibrary *const usable = functions.complete ? &functions : nullptr;
    return usable;
}

// The functions, once freeConnection() has found a connection (so they are there).
const ClientLibrary &pq()
{
    return *clientLibrary();
}

// Type numbers of PostgreSQL's integer types.
constexpr Oid Int8Type = 20;
constexpr Oid Int2Type = 21;
constexpr Oid Int4Type = 23;

class ResultRow : public RowReader
{
public:
    explicit ResultRow(const PGresult *result) : m_result(result) {}
    void moveTo(int row) { m_row = row; }

    QByteArrayView utf8(int column) const override
    {
        // A NULL reads as an empty text, as on the other engines.
        if (pq().getisnull(m_result, m_row, column))
            return QByteArrayView();
        return QByteArrayView(pq().getvalue(m_result, m_row, column), pq().getlength(m_result, m_row, column));
    }
    bool isInteger(int column) const override
    {
        const Oid type = pq().ftype(m_result, column);
        return !pq().getisnull(m_result, m_row, column) && (type == Int4Type || type == Int8Type || type == Int2Type);
    }
    qint64 integer(int column) const override
    {
        return std::strtoll(pq().getvalue(m_result, m_row, column), nullptr, 10);
    }
    bool isNull(int column) const override { return pq().getisnull(m_result, m_row, column); }

private:
    const PGresult *m_result;
    int m_row = 0;
};

QByteArray parameterText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
    return value.toString().toUtf8();
}

// The client library may have read notices from the server together with the result;
// the driver hands them on only when its socket has more to read, so it is asked to look.
void passOnNotices(QSqlDriver *driver)
{
    if (driver->subscribedToNotifications().isEmpty())
        return;
    if (driver->metaObject()->indexOfMethod("_q_handleNotification()") >= 0)
        QMetaObject::invokeMethod(driver, "_q_handleNotification", Qt::QueuedConnection);
}

// The client library's connection under Qt's driver, when it is open and free.
PGconn *freeConnection(const QSqlDatabase &db)
{
    QSqlDriver *driver = db.driver();
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL || !clientLibrary())
        return nullptr;
    const QVariant handle = driver->handle();
    // The driver declares the handle's type by the library's struct name.
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    if (!connection || pq().status(connection) != CONNECTION_OK || pq().transactionStatus(connection) == PQTRANS_ACTIVE)
        return nullptr;
    return connection;
}

using Result = std::unique_ptr<PGresult, void (*)(PGresult *)>;

// The rows of one INSERT ... VALUES (...) sent many to a statement: every statement waits
// for the server's answer, which takes longer than the insert of a row itself. The rows
// stay in their order, and a statement's values are bound, never written into it.
class BatchedWrite : public PreparedWrite
{
public:
    // `head` is the statement up to its VALUES list, `row` the list of one row.
    // The connection is looked up by its name for each statement sent: it may have been
    // opened anew since.
    BatchedWrite(const QString &connectionName, const QString &head, const QString &row)
        : m_connectionName(connectionName), m_head(head), m_row(row)
    {}
    ~BatchedWrite() override
    {
        if (m_rows > 0 && std::uncaught_exceptions() == 0)
            qWarning("%d rows of an insert were never sent", m_rows);
    }
    BatchedWrite(const BatchedWrite &) = delete;
    BatchedWrite &operator=(const BatchedWrite &) = delete;

    // A null QVariant binds NULL, a null text's too, as on SQLite. Every row has as many
    // values as the list has placeholders.
    void run(std::initializer_list<QVariant> values) override
    {
        if (m_columns == 0) {
            m_columns = std::max(1, int(values.size()));
            // The server takes at most 65,535 values a statement.
            m_batchRows = std::min(BatchRows, 65535 / m_columns);
        }
        Q_ASSERT(int(values.size()) == m_columns);
        for (const QVariant &value : values) {
            m_isNull.push_back(value.isNull());
            m_texts.push_back(value.isNull() ? QByteArray() : parameterText(value));
        }
        if (++m_rows == m_batchRows)
            flush();
    }

    void flush() override
    {
        if (m_rows == 0)
            return;
        if (m_rows == m_batchRows && m_fullStatement.isEmpty())
            m_fullStatement = statementOf(m_batchRows);
        const QByteArray statement = m_rows == m_batchRows ? m_fullStatement : statementOf(m_rows);
        // Sent or refused, the rows are no longer held back.
        std::vector<QByteArray> texts;
        std::vector<bool> isNull;
        texts.swap(m_texts);
        isNull.swap(m_isNull);
        m_rows = 0;
        std::vector<const char *> parameters(texts.size());
        for (size_t i = 0; i < texts.size(); ++i)
            parameters[i] = isNull[i] ? nullptr : texts[i].constData();
        const QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        PGconn *connection = freeConnection(db);
        if (!connection)
            throw AppError(QCoreApplication::translate("DbConnection", "数据库错误"));
        const Result result(pq().execParams(connection, statement.constData(), int(parameters.size()), nullptr,
                                            parameters.data(), nullptr, nullptr, 0),
                            pq().clear);
        passOnNotices(db.driver());
        if (!result || pq().resultStatus(result.get()) != PGRES_COMMAND_OK)
            throw AppError(errorText(connection, result.get()));
    }

private:
    QByteArray statementOf(int rows) const
    {
        QString statement = m_head;
        statement.reserve(m_head.size() + qsizetype(rows) * (m_row.size() + qsizetype(m_columns) * 5));
        for (int row = 0; row < rows; ++row) {
            if (row > 0)
                statement += QLatin1String(", ");
            statement += PostgresRows::numberedPlaceholders(m_row, row * m_columns + 1);
        }
        return statement.toUtf8();
    }

    // The server's own words for the refusal.
    static QString errorText(PGconn *connection, const PGresult *result)
    {
        const char *primary = result ? pq().resultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        const QString text = QString::fromUtf8(primary ? primary : pq().errorMessage(connection)).trimmed();
        return text.isEmpty() ? QCoreApplication::translate("DbConnection", "数据库错误") : text;
    }

    static constexpr int BatchRows = 1000;

    QString m_connectionName;
    QString m_head;
    QString m_row;
    int m_columns = 0;
    int m_batchRows = BatchRows;
    int m_rows = 0;
    QByteArray m_fullStatement;
    std::vector<QByteArray> m_texts;
    std::vector<bool> m_isNull;
};

} // namespace

QString PostgresRows::numberedPlaceholders(const QString &sql, int first)
{
    QString numbered;
    numbered.reserve(sql.size() + 8);
    QChar quote;
    int number = first - 1;
    for (const QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
        } else if (c == QLatin1Char('?')) {
            numbered += QLatin1Char('$') + QString::number(++number);
            continue;
        }
        numbered += c;
    }
    return numbered;
}

bool PostgresRows::read(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                        const std::function<void(const RowReader &)> &sink)
{
    PGconn *connection = freeConnection(db);
    if (!connection)
        return false;

    std::vector<QByteArray> texts;
    std::vector<const char *> parameters;
    texts.reserve(size_t(values.size()));
    for (const QVariant &value : values) {
        texts.push_back(parameterText(value));
        parameters.push_back(value.isNull() && value.typeId() != QMetaType::QString ? nullptr
                                                                                    : texts.back().constData());
    }
    const QByteArray statement = numberedPlaceholders(sql).toUtf8();
    const Result result(pq().execParams(connection, statement.constData(), int(parameters.size()), nullptr,
                                        parameters.data(), nullptr, nullptr, 0),
                        pq().clear);
    passOnNotices(db.driver());
    if (!result || pq().resultStatus(result.get()) != PGRES_TUPLES_OK)
        return false;
    ResultRow row(result.get());
    const int rows = pq().ntuples(result.get());
    for (int index = 0; index < rows; ++index) {
        row.moveTo(index);
        sink(row);
    }
    return true;
}

std::unique_ptr<PreparedWrite> PostgresRows::batchedWrite(const QSqlDatabase &db, const QString &sql)
{
    // The program's inserts end with the VALUES list of their one row.
    static const QRegularExpression insert(QStringLiteral(R"(^(INSERT INTO .*\bVALUES\s*)(\([^()]*\))\s*$)"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = insert.match(sql);
    if (!match.hasMatch() || !freeConnection(db))
        return nullptr;
    return std::make_unique<BatchedWrite>(db.connectionName(), match.captured(1), match.captured(2));
}
