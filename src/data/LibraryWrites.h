#pragma once

#include <QObject>
#include <QString>

// Tells every part of the process that a connection has written a library: each commit
// of a write transaction, and each statement outside one that changed rows. Connections
// in any thread report here; the receivers live in the main thread and hear of it there.
class LibraryWrites : public QObject
{
    Q_OBJECT

public:
    static LibraryWrites &instance();
    // `location` is the connection's database (file or server URI), `connectionName` the
    // connection that wrote it.
    static void report(const QString &location, const QString &connectionName);

Q_SIGNALS:
    void written(const QString &location, const QString &connectionName);

private:
    LibraryWrites() = default;
};
