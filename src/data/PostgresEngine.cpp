#include "data/PostgresEngine.h"

#include "data/MovedRows.h"
#include "data/PostgresRows.h"
#include "data/SqlSession.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>

#include <dlfcn.h>

namespace {

// The client library's own verdict on a connection (CONNECTION_OK is 0). Qt's driver
// does not tell a broken connection from a refused statement, and the library is loaded
// with the driver, so its function is looked up there rather than linked.
bool clientLibrarySaysBroken(const QSqlDatabase &db)
{
    using StatusFunction = int (*)(const void *);
    static const StatusFunction status = [] {
        void *library = ::dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
        return library ? reinterpret_cast<StatusFunction>(::dlsym(library, "PQstatus")) : nullptr;
    }();
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!status || !handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    const void *connection = *static_cast<void *const *>(handle.constData());
    return connection && status(connection) != 0;
}

} // namespace

// The password never reaches this text: it is not in the settings, and the client
// library's reasons do not repeat it.
bool PostgresEngine::open(QSqlDatabase &db, const OpenSettings &settings) const
{
    db.setHostName(m_server.host);
    db.setPort(m_server.port);
    db.setUserName(m_server.user);
    db.setDatabaseName(m_server.database);
    QString options = m_server.connectOptions();
    // A server that does not answer is given up after a while, as a busy file is.
    if (settings.quickConnectSeconds > 0) // the later setting wins
        options = QStringLiteral("%1connect_timeout=%2")
                      .arg(options.isEmpty() ? QString() : options + QLatin1Char(';'))
                      .arg(settings.quickConnectSeconds);
    else if (m_server.connectTimeout.isEmpty())
        options = QStringLiteral("connect_timeout=10;") + options;
    db.setConnectOptions(options);
    if (!db.open())
        throw AppError(QCoreApplication::translate("SqlEngine", "无法连接数据库（%1）：%2")
                           .arg(m_server.describe(), db.lastError().text().trimmed()),
                       AppError::Kind::Unreachable);
    return false;
}

std::unique_ptr<PreparedWrite> PostgresEngine::prepareWrite(const QSqlDatabase &db, const QString &sql) const
{
    return PostgresRows::batchedWrite(db, sql);
}

bool PostgresEngine::readRows(const QSqlDatabase &db, const QString &sql, const QVariantList &values,
                              const std::function<void(const RowReader &)> &sink) const
{
    return PostgresRows::read(db, sql, values, sink);
}

QString PostgresEngine::lockTablesStatement(const QStringList &tables) const
{
    // Readers go on; every other writer of these tables waits, and so does another
    // transaction taking the same lock.
    return QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(tables.join(QStringLiteral(", ")));
}

bool PostgresEngine::isReadOnlyRefusal(const QSqlError &error) const
{
    return error.nativeErrorCode() == QLatin1String("25006"); // read_only_sql_transaction
}

bool PostgresEngine::isConnectionLost(const QSqlDatabase &db, const QSqlError &error) const
{
    const QString state = error.nativeErrorCode();
    // Class 08: connection exceptions; 57P01-57P03: the server shuts down or restarts.
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") || state == QLatin1String("57P02")
        || state == QLatin1String("57P03"))
        return true;
    // Qt's driver gives no state where preparing a statement fails; an error of severity
    // FATAL ends the session, and the library's own texts name a broken connection.
    const QString text = error.databaseText();
    for (const char *marker : {"FATAL:", "server closed the connection", "no connection to the server",
                               "could not send data", "could not receive data"}) {
        if (text.contains(QLatin1String(marker)))
            return true;
    }
    return clientLibrarySaysBroken(db);
}

void PostgresEngine::startSession(SqlSession &db) const
{
    // A statement waits for another program's lock as long as it would wait for a busy
    // SQLite file, and then fails, instead of waiting for good; reading the schema's
    // version already may have to wait.
    db.execute(QStringLiteral("SET lock_timeout = %1").arg(db.busyTimeout()));
}

int PostgresEngine::schemaVersion(SqlSession &db) const
{
    QSqlQuery table = db.query(QStringLiteral("SELECT to_regclass(?) IS NOT NULL"), {QLatin1String(VersionTable)});
    if (!table.next() || !table.value(0).toBool())
        return 0;
    QSqlQuery query = db.query(QStringLiteral("SELECT max(version) FROM %1").arg(QLatin1String(VersionTable)));
    return query.next() ? query.value(0).toInt() : 0;
}

