// The search: finding addresses and names that contain a text, and the history of search
// texts offered in the search pane's drop-down.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "main/SearchPane.h"
#include "services/SearchService.h"

void MainWindow::searchFor(const QString &text)
{
    runSearch(text);
    loadSearchHistory();
}

void MainWindow::onTabChanged(int index)
{
    if (index == 1)
        loadSearchHistory();
}

// The result replaces the list; the current group, the current address and the tree's
// selection stay as they were. A failed search remembers nothing; a text that cannot be
// remembered leaves the result as it is and says nothing.
void MainWindow::runSearch(const QString &text)
{
    showOutcome(SearchService::searchListed(m_sharedConnection.connection(), text,
                                            [this](const AddressFilter &filter) { return loadRows(filter); }));
}

// Newest first. A failure is not reported; the typed text is put back in any case.
void MainWindow::loadSearchHistory()
{
    m_searchPane->showHistory(SearchService::loadHistory(m_sharedConnection.connection()).entries);
}
