#include "main/ReloadScheduler.h"

#include "data/ChangeWatcher.h"
#include "main/GroupTreePane.h"

#include <QApplication>
#include <QShortcut>

namespace {

// How often a reload that waits for the user looks again.
constexpr int RetryMs = 200;

} // namespace

ReloadScheduler::ReloadScheduler(DbConnection &connection, const GroupTreePane &groupTree, QWidget *window,
                                 std::function<void(bool)> reload)
    : QObject(window), m_groupTree(groupTree), m_reload(std::move(reload))
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_pending)
            request(m_pendingReports);
    });

    auto *f5 = new QShortcut(QKeySequence(Qt::Key_F5), window);
    f5->setContext(Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this, [this] { request(true); });

    // A burst of changes while a reload waits is taken in by that reload.
    m_watcher = new ChangeWatcher(connection, this);
    connect(m_watcher, &ChangeWatcher::changed, this, [this] {
        if (!m_pending)
            request(false);
    });
}

void ReloadScheduler::request(bool reportFailure)
{
    if (mustWait()) {
        m_pending = true;
        m_pendingReports = m_pendingReports || reportFailure;
        m_retry.start();
        return;
    }
    m_pending = false;
    m_pendingReports = false;
    m_reload(reportFailure);
}

// A reload now would take away what the user is in the middle of: a label being typed, a
// new group's node not stored yet, a dialog or message box (a command waiting for it
// still works on the rows it saw), an open menu, a mouse button held down.
bool ReloadScheduler::mustWait() const
{
    return m_groupTree.isEditing() || QApplication::activeModalWidget() || QApplication::activePopupWidget()
        || QApplication::mouseButtons() != Qt::NoButton;
}
