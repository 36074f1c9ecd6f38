#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSqlDriver>
#include <QTimer>

class DbConnection;

// The change model of one library, seen through one connection: reports changed() when
// the addresses, the groups or the history may have changed, whoever changed them.
//
// - Another connection of this process wrote it (an editor, an import): reported at once.
// - Another program wrote the file: SQLite's data_version of the connection moves when any
//   other connection commits; it is read every PollMs while the connection is idle.
// - Another program or computer wrote the server's database: the server's triggers send
//   notices, which the connection listens for. A connection that the server dropped is
//   closed and opened again every ReconnectMs by itself; once it listens again, changed()
//   is reported, since changes may have been missed meanwhile.
//
// The connection's own writes are left out: the command that made them shows them. A
// burst of changes gives one changed(). At the start and before reporting a change, rows
// that another writer stored without their folded texts get them, so search finds them.
class ChangeWatcher : public QObject
{
    Q_OBJECT

public:
    // The channel of the notices.
    static const QString Channel;
    // A burst of changes within this time gives one report.
    static constexpr int SettleMs = 100;
    // How often the file's data version is read, and the server's connection looked at.
    static constexpr int PollMs = 200;
    // How often a connection to a server that went away is tried again.
    static constexpr int ReconnectMs = 3000;
    // The connection time-out of such a try, so that a host that does not answer keeps
    // the program waiting no longer than this.
    static constexpr int ReconnectTimeoutSeconds = 2;

    explicit ChangeWatcher(DbConnection &connection, QObject *parent = nullptr);

    // True while the connection listens for the server's notices.
    bool isListening() const;
    // Looks at once for changes and for a connection to listen on; the timer does so
    // every PollMs.
    void check();

Q_SIGNALS:
    void changed();

private:
    void noticeArrived(const QString &name, QSqlDriver::NotificationSource source);
    void writtenInProcess(const QString &location, const QString &connectionName);
    void checkFile();
    void checkServer();
    void reconnect();
    void changedElsewhere();
    void foldMissing();
    void report();

    DbConnection &m_connection;
    QPointer<QSqlDriver> m_driver;
    QTimer m_checkTimer;
    QTimer m_settleTimer;
    QElapsedTimer m_sinceReconnect;
    bool m_listenedBefore = false;
    qint64 m_dataVersion = -1;
};
