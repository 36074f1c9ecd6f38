#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {

QString lockErrorText(QLockFile::LockError error)
{
    switch (error) {
    case QLockFile::PermissionError: return QStringLiteral("the folder cannot be written");
    case QLockFile::LockFailedError: return QStringLiteral("it is in use and cannot be taken over");
    default: return QStringLiteral("the folder is missing or full");
    }
}

} // namespace

QString SingleInstance::lockFileName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/Kelvo1977.lock");
}

SingleInstance::SingleInstance(QString fileName) : m_fileName(std::move(fileName)) {}

SingleInstance::Claim SingleInstance::acquire()
{
    m_problem.clear();
    // QLockFile reads whatever has the name, and opening a pipe for reading would wait
    // for ever: anything but a plain file is taken out of the way first.
    const QFileInfo existing(m_fileName);
    if ((existing.exists() || existing.isSymLink()) && (!existing.isFile() || existing.isSymLink())) {
        if (!removeWhatIsInTheWay())
            return unavailable(QStringLiteral("something that is no lock file is in the way"));
    }
    m_lock = std::make_unique<QLockFile>(m_fileName);
    // A lock whose process no longer runs counts as stale and is removed by tryLock;
    // a live lock is never taken over, however old.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Claim::Acquired;
    if (m_lock->error() != QLockFile::LockFailedError)
        return unavailable(lockErrorText(m_lock->error()));
    if (heldByLiveProcess())
        return Claim::HeldByAnother;
    // An empty or garbled lock file (left by a crash, say) names no live process.
    if (!removeWhatIsInTheWay())
        return unavailable(QStringLiteral("an unreadable lock file cannot be removed"));
    if (m_lock->tryLock(0))
        return Claim::Acquired;
    if (m_lock->error() == QLockFile::LockFailedError && heldByLiveProcess())
        return Claim::HeldByAnother; // another start won the race
    return unavailable(lockErrorText(m_lock->error()));
}

// tryLock has already removed a lock that names a process no longer running, so a lock
// that still names one belongs to a live instance. A lock being made this very moment
// may not hold its contents yet: it is read again for a short while before it counts
// as unreadable.
bool SingleInstance::heldByLiveProcess()
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        qint64 pid = 0;
        QString host, application;
        if (m_lock->getLockInfo(&pid, &host, &application))
            return true;
        QThread::msleep(40);
    }
    return false;
}

// Only what holds no data of anyone's: a file (its contents are a lock's at most), a
// link (not what it points to) or an empty folder.
bool SingleInstance::removeWhatIsInTheWay()
{
    const QFileInfo info(m_fileName);
    if (info.isDir() && !info.isSymLink())
        return QDir().rmdir(m_fileName);
    return QFile::remove(m_fileName);
}

SingleInstance::Claim SingleInstance::unavailable(const QString &why)
{
    m_lock.reset();
    m_problem = QStringLiteral("cannot make the lock file %1 (%2); starting without the single-instance check")
                    .arg(m_fileName, why);
    return Claim::Unavailable;
}
