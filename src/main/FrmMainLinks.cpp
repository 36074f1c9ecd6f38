// The tree's "检查链接": checks the node's addresses (the root: every group); the list's
// "改为新网址" and "使用网页标题": the fixes the last check offers for the selected row.
#include "main/FrmMain.h"

#include "controls/TListView1.h"
#include "controls/ListRowModel.h"
#include "data/AppError.h"
#include "data/DataModule.h"
#include "links/LinkFixes.h"
#include "main/LinkCheckProgress.h"
#include "platform/Dialogs.h"
#include "services/HistoryCommands.h"

#include <QAction>
#include <QTreeWidget>

namespace {

constexpr int NameItem = 0; // the name's column among a row's texts

} // namespace

void TFrmMain::TreePM6Click()
{
    const QTreeWidgetItem *node = TreeView1->currentItem();
    if (!node || node == m_favouritesNode)
        return;
    const LinkCheckProgress::Outcome outcome = LinkCheckProgress::run(this, node->parent() ? node->text(0) : QString());
    if (!outcome.error.isEmpty())
        Dialogs::errorReport(this, outcome.error);
    else
        Dialogs::message(this, LinkCheckProgress::report(outcome));
}

void TFrmMain::offerLinkFixes()
{
    LinkFixes::Offer offer;
    const int row = ListView1->selectedRow();
    if (row >= 0) {
        try {
            offer = LinkFixes::offeredFor(m_dm1.connection(), m_curAddress,
                                          ListView1->rows()->rowAt(row).subItems.value(NameItem));
        } catch (const AppError &) {
            // no check to go by: nothing is offered
        }
    }
    ListPM6->setVisible(offer.newAddress);
    ListPM7->setVisible(offer.pageTitle);
}

void TFrmMain::ListPM6Click()
{
    applyLinkFix(&HistoryCommands::useNewAddress);
}

void TFrmMain::ListPM7Click()
{
    applyLinkFix(&HistoryCommands::usePageTitle);
}

// The fix changes the row as the editor's save does; the node is listed anew.
void TFrmMain::applyLinkFix(LinkFix fix)
{
    const int row = ListView1->selectedRow();
    if (row < 0)
        return;
    const QString name = ListView1->rows()->rowAt(row).subItems.value(NameItem);
    if (showOutcome(fix(&m_dm1.history(), m_dm1.connection(), m_curAddress, name, selectedRowGroup())))
        TreeView1Click();
}
