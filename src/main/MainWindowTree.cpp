// The group tree's nodes as the library holds them, and listing the node the user chose.
#include "main/MainWindow.h"

#include "data/GroupStore.h"
#include "main/BinCommands.h"
#include "main/LinkViews.h"
#include "data/SharedConnection.h"

#include <QTreeWidgetItem>

// The root "网址" with one child per group, in the order the database gives them, then
// "收藏夹"; the node of the failing addresses comes after the groups once the library holds
// results of a link check, the bin's node while the bin holds rows. Nothing is selected:
// the first list fill selects the root. When the groups cannot be read the error goes to
// the caller and the tree stays as it was.
void MainWindow::loadTree()
{
    const QList<GroupStore::Group> groups = GroupStore::groups(m_sharedConnection.connection());
    m_groupTree->load(groups, m_links->anyChecks(), m_bin->holdsRows());
}

// A press on a node (and the favourites button): list the addresses of the selected node.
// Moving the selection with the keyboard does not come here.
void MainWindow::listSelectedNode()
{
    QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!node)
        return;
    setCurrentGroup(node->text(0));
    updateMenus();
    fillList();
}
