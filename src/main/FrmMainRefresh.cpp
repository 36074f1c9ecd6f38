// Reloading the tree and the list from the database: F5, and the changes that other
// programs make to a shared database. The reload keeps what the user sees and is doing.
#include "main/FrmMain.h"

#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/ChangeWatcher.h"
#include "data/DataModule.h"
#include "main/AddressListModel.h"
#include "main/TreeLabelDelegate.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <optional>

namespace {

// How often a reload that waits for the user looks again.
constexpr int RetryMs = 200;

// The tree's selected node and open branches, by their labels.
struct TreeView
{
    QString currentLabel;
    bool currentIsGroup = false;
    QStringList expandedTopLabels;
    int verticalScroll = 0;

    static TreeView of(const QTreeWidget &tree)
    {
        TreeView view;
        if (const QTreeWidgetItem *current = tree.currentItem()) {
            view.currentLabel = current->text(0);
            view.currentIsGroup = current->parent() != nullptr;
        }
        for (int index = 0; index < tree.topLevelItemCount(); ++index) {
            if (tree.topLevelItem(index)->isExpanded())
                view.expandedTopLabels << tree.topLevelItem(index)->text(0);
        }
        view.verticalScroll = tree.verticalScrollBar()->value();
        return view;
    }

    // The node with the label at the same level, or null when it is gone.
    QTreeWidgetItem *currentIn(const QTreeWidget &tree) const
    {
        for (QTreeWidgetItemIterator node(const_cast<QTreeWidget *>(&tree)); *node; ++node) {
            if ((*node)->text(0) == currentLabel && ((*node)->parent() != nullptr) == currentIsGroup)
                return *node;
        }
        return nullptr;
    }

    void restoreIn(QTreeWidget &tree) const
    {
        for (int index = 0; index < tree.topLevelItemCount(); ++index) {
            QTreeWidgetItem *top = tree.topLevelItem(index);
            top->setExpanded(expandedTopLabels.contains(top->text(0)));
        }
        tree.verticalScrollBar()->setValue(verticalScroll);
    }
};

} // namespace

// What the list shows and where the user is in it: rows are told apart by their keys.
struct TFrmMain::ListPlace
{
    qint64 selectedKey = 0;
    int selectedRow = -1;
    qint64 topKey = 0;
    int topRow = -1;
    int verticalScroll = 0;
    int horizontalScroll = 0;

    static ListPlace of(const TListView1 &list, const AddressListModel &rows)
    {
        ListPlace view;
        view.selectedRow = list.selectedRow();
        view.selectedKey = rows.recordAt(view.selectedRow).rowNo;
        view.topRow = list.rowAt(QPoint(0, 0));
        view.topKey = rows.recordAt(view.topRow).rowNo;
        view.verticalScroll = list.verticalScrollBar()->value();
        view.horizontalScroll = list.horizontalScrollBar()->value();
        return view;
    }

    void restoreIn(TListView1 &list, const AddressListModel &rows) const
    {
        const int selected = rows.rowOfKey(selectedKey, selectedRow);
        if (selected >= 0)
            list.selectRow(selected);
        // The same row at the top where it is still listed, else the same distance from
        // the start.
        const int top = rows.rowOfKey(topKey, topRow);
        if (top >= 0)
            list.scrollTo(rows.index(top, 0), QAbstractItemView::PositionAtTop);
        else
            list.verticalScrollBar()->setValue(verticalScroll);
        list.horizontalScrollBar()->setValue(horizontalScroll);
    }
};


// The state of reloading: what the list was last filled with, whether the user sorted it
// since, and a reload that waits.
class TFrmMain::Refresher : public QObject
{
public:
    explicit Refresher(QObject *parent) : QObject(parent)
    {
        retry.setSingleShot(true);
        retry.setInterval(RetryMs);
    }

    bool listShowsSearch = false;
    QString searchText;

    bool pending = false;
    // Whether the waiting reload was asked for by the user, who then hears of a failure.
    bool pendingReports = false;
    QTimer retry;
    ChangeWatcher *watcher = nullptr;
};

void TFrmMain::setupRefresh()
{
    m_refresher = new Refresher(this);
    connect(&m_refresher->retry, &QTimer::timeout, this, [this] {
        if (m_refresher->pending)
            reloadKeepingView(m_refresher->pendingReports);
    });

    auto *f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
    f5->setContext(Qt::WindowShortcut);
    connect(f5, &QShortcut::activated, this, &TFrmMain::P_Refresh);

    m_refresher->watcher = new ChangeWatcher(m_dm1.connection(), m_refresher);
    connect(m_refresher->watcher, &ChangeWatcher::changed, this, [this] {
        if (!m_refresher->pending)
            reloadKeepingView(false);
    });
}

