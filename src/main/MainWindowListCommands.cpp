// The address list's popup menu: add, change and delete an address, mark and unmark a
// favourite; and the visibility of both popup menus' items.
#include "main/MainWindow.h"

#include "controls/AddressListView.h"
#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"
#include "services/AddressCommands.h"
#include "services/HistoryCommands.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidgetItem>

void MainWindow::connectListCommands()
{
    // A right click selects the row under the pointer first (the list's own press).
    addressList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(addressList, &QWidget::customContextMenuRequested, this, &MainWindow::showListMenu);
    connect(listAddAddressAction, &QAction::triggered, this, &MainWindow::addAddressFromList);
    connect(listChangeAddressAction, &QAction::triggered, this, &MainWindow::changeAddressFromMenu);
    connect(listDeleteAddressAction, &QAction::triggered, this, &MainWindow::deleteAddressFromMenu);
    connect(listAddFavouriteAction, &QAction::triggered, this, &MainWindow::addFavouriteFromMenu);
    connect(listRemoveFavouriteAction, &QAction::triggered, this, &MainWindow::removeFavouriteFromMenu);
    connect(listTakeNewAddressAction, &QAction::triggered, this, &MainWindow::takeNewAddressFromMenu);
    connect(listUsePageTitleAction, &QAction::triggered, this, &MainWindow::usePageTitleFromMenu);
}

void MainWindow::showListMenu(const QPoint &position)
{
    offerLinkFixes();
    if (GroupTreePane::isBinNode(m_groupTree->currentNode())) {
        listTakeNewAddressAction->setVisible(false);
        listUsePageTitleAction->setVisible(false);
    }
    listMenu->popup(addressList->viewport()->mapToGlobal(position));
}

// The items follow the selected tree node: the favourites offer only unmarking and none
// of the group commands; every other node offers marking.
void MainWindow::updateMenus()
{
    m_groupTree->offerCommands();
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    const bool favourites = node && node->text(0) == GroupTreePane::favouritesLabel();
    const bool bin = GroupTreePane::isBinNode(node); // only its own commands
    for (QAction *item : {listAddAddressAction, listChangeAddressAction, listDeleteAddressAction})
        item->setVisible(!bin);
    listAddFavouriteAction->setVisible(!favourites && !bin);
    listRemoveFavouriteAction->setVisible(favourites);
    listRestoreAction->setVisible(bin);
    listPurgeAction->setVisible(bin);
}

void MainWindow::addAddressFromList()
{
    addAddressToGroup();
}

// The editor proposes the selected node's group; afterwards the node is listed anew, so
// that an address added to the shown group appears at once.
void MainWindow::addAddressToGroup()
{
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!node || !m_editor)
        return;
    // An editor that could not open has told why; a reload would only say it again.
    if (m_editor->showToAdd(node->text(0)))
        listSelectedNode();
}

// "修改网址". The change reaches every stored row with the old address and name; the list
// is read anew and shows them so, the changed row still chosen.
void MainWindow::changeAddressFromMenu()
{
    const int row = addressList->selectedRow();
    if (row < 0 || !m_editor)
        return;
    const AddressRecord shown = listedRecord(row);
    if (m_editor->showToChange(m_currentAddress, shown.name, shown.groupName))
        relistKeepingView();
}

// "删除网址": only the row of the selected row's group; the list is read anew only when
// the database let it go.
void MainWindow::deleteAddressFromMenu()
{
    if (addressList->selectedRow() < 0)
        return;
    if (deleteSelectedAddress()) {
        relistKeepingView();
        followBin();
    }
}

// "加入到收藏夹": every row with this address, in every group, becomes a favourite.
void MainWindow::addFavouriteFromMenu()
{
    if (addressList->selectedRow() < 0)
        return;
    if (markFavourite(m_currentAddress))
        relistKeepingView();
}

// "从收藏夹中删除": only the selected row's group. In the favourites the row leaves the
// list; elsewhere it keeps its place with the plain picture.
void MainWindow::removeFavouriteFromMenu()
{
    if (addressList->selectedRow() < 0)
        return;
    if (unmarkFavourite())
        relistKeepingView();
}

QString MainWindow::selectedRowGroup() const
{
    return listedRecord(addressList->selectedRow()).groupName;
}

bool MainWindow::deleteSelectedAddress()
{
    const Outcome outcome = HistoryCommands::removeAddress(
        &m_sharedConnection.history(), m_sharedConnection.connection(), m_currentAddress, selectedRowGroup());
    if (!showOutcome(outcome))
        return false;
    Dialogs::show(this, outcome.message, tr("删除"));
    return true;
}

bool MainWindow::markFavourite(const QString &address)
{
    return showOutcome(
        HistoryCommands::setFavourite(&m_sharedConnection.history(), m_sharedConnection.connection(), address));
}

bool MainWindow::unmarkFavourite()
{
    return showOutcome(HistoryCommands::clearFavourite(&m_sharedConnection.history(), m_sharedConnection.connection(),
                                                       m_currentAddress, selectedRowGroup()));
}
