#include "data/ChangeWatcher.h"

#include "data/DbConnection.h"
#include "data/PostgresEngine.h"

#include <QSqlDatabase>

const QString ChangeWatcher::Channel = QLatin1String(PostgresEngine::ChangesChannel);

ChangeWatcher::ChangeWatcher(DbConnection &connection, QObject *parent) : QObject(parent), m_connection(connection)
{
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(SettleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &ChangeWatcher::changed);
    m_checkTimer.setInterval(CheckMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &ChangeWatcher::check);
    m_checkTimer.start();
    check();
}

bool ChangeWatcher::isListening() const
{
    return m_driver && m_driver->isOpen() && m_driver->subscribedToNotifications().contains(Channel);
}

// A connection opened anew (by a command, after the server was lost) has forgotten what
// it listened for; its driver may be another object too.
void ChangeWatcher::check()
{
    if (!m_connection.isServer())
        return;
    const QSqlDatabase database = QSqlDatabase::database(m_connection.connectionName(), false);
    QSqlDriver *driver = database.driver();
    if (!driver || !driver->isOpen())
        return;
    if (driver == m_driver && driver->subscribedToNotifications().contains(Channel))
        return;
    if (driver != m_driver) {
        if (m_driver)
            disconnect(m_driver, nullptr, this, nullptr);
        m_driver = driver;
        connect(driver, &QSqlDriver::notification, this,
                [this](const QString &name, QSqlDriver::NotificationSource source, const QVariant &) {
                    noticeArrived(name, source);
                });
    }
    if (!driver->subscribeToNotification(Channel))
        return;
    if (m_listenedBefore)
        m_settleTimer.start();
    m_listenedBefore = true;
}

void ChangeWatcher::noticeArrived(const QString &name, QSqlDriver::NotificationSource source)
{
    // This connection's own changes are shown by the command that made them.
    if (name != Channel || source == QSqlDriver::SelfSource)
        return;
    if (!m_settleTimer.isActive())
        m_settleTimer.start();
}
