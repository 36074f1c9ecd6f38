#include "TestEngine.h"

#include "data/AppError.h"
#include "data/ServerAddress.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <stdexcept>

namespace {

QAtomicInt databaseCounter;

// Runs one statement on the server's maintenance database, on a connection of its own.
void administer(const QString &statement)
{
    const ServerAddress server = ServerAddress::parse(TestEngine::serverUri());
    const QString name = QStringLiteral("test-admin");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server.host);
        if (server.port > 0)
            db.setPort(server.port);
        db.setUserName(server.user);
        db.setDatabaseName(server.database);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (!query.exec(statement))
                error = query.lastError().text();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty())
        throw std::runtime_error((statement + QStringLiteral(": ") + error).toStdString());
}

} // namespace

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
    m_name = QStringLiteral("vestrane_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(databaseCounter.fetchAndAddRelaxed(1) + 1);
    administer(QStringLiteral("CREATE DATABASE %1").arg(m_name));
    m_uri = ServerAddress::parse(TestEngine::serverUri()).toUri(m_name);
}

TestServerDatabase::~TestServerDatabase()
{
    try {
        administer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
    } catch (const std::exception &error) {
        qWarning("%s", error.what());
    }
}
