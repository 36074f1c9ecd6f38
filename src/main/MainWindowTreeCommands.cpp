// The group commands of the tree's popup menu: adding, renaming and deleting groups.
#include "main/MainWindow.h"

#include "main/BinCommands.h"
#include "main/LinkViews.h"

#include "data/SharedConnection.h"
#include "services/HistoryCommands.h"

#include <QTreeWidgetItem>

void MainWindow::connectGroupTree()
{
    connect(m_groupTree, &GroupTreePane::nodeChosen, this, &MainWindow::listSelectedNode);
    connect(m_groupTree, &GroupTreePane::addAddressChosen, this, &MainWindow::addAddressToGroup);
    connect(m_groupTree, &GroupTreePane::deleteGroupChosen, this, &MainWindow::deleteGroupFromMenu);
    connect(m_groupTree, &GroupTreePane::exportChosen, this, &MainWindow::exportFromMenu);
    connect(m_groupTree, &GroupTreePane::checkLinksChosen, this, [this] { m_links->checkSelectedNode(); });
    connect(m_groupTree, &GroupTreePane::emptyBinChosen, this, [this] { m_bin->emptyBin(); });
    connect(m_groupTree, &GroupTreePane::newGroupNamed, this, &MainWindow::onNewGroupNamed);
    connect(m_groupTree, &GroupTreePane::groupRenamed, this, &MainWindow::onGroupRenamed);
}

// "删除网址组别": the group and its addresses go without a question. The root and
// "收藏夹" are no groups: nothing happens there. The next node in tree order is then
// selected and listed.
void MainWindow::deleteGroupFromMenu()
{
    QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!GroupTreePane::isGroupNode(node))
        return;
    if (!deleteGroupNamed(node->text(0)))
        return;
    if (m_groupTree->removeGroupNode(node))
        listSelectedNode();
    m_bin->followDelete();
}

void MainWindow::onNewGroupNamed(QTreeWidgetItem *node, const QString &name)
{
    if (addGroupNamed(name))
        m_groupTree->setLabel(node, name);
    else
        m_groupTree->dropNewGroupNode(node);
}

void MainWindow::onGroupRenamed(QTreeWidgetItem *node, const QString &name)
{
    if (!renameGroupTo(name))
        return;
    m_groupTree->setLabel(node, name);
    // The list's group column and the current group follow the new name.
    if (m_groupTree->currentNode() == node)
        listSelectedNode();
}

// A name stored already is refused; a blank one is not stored, without a word.
bool MainWindow::addGroupNamed(const QString &name)
{
    return showOutcome(HistoryCommands::addGroup(&m_sharedConnection.history(), m_sharedConnection.connection(), name));
}

// Renames the current group (the node clicked last).
bool MainWindow::renameGroupTo(const QString &name)
{
    return showOutcome(HistoryCommands::renameGroup(&m_sharedConnection.history(), m_sharedConnection.connection(),
                                                    m_currentGroup, name));
}

// Deletes the group and its addresses in one transaction. True when no such group is
// stored afterwards (also when there was none); false after telling the user of a failure.
bool MainWindow::deleteGroupNamed(const QString &name)
{
    return showOutcome(
        HistoryCommands::removeGroup(&m_sharedConnection.history(), m_sharedConnection.connection(), name));
}
