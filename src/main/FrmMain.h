// The main window, TFrmMain. Its names are those of the window design; what they stand for:
//
// Controls
//   CoolBar1, ToolBar1   the band at the top and its tool bar with seven buttons:
//     AlphTBtn   "透明": the window turns translucent, a second click opaque again
//     SetTopTBtn "置后": down lets other windows cover this one, up keeps it on top
//     IPTBtn     "IP": while down, a visit opens the host's IP address instead of its name
//     CTBtn      "收藏夹": jumps to the favourites node and lists it
//     ImportTBtn "导入": opens the import window (TFrmImport)
//     HelpTBtn   "帮助": opens the help page in the browser
//     ExitTBtn   "退出": closes the window and with it the program
//   Splitter1    between the left pane Panel1 and the right pane Panel2
//   PageControl1 the left pane's two tabs:
//     TabSheet1  "目录": TreeView1, the group tree: the root "网址" (every address) with one
//                node per group and, once links were checked, "失效网址" (the addresses
//                whose last check failed), then "收藏夹" (the favourites)
//     TabSheet2  "查询": the search; Label1-Label3 and Bevel1 are its headings, Cbo1 the
//                search box whose drop-down holds the search history, BitBtn1 "开始查询"
//   ListView1    the address list (TListView1) of the selected node or of a search
//   StatusBar1   three panels: the current group, the current address, the row count
//   TreeViewPopupMenu  the tree's right-button menu:
//     TreePM1 "添加网址" add an address to the group, TreePM2 "修改组别名" rename the
//     group, TreePM3 "添加网址组别" add a group, TreePM4 "删除网址组别" delete the group
//     with its addresses, TreePM5 "导出网址…" export the node's addresses to a file,
//     TreePM6 "检查链接" check the node's addresses for dead and moved ones
//   ListViewPopupMenu  the list's right-button menu:
//     ListPM1 "添加网址" add an address, ListPM2 "修改网址" change the selected one,
//     ListPM3 "删除网址" delete it, ListPM4 "加入到收藏夹" mark it a favourite in every
//     group, ListPM5 "从收藏夹中删除" unmark it in its own group; where the last link check
//     offers it, ListPM6 "改为新网址" takes a moved address's new one and ListPM7
//     "使用网页标题" names an unnamed row after its page's title
//
// Handlers (a name ending in Click is the handler of that control or menu item)
//   FormCreate            once before the first showing: the tree, the columns, the list
//   FormActivate          re-centres the window when another window of the program hands
//                         it the focus
//   TreeView1Click        a left click on a node: lists the node's addresses
//   TreeView1Change       opens the newly selected node, closes the one before
//   TreeView1MouseDown    the right button: selects and lists the node, opens the menu
//   TreeView1Editing, TreeView1Edited  in-place editing of a group's label (rename, add)
//   PageControl1Change    the search tab reads the search history
//   BitBtn1Click          searches for the text in Cbo1 and stores it in the history
//   ListView111SelectItem a selected row becomes the current address
//   ListView111KeyUp      Enter visits the current address; arrow and page keys make the
//                         selected row the current address
//   ListView111DblClick   visits the current address
//   ListView111MouseMove  the hover text: the details of the row under the pointer
//   Splitter1Moved        a pane narrowed to 30 pixels or less folds away
// Procedures (P_ = a step the handlers share)
//   P_LoadTree, P_FillList, P_AddRows, P_SetColumns   fill the tree and the list
//   P_SetCurGroup, P_SetCurAddress   the current group and address and their panels
//   P_SetMenus    which menu items the selected node offers
//   P_Search, P_LoadHistory   the search and the history in the drop-down
//   P_Visit       counts a visit of the current address and opens it (openAddress);
//                 P_HostToIP gives the address by IP while IPTBtn is down
//   P_AddGroup, P_RenameGroup, P_DeleteGroup   the group commands
//   P_AddAddress, P_DeleteAddress, P_SetFavourite, P_ClearFavourite   the address
//                 commands of the list's menu
// The commands' rules live in the services (src/services); showOutcome shows what a
// service answered.
#pragma once

