// The group tree: loading, the left click and the node pictures.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "main/MainPictures.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

namespace {

QTreeWidgetItem *makeNode(const QString &label, int image, int selectedImage)
{
    auto *node = new QTreeWidgetItem(QStringList{label});
    node->setIcon(0, MainPictures::nodeIcon(image, selectedImage));
    node->setData(0, MainWindow::NodeImageRole, image);
    node->setData(0, MainWindow::NodeSelectedImageRole, selectedImage);
    return node;
}

bool nodeHolds(const QTreeWidgetItem *ancestor, const QTreeWidgetItem *node)
{
    for (const QTreeWidgetItem *up = node; up; up = up->parent()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

} // namespace

// The root "网址" with one child per group, in the order the database gives them, then
// "收藏夹"; the node of the failing addresses comes after the groups once the library holds
// results of a link check. Nothing is selected: the first list fill selects the root. When the groups
// cannot be read the error goes to the caller and the tree stays as it was.
void MainWindow::loadTree()
{
    const QList<GroupStore::Group> groups = GroupStore::groups(m_sharedConnection.connection());
    groupTree->clear();
    m_favouritesNode = nullptr;

    QTreeWidgetItem *root = makeNode(rootLabel(), MainPictures::Computer, MainPictures::Computer);
    groupTree->addTopLevelItem(root);
    for (const GroupStore::Group &group : groups) {
        QTreeWidgetItem *node = makeNode(group.name, MainPictures::Binders, MainPictures::OpenFolder);
        node->setData(0, NodeGroupNoRole, group.number);
        root->addChild(node);
    }
    addFailingNode(root);
    addBinNode(root);
    m_favouritesNode = makeNode(favouritesLabel(), MainPictures::Crystal, MainPictures::OpenFolder);
    groupTree->addTopLevelItem(m_favouritesNode);
}

// A left click (and the favourites button): list the addresses of the selected node.
// Moving the selection with the keyboard does not come here.
void MainWindow::listSelectedNode()
{
    QTreeWidgetItem *node = groupTree->currentItem();
    if (!node)
        return;
    setCurrentGroup(node->text(0));
    updateMenus();
    fillList();
}

// Auto-expand: the newly selected node opens, the node selected before closes unless it
// holds the new one.
void MainWindow::onCurrentNodeChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
{
    if (current)
        current->setExpanded(true);
    if (!previous || nodeHolds(previous, current))
        return;
    if (QApplication::mouseButtons() == Qt::NoButton) {
        previous->setExpanded(false);
        return;
    }
    // A press is still being handled: folding now would move the nodes under the pointer
    // and the press would end on another node. Fold once the press is done.
    const QPersistentModelIndex folding = groupTree->indexFromItem(previous);
    QTimer::singleShot(0, this, [this, folding] {
        QTreeWidgetItem *node = groupTree->itemFromIndex(folding);
        if (node && !nodeHolds(node, groupTree->currentItem()))
            node->setExpanded(false);
    });
}

void MainWindow::selectNodeWithoutListing(QTreeWidgetItem *node)
{
    groupTree->setCurrentItem(node);
}
