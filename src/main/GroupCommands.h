// The group commands of the tree's popup menu: a new group's name stored, a group renamed,
// a group deleted with its addresses. The tree itself edits the names in place.
#pragma once

#include <functional>

class GroupTreePane;
class QString;
class QTreeWidgetItem;
class SharedConnection;
struct Outcome;

class GroupCommands
{
public:
    struct Callbacks
    {
        // Tells the user why a command did nothing; true when it was done.
        std::function<bool(const Outcome &)> showOutcome;
        // The group listed now (the node clicked last), which a rename renames.
        std::function<QString()> currentGroup;
        // Lists the selected node anew.
        std::function<void()> relistNode;
        // After a group went: its addresses went to the recycle bin.
        std::function<void()> afterDelete;
    };

    GroupCommands(SharedConnection &sharedConnection, GroupTreePane &groupTree, Callbacks callbacks);

    // The names the user typed into the tree: stored, the label shows them; not stored, a
    // new group's node goes and a renamed one keeps its old label.
    void storeNewGroup(QTreeWidgetItem *node, const QString &name);
    void renameGroup(QTreeWidgetItem *node, const QString &name);
    // "删除网址组别" on the selected node.
    void deleteSelectedGroup();

private:
    SharedConnection &m_sharedConnection;
    GroupTreePane &m_groupTree;
    Callbacks m_callbacks;
};
