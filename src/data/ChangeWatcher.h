#pragma once

#include <QObject>
#include <QPointer>
#include <QSqlDriver>
#include <QTimer>

class DbConnection;

// Tells when another program changed the addresses or the groups of a database on a
// server. It listens on the connection for the notices that the server's triggers send;
// notices caused by this connection's own statements are left out, and a burst of notices
// gives one changed(). An SQLite file sends no notices: then it never reports.
//
// It never opens the connection itself, so that it never waits for a server that is gone.
// Once a command has opened the connection again after the server was lost, it listens
// again and reports changed(), since changes may have been missed meanwhile.
class ChangeWatcher : public QObject
{
    Q_OBJECT

public:
    // The channel of the notices.
    static const QString Channel;
    // A burst of notices within this time gives one report.
    static constexpr int SettleMs = 100;
    // How often it looks whether the connection is open again and needs listening anew.
    static constexpr int CheckMs = 1000;

    explicit ChangeWatcher(DbConnection &connection, QObject *parent = nullptr);

    // True while the connection listens for the notices.
    bool isListening() const;
    // Looks at once whether it can (start to) listen; the timer does so every CheckMs.
    void check();

Q_SIGNALS:
    void changed();

private:
    void noticeArrived(const QString &name, QSqlDriver::NotificationSource source);

    DbConnection &m_connection;
    QPointer<QSqlDriver> m_driver;
    QTimer m_checkTimer;
    QTimer m_settleTimer;
    bool m_listenedBefore = false;
};
