#pragma once

#include "TestEnv.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>
#include <limits>

// A client of the automation object with a bus connection of its own, so that the
// object served by this same test process is called the way another program calls it.
class BusClient
{
public:
    BusClient()
        : m_name(QStringLiteral("client-%1").arg(++counter())),
          m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_name))
    {}
    ~BusClient() { QDBusConnection::disconnectFromBus(m_name); }

    QDBusConnection &bus() { return m_bus; }
    void disconnect() { QDBusConnection::disconnectFromBus(m_name); }

    static QDBusMessage method(const QString &member, const QString &interface = QStringLiteral("Quorvel.IPIO"))
    {
        return QDBusMessage::createMethodCall(QStringLiteral("Quorvel.PIO"), QStringLiteral("/PIO"), interface, member);
    }
    QDBusPendingCall call(const QDBusMessage &message)
    {
        return m_bus.asyncCall(message, std::numeric_limits<int>::max());
    }
    QDBusPendingCall sendUrl(const QVariantList &arguments)
    {
        QDBusMessage message = method(QStringLiteral("SendUrl"));
        message.setArguments(arguments);
        return call(message);
    }

private:
    static int &counter()
    {
        static int n = 0;
        return n;
    }
    QString m_name;
    QDBusConnection m_bus;
};

// Waits for a call's answer while the event loop runs (the object answering may live in
// this process); gives its reply message.
inline QDBusMessage waitForReply(QDBusPendingCall call, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!call.isFinished() && !deadline.hasExpired())
        QTest::qWait(10);
    return call.reply();
}

// The name stored with `address` in the library of this test's data folder, read through
// a connection of its own; empty when there is no such row.
inline QString storedName(const QString &address)
{
    QString name;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                           + QStringLiteral("/Kelvo/address.mdb"));
        QSqlQuery query(db);
        if (db.open() && query.prepare(QStringLiteral("select AddressName from address where Address = ?"))) {
            query.addBindValue(address);
            if (query.exec() && query.next())
                name = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return name;
}

inline QString programPath()
{
    return qEnvironmentVariable("VESTRANE_BINARY");
}

// The tests start bus daemons' programs and write service files: they run only on the
// private bus that run-on-session-bus.sh sets up, never on the user's own.
inline bool onPrivateBus()
{
    if (qEnvironmentVariableIsSet("VESTRANE_PRIVATE_BUS"))
        return true;
    std::fputs("run this test through tests/automation/run-on-session-bus.sh\n", stderr);
    return false;
}

// Like VESTRANE_TEST_MAIN, on the private bus only.
#define VESTRANE_BUS_TEST_MAIN(TestClass)                                                                              \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        if (!onPrivateBus())                                                                                           \
            return 1;                                                                                                  \
        TestEnv testEnv;                                                                                               \
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));                                                \
        QApplication app(argc, argv);                                                                                  \
        TestClass tc;                                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }

// For tests that need the folders the bus daemon itself was started with (activation):
// the script made them for this test alone.
#define VESTRANE_BUS_TEST_MAIN_DAEMON_FOLDERS(TestClass)                                                               \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        if (!onPrivateBus())                                                                                           \
            return 1;                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        TestClass tc;                                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