QStringList PostgresEngine::setSchemaVersionStatements(int version) const
{
    const QString table = QLatin1String(VersionTable);
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (version INTEGER NOT NULL)").arg(table),
        QStringLiteral("DELETE FROM %1").arg(table),
        QStringLiteral("INSERT INTO %1 (version) VALUES (%2)").arg(table).arg(version),
    };
}

QString PostgresEngine::schemaLockStatement() const
{
    // A lock of the transaction, free again at its end; the number is only this
    // program's name for "making the tables".
    return QStringLiteral("SELECT pg_advisory_xact_lock(1977)");
}

QStringList PostgresEngine::tableNames(SqlSession &db) const
{
    QStringList names;
    QSqlQuery query = db.query(QStringLiteral("SELECT table_name FROM information_schema.tables "
                                              "WHERE table_schema = current_schema() AND table_type = 'BASE TABLE' "
                                              "AND table_name <> ?"),
                               {QLatin1String(VersionTable)});
    while (query.next())
        names << query.value(0).toString();
    return names;
}

QString PostgresEngine::autoNumberColumn(const QString &name) const
{
    return QStringLiteral("%1 INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY").arg(name);
}

QString PostgresEngine::rowKeyDefinition() const
{
    return QStringLiteral(", %1 BIGINT GENERATED BY DEFAULT AS IDENTITY").arg(rowKeyColumn());
}

QStringList PostgresEngine::extraSchemaStatements() const
{
    const QString channel = QLatin1String(ChangesChannel);
    QStringList statements{
        QStringLiteral("CREATE OR REPLACE FUNCTION vestrane_announce_change() RETURNS trigger LANGUAGE plpgsql AS "
                       "$$ BEGIN PERFORM pg_notify('%1', TG_TABLE_NAME); RETURN NULL; END $$")
            .arg(channel),
    };
    for (const char *table : {"address", "BaseGroup"}) {
        statements << QStringLiteral("CREATE TRIGGER %1_changes AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %1 "
                                     "FOR EACH STATEMENT EXECUTE FUNCTION vestrane_announce_change()")
                          .arg(QLatin1String(table));
    }
    return statements;
}

QStringList PostgresEngine::followExplicitNumbersStatements(const QString &table, const QString &column) const
{
    // The sequence's name takes the column's name as stored: folded to lower case.
    return {QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), coalesce(max(%3), 0) + 1, false) FROM %1")
                .arg(table, column.toLower(), column)};
}

QString PostgresEngine::containsCondition(const QString &column) const
{
    return QStringLiteral("strpos(%1, ?) > 0").arg(column);
}

QStringList PostgresEngine::indexStatements() const
{
    // Trigram indexes serve a LIKE '%text%' of three or more characters by themselves, and
    // the server checks every row they give, so the search statement stays as it is. The
    // extension ships with the server (contrib) and may be made by the database's owner.
    return {
        QStringLiteral("CREATE INDEX address_by_rowno ON address(RowNo)"),
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"),
        QStringLiteral("CREATE INDEX address_search_address ON address USING gin (AddressFolded gin_trgm_ops)"),
        QStringLiteral("CREATE INDEX address_search_name ON address USING gin (AddressNameFolded gin_trgm_ops)"),
    };
}

// Each column's text hashed with its place as the seed, a NULL hashing to the place
// itself: several times cheaper for thousands of rows than hashing the row's text form.
QString PostgresEngine::rowDigest(const QStringList &columns) const
{
    QStringList hashes;
    for (qsizetype place = 1; place <= columns.size(); ++place)
        hashes << QStringLiteral("coalesce(hashtextextended(%1::text, %2), %2)").arg(columns.at(place - 1)).arg(place);
    return QStringLiteral("(%1)").arg(hashes.join(QStringLiteral(" # ")));
}

// Thousands of rows (a group's, restored) in one statement: the JSON text is read into
// rows of the address table's own type, so each value takes its column's type.
QString PostgresEngine::insertAddressesStatement() const
{
    return QStringLiteral("INSERT INTO address (RowNo, Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                          "AddressFolded, AddressNameFolded) SELECT coalesce(r.rowno, "
                          "nextval(pg_get_serial_sequence('address', 'rowno'))), r.address, r.addressname, r.times, "
                          "r.viewtime, r.groupno, r.myaddress, r.addressfolded, r.addressnamefolded "
                          "FROM json_populate_recordset(NULL::address, ?::json) r "
                          "RETURNING RowNo, Address, AddressName, Times, ViewTime, GroupNo, MyAddress, %1")
        .arg(rowDigest(MovedRows::comparedAddressColumns()));
}
