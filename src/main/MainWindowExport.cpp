// The tree's refresh after an import made groups.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "data/GroupStore.h"

#include <QTreeWidgetItem>

void MainWindow::reloadTreeIfGroupsChanged()
{
    const QStringList groups = GroupStore::groupNames(m_sharedConnection.connection());
    if (groups == m_groupTree->childLabelsOfRoot())
        return;
    const QTreeWidgetItem *current = m_groupTree->currentNode();
    const QString label = current ? current->text(0) : QString();
    const bool wasFavourites = current && current == m_groupTree->favouritesNode();
    const bool wasGroup = current && current->parent();
    loadTree(); // `current` is gone from here on

    QTreeWidgetItem *again = m_groupTree->rootNode();
    if (wasFavourites) {
        again = m_groupTree->favouritesNode();
    } else if (wasGroup) {
        if (QTreeWidgetItem *found = m_groupTree->nodeLabelled(label))
            again = found;
    }
    m_groupTree->selectNode(again);
    setCurrentGroup(again->text(0));
    updateMenus();
}
