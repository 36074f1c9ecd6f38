// The main window. The tool bar's buttons: translucency (a second click makes the window
// opaque again), stay-on-top (down lets other windows cover the window), visit by IP,
// favourites, import, help and exit. The left pane's tabs hold the group tree (the root
// "网址" lists every address, one node per group, then "收藏夹" the favourites) and the
// search, whose box's drop-down holds the search history. The splitter folds the left pane
// away when it is narrowed to 30 pixels or less. The status bar shows the current group,
// the current address and the row count. The commands' rules live in the services
// (src/services); showOutcome shows what a service answered.
#pragma once

#include "editor/AddressEditor.h"
#include "links/LinkFailureHints.h"
#include "main/GroupTreePane.h"
#include "main/MainToolBar.h"
#include "main/SearchPane.h"
#include "main/SiteIcons.h"
#include "window/CaptionWindow.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class HostResolver;
class LibraryHistory;
class QAction;
class QLabel;
class QMenu;
class QPropertyAnimation;
class QSplitter;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class AddressListModel;
class SharedConnection;
class AddressListView;
struct AddressFilter;
struct AddressRecord;
struct Outcome;

// The main window: toolbar, the group tree and the search tab on the left, the address
// list on the right, the status bar with the current group, the current address and the
// row count. Its code is split by concern: MainWindow.cpp (creation, activation, closing),
// MainWindowLayout.cpp (the controls), MainWindowToolbar.cpp, MainWindowTree.cpp, MainWindowList.cpp,
// MainWindowSearch.cpp and MainWindowVisit.cpp.
class MainWindow : public CaptionWindow
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 591;
    static constexpr int DesignHeight = 404;

    explicit MainWindow(SharedConnection &sharedConnection, QWidget *owner = nullptr);
    ~MainWindow() override;

    // The long-lived editor, created after the main window.
    void setEditor(AddressEditor *editor) { m_editor = editor; }
    // Asked in the close handler before the window goes; false keeps the window open
    // (the automation server asks the user while calls are pending).
    void setCloseQuestion(std::function<bool()> mayClose) { m_mayClose = std::move(mayClose); }
    // Seams for tests: the host lookup of visits by IP and the opening of the help page.
    void setHostResolver(std::unique_ptr<HostResolver> resolver);
    // The opener gives false when no browser could be started.
    void setHelpOpener(std::function<bool()> openHelp) { m_openHelp = std::move(openHelp); }
    static QString helpFailureText();

    // Group tree.
    void loadTree();
    // After an import created groups: the tree anew, the same node selected again.
    void reloadTreeIfGroupsChanged();
    // Writes the addresses of the node's scope to a bookmark file and says how it went.
    void exportAddresses(const QTreeWidgetItem *node, const QString &file);
    void listSelectedNode();
    void updateMenus();

    // Address list.
    void setUpColumns();
    void fillList();
    // Replaces the list's rows with the listing, writes the row count into panel 2 and
    // gives the count. A search with more rows than a page gives those of its first page;
    // the panel shows all of them once they are found. Throws AppError when the database
    // refuses.
    int loadRows(const AddressFilter &filter);
    void showRowCount(int count);
    void setCurrentGroup(const QString &group);
    void setCurrentAddress(const QString &address);
    const QString &currentGroup() const { return m_currentGroup; }
    const QString &currentAddress() const { return m_currentAddress; }
    const QString &hoverText() const { return m_hintText; }
    // The five-line detail text of a list row.
    QString detailTextOf(int row) const;

    // Search and its history.
    void runSearch(const QString &text);
    void loadSearchHistory();

    // Visiting: counts a visit of the current address and opens it.
    void visitCurrentAddress();
    QString addressByIp(const QString &address) const;

    QString statusPanelText(int panel) const;

    // The window's parts.
    MainToolBar *toolBar() const { return m_toolBar; }
    SearchPane *searchPane() const { return m_searchPane; }
    GroupTreePane *groupTreePane() const { return m_groupTree; }
    // True between the start of the close animation and the end of the window.
    bool isClosing() const { return m_closeAnimation != nullptr; }

