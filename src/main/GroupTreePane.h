// The contents tab of the main window's left pane: the group tree and its popup menu.
// The root "网址" lists every address, one node per group, then the nodes of the failing
// addresses and of the recycle bin where there are any; "收藏夹" the favourites. The pane
// opens and folds branches, edits group names in place and says what the user chose; the
// window runs the commands and tells the pane what the library took.
#pragma once

#include "data/GroupStore.h"

#include <QStringList>
#include <QVariant>
#include <QWidget>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

class GroupTreePane : public QWidget
{
    Q_OBJECT

public:
    // Labels of the fixed nodes.
    static QString rootLabel(); // "网址": every address
    static QString favouritesLabel(); // "收藏夹": the favourites
    static QString failingLabel(); // "失效网址": the addresses whose last link check failed
    static QString binLabel(); // "回收站": the deleted addresses kept in the recycle bin
    // Item data of a node: its picture and its picture while selected (indices of
    // MainPictures::SmallImage).
    static constexpr int NodeImageRole = Qt::UserRole;
    static constexpr int NodeSelectedImageRole = Qt::UserRole + 1;
    // A group's node: the group's number, which stays when the group is renamed.
    static constexpr int NodeGroupNoRole = Qt::UserRole + 2;
    // True on the node of the failing addresses, which stands among the groups' nodes.
    static constexpr int NodeFailingRole = Qt::UserRole + 3;
    // True on the recycle bin's node, which comes after the groups' nodes too.
    static constexpr int NodeBinRole = Qt::UserRole + 4;

    static bool isFailingNode(const QTreeWidgetItem *node);
    static bool isBinNode(const QTreeWidgetItem *node);
    // A node of a stored group (not the root, "收藏夹" or a node after the groups).
    static bool isGroupNode(const QTreeWidgetItem *node);

    // `menuOwner` holds the popup menu, so that it looks as the window's other menus.
    explicit GroupTreePane(QWidget *menuOwner);

    QTreeWidget *tree() const { return m_tree; }
    QMenu *menu() const { return m_menu; }
    QAction *addAddressAction() const { return m_addAddressAction; }
    QAction *renameGroupAction() const { return m_renameGroupAction; }
    QAction *addGroupAction() const { return m_addGroupAction; }
    QAction *deleteGroupAction() const { return m_deleteGroupAction; }
    QAction *exportAction() const { return m_exportAction; }
    QAction *checkLinksAction() const { return m_checkLinksAction; }
    QAction *emptyBinAction() const { return m_emptyBinAction; }

    // The nodes anew: the root with one child per group in the given order, the failing
    // node and the bin's node where asked, then "收藏夹". Nothing is selected.
    void load(const QList<GroupStore::Group> &groups, bool withFailing, bool withBin);
    QTreeWidgetItem *rootNode() const;
    QTreeWidgetItem *favouritesNode() const { return m_favouritesNode; }
    QTreeWidgetItem *currentNode() const;
    // Makes the node current; nodeChosen is not sent, so nothing is listed.
    void selectNode(QTreeWidgetItem *node);
    // The first node with the label in tree order, or null.
    QTreeWidgetItem *nodeLabelled(const QString &label) const;
    // The labels of the root's children.
    QStringList childLabelsOfRoot() const;
    bool showsBin() const;
    // A group's number by its node's label, and the label of the node of a number (empty
    // when there is none).
    QVariant groupNoOf(const QString &label) const;
    QString labelOfGroupNo(const QVariant &number) const;

    // The menu's items follow the current node: the favourites offer only the export, the
    // failing node and the bin's none of the group commands.
    void offerCommands();

    // The selected node and open branches, by their labels.
    struct View
    {
        QString currentLabel;
        bool currentIsGroup = false;
        QStringList expandedTopLabels;
        int verticalScroll = 0;
    };
    View view() const;
    // The node of the view's label selected again where it is still there (without
    // listing), the same branches open, the same scroll position.
    void restoreView(const View &view);

    // In-place editing of group names.
    bool mayEditLabel(QTreeWidgetItem *node) const;
    bool isAddingGroup() const { return m_addingGroup; }
    // A label being typed, or a new group's node whose name is not stored yet.
    bool isEditing() const;
    // The label shows what the library took.
    void setLabel(QTreeWidgetItem *node, const QString &text);
    // Removes a new group's node that holds no stored group; the node chosen before
    // "添加网址组别" is selected again, without listing.
    void dropNewGroupNode(QTreeWidgetItem *node);
    // A deleted group's node goes; the next node in tree order (or "收藏夹") is selected
    // and given back.
    QTreeWidgetItem *removeGroupNode(QTreeWidgetItem *node);

Q_SIGNALS:
    // The user pressed a node: its addresses are to be listed.
    void nodeChosen();
    void addAddressChosen();
    void deleteGroupChosen();
    void exportChosen();
    void checkLinksChosen();
    void emptyBinChosen();
    // The user typed a new group's name, or a group's new name.
    void newGroupNamed(QTreeWidgetItem *node, const QString &name);
    void groupRenamed(QTreeWidgetItem *node, const QString &name);

private:
    void buildMenu(QWidget *owner);
    void connectEditing();
    // True when the press was the right button on a node, which the tree then does not see.
    bool onMousePressed(Qt::MouseButton button, const QPoint &at);
    void onCurrentNodeChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void renameCurrentGroup();
    void appendNewGroupNode();
    void onLabelConfirmed(QTreeWidgetItem *node, const QString &text);
    void onEditCancelled(QTreeWidgetItem *node);
    void startEditing(QTreeWidgetItem *node);
    bool holds(const QTreeWidgetItem *node) const;

    QTreeWidget *m_tree = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_addAddressAction = nullptr;
    QAction *m_renameGroupAction = nullptr;
    QAction *m_addGroupAction = nullptr;
    QAction *m_deleteGroupAction = nullptr;
    QAction *m_exportAction = nullptr;
    QAction *m_checkLinksAction = nullptr;
    QAction *m_emptyBinAction = nullptr;
    QTreeWidgetItem *m_favouritesNode = nullptr;

    bool m_addingGroup = false;
    // The node that "添加网址组别" appended and that no edit has ended yet, and the node
    // selected before it.
    QTreeWidgetItem *m_newGroupNode = nullptr;
    QTreeWidgetItem *m_nodeBeforeNewGroup = nullptr;
};
