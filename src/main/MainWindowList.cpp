// The address list's listing: the current group's rows, the row count, the current group
// and address, the hover text.
#include "main/MainWindow.h"

#include "data/AddressStore.h"
#include "data/AppError.h"
#include "main/LinkViews.h"
#include "platform/Dialogs.h"

#include <QLabel>
#include <QTreeWidgetItem>

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
    const int count = m_addressList->show(filter);
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

void MainWindow::onPointerOverRow(int row)
{
    if (row < 0) {
        m_hintText.clear();
        return;
    }
    m_hintText = m_addressList->detailTextOf(row) + m_links->failureHintOf(row, m_currentGroup);
    m_addressList->showHint(m_hintText);
}
