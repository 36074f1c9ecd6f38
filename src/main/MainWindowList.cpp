// The address list: columns, filling, the current group and address, keys and hover text.
#include "main/MainWindow.h"

#include "controls/AddressListView.h"
#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/AppError.h"
#include "main/AddressListModel.h"
#include "platform/Dialogs.h"

#include <QLabel>
#include <QTreeWidgetItem>

void MainWindow::setUpColumns()
{
    addressList->setUpdatesEnabled(false);
    addressList->clearColumns();
    addressList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    addressList->addColumn(tr("网址", "list column"), 100);
    addressList->addColumn(tr("名称"), 160);
    addressList->addColumn(tr("访问时间"), 60);
    addressList->addColumn(tr("访问次数"), 60);
    addressList->addColumn(tr("组"), 100);
    addressList->setUpdatesEnabled(true);
}

// Lists the addresses of the current tree node in the order of the statement. The names
// "网址" and "收藏夹" are checked before the group filter, so a group that bears one of them
// is never listed by its own name.
void MainWindow::fillList()
{
    try {
        loadRows(filterForCurrentGroup());
    } catch (const AppError &error) {
        Dialogs::failure(this, error);
    }
}

AddressFilter MainWindow::filterForCurrentGroup()
{
    if (m_currentGroup == GroupTreePane::rootLabel()) {
        if (QTreeWidgetItem *root = m_groupTree->nodeLabelled(GroupTreePane::rootLabel())) {
            m_groupTree->selectNode(root);
            setCurrentGroup(root->text(0));
        }
        return AddressFilter::all();
    }
    if (m_currentGroup == GroupTreePane::favouritesLabel())
        return AddressFilter::favourites();
    if (m_currentGroup == GroupTreePane::failingLabel() && GroupTreePane::isFailingNode(m_groupTree->currentNode()))
        return AddressFilter::failing();
    if (m_currentGroup == GroupTreePane::binLabel() && GroupTreePane::isBinNode(m_groupTree->currentNode()))
        return AddressFilter::bin();
    return AddressFilter::group(m_currentGroup);
}

// The count is read first and shown at once; the rows are read as they are shown.
int MainWindow::loadRows(const AddressFilter &filter)
{
    chooseRowsForListing(filter);
    const int count = m_addressRows->show(filter);
    showRowCount(count);
    noteListing(filter);
    return count;
}

// Also when a search's rows are all found, after its first page is shown.
void MainWindow::showRowCount(int count)
{
    // The word order of the Chinese text is intended as it reads: do not "fix" it.
    m_statusPanels[2]->setText(tr("共条%n记录", nullptr, count));
}

const AddressRecord &MainWindow::listedRecord(int row) const
{
    return m_addressRows->recordAt(row);
}

void MainWindow::setCurrentGroup(const QString &group)
{
    m_currentGroup = group;
    m_statusPanels[0]->setText(group);
}

void MainWindow::setCurrentAddress(const QString &address)
{
    m_currentAddress = address;
    m_statusPanels[1]->setText(address);
}

// A row that loses the selection also names the current address: after a click on the
// empty part of the list the current address is still the row just left.
void MainWindow::onRowSelected(int row, bool selected)
{
    Q_UNUSED(selected);
    if (row >= 0 && row < m_addressRows->count())
        setCurrentAddress(listedRecord(row).address);
}

void MainWindow::onListKeyReleased(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Only an Enter pressed in the list: the release of the Enter that closed a
        // message box must not start the visit again.
        if (m_enterPressedInList) {
            m_enterPressedInList = false;
            visitCurrentAddress();
        }
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int row = addressList->selectedRow();
        if (row >= 0)
            setCurrentAddress(listedRecord(row).address);
        break;
    }
    default: break;
    }
}

void MainWindow::onListDoubleClicked()
{
    visitCurrentAddress();
}

// Over a row the list's hint becomes that row's details; over no row only hoverText is
// emptied and the list keeps its last hint.
void MainWindow::onListMouseMoved(const QPoint &position)
{
    const int row = addressList->rowAt(position);
    if (row < 0) {
        m_hintText.clear();
        return;
    }
    m_hintText = detailTextOf(row) + failureHintOf(row);
    addressList->setHintText(m_hintText);
}

QString MainWindow::detailTextOf(int row) const
{
    const AddressRecord &shown = listedRecord(row);
    return tr("组        别：") + shown.groupName + QLatin1Char('\n') + tr("网        址：") + shown.address
        + QLatin1Char('\n') + tr("网址名称：") + shown.name + QLatin1Char('\n') + tr("访问时间：") + shown.viewTime
        + QLatin1Char('\n') + tr("访问次数：") + shown.times;
}
