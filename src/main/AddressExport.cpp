#include "main/AddressExport.h"

#include "main/GroupTreePane.h"
#include "platform/Dialogs.h"
#include "services/LibraryReads.h"

#include <QDir>
#include <QFileDialog>
#include <QTreeWidgetItem>

AddressExport::AddressExport(DbConnection &connection, const GroupTreePane &groupTree, QWidget *window)
    : m_connection(connection), m_groupTree(groupTree), m_window(window)
{}

void AddressExport::exportSelectedNode()
{
    const QTreeWidgetItem *node = m_groupTree.currentNode();
    if (!node)
        return;
    const QString file =
        QFileDialog::getSaveFileName(m_window, tr("导出网址"), QDir::home().filePath(QStringLiteral("bookmarks.html")),
                                     tr("书签文件 (*.html *.htm)"));
    if (!file.isEmpty())
        exportNode(node, file);
}

void AddressExport::exportNode(const QTreeWidgetItem *node, const QString &file)
{
    ExportScope scope = ExportScope::all();
    if (node == m_groupTree.favouritesNode())
        scope = ExportScope::favourites();
    else if (node->parent())
        scope = ExportScope::group(node->text(0));
    const Outcome written = LibraryReads::exportTo(m_connection, file, scope);
    if (!written.ok()) {
        Dialogs::errorReport(m_window, written.message);
        return;
    }
    Dialogs::message(m_window, tr("成功导出 %n 个网址！", nullptr, written.count));
}
