// Reloading the tree and the list from the database: F5, and the changes that other
// programs make to a shared database. The reload keeps what the user sees and is doing.
#include "main/MainWindow.h"

#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "main/LinkViews.h"
#include "main/ReloadScheduler.h"
#include "platform/Dialogs.h"

void MainWindow::setupRefresh()
{
    m_reloads = new ReloadScheduler(m_sharedConnection.connection(), *m_groupTree, this,
                                    [this](bool reportFailure) { reloadViews(reportFailure); });
}

void MainWindow::noteListing(const AddressFilter &filter)
{
    m_listShowsSearch = filter.kind == AddressFilter::Kind::Search;
    m_listedSearch = filter.text;
}

bool MainWindow::refreshPending() const
{
    return m_reloads && m_reloads->pending();
}

void MainWindow::reloadFromLibrary()
{
    reloadKeepingView(true);
}

void MainWindow::reloadKeepingView(bool reportFailure)
{
    if (!isClosing())
        m_reloads->request(reportFailure);
}

void MainWindow::reloadViews(bool reportFailure)
{
    if (isClosing())
        return;
    m_links->forget(); // a check may have stored new ones

    GroupTreePane::View tree = m_groupTree->view();
    AddressListPane::Place list = m_addressList->place();
    const QVariant listedGroupNo = m_groupTree->groupNoOf(m_currentGroup);
    try {
        // The groups are read before the tree changes: when they cannot be read, it stays.
        loadTree();
        // A group renamed elsewhere is followed under its new name; one that is gone
        // leaves every address listed, none of them chosen.
        if (!m_listShowsSearch && !m_groupTree->nodeLabelled(m_currentGroup)) {
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
    return m_listShowsSearch ? AddressFilter::search(m_listedSearch) : filterForCurrentGroup();
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
