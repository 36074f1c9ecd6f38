#pragma once

#include <QLockFile>
#include <memory>

// Marks the running instance: a lock file named "Kelvo1977" in the user's runtime
// folder. The lock of a process that died is taken over.
class SingleInstance
{
public:
    static QString lockFileName();
    // True when this process is now the running instance.
    bool acquire();

private:
    std::unique_ptr<QLockFile> m_lock;
};
