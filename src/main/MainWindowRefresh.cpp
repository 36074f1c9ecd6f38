// Reloading the tree and the list from the database: F5, and the changes that other
// programs make to a shared database. The reload keeps what the user sees and is doing.
#include "main/MainWindow.h"

#include "data/AppError.h"
#include "data/ChangeWatcher.h"
#include "data/SharedConnection.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QShortcut>
#include <QTimer>

#include <optional>

namespace {

// How often a reload that waits for the user looks again.
constexpr int RetryMs = 200;

} // namespace

// The state of reloading: what the list was last filled with, whether the user sorted it
// since, and a reload that waits.
class MainWindow::Refresher : public QObject
{
public:
    explicit Refresher(QObject *parent) : QObject(parent)
    {
        retry.setSingleShot(true);
        retry.setInterval(RetryMs);
    }

    bool listShowsSearch = false;
    QString searchText;

    bool pending = false;
    // Whether the waiting reload was asked for by the user, who then hears of a failure.
    bool pendingReports = false;
    QTimer retry;
    ChangeWatcher *watcher = nullptr;
};

void MainWindow::setupRefresh()
{
    m_refresher = new Refresher(this);
    connect(&m_refresher->retry, &QTimer::timeout, this, [this] {
        if (m_refresher->pending)
            reloadKeepingView(m_refresher->pendingReports);
    });

    auto *f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    f5->setContext(Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this, &MainWindow::reloadFromLibrary);

    m_refresher->watcher = new ChangeWatcher(m_sharedConnection.connection(), m_refresher);
    connect(m_refresher->watcher, &ChangeWatcher::changed, this, [this] {
        if (!m_refresher->pending)
            reloadKeepingView(false);
    });
}

void MainWindow::noteListing(const AddressFilter &filter)
{
    if (!m_refresher)
        return;
    m_refresher->listShowsSearch = filter.kind == AddressFilter::Kind::Search;
    m_refresher->searchText = filter.text;
}

bool MainWindow::refreshPending() const
{
    return m_refresher && m_refresher->pending;
}

void MainWindow::reloadFromLibrary()
{
    reloadKeepingView(true);
}

// A reload now would take away what the user is in the middle of: a label being typed, a
// new group's node not stored yet, a dialog or message box (a command waiting for it
// still works on the rows it saw), an open menu, a mouse button held down.
bool MainWindow::refreshMustWait() const
{
    return m_groupTree->isEditing() || QApplication::activeModalWidget() || QApplication::activePopupWidget()
        || QApplication::mouseButtons() != Qt::NoButton;
}

void MainWindow::reloadKeepingView(bool reportFailure)
{
    if (isClosing())
        return;
    if (refreshMustWait()) {
        m_refresher->pending = true;
        m_refresher->pendingReports = m_refresher->pendingReports || reportFailure;
        m_refresher->retry.start();
        return;
    }
    m_refresher->pending = false;
    m_refresher->pendingReports = false;
    forgetLinkResults(); // a check may have stored new ones

    GroupTreePane::View tree = m_groupTree->view();
    AddressListPane::Place list = m_addressList->place();
    const QVariant listedGroupNo = m_groupTree->groupNoOf(m_currentGroup);
    try {
        // The groups are read before the tree changes: when they cannot be read, it stays.
        loadTree();
        // A group renamed elsewhere is followed under its new name; one that is gone
        // leaves every address listed, none of them chosen.
        if (!m_refresher->listShowsSearch && !m_groupTree->nodeLabelled(m_currentGroup)) {
            const QString renamed = m_groupTree->labelOfGroupNo(listedGroupNo);
            if (tree.currentLabel == m_currentGroup && tree.currentIsGroup)
                tree.currentLabel = renamed;
            if (renamed.isEmpty()) {
                const bool sorted = list.sorted;
                list = AddressListPane::Place();
                list.sorted = sorted;
            }
            setCurrentGroup(renamed.isEmpty() ? GroupTreePane::rootLabel() : renamed);
        }
        loadRows(listedFilter());
    } catch (const AppError &error) {
        if (reportFailure)
            Dialogs::failure(this, error);
        return;
    }
    m_groupTree->restoreView(tree);
    restoreListView(list);
}

AddressFilter MainWindow::listedFilter()
{
    return m_refresher->listShowsSearch ? AddressFilter::search(m_refresher->searchText) : filterForCurrentGroup();
}

void MainWindow::restoreListView(const AddressListPane::Place &place)
{
    m_addressList->restorePlace(place);
    // The status bar names the row that is selected now, or none when it is gone.
    setCurrentAddress(m_addressList->recordAt(m_addressList->selectedRow()).address);
}

// After a command of the list: the listing anew, the view kept; a failure is shown.
void MainWindow::relistKeepingView()
{
    const AddressListPane::Place list = m_addressList->place();
    try {
        loadRows(listedFilter());
    } catch (const AppError &error) {
        Dialogs::failure(this, error);
        return;
    }
    restoreListView(list);
}