#include "editor/FrmEditGroup.h"
#include "links/LinkFailureHints.h"
#include "main/SiteIcons.h"
#include "window/XPForm.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class HostResolver;
class LibraryHistory;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPropertyAnimation;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class AddressListModel;
class TDm1;
class TListView1;
struct AddressFilter;
struct AddressRecord;
struct Outcome;

// The main window: toolbar, the group tree and the search tab on the left, the address
// list on the right, the status bar with the current group, the current address and the
// row count. Its code is split by concern: FrmMain.cpp (creation, activation, closing),
// FrmMainLayout.cpp (the controls), FrmMainToolbar.cpp, FrmMainTree.cpp, FrmMainList.cpp,
// FrmMainSearch.cpp and FrmMainVisit.cpp.
class TFrmMain : public TXPForm
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 591;
    static constexpr int DesignHeight = 404;

    // Labels of the fixed tree nodes.
    static const QString RootLabel;       // "网址": every address
    static const QString FavouritesLabel; // "收藏夹": the favourites
    static const QString FailingLabel;    // "失效网址": the addresses whose last link check failed
    // Item data of a tree node: its picture and its picture while selected (indices of
    // MainPictures::SmallImage).
    static constexpr int NodeImageRole = Qt::UserRole;
    static constexpr int NodeSelectedImageRole = Qt::UserRole + 1;
    // A group's node: the group's number, which stays when the group is renamed.
    static constexpr int NodeGroupNoRole = Qt::UserRole + 2;
    // True on the node of the failing addresses, which stands among the groups' nodes.
    static constexpr int NodeFailingRole = Qt::UserRole + 3;

    explicit TFrmMain(TDm1 &dm1, QWidget *owner = nullptr);
    ~TFrmMain() override;

    // The long-lived editor, created after the main window.
    void setEditor(TFrmEditGroup *editor) { m_editor = editor; }
    // Asked in the close handler before the window goes; false keeps the window open
    // (the automation server asks the user while calls are pending).
    void setCloseQuestion(std::function<bool()> mayClose) { m_mayClose = std::move(mayClose); }
    // Seams for tests: the host lookup of visits by IP and the opening of the help page.
    void setHostResolver(std::unique_ptr<HostResolver> resolver);
    // The opener gives false when no browser could be started.
    void setHelpOpener(std::function<bool()> openHelp) { m_openHelp = std::move(openHelp); }
    static QString helpFailureText();

    // Group tree.
    void P_LoadTree();
    // After an import created groups: the tree anew, the same node selected again.
    void reloadTreeIfGroupsChanged();
    // Writes the addresses of the node's scope to a bookmark file and says how it went.
    void exportAddresses(const QTreeWidgetItem *node, const QString &file);
    QTreeWidgetItem *FavouritesNode() const { return m_favouritesNode; }
    void TreeView1Click();
    void P_SetMenus();

    // Address list.
    void P_SetColumns();
    void P_FillList();
    // Replaces the list's rows with the listing, writes the row count into panel 2 and
    // gives the count. Throws AppError when the database refuses.
    int P_AddRows(const AddressFilter &filter);
    void P_SetCurGroup(const QString &group);
    void P_SetCurAddress(const QString &address);
    const QString &CurGroup() const { return m_curGroup; }
    const QString &CurAddress() const { return m_curAddress; }
    const QString &HintText() const { return m_hintText; }
    // The five-line detail text of a list row.
    QString detailTextOf(int row) const;

    // Search and its history.
    void P_Search(const QString &text);
    void P_LoadHistory();

    // Visiting: counts a visit of the current address and opens it.
    void P_Visit();
    QString P_HostToIP(const QString &address) const;

    QString statusPanelText(int panel) const;
    // True between the start of the close animation and the end of the window.
    bool isClosing() const { return m_closeAnimation != nullptr; }

