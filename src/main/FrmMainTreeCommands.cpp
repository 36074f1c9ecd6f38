// The group tree's right button, its popup menu and the group commands, with in-place
// editing of group names.
#include "main/FrmMain.h"

#include "data/DataModule.h"
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

bool isGroupNode(const QTreeWidgetItem *node)
{
    return node && node->parent() && !node->parent()->parent() && !node->data(0, TFrmMain::NodeFailingRole).toBool();
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

void TFrmMain::connectTreeCommands()
{
    TreeView1->viewport()->installEventFilter(new TreeMouseFilter(TreeView1, [this](QMouseEvent *event) {
        const QPoint at = event->position().toPoint();
        const bool rightOnNode = event->button() == Qt::RightButton && TreeView1->itemAt(at);
        TreeView1MouseDown(event->button(), event->modifiers(), at.x(), at.y());
        return rightOnNode;
    }));

    auto *delegate = new TreeLabelDelegate(TreeView1);
    TreeView1->setItemDelegate(delegate);
    // Handled once the editor is gone, outside the editor's own event handling: the
    // statements may end in a message box.
    connect(
        delegate, &TreeLabelDelegate::labelConfirmed, this,
        [this](const QPersistentModelIndex &index, const QString &text) {
            if (QTreeWidgetItem *node = TreeView1->itemFromIndex(index))
                TreeView1Edited(node, text);
        },
        Qt::QueuedConnection);
    connect(
        delegate, &TreeLabelDelegate::editCancelled, this,
        [this](const QPersistentModelIndex &index) {
            if (QTreeWidgetItem *node = TreeView1->itemFromIndex(index))
                treeEditCancelled(node);
        },
        Qt::QueuedConnection);

    connect(TreePM1, &QAction::triggered, this, &TFrmMain::TreePM1Click);
    connect(TreePM2, &QAction::triggered, this, &TFrmMain::TreePM2Click);
    connect(TreePM3, &QAction::triggered, this, &TFrmMain::TreePM3Click);
    connect(TreePM4, &QAction::triggered, this, &TFrmMain::TreePM4Click);
    connect(TreePM5, &QAction::triggered, this, &TFrmMain::TreePM5Click);
    connect(TreePM6, &QAction::triggered, this, &TFrmMain::TreePM6Click);
}

// The right button on a node selects it and lists its addresses; then the menu opens at
// the pointer, except on the import group "IE收藏夹". Other presses are left to the tree.
void TFrmMain::TreeView1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    Q_UNUSED(shift);
    if (button != Qt::RightButton)
        return;
    QTreeWidgetItem *node = TreeView1->itemAt(x, y);
    if (!node)
        return;
    TreeView1->setCurrentItem(node);
    TreeView1Click();
    if (node->text(0) == Schema::ImportGroup)
        return;
    // On "收藏夹" every item is hidden: no empty menu then.
    if (hasVisibleAction(TreeViewPopupMenu))
        TreeViewPopupMenu->popup(TreeView1->viewport()->mapToGlobal(QPoint(x, y)));
}

void TFrmMain::TreePM1Click()
{
    P_AddAddress();
}

// "修改组别名": only a group's label is edited.
void TFrmMain::TreePM2Click()
{
    m_addingGroup = false;
    QTreeWidgetItem *node = TreeView1->currentItem();
    if (isGroupNode(node))
        startEditing(node);
}

// "添加网址组别": an empty node under "网址", whatever node was chosen, to type the name
// into. The node stays only if the group is stored.
void TFrmMain::TreePM3Click()
{
    QTreeWidgetItem *root = TreeView1->topLevelItem(0);
    if (!root)
        return;
    if (treeHolds(TreeView1, m_newGroupNode))
        dropNewGroupNode(m_newGroupNode); // a new node whose edit never ended
    m_addingGroup = true;
    m_nodeBeforeNewGroup = TreeView1->currentItem();
    auto *node = new QTreeWidgetItem(QStringList{QString()});
    node->setIcon(0, MainPictures::nodeIcon(MainPictures::Binders, MainPictures::OpenFolder));
    node->setData(0, NodeImageRole, MainPictures::Binders);
    node->setData(0, NodeSelectedImageRole, MainPictures::OpenFolder);
    // Among the groups, before the node of the failing addresses.
    const int last = root->childCount() - 1;
    if (last >= 0 && root->child(last)->data(0, NodeFailingRole).toBool())
        root->insertChild(last, node);
    else
        root->addChild(node);
    m_newGroupNode = node;
    selectNodeWithoutListing(node);
    startEditing(node);
}

