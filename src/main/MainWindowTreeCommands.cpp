// The group tree's right button, its popup menu and the group commands, with in-place
// editing of group names.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "data/Schema.h"
#include "main/MainPictures.h"
#include "main/TreeLabelDelegate.h"
#include "services/GroupService.h"
#include "services/HistoryCommands.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <functional>

namespace {

// Hands every mouse press in the tree to the window before the tree sees it; a press
// that the window acted on goes no further.
class TreeMouseFilter : public QObject
{
public:
    using Handler = std::function<bool(QMouseEvent *)>;
    TreeMouseFilter(QObject *parent, Handler handler) : QObject(parent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            return m_handler(static_cast<QMouseEvent *>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    Handler m_handler;
};

// The nodes after the groups that list addresses of no group: the failing ones, the bin's.
bool isFixedNode(const QTreeWidgetItem *node)
{
    return node->data(0, MainWindow::NodeFailingRole).toBool() || node->data(0, MainWindow::NodeBinRole).toBool();
}

bool isGroupNode(const QTreeWidgetItem *node)
{
    return node && node->parent() && !node->parent()->parent() && !isFixedNode(node);
}

bool hasVisibleAction(const QMenu *menu)
{
    for (const QAction *action : menu->actions()) {
        if (action->isVisible())
            return true;
    }
    return false;
}

// Whether the node is still in the tree (the pointer is compared, never followed).
bool treeHolds(QTreeWidget *tree, const QTreeWidgetItem *node)
{
    if (!node)
        return false;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if (*it == node)
            return true;
    }
    return false;
}

} // namespace

void MainWindow::connectTreeCommands()
{
    groupTree->viewport()->installEventFilter(new TreeMouseFilter(groupTree, [this](QMouseEvent *event) {
        const QPoint at = event->position().toPoint();
        const bool rightOnNode = event->button() == Qt::RightButton && groupTree->itemAt(at);
        onTreeMouseDown(event->button(), event->modifiers(), at.x(), at.y());
        return rightOnNode;
    }));

    auto *delegate = new TreeLabelDelegate(groupTree);
    groupTree->setItemDelegate(delegate);
    // Handled once the editor is gone, outside the editor's own event handling: the
    // statements may end in a message box.
    connect(
        delegate, &TreeLabelDelegate::labelConfirmed, this,
        [this](const QPersistentModelIndex &index, const QString &text) {
            if (QTreeWidgetItem *node = groupTree->itemFromIndex(index))
                onLabelEdited(node, text);
        },
        Qt::QueuedConnection);
    connect(
        delegate, &TreeLabelDelegate::editCancelled, this,
        [this](const QPersistentModelIndex &index) {
            if (QTreeWidgetItem *node = groupTree->itemFromIndex(index))
                treeEditCancelled(node);
        },
        Qt::QueuedConnection);

    connect(treeAddAddressAction, &QAction::triggered, this, &MainWindow::addAddressFromTree);
    connect(treeRenameGroupAction, &QAction::triggered, this, &MainWindow::renameGroupFromMenu);
    connect(treeAddGroupAction, &QAction::triggered, this, &MainWindow::addGroupFromMenu);
    connect(treeDeleteGroupAction, &QAction::triggered, this, &MainWindow::deleteGroupFromMenu);
    connect(treeExportAction, &QAction::triggered, this, &MainWindow::exportFromMenu);
    connect(treeCheckLinksAction, &QAction::triggered, this, &MainWindow::checkLinksFromMenu);
}

// The right button on a node selects it and lists its addresses; then the menu opens at
// the pointer, except on the import group "IE收藏夹". Other presses are left to the tree.
void MainWindow::onTreeMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(shift);
    if (button != Qt::RightButton)
        return;
    QTreeWidgetItem *node = groupTree->itemAt(x, y);
    if (!node)
        return;
    groupTree->setCurrentItem(node);
    listSelectedNode();
    if (node->text(0) == Schema::ImportGroup)
        return;
    // On "收藏夹" every item is hidden: no empty menu then.
    if (hasVisibleAction(treeMenu))
        treeMenu->popup(groupTree->viewport()->mapToGlobal(QPoint(x, y)));
}

void MainWindow::addAddressFromTree()
{
    addAddressToGroup();
}

