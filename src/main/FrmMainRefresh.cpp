// Reloading the tree and the list from the database: F5, and the changes that other
// programs make to a shared database. The reload keeps what the user sees and is doing.
#include "main/FrmMain.h"

#include "controls/ListRowModel.h"
#include "controls/TListView1.h"
#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/ChangeWatcher.h"
#include "data/DataModule.h"
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

// Sub-items of a list row.
constexpr int NameItem = 0;
constexpr int GroupItem = 3;

// A list row as the user tells it apart: rows have no key of their own, so the texts
// pick it, and among rows with the same texts its place.
struct RowIdentity
{
    QString address;
    QString name;
    QString group;
    int occurrence = 0;
};

bool sameTexts(const ListRow &row, const RowIdentity &identity)
{
    return row.caption == identity.address && row.subItems.value(NameItem) == identity.name
           && row.subItems.value(GroupItem) == identity.group;
}

std::optional<RowIdentity> identityOf(const ListRowModel &rows, int row)
{
    if (row < 0 || row >= rows.count())
        return std::nullopt;
    const ListRow &shown = rows.rowAt(row);
    RowIdentity identity{shown.caption.toString(), shown.subItems.value(NameItem), shown.subItems.value(GroupItem)};
    for (int before = 0; before < row; ++before) {
        if (sameTexts(rows.rowAt(before), identity))
            ++identity.occurrence;
    }
    return identity;
}

int rowOf(const ListRowModel &rows, const std::optional<RowIdentity> &identity)
{
    if (!identity)
        return -1;
    int seen = 0;
    int lastMatch = -1;
    for (int row = 0; row < rows.count(); ++row) {
        if (!sameTexts(rows.rowAt(row), *identity))
            continue;
        if (seen++ == identity->occurrence)
            return row;
        lastMatch = row;
    }
    // Fewer rows with these texts than before: the last of them is the nearest.
    return lastMatch;
}

// What the list shows and where the user is in it.
struct ListView
{
    std::optional<RowIdentity> selected;
    std::optional<RowIdentity> top;
    int verticalScroll = 0;
    int horizontalScroll = 0;

    static ListView of(const TListView1 &list)
    {
        ListView view;
        view.selected = identityOf(*list.rows(), list.selectedRow());
        view.top = identityOf(*list.rows(), list.rowAt(QPoint(0, 0)));
        view.verticalScroll = list.verticalScrollBar()->value();
        view.horizontalScroll = list.horizontalScrollBar()->value();
        return view;
    }

    // The rows of a group renamed elsewhere show its new name.
    void renameGroup(const QString &from, const QString &to)
    {
        for (std::optional<RowIdentity> *identity : {&selected, &top}) {
            if (*identity && (*identity)->group == from)
                (*identity)->group = to;
        }
    }

    void restoreIn(TListView1 &list) const
    {
        const int selectedRow = rowOf(*list.rows(), selected);
        if (selectedRow >= 0)
            list.selectRow(selectedRow);
        // The same row at the top where it is still listed, else the same distance from
        // the start.
        const int topRow = rowOf(*list.rows(), top);
        if (topRow >= 0)
            list.scrollTo(list.rows()->index(topRow, 0), QAbstractItemView::PositionAtTop);
        else
            list.verticalScrollBar()->setValue(verticalScroll);
        list.horizontalScrollBar()->setValue(horizontalScroll);
    }
};

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
    bool listSorted = false;

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

    // A sort by a header click is kept by the reload; a fill shows the statement's order.
    ListRowModel *rows = ListView1->rows();
    connect(rows, &QAbstractItemModel::modelAboutToBeReset, m_refresher, [this] { m_refresher->listSorted = false; });
    connect(rows, &QAbstractItemModel::layoutChanged, m_refresher, [this] { m_refresher->listSorted = true; });

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
    ListView list = ListView::of(*ListView1);
    const QVariant listedGroupNo = groupNoOfNode(m_curGroup);
    const bool sorted = m_refresher->listSorted;
    try {
        // The groups are read before the tree changes: when they cannot be read, it stays.
        P_LoadTree();
        m_nodeBeforeNewGroup = nullptr; // gone with the old nodes
        if (m_refresher->listShowsSearch) {
            P_AddRows(AddressFilter::search(m_refresher->searchText));
        } else {
            // A group renamed elsewhere is followed under its new name; one that is gone
            // leaves every address listed.
            if (!isListedNode(m_curGroup)) {
                const QString renamed = labelOfGroupNo(listedGroupNo);
                if (tree.currentLabel == m_curGroup && tree.currentIsGroup)
                    tree.currentLabel = renamed;
                if (!renamed.isEmpty())
                    list.renameGroup(m_curGroup, renamed);
                P_SetCurGroup(renamed.isEmpty() ? RootLabel : renamed);
            }
            P_AddRows(filterForCurGroup());
        }
    } catch (const AppError &error) {
        if (reportFailure)
            Dialogs::failure(this, error);
        return;
    }
    if (QTreeWidgetItem *current = tree.currentIn(*TreeView1))
        TreeView1->setCurrentItem(current);
    tree.restoreIn(*TreeView1);
    if (sorted)
        ListView1->rows()->sortRows(ListView1->SortColumn, ListView1->SortAscending);
    list.restoreIn(*ListView1);
    // The status bar names the row that is selected now, or none when it is gone.
    const int selected = ListView1->selectedRow();
    P_SetCurAddress(selected >= 0 ? ListView1->rows()->rowAt(selected).caption.toString() : QString());
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
