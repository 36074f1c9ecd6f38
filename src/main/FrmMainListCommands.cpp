// The address list's popup menu: add, change and delete an address, mark and unmark a
// favourite; and the visibility of both popup menus' items.
#include "main/FrmMain.h"

#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/DataModule.h"
#include "editor/FrmEditGroup.h"
#include "platform/Dialogs.h"
#include "services/AddressCommands.h"
#include "services/HistoryCommands.h"

#include <QAction>
#include <QMenu>
#include <QTreeWidget>

void TFrmMain::connectListCommands()
{
    // A right click selects the row under the pointer first (the list's own press).
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, &TFrmMain::ListView1ContextMenu);
    connect(ListPM1, &QAction::triggered, this, &TFrmMain::ListPM1Click);
    connect(ListPM2, &QAction::triggered, this, &TFrmMain::ListPM2Click);
    connect(ListPM3, &QAction::triggered, this, &TFrmMain::ListPM3Click);
    connect(ListPM4, &QAction::triggered, this, &TFrmMain::ListPM4Click);
    connect(ListPM5, &QAction::triggered, this, &TFrmMain::ListPM5Click);
    connect(ListPM6, &QAction::triggered, this, &TFrmMain::ListPM6Click);
    connect(ListPM7, &QAction::triggered, this, &TFrmMain::ListPM7Click);
}

void TFrmMain::ListView1ContextMenu(const QPoint &position)
{
    offerLinkFixes();
    ListViewPopupMenu->popup(ListView1->viewport()->mapToGlobal(position));
}

// The items follow the selected tree node: the favourites offer only unmarking and none
// of the group commands; every other node offers marking.
void TFrmMain::P_SetMenus()
{
    const QTreeWidgetItem *node = TreeView1->currentItem();
    const bool favourites = node && node->text(0) == FavouritesLabel;
    const bool failing = node && node->data(0, NodeFailingRole).toBool(); // no group: no group commands
    for (QAction *item : {TreePM1, TreePM2, TreePM3, TreePM4, TreePM6})
        item->setVisible(!favourites && !failing);
    TreePM5->setVisible(!failing); // the favourites can be exported too
    for (QAction *item : {ListPM1, ListPM2, ListPM3})
        item->setVisible(true);
    ListPM4->setVisible(!favourites);
    ListPM5->setVisible(favourites);
}

void TFrmMain::ListPM1Click()
{
    P_AddAddress();
}

// The editor proposes the selected node's group; afterwards the node is listed anew, so
// that an address added to the shown group appears at once.
void TFrmMain::P_AddAddress()
{
    QTreeWidgetItem *node = TreeView1->currentItem();
    if (!node || !m_editor)
        return;
    // An editor that could not open has told why; a reload would only say it again.
    if (m_editor->P_ShowAdd(node->text(0)))
        TreeView1Click();
}

// "修改网址". The change reaches every stored row with the old address and name; the list
// is read anew and shows them so, the changed row still chosen.
void TFrmMain::ListPM2Click()
{
    const int row = ListView1->selectedRow();
    if (row < 0 || !m_editor)
        return;
    const AddressRecord shown = listedRecord(row);
    if (m_editor->P_ShowEdit(m_curAddress, shown.name, shown.groupName))
        relistKeepingView();
}

// "删除网址": only the row of the selected row's group; the list is read anew only when
// the database let it go.
void TFrmMain::ListPM3Click()
{
    if (ListView1->selectedRow() < 0)
        return;
    if (P_DeleteAddress())
        relistKeepingView();
}

// "加入到收藏夹": every row with this address, in every group, becomes a favourite.
void TFrmMain::ListPM4Click()
{
    if (ListView1->selectedRow() < 0)
        return;
    if (P_SetFavourite(m_curAddress))
        relistKeepingView();
}

// "从收藏夹中删除": only the selected row's group. In the favourites the row leaves the
// list; elsewhere it keeps its place with the plain picture.
void TFrmMain::ListPM5Click()
{
    if (ListView1->selectedRow() < 0)
        return;
    if (P_ClearFavourite())
        relistKeepingView();
}

QString TFrmMain::selectedRowGroup() const
{
    return listedRecord(ListView1->selectedRow()).groupName;
}

bool TFrmMain::P_DeleteAddress()
{
    const Outcome outcome = HistoryCommands::removeAddress(&m_dm1.history(), m_dm1.connection(), m_curAddress, selectedRowGroup());
    if (!showOutcome(outcome))
        return false;
    Dialogs::show(this, outcome.message, QStringLiteral("删除"));
    return true;
}

bool TFrmMain::P_SetFavourite(const QString &address)
{
    return showOutcome(HistoryCommands::setFavourite(&m_dm1.history(), m_dm1.connection(), address));
}

bool TFrmMain::P_ClearFavourite()
{
    return showOutcome(HistoryCommands::clearFavourite(&m_dm1.history(), m_dm1.connection(), m_curAddress, selectedRowGroup()));
}
