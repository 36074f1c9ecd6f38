// The tree's "检查链接": checks the node's addresses (the root: every group).
#include "main/FrmMain.h"

#include "main/LinkCheckProgress.h"
#include "platform/Dialogs.h"

#include <QTreeWidget>

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
