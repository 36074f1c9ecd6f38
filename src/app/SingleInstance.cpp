#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

QString SingleInstance::lockFileName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/Kelvo1977.lock");
}

bool SingleInstance::acquire()
{
    m_lock = std::make_unique<QLockFile>(lockFileName());
    // A lock whose process no longer runs counts as stale and is removed by tryLock;
    // a live lock is never taken over, however old.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}
