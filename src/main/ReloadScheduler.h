// When the main window reloads its views from the library: on F5, after another program
// changed the library, and, while the user is in the middle of something (a label being
// typed, a dialog, a menu, a mouse button held down), once that has ended. What a reload
// does to the views is the window's; this class only decides when.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class ChangeWatcher;
class DbConnection;
class GroupTreePane;
class QWidget;

class ReloadScheduler : public QObject
{
    Q_OBJECT

public:
    // reload(reportFailure) reloads the views now; the user hears of a failure when
    // reportFailure is true. The F5 key is taken in `window`.
    ReloadScheduler(DbConnection &connection, const GroupTreePane &groupTree, QWidget *window,
                    std::function<void(bool reportFailure)> reload);

    // Reloads now, or as soon as the user is done.
    void request(bool reportFailure);
    // A reload that waits for the user, or for a burst of changes to end.
    bool pending() const { return m_pending; }

private:
    bool mustWait() const;

    const GroupTreePane &m_groupTree;
    std::function<void(bool)> m_reload;
    bool m_pending = false;
    // Whether the waiting reload was asked for by the user, who then hears of a failure.
    bool m_pendingReports = false;
    QTimer m_retry;
    ChangeWatcher *m_watcher = nullptr;
};
