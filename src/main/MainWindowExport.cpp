// The tree's "导出网址…" and the tree's refresh after an import made groups.
#include "main/MainWindow.h"

#include "bookmarks/ExportService.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "data/AppError.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QTreeWidget>

void MainWindow::exportFromMenu()
{
    const QTreeWidgetItem *node = groupTree->currentItem();
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
    if (node == m_favouritesNode)
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
    QTreeWidgetItem *root = groupTree->topLevelItem(0);
    QStringList shown;
    for (int i = 0; root && i < root->childCount(); ++i)
        shown << root->child(i)->text(0);
    if (groups == shown)
        return;
    const QTreeWidgetItem *current = groupTree->currentItem();
    const QString label = current ? current->text(0) : QString();
    const bool wasFavourites = current && current == m_favouritesNode;
    const bool wasGroup = current && current->parent();
    loadTree(); // `current` is gone from here on

    QTreeWidgetItem *again = groupTree->topLevelItem(0);
    if (wasFavourites) {
        again = m_favouritesNode;
    } else if (wasGroup) {
        const QList<QTreeWidgetItem *> found = groupTree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
        if (!found.isEmpty())
            again = found.first();
    }
    selectNodeWithoutListing(again);
    setCurrentGroup(again->text(0));
    updateMenus();
}
