#include "data/LibraryWrites.h"

#include <QCoreApplication>
#include <QThread>

LibraryWrites &LibraryWrites::instance()
{
    // Built by whichever thread writes first, but owned by the main thread, so that a
    // write in a worker reaches the windows through their event loop.
    static LibraryWrites *writes = [] {
        auto *object = new LibraryWrites;
        if (QCoreApplication *application = QCoreApplication::instance())
            object->moveToThread(application->thread());
        return object;
    }();
    return *writes;
}

void LibraryWrites::report(const QString &location, const QString &connectionName)
{
    if (location.isEmpty())
        return;
    Q_EMIT instance().written(location, connectionName);
}
