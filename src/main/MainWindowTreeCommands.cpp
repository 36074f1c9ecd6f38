// The group commands of the tree's popup menu: adding, renaming and deleting groups.
#include "main/MainWindow.h"

#include "main/AddressExport.h"
#include "main/BinCommands.h"
#include "main/GroupCommands.h"
#include "main/LinkViews.h"

#include "data/SharedConnection.h"
#include "services/HistoryCommands.h"

#include <QTreeWidgetItem>

void MainWindow::connectGroupTree()
{
    connect(m_groupTree, &GroupTreePane::nodeChosen, this, &MainWindow::listSelectedNode);
    connect(m_groupTree, &GroupTreePane::addAddressChosen, this, &MainWindow::addAddressToGroup);
    connect(m_groupTree, &GroupTreePane::deleteGroupChosen, this, [this] { m_groups->deleteSelectedGroup(); });
    connect(m_groupTree, &GroupTreePane::exportChosen, this, [this] { m_export->exportSelectedNode(); });
    connect(m_groupTree, &GroupTreePane::checkLinksChosen, this, [this] { m_links->checkSelectedNode(); });
    connect(m_groupTree, &GroupTreePane::emptyBinChosen, this, [this] { m_bin->emptyBin(); });
    connect(m_groupTree, &GroupTreePane::newGroupNamed, this,
            [this](QTreeWidgetItem *node, const QString &name) { m_groups->storeNewGroup(node, name); });
    connect(m_groupTree, &GroupTreePane::groupRenamed, this,
            [this](QTreeWidgetItem *node, const QString &name) { m_groups->renameGroup(node, name); });
}
