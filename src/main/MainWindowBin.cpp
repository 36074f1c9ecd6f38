// The recycle bin's node "回收站": the deleted addresses it keeps, listed with the date they
// were deleted in the visit date's column; the list's "还原" and "彻底删除", which act on
// every chosen row (the bin's list alone lets the user choose several) as one step, and
// the node's "清空回收站".
#include "main/MainWindow.h"

#include "controls/AddressListView.h"
#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "main/AddressListModel.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"

#include <QAction>
#include <QItemSelectionModel>

#include <algorithm>

void MainWindow::connectBinCommands()
{
    for (QAction *item : {listRestoreAction, listPurgeAction})
        item->setVisible(false);
    connect(listRestoreAction, &QAction::triggered, this, &MainWindow::restoreFromBinMenu);
    connect(listPurgeAction, &QAction::triggered, this, &MainWindow::purgeFromBinMenu);
}

bool MainWindow::binHoldsRows()
{
    int kept = 0;
    try {
        kept = AddressPaging(m_sharedConnection.connection(), AddressFilter::bin()).count();
    } catch (const AppError &) {
        // a library without a bin, or one that cannot tell: the tree shows its groups all the same
    }
    return kept > 0;
}

void MainWindow::chooseRowsForListing(const AddressFilter &filter)
{
    addressList->setSelectionMode(filter.kind == AddressFilter::Kind::Bin ? QAbstractItemView::ExtendedSelection
                                                                          : QAbstractItemView::SingleSelection);
}

void MainWindow::followBin()
{
    if (!m_groupTree->showsBin())
        reloadKeepingView(true);
}

namespace {

// The chosen rows' numbers in the bin, in the listed order; none outside the bin.
QList<qint64> chosenBinRows(bool inBin, const AddressListView &list, const AddressListModel &rows)
{
    if (!inBin)
        return {};
    QList<int> listed;
    for (const QModelIndex &index : list.selectionModel()->selectedRows())
        listed << index.row();
    std::sort(listed.begin(), listed.end());
    QList<qint64> ids;
    for (const int row : listed)
        ids << rows.recordAt(row).rowNo;
    return ids;
}

} // namespace

void MainWindow::restoreFromBinMenu()
{
    const QList<qint64> ids =
        chosenBinRows(GroupTreePane::isBinNode(m_groupTree->currentNode()), *addressList, *m_addressRows);
    if (ids.isEmpty())
        return;
    if (showOutcome(
            HistoryCommands::restoreFromBin(&m_sharedConnection.history(), m_sharedConnection.connection(), ids)))
        reloadKeepingView(true);
}

void MainWindow::purgeFromBinMenu()
{
    const QList<qint64> ids =
        chosenBinRows(GroupTreePane::isBinNode(m_groupTree->currentNode()), *addressList, *m_addressRows);
    if (ids.isEmpty())
        return;
    if (showOutcome(HistoryCommands::purgeFromBin(&m_sharedConnection.history(), m_sharedConnection.connection(), ids)))
        reloadKeepingView(true);
}

void MainWindow::emptyBinFromMenu()
{
    if (!GroupTreePane::isBinNode(m_groupTree->currentNode()))
        return;
    if (Dialogs::show(this, tr("回收站中的网址将被彻底删除，确定清空回收站吗？"), GroupTreePane::binLabel(),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    if (showOutcome(HistoryCommands::emptyBin(&m_sharedConnection.history(), m_sharedConnection.connection())))
        reloadKeepingView(true);
}
