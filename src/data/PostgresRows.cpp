#include "data/PostgresRows.h"

#include "data/SqlSession.h"

#include <QMetaObject>
#include <QSqlDatabase>
#include <QSqlDriver>

#include <libpq-fe.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

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
        if (PQgetisnull(m_result, m_row, column))
            return QByteArrayView();
        return QByteArrayView(PQgetvalue(m_result, m_row, column), PQgetlength(m_result, m_row, column));
    }
    bool isInteger(int column) const override
    {
        const Oid type = PQftype(m_result, column);
        return !PQgetisnull(m_result, m_row, column) && (type == Int4Type || type == Int8Type || type == Int2Type);
    }
    qint64 integer(int column) const override { return std::strtoll(PQgetvalue(m_result, m_row, column), nullptr, 10); }
    bool isNull(int column) const override { return PQgetisnull(m_result, m_row, column); }

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

} // namespace

QString PostgresRows::numberedPlaceholders(const QString &sql)
{
    QString numbered;
    numbered.reserve(sql.size() + 8);
    QChar quote;
    int number = 0;
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
    QSqlDriver *driver = db.driver();
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL)
        return false;
    const QVariant handle = driver->handle();
    // The driver declares the handle's type by the library's struct name.
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return false;
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    if (!connection || PQstatus(connection) != CONNECTION_OK || PQtransactionStatus(connection) == PQTRANS_ACTIVE)
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
    const std::unique_ptr<PGresult, void (*)(PGresult *)> result(PQexecParams(connection, statement.constData(),
                                                                              int(parameters.size()), nullptr,
                                                                              parameters.data(), nullptr, nullptr, 0),
                                                                 PQclear);
    passOnNotices(driver);
    if (!result || PQresultStatus(result.get()) != PGRES_TUPLES_OK)
        return false;
    ResultRow row(result.get());
    const int rows = PQntuples(result.get());
    for (int index = 0; index < rows; ++index) {
        row.moveTo(index);
        sink(row);
    }
    return true;
}
