#include "main/GroupCommands.h"

#include "data/SharedConnection.h"
#include "main/GroupTreePane.h"
#include "services/HistoryCommands.h"

#include <QTreeWidgetItem>

GroupCommands::GroupCommands(SharedConnection &sharedConnection, GroupTreePane &groupTree, Callbacks callbacks)
    : m_sharedConnection(sharedConnection), m_groupTree(groupTree), m_callbacks(std::move(callbacks))
{}

// A name stored already is refused; a blank one is not stored, without a word.
void GroupCommands::storeNewGroup(QTreeWidgetItem *node, const QString &name)
{
    if (m_callbacks.showOutcome(
            HistoryCommands::addGroup(&m_sharedConnection.history(), m_sharedConnection.connection(), name)))
        m_groupTree.setLabel(node, name);
    else
        m_groupTree.dropNewGroupNode(node);
}

void GroupCommands::renameGroup(QTreeWidgetItem *node, const QString &name)
{
    if (!m_callbacks.showOutcome(HistoryCommands::renameGroup(
            &m_sharedConnection.history(), m_sharedConnection.connection(), m_callbacks.currentGroup(), name)))
        return;
    m_groupTree.setLabel(node, name);
    // The list's group column and the current group follow the new name.
    if (m_groupTree.currentNode() == node)
        m_callbacks.relistNode();
}

// The group and its addresses go without a question, in one transaction. The root and
// "收藏夹" are no groups: nothing happens there. The next node in tree order is then
// selected and listed.
void GroupCommands::deleteSelectedGroup()
{
    QTreeWidgetItem *node = m_groupTree.currentNode();
    if (!GroupTreePane::isGroupNode(node))
        return;
    if (!m_callbacks.showOutcome(HistoryCommands::removeGroup(&m_sharedConnection.history(),
                                                              m_sharedConnection.connection(), node->text(0))))
        return;
    if (m_groupTree.removeGroupNode(node))
        m_callbacks.relistNode();
    m_callbacks.afterDelete();
}
