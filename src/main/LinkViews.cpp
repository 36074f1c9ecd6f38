#include "main/LinkViews.h"

#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "links/LinkFixes.h"
#include "main/AddressListPane.h"
#include "main/GroupTreePane.h"
#include "main/LinkCheckProgress.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"
#include "services/LibraryReads.h"

#include <QTreeWidgetItem>

LinkViews::LinkViews(SharedConnection &sharedConnection, GroupTreePane &groupTree, AddressListPane &addressList,
                     QWidget *window, std::function<bool(const Outcome &)> showOutcome,
                     std::function<void()> relistNode)
    : m_sharedConnection(sharedConnection), m_groupTree(groupTree), m_addressList(addressList), m_window(window),
      m_showOutcome(std::move(showOutcome)), m_relistNode(std::move(relistNode))
{
    m_addressList.setRowIcon([this](const AddressRecord &record) {
        return m_siteIcons.iconFor(m_sharedConnection.connection(), record.address);
    });
}

LinkViews::~LinkViews()
{
    m_addressList.setRowIcon({});
}

void LinkViews::checkSelectedNode()
{
    const QTreeWidgetItem *node = m_groupTree.currentNode();
    if (!node || node == m_groupTree.favouritesNode() || GroupTreePane::isFailingNode(node)
        || GroupTreePane::isBinNode(node))
        return;
    const LinkCheckProgress::CheckRun outcome =
        LinkCheckProgress::run(m_window, node->parent() ? node->text(0) : QString());
    if (!outcome.error.isEmpty())
        Dialogs::errorReport(m_window, outcome.error);
    else
        Dialogs::message(m_window, LinkCheckProgress::report(outcome));
}

void LinkViews::offerFixes(const QString &address)
{
    LinkFixes::Offer offer;
    const int row = m_addressList.selectedRow();
    if (row >= 0 && !GroupTreePane::isBinNode(m_groupTree.currentNode())) {
        // With no check to go by, nothing is offered.
        offer = LibraryReads::fixesOffered(m_sharedConnection.connection(), address, m_addressList.recordAt(row).name)
                    .value;
    }
    m_addressList.offerLinkFixes(offer.newAddress, offer.pageTitle);
}

void LinkViews::takeNewAddress(const QString &address)
{
    applyFix(&HistoryCommands::useNewAddress, address);
}

void LinkViews::usePageTitle(const QString &address)
{
    applyFix(&HistoryCommands::usePageTitle, address);
}

// The fix changes the row as the editor's save does; the node is listed anew.
void LinkViews::applyFix(Fix fix, const QString &address)
{
    const int row = m_addressList.selectedRow();
    if (row < 0)
        return;
    const AddressRecord record = m_addressList.recordAt(row);
    if (m_showOutcome(fix(&m_sharedConnection.history(), m_sharedConnection.connection(), address, record.name,
                          record.groupName)))
        m_relistNode();
}

bool LinkViews::anyChecks() const
{
    // A library that cannot tell has none: the tree shows its groups all the same.
    return LibraryReads::anyLinkChecks(m_sharedConnection.connection()).value;
}

// The lines follow the row's details.
QString LinkViews::failureHintOf(int row, const QString &currentGroup)
{
    if (!GroupTreePane::isFailingNode(m_groupTree.currentNode()) || currentGroup != GroupTreePane::failingLabel())
        return {};
    const QString hint = m_failureHints.hintFor(m_sharedConnection.connection(), m_addressList.recordAt(row).address);
    return hint.isEmpty() ? hint : QLatin1Char('\n') + hint;
}

void LinkViews::forget()
{
    m_siteIcons.forget();
    m_failureHints.forget();
}