// "删除网址组别": the group and its addresses go without a question. The root and
// "收藏夹" are no groups: nothing happens there. The next node in tree order is then
// selected and listed.
void TFrmMain::TreePM4Click()
{
    QTreeWidgetItem *node = TreeView1->currentItem();
    if (!isGroupNode(node))
        return;
    if (!P_DeleteGroup(node->text(0)))
        return;
    QTreeWidgetItem *next = TreeView1->itemBelow(node);
    if (!next)
        next = m_favouritesNode;
    if (node == m_newGroupNode)
        m_newGroupNode = nullptr;
    delete node;
    if (next) {
        selectNodeWithoutListing(next);
        TreeView1Click();
    }
}

// Labels of the import group and blank labels are not edited, except the empty label of
// the node that "添加网址组别" has just appended.
bool TFrmMain::TreeView1Editing(QTreeWidgetItem *node) const
{
    if (!node)
        return false;
    if (node == m_newGroupNode)
        return true;
    return GroupService::mayRename(node->text(0));
}

// The label shows only what was stored: a new group that was not stored loses its node,
// a rename that was not stored keeps the old label.
void TFrmMain::TreeView1Edited(QTreeWidgetItem *node, const QString &text)
{
    const bool isNewGroup = node == m_newGroupNode;
    if (isNewGroup)
        m_newGroupNode = nullptr;
    if (m_addingGroup && isNewGroup) {
        if (P_AddGroup(text))
            node->setText(0, text);
        else
            dropNewGroupNode(node);
        return;
    }
    if (isNewGroup) { // a new node whose edit ended after "修改组别名" was chosen
        dropNewGroupNode(node);
        return;
    }
    if (!P_RenameGroup(text))
        return;
    node->setText(0, text);
    // The list's group column and the current group follow the new name.
    if (TreeView1->currentItem() == node)
        TreeView1Click();
}

void TFrmMain::treeEditCancelled(QTreeWidgetItem *node)
{
    if (node == m_newGroupNode) {
        m_newGroupNode = nullptr;
        dropNewGroupNode(node);
    }
}

void TFrmMain::startEditing(QTreeWidgetItem *node)
{
    if (!TreeView1Editing(node))
        return;
    // Editable only for this edit: the user's clicks and keys never start one.
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    TreeView1->scrollToItem(node);
    TreeView1->editItem(node, 0);
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
}

// Removes a new group's node that holds no stored group; the node chosen before
// "添加网址组别" is selected again, without listing anew.
void TFrmMain::dropNewGroupNode(QTreeWidgetItem *node)
{
    const bool wasCurrent = TreeView1->currentItem() == node;
    if (node == m_newGroupNode)
        m_newGroupNode = nullptr;
    delete node;
    if (!wasCurrent)
        return;
    QTreeWidgetItem *back = treeHolds(TreeView1, m_nodeBeforeNewGroup) ? m_nodeBeforeNewGroup
                                                                       : TreeView1->topLevelItem(0);
    selectNodeWithoutListing(back);
}

// A name stored already is refused; a blank one is not stored, without a word.
bool TFrmMain::P_AddGroup(const QString &name)
{
    return showOutcome(HistoryCommands::addGroup(&m_dm1.history(), m_dm1.connection(), name));
}

// Renames the current group (the node clicked last).
bool TFrmMain::P_RenameGroup(const QString &name)
{
    return showOutcome(HistoryCommands::renameGroup(&m_dm1.history(), m_dm1.connection(), m_curGroup, name));
}

// Deletes the group and its addresses in one transaction. True when no such group is
// stored afterwards (also when there was none); false after telling the user of a failure.
bool TFrmMain::P_DeleteGroup(const QString &name)
{
    return showOutcome(HistoryCommands::removeGroup(&m_dm1.history(), m_dm1.connection(), name));
}
