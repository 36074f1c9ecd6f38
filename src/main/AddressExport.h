// The tree's "导出网址…": the addresses of a node written to a bookmark file — the root's
// every group, a group's own, 收藏夹 the favourites.
#pragma once

#include <QCoreApplication>

class DbConnection;
class GroupTreePane;
class QTreeWidgetItem;
class QWidget;

class AddressExport
{
    Q_DECLARE_TR_FUNCTIONS(AddressExport)

public:
    // The file dialog and the report show over `window`.
    AddressExport(DbConnection &connection, const GroupTreePane &groupTree, QWidget *window);

    // Asks for the file, then exports the selected node.
    void exportSelectedNode();
    // Writes the addresses of the node's scope to the file and says how it went.
    void exportNode(const QTreeWidgetItem *node, const QString &file);

private:
    DbConnection &m_connection;
    const GroupTreePane &m_groupTree;
    QWidget *m_window;
};
