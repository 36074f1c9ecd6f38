#include "data/ChangeWatcher.h"

#include "data/AddressStore.h"
#include "data/DbConnection.h"
#include "data/LibraryWrites.h"
#include "data/PostgresEngine.h"

#include <QSqlDatabase>
#include <QSqlError>

const QString ChangeWatcher::Channel = QLatin1String(PostgresEngine::ChangesChannel);

ChangeWatcher::ChangeWatcher(DbConnection &connection, QObject *parent) : QObject(parent), m_connection(connection)
{
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(SettleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &ChangeWatcher::report);
    m_checkTimer.setInterval(PollMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &ChangeWatcher::check);
    m_checkTimer.start();
    connect(&LibraryWrites::instance(), &LibraryWrites::written, this, &ChangeWatcher::writtenInProcess);
    // The look for rows to mend waits for the first poll, so that the window's first paint
    // does not wait for it (an index keeps those rows, but a file not yet upgraded has none).
    QTimer::singleShot(PollMs, this, &ChangeWatcher::foldMissing);
    check();
}

bool ChangeWatcher::isListening() const
{
    return m_driver && m_driver->isOpen() && m_driver->subscribedToNotifications().contains(Channel);
}

void ChangeWatcher::check()
{
    if (m_connection.isServer())
        checkServer();
    else
        checkFile();
}

void ChangeWatcher::writtenInProcess(const QString &location, const QString &connectionName)
{
    if (location == m_connection.location().text() && connectionName != m_connection.connectionName())
        changedElsewhere();
}

// Never opens the file: a window that failed to open it reports that itself. Inside a
// transaction the connection is busy with a command of its own.
void ChangeWatcher::checkFile()
{
    if (!m_connection.isOpen() || m_connection.inTransaction())
        return;
    qint64 version = -1;
    try {
        QSqlQuery query = m_connection.query(QStringLiteral("PRAGMA data_version"));
        if (query.next())
            version = query.value(0).toLongLong();
    } catch (const AppError &) {
        return; // the next look tries again
    }
    // The look's own period gathers a burst of commits: reported without the settle time.
    const bool changedSinceLastLook = m_dataVersion >= 0 && version != m_dataVersion;
    m_dataVersion = version;
    if (changedSinceLastLook) {
        m_settleTimer.stop();
        report();
    }
}

// A connection opened anew (by a command or by reconnect()) has forgotten what it
// listened for; its driver may be another object too.
void ChangeWatcher::checkServer()
{
    const QSqlDatabase database = QSqlDatabase::database(m_connection.connectionName(), false);
    QSqlDriver *driver = database.driver();
    // The driver calls itself open after the server dropped the connection; the client
    // library knows better once the drop has been read.
    if (driver && driver->isOpen() && !m_connection.inTransaction()
        && m_connection.engine().isConnectionLost(database, QSqlError()))
        m_connection.close();
    if (!driver || !driver->isOpen()) {
        if (m_listenedBefore)
            reconnect();
        return;
    }
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
        changedElsewhere();
    m_listenedBefore = true;
}

// Only a connection that listened before is opened again: the first open belongs to the
// window, which reports a failure to the user.
void ChangeWatcher::reconnect()
{
    if (m_sinceReconnect.isValid() && m_sinceReconnect.elapsed() < ReconnectMs)
        return;
    m_sinceReconnect.start();
    if (m_connection.tryOpenQuickly(ReconnectTimeoutSeconds))
        checkServer();
}

void ChangeWatcher::noticeArrived(const QString &name, QSqlDriver::NotificationSource source)
{
    // This connection's own changes are shown by the command that made them.
    if (name != Channel || source == QSqlDriver::SelfSource)
        return;
    changedElsewhere();
}

void ChangeWatcher::changedElsewhere()
{
    if (!m_settleTimer.isActive())
        m_settleTimer.start();
}

// Only on an open connection: the first open belongs to the window.
void ChangeWatcher::foldMissing()
{
    if (!m_connection.isOpen() || m_connection.isReadOnly() || m_connection.inTransaction())
        return;
    try {
        AddressStore::foldMissing(m_connection);
    } catch (const AppError &) {
        // Search misses those rows until the next change; the listing shows them anyway.
    }
}

void ChangeWatcher::report()
{
    foldMissing();
    // The data version read now covers the change being reported: another program's
    // write seen both here and by the process's own report is reported once.
    if (!m_connection.isServer() && m_connection.isOpen()) {
        try {
            QSqlQuery query = m_connection.query(QStringLiteral("PRAGMA data_version"));
            if (query.next())
                m_dataVersion = query.value(0).toLongLong();
        } catch (const AppError &) {}
    }
    Q_EMIT changed();
}