public Q_SLOTS:
    void AlphTBtnClick();
    void SetTopTBtnClick();
    void CTBtnClick();
    void ImportTBtnClick();
    void HelpTBtnClick();
    void ExitTBtnClick();
    void PageControl1Change(int index);
    void BitBtn1Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Controls, named as in the window design; each carries its name as its object name.
    QWidget *CoolBar1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *AlphTBtn = nullptr;
    QToolButton *SetTopTBtn = nullptr;
    QToolButton *IPTBtn = nullptr;
    QToolButton *CTBtn = nullptr;
    QToolButton *ImportTBtn = nullptr;
    QToolButton *HelpTBtn = nullptr;
    QToolButton *ExitTBtn = nullptr;
    QSplitter *Splitter1 = nullptr;
    QWidget *Panel1 = nullptr;
    QWidget *Panel2 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QWidget *TabSheet2 = nullptr;
    QTreeWidget *TreeView1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QFrame *Bevel1 = nullptr;
    QComboBox *Cbo1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    TListView1 *ListView1 = nullptr;
    QWidget *StatusBar1 = nullptr;
    QMenu *TreeViewPopupMenu = nullptr;
    QAction *TreePM1 = nullptr;
    QAction *TreePM2 = nullptr;
    QAction *TreePM3 = nullptr;
    QAction *TreePM4 = nullptr;
    QAction *TreePM5 = nullptr;
    QAction *TreePM6 = nullptr;
    QMenu *ListViewPopupMenu = nullptr;
    QAction *ListPM1 = nullptr;
    QAction *ListPM2 = nullptr;
    QAction *ListPM3 = nullptr;
    QAction *ListPM4 = nullptr;
    QAction *ListPM5 = nullptr;
    QAction *ListPM6 = nullptr;
    QAction *ListPM7 = nullptr;

    // Creation.
    void nameControls();
    void FormCreate();
    void FormActivate();
    void buildLayout();
    void buildToolBar(QWidget *parent);
    QToolButton *addToolButton(const QString &caption, const QString &hint, const QString &picture,
                               bool checkable, bool handCursor);
    void buildLeftPane();
    void buildSearchTab();
    void arrangeSearchTab();
    void connectSearchTab();
    void buildListPane();
    void buildStatusBar(QWidget *parent);
    void buildPopupMenus();
    void Splitter1Moved();

    // Shows why a command did nothing (the usual failure box, a refusal's text, a database
    // that cannot be changed); true when it was done.
    bool showOutcome(const Outcome &outcome);

    // Closing.
    void playCloseAnimation();
    void finishClose();

    // Tree.
    void TreeView1Change(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    // Makes the node current; its addresses are not listed (TreeView1Click does that).
    void selectNodeWithoutListing(QTreeWidgetItem *node);

    // List.
    void ListView111SelectItem(int row, bool selected);
    void ListView111KeyUp(int key);
    void ListView111MouseMove(const QPoint &position);
    void ListView111DblClick();
    AddressFilter filterForCurGroup();
    // A listed row; an empty record for no row.
    const AddressRecord &listedRecord(int row) const;

    // Visit.
    void openAddress(const QString &address);

    TDm1 &m_dm1;
    TFrmEditGroup *m_editor = nullptr;
    std::function<bool()> m_mayClose;
    std::function<bool()> m_openHelp;
    std::unique_ptr<HostResolver> m_resolver;

    QString m_curGroup;
    QString m_curAddress;
    QString m_hintText;
    QTreeWidgetItem *m_favouritesNode = nullptr;
    QLabel *m_statusPanels[3] = {};
    AddressListModel *m_addressRows = nullptr;

    // The program window that was activated last: activation from another window of the
    // program re-centres the main window, activation from another program does not.
    QPointer<QWidget> m_lastActivated;
    QPropertyAnimation *m_closeAnimation = nullptr;
    bool m_closeConfirmed = false;
    bool m_enterPressedInList = false;

    // Commands of the tree's and the list's popup menus (FrmMainTreeCommands.cpp,
    // FrmMainListCommands.cpp).
public:
    // Tree: the right button, the four commands and in-place editing of group names.
    void TreeView1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void TreePM1Click();
    void TreePM2Click();
    void TreePM3Click();
    void TreePM4Click();
    // "导出网址…": the root exports every group, a group itself, 收藏夹 the favourites.
    void TreePM5Click();
    // "检查链接": the root checks every group, a group itself (FrmMainLinks.cpp).
    void TreePM6Click();
    // Whether in-place editing of the node's label may start.
    bool TreeView1Editing(QTreeWidgetItem *node) const;
    // The text the user confirmed for a label.
    void TreeView1Edited(QTreeWidgetItem *node, const QString &text);
    bool AddingGroup() const { return m_addingGroup; }
    // Group statements; each tells the user why when it stores nothing and gives false.
    bool P_AddGroup(const QString &name);
    bool P_RenameGroup(const QString &name);
    bool P_DeleteGroup(const QString &name);

    // List: the five commands and the favourites.
    void ListPM1Click();
    void ListPM2Click();
    void ListPM3Click();
    void ListPM4Click();
    void ListPM5Click();
    // The link check's fixes of the selected row (FrmMainLinks.cpp).
    void ListPM6Click();
    void ListPM7Click();
    void P_AddAddress();
    bool P_DeleteAddress();
    bool P_SetFavourite(const QString &address);
    bool P_ClearFavourite();

private:
    void connectTreeCommands();
    void connectListCommands();
    void startEditing(QTreeWidgetItem *node);
    void treeEditCancelled(QTreeWidgetItem *node);
    void dropNewGroupNode(QTreeWidgetItem *node);
    void ListView1ContextMenu(const QPoint &position);
    // Shows ListPM6 and ListPM7 only where the selected row's last check offers them.
    void offerLinkFixes();
    using LinkFix = Outcome (*)(LibraryHistory *, DbConnection &, const QString &, const QString &, const QString &);
    void applyLinkFix(LinkFix fix);
    // The link check's views (FrmMainLinks.cpp): the site icons of the list's rows, the
    // failing node, the reasons in its rows' hints; forgetLinkResults() after new results.
    void setupLinkViews();
    void addFailingNode(QTreeWidgetItem *root);
    QString failureHintOf(int row);
    void forgetLinkResults();
    SiteIcons m_siteIcons;
    LinkFailureHints m_failureHints;
    // The group column of the selected row.
    QString selectedRowGroup() const;

    bool m_addingGroup = false;
    // The node that "添加网址组别" appended and that no edit has ended yet, and the node
    // selected before it.
    QTreeWidgetItem *m_newGroupNode = nullptr;
    QTreeWidgetItem *m_nodeBeforeNewGroup = nullptr;

    // Reloading from the database: F5, and changes that other programs made
    // (FrmMainRefresh.cpp).
public:
    // The tree and the list anew, as they are stored now. The selected node, the selected
    // row where it still exists, the scroll position, the sort and the search box stay;
    // a list that showed a search shows the same search again. While the user edits a
    // label, or a dialog or a menu is open, the reload waits until that has ended.
    void P_Refresh();
    // A reload that waits for the user, or for a burst of changes to end.
    bool refreshPending() const;

    // Ctrl+Z; Ctrl+Y or Ctrl+Shift+Z; and the menus' "撤销 …" and "重做 …": the session's
    // newest step taken back or done again, then every view reloaded.
    void undoLastStep();
    void redoLastStep();

private:
    void setupHistory();
    class Refresher;
    struct ListPlace;
    void setupRefresh();
    void noteListing(const AddressFilter &filter);
    // The filter of what the list shows: the search shown, or the current node.
    AddressFilter listedFilter();
    void restoreListView(const ListPlace &list, bool sorted);
    // After a command of the list: the listing anew, with the view kept.
    void relistKeepingView();
    bool refreshMustWait() const;
    void reloadKeepingView(bool reportFailure);
    bool isListedNode(const QString &label) const;
    // A group's number by its node's label, and the label of the node of a number (empty
    // when there is none).
    QVariant groupNoOfNode(const QString &label) const;
    QString labelOfGroupNo(const QVariant &number) const;
    Refresher *m_refresher = nullptr;
};
