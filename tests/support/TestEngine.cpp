#include "TestEngine.h"

#include "data/AppError.h"
#include "data/DbConnection.h"
#include "data/ServerAddress.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <stdexcept>

namespace {

QAtomicInt databaseCounter;

} // namespace

void TestEngine::runAsAnotherProgram(const QString &location, const QStringList &statements)
{
    const QString name = QStringLiteral("another-program");
    QString error;
    {
        const bool server = ServerAddress::isServerUri(location);
        QSqlDatabase db = QSqlDatabase::addDatabase(server ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), name);
        if (server) {
            const ServerAddress address = ServerAddress::parse(location);
            db.setHostName(address.host);
            if (address.port > 0)
                db.setPort(address.port);
            db.setUserName(address.user);
            db.setDatabaseName(address.database);
        } else {
            db.setDatabaseName(location);
        }
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const QString &statement : statements) {
                if (!query.exec(statement)) {
                    error = statement + QStringLiteral(": ") + query.lastError().text();
                    break;
                }
            }
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

bool TestEngine::isPostgres()
{
    return qEnvironmentVariable("VESTRANE_TEST_ENGINE") == QLatin1String("postgres");
}

QString TestEngine::serverUri()
{
    return qEnvironmentVariable("VESTRANE_TEST_POSTGRES");
}

TestServerDatabase::TestServerDatabase()
{
    if (TestEngine::serverUri().isEmpty())
        throw std::runtime_error("VESTRANE_TEST_POSTGRES is not set: run the test through CTest");
    m_name = QStringLiteral("vestrane_test_%1_%2")
                 .arg(QCoreApplication::applicationPid())
                 .arg(databaseCounter.fetchAndAddRelaxed(1) + 1);
    TestEngine::runAsAnotherProgram(TestEngine::serverUri(), {QStringLiteral("CREATE DATABASE %1").arg(m_name)});
    m_uri = ServerAddress::parse(TestEngine::serverUri()).toUri(m_name);
}

void TestServerDatabase::allowConnections(bool allow)
{
    TestEngine::runAsAnotherProgram(TestEngine::serverUri(),
                                    {QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2")
                                         .arg(m_name, allow ? QStringLiteral("true") : QStringLiteral("false"))});
}

TestServerDatabase::~TestServerDatabase()
{
    try {
        TestEngine::runAsAnotherProgram(TestEngine::serverUri(),
                                        {QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name)});
    } catch (const std::exception &error) {
        qWarning("%s", error.what());
    }
}

void TestEngine::refuseWrites(DbConnection &db, const QString &table, const QString &event, const QString &condition,
                              const QString &message, const QString &name)
{
    // The message is the test's own constant text, without quotes.
    if (db.isServer()) {
        db.execute(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_write() RETURNS trigger LANGUAGE plpgsql AS "
                                  "$$ BEGIN RAISE EXCEPTION '%', TG_ARGV[0]; END $$"));
        db.execute(
            QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW %4 EXECUTE FUNCTION refuse_write('%5')")
                .arg(name, event, table, condition.isEmpty() ? QString() : QStringLiteral("WHEN (%1)").arg(condition),
                     message));
    } else {
        db.execute(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 %4 BEGIN SELECT RAISE(ABORT, '%5'); END")
                       .arg(name, event, table,
                            condition.isEmpty() ? QString() : QStringLiteral("WHEN %1").arg(condition), message));
    }
}

void TestEngine::allowWrites(DbConnection &db, const QString &table, const QString &name)
{
    db.execute(db.isServer() ? QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, table)
                             : QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(name));
}

void TestEngine::setReadOnly(DbConnection &db, bool readOnly)
{
    if (db.isServer())
        db.execute(QStringLiteral("SET default_transaction_read_only = %1").arg(readOnly ? "on" : "off"));
    else
        db.execute(QStringLiteral("PRAGMA query_only = %1").arg(readOnly ? 1 : 0));
}
