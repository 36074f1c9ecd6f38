// The recycle bin's node "回收站": the deleted addresses it keeps, listed with the date they
// were deleted in the visit date's column; the list's "还原" and "彻底删除", which act on
// every chosen row (the bin's list alone lets the user choose several) as one step, and
// the node's "清空回收站".
#include "main/MainWindow.h"

#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"

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

void MainWindow::followBin()
{
    if (!m_groupTree->showsBin())
        reloadKeepingView(true);
}

// The chosen rows' numbers in the bin, in the listed order; none outside the bin.
QList<qint64> MainWindow::chosenBinRows() const
{
    if (!GroupTreePane::isBinNode(m_groupTree->currentNode()))
        return {};
    return m_addressList->chosenRowNumbers();
}

void MainWindow::restoreFromBinMenu()
{
    const QList<qint64> ids = chosenBinRows();
    if (ids.isEmpty())
        return;
    if (showOutcome(
            HistoryCommands::restoreFromBin(&m_sharedConnection.history(), m_sharedConnection.connection(), ids)))
        reloadKeepingView(true);
}

void MainWindow::purgeFromBinMenu()
{
    const QList<qint64> ids = chosenBinRows();
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
