// The tree's "检查链接": checks the node's addresses (the root: every group); the list's
// "改为新网址" and "使用网页标题": the fixes the last check offers for the selected row; the
// node "失效网址" with the reasons in its rows' hints; the site icons of the list's rows.
#include "main/MainWindow.h"

#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "links/LinkFixes.h"
#include "links/LinkStore.h"
#include "main/LinkCheckProgress.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"

#include <QTreeWidgetItem>

void MainWindow::checkLinksFromMenu()
{
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!node || node == m_groupTree->favouritesNode() || GroupTreePane::isFailingNode(node)
        || GroupTreePane::isBinNode(node))
        return;
    const LinkCheckProgress::CheckRun outcome =
        LinkCheckProgress::run(this, node->parent() ? node->text(0) : QString());
    if (!outcome.error.isEmpty())
        Dialogs::errorReport(this, outcome.error);
    else
        Dialogs::message(this, LinkCheckProgress::report(outcome));
}

void MainWindow::offerLinkFixes()
{
    LinkFixes::Offer offer;
    const int row = m_addressList->selectedRow();
    if (row >= 0 && !GroupTreePane::isBinNode(m_groupTree->currentNode())) {
        try {
            offer = LinkFixes::offeredFor(m_sharedConnection.connection(), m_currentAddress,
                                          m_addressList->recordAt(row).name);
        } catch (const AppError &) {
            // no check to go by: nothing is offered
        }
    }
    m_addressList->offerLinkFixes(offer.newAddress, offer.pageTitle);
}

void MainWindow::takeNewAddressFromMenu()
{
    applyLinkFix(&HistoryCommands::useNewAddress);
}

void MainWindow::usePageTitleFromMenu()
{
    applyLinkFix(&HistoryCommands::usePageTitle);
}

// The fix changes the row as the editor's save does; the node is listed anew.
void MainWindow::applyLinkFix(LinkFix fix)
{
    const int row = m_addressList->selectedRow();
    if (row < 0)
        return;
    const QString name = m_addressList->recordAt(row).name;
    if (showOutcome(fix(&m_sharedConnection.history(), m_sharedConnection.connection(), m_currentAddress, name,
                        selectedRowGroup())))
        listSelectedNode();
}

void MainWindow::setupLinkViews()
{
    m_addressList->setRowIcon([this](const AddressRecord &record) {
        return m_siteIcons.iconFor(m_sharedConnection.connection(), record.address);
    });
}

bool MainWindow::hasLinkChecks()
{
    bool checked = false;
    try {
        checked = LinkStore::anyChecks(m_sharedConnection.connection());
    } catch (const AppError &) {
        // a library that cannot tell: the tree shows its groups all the same
    }
    return checked;
}

// Only the failing node's rows tell why they fail; the lines follow the row's details.
QString MainWindow::failureHintOf(int row)
{
    if (!GroupTreePane::isFailingNode(m_groupTree->currentNode()) || m_currentGroup != GroupTreePane::failingLabel())
        return {};
    const QString hint = m_failureHints.hintFor(m_sharedConnection.connection(), m_addressList->recordAt(row).address);
    return hint.isEmpty() ? hint : QLatin1Char('\n') + hint;
}

void MainWindow::forgetLinkResults()
{
    m_siteIcons.forget();
    m_failureHints.forget();
}
