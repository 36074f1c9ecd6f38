#include "main/BinCommands.h"

#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "main/AddressListPane.h"
#include "main/GroupTreePane.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"
#include "services/LibraryReads.h"

BinCommands::BinCommands(SharedConnection &sharedConnection, GroupTreePane &groupTree, AddressListPane &addressList,
                         QWidget *window, std::function<bool(const Outcome &)> showOutcome,
                         std::function<void()> reload)
    : m_sharedConnection(sharedConnection), m_groupTree(groupTree), m_addressList(addressList), m_window(window),
      m_showOutcome(std::move(showOutcome)), m_reload(std::move(reload))
{}

bool BinCommands::holdsRows() const
{
    // A library without a bin, or one that cannot tell, counts none: the tree shows its
    // groups all the same.
    return LibraryReads::binCount(m_sharedConnection.connection()).value > 0;
}

void BinCommands::followDelete()
{
    if (!m_groupTree.showsBin())
        m_reload();
}

QList<qint64> BinCommands::chosenRows() const
{
    if (!GroupTreePane::isBinNode(m_groupTree.currentNode()))
        return {};
    return m_addressList.chosenRowNumbers();
}

void BinCommands::afterCommand(const Outcome &outcome)
{
    if (m_showOutcome(outcome))
        m_reload();
}

void BinCommands::restoreChosen()
{
    const QList<qint64> ids = chosenRows();
    if (!ids.isEmpty())
        afterCommand(
            HistoryCommands::restoreFromBin(&m_sharedConnection.history(), m_sharedConnection.connection(), ids));
}

void BinCommands::purgeChosen()
{
    const QList<qint64> ids = chosenRows();
    if (!ids.isEmpty())
        afterCommand(
            HistoryCommands::purgeFromBin(&m_sharedConnection.history(), m_sharedConnection.connection(), ids));
}

void BinCommands::emptyBin()
{
    if (!GroupTreePane::isBinNode(m_groupTree.currentNode()))
        return;
    if (Dialogs::show(m_window, tr("回收站中的网址将被彻底删除，确定清空回收站吗？"), GroupTreePane::binLabel(),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Question)
        != QMessageBox::Yes)
        return;
    afterCommand(HistoryCommands::emptyBin(&m_sharedConnection.history(), m_sharedConnection.connection()));
}