public Q_SLOTS:
    void toggleTranslucency();
    void toggleStayOnTop();
    void showFavourites();
    void openImportWindow();
    void showHelpPage();
    void exitFromToolBar();
    void onTabChanged(int index);
    // "开始查询": the search, then its history anew.
    void searchFor(const QString &text);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Controls; each carries its member name as its object name.
    MainToolBar *m_toolBar = nullptr;
    QSplitter *paneSplitter = nullptr;
    QWidget *leftPane = nullptr;
    QWidget *rightPane = nullptr;
    QTabWidget *leftTabs = nullptr;
    SearchPane *m_searchPane = nullptr;
    GroupTreePane *m_groupTree = nullptr;
    AddressListView *addressList = nullptr;
    QWidget *statusBar = nullptr;
    QMenu *listMenu = nullptr;
    QAction *listAddAddressAction = nullptr;
    QAction *listChangeAddressAction = nullptr;
    QAction *listDeleteAddressAction = nullptr;
    QAction *listAddFavouriteAction = nullptr;
    QAction *listRemoveFavouriteAction = nullptr;
    QAction *listTakeNewAddressAction = nullptr;
    QAction *listUsePageTitleAction = nullptr;
    QAction *listRestoreAction = nullptr;
    QAction *listPurgeAction = nullptr;

    // Creation.
    void nameControls();
    void createContents();
    void onActivated();
    void buildLayout();
    void connectToolBar();
    void buildLeftPane();
    void buildListPane();
    void buildStatusBar(QWidget *parent);
    void buildPopupMenus();
    void onSplitterMoved();

    // Shows why a command did nothing (the usual failure box, a refusal's text, a database
    // that cannot be changed); true when it was done.
    bool showOutcome(const Outcome &outcome);

    // Closing.
    void playCloseAnimation();
    void finishClose();

    // List.
    void onRowSelected(int row, bool selected);
    void onListKeyReleased(int key);
    void onListMouseMoved(const QPoint &position);
    void onListDoubleClicked();
    AddressFilter filterForCurrentGroup();
    // A listed row; an empty record for no row.
    const AddressRecord &listedRecord(int row) const;

    // Visit.
    void openAddress(const QString &address);

    SharedConnection &m_sharedConnection;
    AddressEditor *m_editor = nullptr;
    std::function<bool()> m_mayClose;
    std::function<bool()> m_openHelp;
    std::unique_ptr<HostResolver> m_resolver;

    QString m_currentGroup;
    QString m_currentAddress;
    QString m_hintText;
    QLabel *m_statusPanels[3] = {};
    AddressListModel *m_addressRows = nullptr;

    // The program window that was activated last: activation from another window of the
    // program re-centres the main window, activation from another program does not.
    QPointer<QWidget> m_lastActivated;
    QPropertyAnimation *m_closeAnimation = nullptr;
    bool m_closeConfirmed = false;
    bool m_enterPressedInList = false;

    // Commands of the tree's and the list's popup menus (MainWindowTreeCommands.cpp,
    // MainWindowListCommands.cpp).
public:
    // Tree: the group commands; the tree itself edits the names in place.
    void deleteGroupFromMenu();
    // "导出网址…": the root exports every group, a group itself, 收藏夹 the favourites.
    void exportFromMenu();
    // "检查链接": the root checks every group, a group itself (MainWindowLinks.cpp).
    void checkLinksFromMenu();
    // Group statements; each tells the user why when it stores nothing and gives false.
    bool addGroupNamed(const QString &name);
    bool renameGroupTo(const QString &name);
    bool deleteGroupNamed(const QString &name);

    // List: the five commands and the favourites.
    void addAddressFromList();
    void changeAddressFromMenu();
    void deleteAddressFromMenu();
    void addFavouriteFromMenu();
    void removeFavouriteFromMenu();
    // The link check's fixes of the selected row (MainWindowLinks.cpp).
    void takeNewAddressFromMenu();
    void usePageTitleFromMenu();
    void addAddressToGroup();
    bool deleteSelectedAddress();
    bool markFavourite(const QString &address);
    bool unmarkFavourite();

private:
    void connectGroupTree();
    // The names the user typed into the tree: stored, the label shows them; not stored, a
    // new group's node goes and a renamed one keeps its old label.
    void onNewGroupNamed(QTreeWidgetItem *node, const QString &name);
    void onGroupRenamed(QTreeWidgetItem *node, const QString &name);
    void connectListCommands();
    void showListMenu(const QPoint &position);
    // Shows listTakeNewAddressAction and listUsePageTitleAction only where the selected row's last check offers them.
    void offerLinkFixes();
    using LinkFix = Outcome (*)(LibraryHistory *, DbConnection &, const QString &, const QString &, const QString &);
    void applyLinkFix(LinkFix fix);
    // The link check's views (MainWindowLinks.cpp): the site icons of the list's rows, the
    // failing node, the reasons in its rows' hints; forgetLinkResults() after new results.
    void setupLinkViews();
    // Whether the library holds results of a link check: the tree then shows the failing node.
    bool hasLinkChecks();

    // The recycle bin (MainWindowBin.cpp): its node, shown while the bin holds rows; the
    // list's "还原" and "彻底删除" and the node's "清空回收站", each a step of the history.
    bool binHoldsRows();
    // Several rows may be chosen in the bin's list, for "还原" and "彻底删除"; one elsewhere.
    void chooseRowsForListing(const AddressFilter &filter);
    void connectBinCommands();
    void restoreFromBinMenu();
    void purgeFromBinMenu();
    void emptyBinFromMenu();
    // After a delete: the tree is built anew when the bin's node is to appear.
    void followBin();
    QString failureHintOf(int row);
    void forgetLinkResults();
    SiteIcons m_siteIcons;
    LinkFailureHints m_failureHints;
    // The group column of the selected row.
    QString selectedRowGroup() const;

    // Reloading from the database: F5, and changes that other programs made
    // (MainWindowRefresh.cpp).
public:
    // The tree and the list anew, as they are stored now. The selected node, the selected
    // row where it still exists, the scroll position, the sort and the search box stay;
    // a list that showed a search shows the same search again. While the user edits a
    // label, or a dialog or a menu is open, the reload waits until that has ended.
    void reloadFromLibrary();
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
    Refresher *m_refresher = nullptr;
};
