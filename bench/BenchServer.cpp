#include "BenchServer.h"

#include "data/ServerAddress.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>
#include <cstdlib>

BenchServer::BenchServer()
{
    m_uri = qEnvironmentVariable("VESTRANE_TEST_POSTGRES");
    if (!m_uri.isEmpty())
        return;
    m_folder = QStringLiteral("/tmp/vestrane-bench-pg-%1").arg(QCoreApplication::applicationPid());
    const QString port = QStringLiteral("55%1").arg(QCoreApplication::applicationPid() % 400 + 500);
    if (std::system(qPrintable(QStringLiteral("bash %1 start %2 %3 >/dev/null")
                                   .arg(QStringLiteral(VESTRANE_POSTGRES_SCRIPT), m_folder, port)))
        != 0) {
        std::fprintf(stderr, "cannot start a PostgreSQL server\n");
        std::exit(1);
    }
    m_uri = QStringLiteral("postgresql://postgres@/postgres?host=%1&port=%2").arg(m_folder, port);
}

BenchServer::~BenchServer()
{
    if (!m_folder.isEmpty())
        std::system(
            qPrintable(QStringLiteral("bash %1 stop %2").arg(QStringLiteral(VESTRANE_POSTGRES_SCRIPT), m_folder)));
}

QString BenchServer::createDatabase(const QString &name, const QString &templateName) const
{
    const ServerAddress server = ServerAddress::parse(m_uri);
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-admin"));
        admin.setHostName(server.host);
        admin.setPort(server.port);
        admin.setUserName(server.user);
        admin.setDatabaseName(server.database);
        QSqlQuery query(admin);
        const QString copied = templateName.isEmpty() ? QString() : QStringLiteral(" TEMPLATE %1").arg(templateName);
        if (!admin.open() || !query.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name))
            || !query.exec(QStringLiteral("CREATE DATABASE %1%2").arg(name, copied))) {
            std::fprintf(stderr, "cannot create database %s\n", qPrintable(name));
            std::exit(1);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    return server.toUri(name);
}

QByteArray BenchServer::libpqTarget(const QString &name) const
{
    const ServerAddress server = ServerAddress::parse(m_uri);
    QString target = QStringLiteral("dbname=%1").arg(name);
    if (!server.host.isEmpty())
        target += QStringLiteral(" host=%1").arg(server.host);
    if (server.port >= 0)
        target += QStringLiteral(" port=%1").arg(server.port);
    if (!server.user.isEmpty())
        target += QStringLiteral(" user=%1").arg(server.user);
    return target.toUtf8();
}