void TFrmMain::noteListing(const AddressFilter &filter)
{
    if (!m_refresher)
        return;
    m_refresher->listShowsSearch = filter.kind == AddressFilter::Kind::Search;
    m_refresher->searchText = filter.text;
}

bool TFrmMain::refreshPending() const
{
    return m_refresher && m_refresher->pending;
}

void TFrmMain::P_Refresh()
{
    reloadKeepingView(true);
}

// A reload now would take away what the user is in the middle of: a label being typed, a
// new group's node not stored yet, a dialog or message box (a command waiting for it
// still works on the rows it saw), an open menu, a mouse button held down.
bool TFrmMain::refreshMustWait() const
{
    const auto *labels = qobject_cast<const TreeLabelDelegate *>(TreeView1->itemDelegate());
    return (labels && labels->isEditing()) || m_newGroupNode || QApplication::activeModalWidget()
           || QApplication::activePopupWidget() || QApplication::mouseButtons() != Qt::NoButton;
}

void TFrmMain::reloadKeepingView(bool reportFailure)
{
    if (isClosing())
        return;
    if (refreshMustWait()) {
        m_refresher->pending = true;
        m_refresher->pendingReports = m_refresher->pendingReports || reportFailure;
        m_refresher->retry.start();
        return;
    }
    m_refresher->pending = false;
    m_refresher->pendingReports = false;
    forgetLinkResults(); // a check may have stored new ones

    TreeView tree = TreeView::of(*TreeView1);
    ListPlace list = ListPlace::of(*ListView1, *m_addressRows);
    const QVariant listedGroupNo = groupNoOfNode(m_curGroup);
    const bool sorted = m_addressRows->isSorted();
    try {
        // The groups are read before the tree changes: when they cannot be read, it stays.
        P_LoadTree();
        m_nodeBeforeNewGroup = nullptr; // gone with the old nodes
        // A group renamed elsewhere is followed under its new name; one that is gone
        // leaves every address listed, none of them chosen.
        if (!m_refresher->listShowsSearch && !isListedNode(m_curGroup)) {
            const QString renamed = labelOfGroupNo(listedGroupNo);
            if (tree.currentLabel == m_curGroup && tree.currentIsGroup)
                tree.currentLabel = renamed;
            if (renamed.isEmpty())
                list = ListPlace();
            P_SetCurGroup(renamed.isEmpty() ? RootLabel : renamed);
        }
        P_AddRows(listedFilter());
    } catch (const AppError &error) {
        if (reportFailure)
            Dialogs::failure(this, error);
        return;
    }
    if (QTreeWidgetItem *current = tree.currentIn(*TreeView1))
        TreeView1->setCurrentItem(current);
    tree.restoreIn(*TreeView1);
    restoreListView(list, sorted);
}

AddressFilter TFrmMain::listedFilter()
{
    return m_refresher->listShowsSearch ? AddressFilter::search(m_refresher->searchText) : filterForCurGroup();
}

void TFrmMain::restoreListView(const ListPlace &list, bool sorted)
{
    if (sorted)
        m_addressRows->sortRows(ListView1->SortColumn, ListView1->SortAscending);
    list.restoreIn(*ListView1, *m_addressRows);
    // The status bar names the row that is selected now, or none when it is gone.
    P_SetCurAddress(m_addressRows->recordAt(ListView1->selectedRow()).address);
}

// After a command of the list: the listing anew, the view kept; a failure is shown.
void TFrmMain::relistKeepingView()
{
    const ListPlace list = ListPlace::of(*ListView1, *m_addressRows);
    const bool sorted = m_addressRows->isSorted();
    try {
        P_AddRows(listedFilter());
    } catch (const AppError &error) {
        Dialogs::failure(this, error);
        return;
    }
    restoreListView(list, sorted);
}

QVariant TFrmMain::groupNoOfNode(const QString &label) const
{
    for (QTreeWidgetItemIterator node(TreeView1); *node; ++node) {
        if ((*node)->parent() && (*node)->text(0) == label)
            return (*node)->data(0, NodeGroupNoRole);
    }
    return {};
}

QString TFrmMain::labelOfGroupNo(const QVariant &number) const
{
    if (!number.isValid())
        return {};
    for (QTreeWidgetItemIterator node(TreeView1); *node; ++node) {
        if ((*node)->parent() && (*node)->data(0, NodeGroupNoRole) == number)
            return (*node)->text(0);
    }
    return {};
}

// Whether the tree has a node that lists the addresses under this label.
bool TFrmMain::isListedNode(const QString &label) const
{
    for (QTreeWidgetItemIterator node(TreeView1); *node; ++node) {
        if ((*node)->text(0) == label)
            return true;
    }
    return false;
}
