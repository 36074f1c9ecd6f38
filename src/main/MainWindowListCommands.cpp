// The address list's popup menu: add, change and delete an address, mark and unmark a
// favourite; and the visibility of both popup menus' items.
#include "main/MainWindow.h"

#include "main/BinCommands.h"
#include "main/LinkViews.h"

#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"
#include "services/AddressCommands.h"
#include "services/HistoryCommands.h"

#include <QTreeWidgetItem>

void MainWindow::connectAddressList()
{
    AddressListPane *list = m_addressList;
    connect(list, &AddressListPane::countKnown, this, &MainWindow::showRowCount);
    connect(list, &AddressListPane::addressChosen, this, &MainWindow::setCurrentAddress);
    connect(list, &AddressListPane::visitRequested, this, &MainWindow::visitCurrentAddress);
    connect(list, &AddressListPane::pointerOverRow, this, &MainWindow::onPointerOverRow);
    connect(list, &AddressListPane::menuOpening, this, [this] { m_links->offerFixes(m_currentAddress); });
    connect(list, &AddressListPane::addAddressChosen, this, &MainWindow::addAddressToGroup);
    connect(list, &AddressListPane::changeAddressChosen, this, &MainWindow::changeAddressFromMenu);
    connect(list, &AddressListPane::deleteAddressChosen, this, &MainWindow::deleteAddressFromMenu);
    connect(list, &AddressListPane::addFavouriteChosen, this, &MainWindow::addFavouriteFromMenu);
    connect(list, &AddressListPane::removeFavouriteChosen, this, &MainWindow::removeFavouriteFromMenu);
    connect(list, &AddressListPane::takeNewAddressChosen, this, [this] { m_links->takeNewAddress(m_currentAddress); });
    connect(list, &AddressListPane::usePageTitleChosen, this, [this] { m_links->usePageTitle(m_currentAddress); });
    connect(list, &AddressListPane::restoreChosen, this, [this] { m_bin->restoreChosen(); });
    connect(list, &AddressListPane::purgeChosen, this, [this] { m_bin->purgeChosen(); });
}

// The items follow the selected tree node: the favourites offer only unmarking and none
// of the group commands; every other node offers marking; the bin only its own commands.
void MainWindow::updateMenus()
{
    m_groupTree->offerCommands();
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    const bool favourites = node && node->text(0) == GroupTreePane::favouritesLabel();
    m_addressList->offerCommands(favourites, GroupTreePane::isBinNode(node));
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
    const int row = m_addressList->selectedRow();
    if (row < 0 || !m_editor)
        return;
    const AddressRecord shown = m_addressList->recordAt(row);
    if (m_editor->showToChange(m_currentAddress, shown.name, shown.groupName))
        relistKeepingView();
}

// "删除网址": only the row of the selected row's group; the list is read anew only when
// the database let it go.
void MainWindow::deleteAddressFromMenu()
{
    if (m_addressList->selectedRow() < 0)
        return;
    if (deleteSelectedAddress()) {
        relistKeepingView();
        m_bin->followDelete();
    }
}

// "加入到收藏夹": every row with this address, in every group, becomes a favourite.
void MainWindow::addFavouriteFromMenu()
{
    if (m_addressList->selectedRow() < 0)
        return;
    if (markFavourite(m_currentAddress))
        relistKeepingView();
}

// "从收藏夹中删除": only the selected row's group. In the favourites the row leaves the
// list; elsewhere it keeps its place with the plain picture.
void MainWindow::removeFavouriteFromMenu()
{
    if (m_addressList->selectedRow() < 0)
        return;
    if (unmarkFavourite())
        relistKeepingView();
}

QString MainWindow::selectedRowGroup() const
{
    return m_addressList->recordAt(m_addressList->selectedRow()).groupName;
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
