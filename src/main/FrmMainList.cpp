// The address list: columns, filling, the current group and address, keys and hover text.
#include "main/FrmMain.h"

#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/DataModule.h"
#include "data/AppError.h"
#include "main/AddressListModel.h"
#include "platform/Dialogs.h"

#include <QLabel>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// Row count in the status bar. The word order is intended as it reads: do not "fix" it.
const QString RowCountText = QStringLiteral("共条%1记录");

} // namespace

void TFrmMain::P_SetColumns()
{
    ListView1->setUpdatesEnabled(false);
    ListView1->clearColumns();
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->addColumn(QStringLiteral("网址"), 100);
    ListView1->addColumn(QStringLiteral("名称"), 160);
    ListView1->addColumn(QStringLiteral("访问时间"), 60);
    ListView1->addColumn(QStringLiteral("访问次数"), 60);
    ListView1->addColumn(QStringLiteral("组"), 100);
    ListView1->setUpdatesEnabled(true);
}

// Lists the addresses of the current tree node in the order of the statement. The names
// "网址" and "收藏夹" are checked before the group filter, so a group that bears one of them
// is never listed by its own name.
void TFrmMain::P_FillList()
{
    try {
        P_AddRows(filterForCurGroup());
    } catch (const AppError &error) {
        Dialogs::failure(this, error);
    }
}

AddressFilter TFrmMain::filterForCurGroup()
{
    if (m_curGroup == RootLabel) {
        for (QTreeWidgetItemIterator node(TreeView1); *node; ++node) {
            if ((*node)->text(0) == RootLabel) {
                selectNodeWithoutListing(*node);
                P_SetCurGroup((*node)->text(0));
                break;
            }
        }
        return AddressFilter::all();
    }
    if (m_curGroup == FavouritesLabel)
        return AddressFilter::favourites();
    if (m_curGroup == FailingLabel && TreeView1->currentItem() && TreeView1->currentItem()->data(0, NodeFailingRole).toBool())
        return AddressFilter::failing();
    return AddressFilter::group(m_curGroup);
}

// The count is read first and shown at once; the rows are read as they are shown.
int TFrmMain::P_AddRows(const AddressFilter &filter)
{
    const int count = m_addressRows->show(filter);
    m_statusPanels[2]->setText(RowCountText.arg(count));
    noteListing(filter);
    return count;
}

const AddressRecord &TFrmMain::listedRecord(int row) const
{
    return m_addressRows->recordAt(row);
}

void TFrmMain::P_SetCurGroup(const QString &group)
{
    m_curGroup = group;
    m_statusPanels[0]->setText(group);
}

void TFrmMain::P_SetCurAddress(const QString &address)
{
    m_curAddress = address;
    m_statusPanels[1]->setText(address);
}

// A row that loses the selection also names the current address: after a click on the
// empty part of the list the current address is still the row just left.
void TFrmMain::ListView111SelectItem(int row, bool selected)
{
    Q_UNUSED(selected);
    if (row >= 0 && row < m_addressRows->count())
        P_SetCurAddress(listedRecord(row).address);
}

void TFrmMain::ListView111KeyUp(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Only an Enter pressed in the list: the release of the Enter that closed a
        // message box must not start the visit again.
        if (m_enterPressedInList) {
            m_enterPressedInList = false;
            P_Visit();
        }
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int row = ListView1->selectedRow();
        if (row >= 0)
            P_SetCurAddress(listedRecord(row).address);
        break;
    }
    default:
        break;
    }
}

void TFrmMain::ListView111DblClick()
{
    P_Visit();
}

// Over a row the list's hint becomes that row's details; over no row only HintText is
// emptied and the list keeps its last hint.
void TFrmMain::ListView111MouseMove(const QPoint &position)
{
    const int row = ListView1->rowAt(position);
    if (row < 0) {
        m_hintText.clear();
        return;
    }
    m_hintText = detailTextOf(row) + failureHintOf(row);
    ListView1->setHintText(m_hintText);
}

QString TFrmMain::detailTextOf(int row) const
{
    const AddressRecord &shown = listedRecord(row);
    return QStringLiteral("组        别：") + shown.groupName + QLatin1Char('\n') + QStringLiteral("网        址：")
           + shown.address + QLatin1Char('\n') + QStringLiteral("网址名称：") + shown.name + QLatin1Char('\n')
           + QStringLiteral("访问时间：") + shown.viewTime + QLatin1Char('\n') + QStringLiteral("访问次数：")
           + shown.times;
}
