// The tree's "导出网址…" and the tree's refresh after an import made groups.
#include "main/MainWindow.h"

#include "bookmarks/ExportService.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "data/AppError.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QTreeWidgetItem>

void MainWindow::exportFromMenu()
{
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!node)
        return;
    const QString file = QFileDialog::getSaveFileName(
        this, tr("导出网址"), QDir::home().filePath(QStringLiteral("bookmarks.html")), tr("书签文件 (*.html *.htm)"));
    if (!file.isEmpty())
        exportAddresses(node, file);
}

void MainWindow::exportAddresses(const QTreeWidgetItem *node, const QString &file)
{
    ExportScope scope = ExportScope::all();
    if (node == m_groupTree->favouritesNode())
        scope = ExportScope::favourites();
    else if (node->parent())
        scope = ExportScope::group(node->text(0));
    int written = 0;
    try {
        written = ExportService::exportTo(m_sharedConnection.connection(), file, scope);
    } catch (const AppError &error) {
        Dialogs::errorReport(this, error.message());
        return;
    }
    Dialogs::message(this, tr("成功导出 %n 个网址！", nullptr, written));
}

void MainWindow::reloadTreeIfGroupsChanged()
{
    const QStringList groups = GroupStore::groupNames(m_sharedConnection.connection());
    if (groups == m_groupTree->childLabelsOfRoot())
        return;
    const QTreeWidgetItem *current = m_groupTree->currentNode();
    const QString label = current ? current->text(0) : QString();
    const bool wasFavourites = current && current == m_groupTree->favouritesNode();
    const bool wasGroup = current && current->parent();
    loadTree(); // `current` is gone from here on

    QTreeWidgetItem *again = m_groupTree->rootNode();
    if (wasFavourites) {
        again = m_groupTree->favouritesNode();
    } else if (wasGroup) {
        if (QTreeWidgetItem *found = m_groupTree->nodeLabelled(label))
            again = found;
    }
    m_groupTree->selectNode(again);
    setCurrentGroup(again->text(0));
    updateMenus();
}
