// The main window, made of parts: the tool bar (MainToolBar), the left pane's tabs with
// the group tree (GroupTreePane) and the search (SearchPane), the address list
// (AddressListPane) and the status bar with the current group, the current address and
// the row count. The splitter folds the left pane away when it is narrowed to 30 pixels
// or less. The parts own their controls and say what the user chose; the window wires
// their signals to the commands, whose rules live in the services (src/services), and
// showOutcome shows what a service answered. The commands that stand alone are classes of
// their own, given what they need: GroupCommands, BinCommands, LinkViews, AddressExport,
// AddressVisitor, HistoryActions; ReloadScheduler decides when the views are read anew.
#pragma once

#include "editor/AddressEditor.h"
#include "main/AddressListPane.h"
#include "main/GroupTreePane.h"
#include "main/MainToolBar.h"
#include "main/SearchPane.h"
#include "services/Outcome.h"
#include "window/CaptionWindow.h"

#include <QPointer>

#include <functional>
#include <memory>

class AddressExport;
class AddressVisitor;
class BinCommands;
class GroupCommands;
class LinkViews;
class QLabel;
class QPropertyAnimation;
class QSplitter;
class QTabWidget;
class QTreeWidgetItem;
class ReloadScheduler;
class SharedConnection;
struct AddressFilter;
struct AddressRecord;
struct Outcome;

class MainWindow : public CaptionWindow
{
    Q_OBJECT

public:
    static constexpr int DesignWidth = 591;
    static constexpr int DesignHeight = 404;

    explicit MainWindow(SharedConnection &sharedConnection, QWidget *owner = nullptr);
    ~MainWindow() override;

    // The window's parts and the controls that hold them.
    MainToolBar *toolBar() const { return m_toolBar; }
    GroupTreePane *groupTreePane() const { return m_groupTree; }
    SearchPane *searchPane() const { return m_searchPane; }
    AddressListPane *addressListPane() const { return m_addressList; }
    QSplitter *paneSplitter() const { return m_paneSplitter; }
    QWidget *leftPane() const { return m_leftPane; }
    QTabWidget *leftTabs() const { return m_leftTabs; }
    QWidget *statusBar() const { return m_statusBar; }
    QString statusPanelText(int panel) const;

    // The tree's export to a bookmark file.
    AddressExport &addressExport() const { return *m_export; }
    // Visiting addresses, with its seam for tests (the host lookup of visits by IP).
    AddressVisitor &visitor() const { return *m_visitor; }

    // The long-lived editor, created after the main window.
    void setEditor(AddressEditor *editor) { m_editor = editor; }
    // Asked in the close handler before the window goes; false keeps the window open
    // (the automation server asks the user while calls are pending).
    void setCloseQuestion(std::function<bool()> mayClose) { m_mayClose = std::move(mayClose); }
    // A seam for tests: the opening of the help page. The opener gives false when no
    // browser could be started.
    void setHelpOpener(std::function<bool()> openHelp) { m_openHelp = std::move(openHelp); }
    static QString helpFailureText();

    // Group tree.
    Outcome loadTree();
    // After an import created groups: the tree anew, the same node selected again.
    Outcome reloadTreeIfGroupsChanged();
    void listSelectedNode();
    // The popup menus' items follow the selected node.
    void updateMenus();

    // Address list.
    void fillList();
    // Replaces the list's rows with the listing, writes the row count into panel 2 and
    // gives the count (done) or why the rows could not be read, and then the list stays as
    // it was. A search with more rows than a page gives those of its first page; the panel
    // shows all of them once they are found.
    Outcome loadRows(const AddressFilter &filter);
    void showRowCount(int count);
    void setCurrentGroup(const QString &group);
    void setCurrentAddress(const QString &address);
    const QString &currentGroup() const { return m_currentGroup; }
    const QString &currentAddress() const { return m_currentAddress; }
    const QString &hoverText() const { return m_hintText; }

    // The list's menu: the editor proposes the selected node's group; the five commands
    // and the favourites.
    void addAddressToGroup();
    void changeAddressFromMenu();
    void deleteAddressFromMenu();
    void addFavouriteFromMenu();
    void removeFavouriteFromMenu();
    // Counts a visit of the current address and opens it.
    void visitCurrentAddress();

    // Search and its history.
    void runSearch(const QString &text);
    void loadSearchHistory();

    // The tree and the list anew, as they are stored now. The selected node, the selected
    // row where it still exists, the scroll position, the sort and the search box stay;
    // a list that showed a search shows the same search again. While the user edits a
    // label, or a dialog or a menu is open, the reload waits until that has ended.
    void reloadFromLibrary();
    // A reload that waits for the user, or for a burst of changes to end.
    bool refreshPending() const;

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
    // Creation and the wiring of the parts.
    void buildLayout();
    void buildLeftPane();
    void buildStatusBar(QWidget *parent);
    void createCommands();
    void createContents();
    void connectToolBar();
    void connectGroupTree();
    void connectAddressList();
    void onSplitterMoved();
    void onActivated();

    // Shows why a command did nothing (the usual failure box, a refusal's text, a database
    // that cannot be changed); true when it was done.
    bool showOutcome(const Outcome &outcome);

    // Closing.
    void playCloseAnimation();
    void finishClose();

    // The listing.
    AddressFilter filterForCurrentGroup();
    // Over a row the list's hint becomes that row's details; over no row only hoverText is
    // emptied and the list keeps its last hint.
    void onPointerOverRow(int row);
    // The group column of the selected row.
    QString selectedRowGroup() const;
    bool deleteSelectedAddress();
    bool markFavourite(const QString &address);
    bool unmarkFavourite();

    // Reloading.
    void noteListing(const AddressFilter &filter);
    // The filter of what the list shows: the search shown, or the current node.
    AddressFilter listedFilter();
    void restoreListView(const AddressListPane::Place &place);
    // After a command of the list: the listing anew, with the view kept.
    void relistKeepingView();
    // A reload now or once the user is done; the reload itself.
    void reloadKeepingView(bool reportFailure);
    void reloadViews(bool reportFailure);

    SharedConnection &m_sharedConnection;

    MainToolBar *m_toolBar = nullptr;
    QSplitter *m_paneSplitter = nullptr;
    QWidget *m_leftPane = nullptr;
    QTabWidget *m_leftTabs = nullptr;
    GroupTreePane *m_groupTree = nullptr;
    SearchPane *m_searchPane = nullptr;
    AddressListPane *m_addressList = nullptr;
    QWidget *m_statusBar = nullptr;
    QLabel *m_statusPanels[3] = {};

    std::unique_ptr<GroupCommands> m_groups;
    std::unique_ptr<BinCommands> m_bin;
    std::unique_ptr<LinkViews> m_links;
    std::unique_ptr<AddressExport> m_export;
    std::unique_ptr<AddressVisitor> m_visitor;
    ReloadScheduler *m_reloads = nullptr;

    AddressEditor *m_editor = nullptr;
    std::function<bool()> m_mayClose;
    std::function<bool()> m_openHelp;

    QString m_currentGroup;
    QString m_currentAddress;
    QString m_hintText;
    // What the list was last filled with: a search, or the current node.
    bool m_listShowsSearch = false;
    QString m_listedSearch;

    // The program window that was activated last: activation from another window of the
    // program re-centres the main window, activation from another program does not.
    QPointer<QWidget> m_lastActivated;
    QPropertyAnimation *m_closeAnimation = nullptr;
    bool m_closeConfirmed = false;
};
