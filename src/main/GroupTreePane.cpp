#include "main/GroupTreePane.h"

#include "data/Schema.h"
#include "main/MainPictures.h"
#include "main/TreeLabelDelegate.h"
#include "services/GroupService.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <functional>

namespace {

const QColor light3D(0xE3, 0xE3, 0xE3);

// Hands every mouse press in the tree to the pane before the tree sees it; a press that
// the pane acted on goes no further.
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

QTreeWidgetItem *makeNode(const QString &label, int image, int selectedImage)
{
    auto *node = new QTreeWidgetItem(QStringList{label});
    node->setIcon(0, MainPictures::nodeIcon(image, selectedImage));
    node->setData(0, GroupTreePane::NodeImageRole, image);
    node->setData(0, GroupTreePane::NodeSelectedImageRole, selectedImage);
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

// The nodes after the groups that list addresses of no group: the failing ones, the bin's.
bool isFixedNode(const QTreeWidgetItem *node)
{
    return GroupTreePane::isFailingNode(node) || GroupTreePane::isBinNode(node);
}

bool hasVisibleAction(const QMenu *menu)
{
    for (const QAction *action : menu->actions()) {
        if (action->isVisible())
            return true;
    }
    return false;
}

} // namespace

QString GroupTreePane::rootLabel()
{
    return tr("网址");
}

QString GroupTreePane::favouritesLabel()
{
    return tr("收藏夹");
}

QString GroupTreePane::failingLabel()
{
    return tr("失效网址");
}

QString GroupTreePane::binLabel()
{
    return tr("回收站");
}

bool GroupTreePane::isFailingNode(const QTreeWidgetItem *node)
{
    return node && node->data(0, NodeFailingRole).toBool();
}

bool GroupTreePane::isBinNode(const QTreeWidgetItem *node)
{
    return node && node->data(0, NodeBinRole).toBool();
}

bool GroupTreePane::isGroupNode(const QTreeWidgetItem *node)
{
    return node && node->parent() && !node->parent()->parent() && !isFixedNode(node);
}

GroupTreePane::GroupTreePane(QWidget *menuOwner)
{
    setObjectName(QStringLiteral("treeTab"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("groupTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setIndentation(19);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers); // labels change only by command
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette colours = m_tree->palette();
    colours.setColor(QPalette::Base, light3D);
    m_tree->setPalette(colours);
    layout->addWidget(m_tree);
    // The left press lists the node: selecting it may fold the branch above it, so the
    // release can land on another node and a whole click would go unnoticed.
    connect(m_tree, &QTreeWidget::pressed, this, [this] {
        if (QApplication::mouseButtons() & Qt::LeftButton)
            Q_EMIT nodeChosen();
    });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &GroupTreePane::onCurrentNodeChanged);
    m_tree->viewport()->installEventFilter(new TreeMouseFilter(
        m_tree, [this](QMouseEvent *event) { return onMousePressed(event->button(), event->position().toPoint()); }));
    buildMenu(menuOwner);
    connectEditing();
}

void GroupTreePane::buildMenu(QWidget *owner)
{
    m_menu = new QMenu(owner);
    m_menu->setObjectName(QStringLiteral("treeMenu"));
    const auto add = [this](const QString &text, const char *name) {
        QAction *action = m_menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_addAddressAction = add(tr("添加网址"), "treeAddAddressAction");
    m_renameGroupAction = add(tr("修改组别名"), "treeRenameGroupAction");
    m_addGroupAction = add(tr("添加网址组别"), "treeAddGroupAction");
    m_deleteGroupAction = add(tr("删除网址组别"), "treeDeleteGroupAction");
    m_exportAction = add(tr("导出网址…"), "treeExportAction");
    m_checkLinksAction = add(tr("检查链接"), "treeCheckLinksAction");
    m_emptyBinAction = add(tr("清空回收站"), "treeEmptyBinAction");
    m_emptyBinAction->setVisible(false);

    connect(m_addAddressAction, &QAction::triggered, this, &GroupTreePane::addAddressChosen);
    connect(m_renameGroupAction, &QAction::triggered, this, &GroupTreePane::renameCurrentGroup);
    connect(m_addGroupAction, &QAction::triggered, this, &GroupTreePane::appendNewGroupNode);
    connect(m_deleteGroupAction, &QAction::triggered, this, &GroupTreePane::deleteGroupChosen);
    connect(m_exportAction, &QAction::triggered, this, &GroupTreePane::exportChosen);
    connect(m_checkLinksAction, &QAction::triggered, this, &GroupTreePane::checkLinksChosen);
    connect(m_emptyBinAction, &QAction::triggered, this, &GroupTreePane::emptyBinChosen);
}

void GroupTreePane::connectEditing()
{
    auto *delegate = new TreeLabelDelegate(m_tree);
    m_tree->setItemDelegate(delegate);
    // Handled once the editor is gone, outside the editor's own event handling: the
    // statements may end in a message box.
    connect(
        delegate, &TreeLabelDelegate::labelConfirmed, this,
        [this](const QPersistentModelIndex &index, const QString &text) {
            if (QTreeWidgetItem *node = m_tree->itemFromIndex(index))
                onLabelConfirmed(node, text);
        },
        Qt::QueuedConnection);
    connect(
        delegate, &TreeLabelDelegate::editCancelled, this,
        [this](const QPersistentModelIndex &index) {
            if (QTreeWidgetItem *node = m_tree->itemFromIndex(index))
                onEditCancelled(node);
        },
        Qt::QueuedConnection);
}

void GroupTreePane::load(const QList<GroupStore::Group> &groups, bool withFailing, bool withBin)
{
    m_tree->clear();
    m_favouritesNode = nullptr;
    m_nodeBeforeNewGroup = nullptr; // gone with the old nodes

    QTreeWidgetItem *root = makeNode(rootLabel(), MainPictures::Computer, MainPictures::Computer);
    m_tree->addTopLevelItem(root);
    for (const GroupStore::Group &group : groups) {
        QTreeWidgetItem *node = makeNode(group.name, MainPictures::Binders, MainPictures::OpenFolder);
        node->setData(0, NodeGroupNoRole, group.number);
        root->addChild(node);
    }
    if (withFailing) {
        QTreeWidgetItem *node = makeNode(failingLabel(), MainPictures::Binders, MainPictures::OpenFolder);
        node->setData(0, NodeFailingRole, true);
        root->addChild(node);
    }
    if (withBin) {
        QTreeWidgetItem *node = makeNode(binLabel(), MainPictures::Binders, MainPictures::OpenFolder);
        node->setData(0, NodeBinRole, true);
        root->addChild(node);
    }
    m_favouritesNode = makeNode(favouritesLabel(), MainPictures::Crystal, MainPictures::OpenFolder);
    m_tree->addTopLevelItem(m_favouritesNode);
}

QTreeWidgetItem *GroupTreePane::rootNode() const
{
    return m_tree->topLevelItem(0);
}

QTreeWidgetItem *GroupTreePane::currentNode() const
{
    return m_tree->currentItem();
}

void GroupTreePane::selectNode(QTreeWidgetItem *node)
{
    m_tree->setCurrentItem(node);
}

QTreeWidgetItem *GroupTreePane::nodeLabelled(const QString &label) const
{
    for (QTreeWidgetItemIterator node(m_tree); *node; ++node) {
        if ((*node)->text(0) == label)
            return *node;
    }
    return nullptr;
}

QStringList GroupTreePane::childLabelsOfRoot() const
{
    const QTreeWidgetItem *root = rootNode();
    QStringList labels;
    for (int i = 0; root && i < root->childCount(); ++i)
        labels << root->child(i)->text(0);
    return labels;
}

bool GroupTreePane::showsBin() const
{
    const QTreeWidgetItem *root = rootNode();
    return root && root->childCount() > 0 && isBinNode(root->child(root->childCount() - 1));
}

QVariant GroupTreePane::groupNoOf(const QString &label) const
{
    for (QTreeWidgetItemIterator node(m_tree); *node; ++node) {
        if ((*node)->parent() && (*node)->text(0) == label)
            return (*node)->data(0, NodeGroupNoRole);
    }
    return {};
}

QString GroupTreePane::labelOfGroupNo(const QVariant &number) const
{
    if (!number.isValid())
        return {};
    for (QTreeWidgetItemIterator node(m_tree); *node; ++node) {
        if ((*node)->parent() && (*node)->data(0, NodeGroupNoRole) == number)
            return (*node)->text(0);
    }
    return {};
}

void GroupTreePane::offerCommands()
{
    const QTreeWidgetItem *node = currentNode();
    const bool favourites = node && node->text(0) == favouritesLabel();
    const bool bin = isBinNode(node); // only its own commands
    const bool failing = bin || isFailingNode(node); // no group: no group commands
    for (QAction *item :
         {m_addAddressAction, m_renameGroupAction, m_addGroupAction, m_deleteGroupAction, m_checkLinksAction})
        item->setVisible(!favourites && !failing);
    m_exportAction->setVisible(!failing); // the favourites can be exported too
    m_emptyBinAction->setVisible(bin);
}

GroupTreePane::View GroupTreePane::view() const
{
    View view;
    if (const QTreeWidgetItem *current = currentNode()) {
        view.currentLabel = current->text(0);
        view.currentIsGroup = current->parent() != nullptr;
    }
    for (int index = 0; index < m_tree->topLevelItemCount(); ++index) {
        if (m_tree->topLevelItem(index)->isExpanded())
            view.expandedTopLabels << m_tree->topLevelItem(index)->text(0);
    }
    view.verticalScroll = m_tree->verticalScrollBar()->value();
    return view;
}

void GroupTreePane::restoreView(const View &view)
{
    for (QTreeWidgetItemIterator node(m_tree); *node; ++node) {
        if ((*node)->text(0) == view.currentLabel && ((*node)->parent() != nullptr) == view.currentIsGroup) {
            m_tree->setCurrentItem(*node);
            break;
        }
    }
    for (int index = 0; index < m_tree->topLevelItemCount(); ++index) {
        QTreeWidgetItem *top = m_tree->topLevelItem(index);
        top->setExpanded(view.expandedTopLabels.contains(top->text(0)));
    }
    m_tree->verticalScrollBar()->setValue(view.verticalScroll);
}

// The right button on a node selects it and has it listed; then the menu opens at the
// pointer, except on the import group "IE收藏夹". Other presses are left to the tree.
bool GroupTreePane::onMousePressed(Qt::MouseButton button, const QPoint &at)
{
    if (button != Qt::RightButton)
        return false;
    QTreeWidgetItem *node = m_tree->itemAt(at);
    if (!node)
        return false;
    m_tree->setCurrentItem(node);
    Q_EMIT nodeChosen();
    if (node->text(0) == Schema::ImportGroup)
        return true;
    // On "收藏夹" every item is hidden: no empty menu then.
    if (hasVisibleAction(m_menu))
        m_menu->popup(m_tree->viewport()->mapToGlobal(at));
    return true;
}

// Auto-expand: the newly selected node opens, the node selected before closes unless it
// holds the new one.
void GroupTreePane::onCurrentNodeChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous)
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
    const QPersistentModelIndex folding = m_tree->indexFromItem(previous);
    QTimer::singleShot(0, this, [this, folding] {
        QTreeWidgetItem *node = m_tree->itemFromIndex(folding);
        if (node && !nodeHolds(node, m_tree->currentItem()))
            node->setExpanded(false);
    });
}

// "修改组别名": only a group's label is edited.
void GroupTreePane::renameCurrentGroup()
{
    m_addingGroup = false;
    QTreeWidgetItem *node = currentNode();
    if (isGroupNode(node))
        startEditing(node);
}

// "添加网址组别": an empty node under "网址", whatever node was chosen, to type the name
// into. The node stays only if the group is stored.
void GroupTreePane::appendNewGroupNode()
{
    QTreeWidgetItem *root = rootNode();
    if (!root)
        return;
    if (holds(m_newGroupNode))
        dropNewGroupNode(m_newGroupNode); // a new node whose edit never ended
    m_addingGroup = true;
    m_nodeBeforeNewGroup = currentNode();
    QTreeWidgetItem *node = makeNode(QString(), MainPictures::Binders, MainPictures::OpenFolder);
    // Among the groups, before the nodes of the failing addresses and of the bin.
    int place = root->childCount();
    while (place > 0 && isFixedNode(root->child(place - 1)))
        --place;
    root->insertChild(place, node);
    m_newGroupNode = node;
    selectNode(node);
    startEditing(node);
}

// Labels of the import group and blank labels are not edited, except the empty label of
// the node that "添加网址组别" has just appended.
bool GroupTreePane::mayEditLabel(QTreeWidgetItem *node) const
{
    if (!node)
        return false;
    if (node == m_newGroupNode)
        return true;
    return GroupService::mayRename(node->text(0));
}

bool GroupTreePane::isEditing() const
{
    const auto *labels = qobject_cast<const TreeLabelDelegate *>(m_tree->itemDelegate());
    return (labels && labels->isEditing()) || m_newGroupNode;
}

// The label shows only what was stored: the window stores the name and then keeps the
// new node or drops it; a rename that was not stored keeps the old label.
void GroupTreePane::onLabelConfirmed(QTreeWidgetItem *node, const QString &text)
{
    const bool isNewGroup = node == m_newGroupNode;
    if (isNewGroup)
        m_newGroupNode = nullptr;
    if (m_addingGroup && isNewGroup) {
        Q_EMIT newGroupNamed(node, text);
        return;
    }
    if (isNewGroup) { // a new node whose edit ended after "修改组别名" was chosen
        dropNewGroupNode(node);
        return;
    }
    Q_EMIT groupRenamed(node, text);
}

void GroupTreePane::onEditCancelled(QTreeWidgetItem *node)
{
    if (node == m_newGroupNode) {
        m_newGroupNode = nullptr;
        dropNewGroupNode(node);
    }
}

void GroupTreePane::setLabel(QTreeWidgetItem *node, const QString &text)
{
    node->setText(0, text);
}

void GroupTreePane::startEditing(QTreeWidgetItem *node)
{
    if (!mayEditLabel(node))
        return;
    // Editable only for this edit: the user's clicks and keys never start one.
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    m_tree->scrollToItem(node);
    m_tree->editItem(node, 0);
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
}

void GroupTreePane::dropNewGroupNode(QTreeWidgetItem *node)
{
    const bool wasCurrent = currentNode() == node;
    if (node == m_newGroupNode)
        m_newGroupNode = nullptr;
    delete node;
    if (!wasCurrent)
        return;
    selectNode(holds(m_nodeBeforeNewGroup) ? m_nodeBeforeNewGroup : rootNode());
}

QTreeWidgetItem *GroupTreePane::removeGroupNode(QTreeWidgetItem *node)
{
    QTreeWidgetItem *next = m_tree->itemBelow(node);
    if (!next || isBinNode(next))
        next = m_favouritesNode;
    if (node == m_newGroupNode)
        m_newGroupNode = nullptr;
    delete node;
    if (next)
        selectNode(next);
    return next;
}

// Whether the node is still in the tree (the pointer is compared, never followed).
bool GroupTreePane::holds(const QTreeWidgetItem *node) const
{
    if (!node)
        return false;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if (*it == node)
            return true;
    }
    return false;
}
