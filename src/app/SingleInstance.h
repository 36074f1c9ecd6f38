#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Marks the running instance: a lock file named "Kelvo1977" in the user's runtime
// folder. Only a lock held by a live instance turns a start away. The lock of a process
// that died, an empty or unreadable lock file, and an empty folder of that name are
// taken over; where no lock can be made at all (a read-only or full folder), the start
// goes on without one.
class SingleInstance
{
public:
    enum class Claim {
        Acquired, // this process is now the running instance
        HeldByAnother, // a live instance holds the lock: end this start
        Unavailable, // no lock could be made; problem() says why
    };

    static QString lockFileName();

    explicit SingleInstance(QString fileName = lockFileName());
    Claim acquire();
    // Why the last acquire() gave Unavailable, as one line for standard error.
    QString problem() const { return m_problem; }

private:
    bool heldByLiveProcess();
    bool removeWhatIsInTheWay();
    Claim unavailable(const QString &why);

    QString m_fileName;
    std::unique_ptr<QLockFile> m_lock;
    QString m_problem;
};
