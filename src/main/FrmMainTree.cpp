// The group tree: loading, the left click and the node pictures.
#include "main/FrmMain.h"

#include "data/DataModule.h"
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
    node->setData(0, TFrmMain::NodeImageRole, image);
    node->setData(0, TFrmMain::NodeSelectedImageRole, selectedImage);
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
void TFrmMain::P_LoadTree()
{
    const QList<GroupStore::Group> groups = GroupStore::groups(m_dm1.connection());
    TreeView1->clear();
    m_favouritesNode = nullptr;

    QTreeWidgetItem *root = makeNode(RootLabel, MainPictures::Computer, MainPictures::Computer);
    TreeView1->addTopLevelItem(root);
    for (const GroupStore::Group &group : groups) {
        QTreeWidgetItem *node = makeNode(group.name, MainPictures::Binders, MainPictures::OpenFolder);
        node->setData(0, NodeGroupNoRole, group.number);
        root->addChild(node);
    }
    addFailingNode(root);
    m_favouritesNode = makeNode(FavouritesLabel, MainPictures::Crystal, MainPictures::OpenFolder);
    TreeView1->addTopLevelItem(m_favouritesNode);
}

// A left click (and the favourites button): list the addresses of the selected node.
// Moving the selection with the keyboard does not come here.
void TFrmMain::TreeView1Click()
{
    QTreeWidgetItem *node = TreeView1->currentItem();
    if (!node)
        return;
    P_SetCurGroup(node->text(0));
    P_SetMenus();
    P_FillList();
}

// Auto-expand: the newly selected node opens, the node selected before closes unless it
// holds the new one.
void TFrmMain::TreeView1Change(QTreeWidgetItem *current, QTreeWidgetItem *previous)
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
    const QPersistentModelIndex folding = TreeView1->indexFromItem(previous);
    QTimer::singleShot(0, this, [this, folding] {
        QTreeWidgetItem *node = TreeView1->itemFromIndex(folding);
        if (node && !nodeHolds(node, TreeView1->currentItem()))
            node->setExpanded(false);
    });
}

void TFrmMain::selectNodeWithoutListing(QTreeWidgetItem *node)
{
    TreeView1->setCurrentItem(node);
}