// "修改组别名": only a group's label is edited.
void MainWindow::renameGroupFromMenu()
{
    m_addingGroup = false;
    QTreeWidgetItem *node = groupTree->currentItem();
    if (isGroupNode(node))
        startEditing(node);
}

// "添加网址组别": an empty node under "网址", whatever node was chosen, to type the name
// into. The node stays only if the group is stored.
void MainWindow::addGroupFromMenu()
{
    QTreeWidgetItem *root = groupTree->topLevelItem(0);
    if (!root)
        return;
    if (treeHolds(groupTree, m_newGroupNode))
        dropNewGroupNode(m_newGroupNode); // a new node whose edit never ended
    m_addingGroup = true;
    m_nodeBeforeNewGroup = groupTree->currentItem();
    auto *node = new QTreeWidgetItem(QStringList{QString()});
    node->setIcon(0, MainPictures::nodeIcon(MainPictures::Binders, MainPictures::OpenFolder));
    node->setData(0, NodeImageRole, MainPictures::Binders);
    node->setData(0, NodeSelectedImageRole, MainPictures::OpenFolder);
    // Among the groups, before the nodes of the failing addresses and of the bin.
    int place = root->childCount();
    while (place > 0 && isFixedNode(root->child(place - 1)))
        --place;
    root->insertChild(place, node);
    m_newGroupNode = node;
    selectNodeWithoutListing(node);
    startEditing(node);
}

// "删除网址组别": the group and its addresses go without a question. The root and
// "收藏夹" are no groups: nothing happens there. The next node in tree order is then
// selected and listed.
void MainWindow::deleteGroupFromMenu()
{
    QTreeWidgetItem *node = groupTree->currentItem();
    if (!isGroupNode(node))
        return;
    if (!deleteGroupNamed(node->text(0)))
        return;
    QTreeWidgetItem *next = groupTree->itemBelow(node);
    if (!next || isBinNode(next))
        next = m_favouritesNode;
    if (node == m_newGroupNode)
        m_newGroupNode = nullptr;
    delete node;
    if (next) {
        selectNodeWithoutListing(next);
        listSelectedNode();
    }
    followBin();
}

// Labels of the import group and blank labels are not edited, except the empty label of
// the node that "添加网址组别" has just appended.
bool MainWindow::mayEditLabel(QTreeWidgetItem *node) const
{
    if (!node)
        return false;
    if (node == m_newGroupNode)
        return true;
    return GroupService::mayRename(node->text(0));
}

// The label shows only what was stored: a new group that was not stored loses its node,
// a rename that was not stored keeps the old label.
void MainWindow::onLabelEdited(QTreeWidgetItem *node, const QString &text)
{
    const bool isNewGroup = node == m_newGroupNode;
    if (isNewGroup)
        m_newGroupNode = nullptr;
    if (m_addingGroup && isNewGroup) {
        if (addGroupNamed(text))
            node->setText(0, text);
        else
            dropNewGroupNode(node);
        return;
    }
    if (isNewGroup) { // a new node whose edit ended after "修改组别名" was chosen
        dropNewGroupNode(node);
        return;
    }
    if (!renameGroupTo(text))
        return;
    node->setText(0, text);
    // The list's group column and the current group follow the new name.
    if (groupTree->currentItem() == node)
        listSelectedNode();
}

void MainWindow::treeEditCancelled(QTreeWidgetItem *node)
{
    if (node == m_newGroupNode) {
        m_newGroupNode = nullptr;
        dropNewGroupNode(node);
    }
}

void MainWindow::startEditing(QTreeWidgetItem *node)
{
    if (!mayEditLabel(node))
        return;
    // Editable only for this edit: the user's clicks and keys never start one.
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    groupTree->scrollToItem(node);
    groupTree->editItem(node, 0);
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
}

// Removes a new group's node that holds no stored group; the node chosen before
// "添加网址组别" is selected again, without listing anew.
void MainWindow::dropNewGroupNode(QTreeWidgetItem *node)
{
    const bool wasCurrent = groupTree->currentItem() == node;
    if (node == m_newGroupNode)
        m_newGroupNode = nullptr;
    delete node;
    if (!wasCurrent)
        return;
    QTreeWidgetItem *back =
        treeHolds(groupTree, m_nodeBeforeNewGroup) ? m_nodeBeforeNewGroup : groupTree->topLevelItem(0);
    selectNodeWithoutListing(back);
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
