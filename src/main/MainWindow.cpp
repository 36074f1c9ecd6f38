// The main window: creation, where the parts sit, the wiring of their signals, the listing
// of the chosen node, the reload from the library, activation and closing.
#include "main/MainWindow.h"

#include "data/AddressStore.h"
#include "data/GroupStore.h"
#include "data/SharedConnection.h"
#include "editor/AddressEditor.h"
#include "import/ImportWindow.h"
#include "main/AddressExport.h"
#include "main/AddressVisitor.h"
#include "main/BinCommands.h"
#include "main/GroupCommands.h"
#include "main/GroupTreePane.h"
#include "main/HistoryActions.h"
#include "main/LinkViews.h"
#include "main/MainPictures.h"
#include "main/MainToolBar.h"
#include "main/ReloadScheduler.h"
#include "main/SearchPane.h"
#include "platform/DesignFont.h"
#include "platform/DesktopHelp.h"
#include "platform/Dialogs.h"
#include "services/AddressCommands.h"
#include "services/HistoryCommands.h"
#include "services/LibraryReads.h"
#include "services/SearchService.h"
#include "window/WindowLayer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int CloseAnimationMs = 200;

constexpr int leftPaneWidth = 159;
constexpr int SplitterWidth = 5;
constexpr int CollapseWidth = 30;
constexpr int StatusBarHeight = 19;
constexpr int StatusPanelWidths[3] = {150, 300, 200};
constexpr int StatusPanelTop = 2;
constexpr int StatusPanelSpacing = 2;

const QColor buttonFace(0xEC, 0xE9, 0xD8);

// The bar between the panes: a raised edge, white on the left and grey on the right. Drawn
// here rather than by a style sheet, which would put every control of both panes under the
// style-sheet style (a fifth of the start-up's work, and slower painting ever after).
class PaneHandle : public QSplitterHandle
{
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), buttonFace);
        painter.fillRect(0, 0, 1, height(), Qt::white);
        painter.fillRect(width() - 1, 0, 1, height(), QColor(0xA0, 0xA0, 0xA0));
    }
};

class PaneSplitter : public QSplitter
{
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle *createHandle() override { return new PaneHandle(orientation(), this); }
};

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// A status panel shows as much of its text as fits and ends a longer one with "…"; text()
// keeps the whole text.
class StatusPanel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        // The frame only: the label's own text is drawn elided below instead.
        QFrame::paintEvent(event); // NOLINT(bugprone-parent-virtual-call)
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
};

QLabel *makeStatusPanel(QWidget *parent, int left, int width)
{
    auto *panel = new StatusPanel(parent);
    panel->setTextFormat(Qt::PlainText);
    panel->setGeometry(left, StatusPanelTop, width, StatusBarHeight - StatusPanelTop);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setContentsMargins(2, 0, 2, 0);
    return panel;
}

} // namespace

MainWindow::MainWindow(SharedConnection &sharedConnection, QWidget *owner)
    : CaptionWindow(owner), m_sharedConnection(sharedConnection), m_openHelp(&DesktopHelp::open)
{
    setApplicationMainWindow(true);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(DesignWidth, DesignHeight);
    buildLayout();
    createCommands();
    // Sees the activation of every window of the program.
    qApp->installEventFilter(this);
    createContents();
    m_reloads = new ReloadScheduler(m_sharedConnection.connection(), *m_groupTree, this,
                                    [this](bool reportFailure) { reloadViews(reportFailure); });
    new HistoryActions(
        m_sharedConnection, this, {m_groupTree->menu(), m_addressList->menu()},
        [this](const Outcome &outcome) { return showOutcome(outcome); }, [this] { reloadKeepingView(true); });
}

// The commands go before the parts, which are the window's children.
MainWindow::~MainWindow() = default;

bool MainWindow::showOutcome(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Done: return true;
    case Outcome::Kind::Refused:
    case Outcome::Kind::Cancelled:
        if (!outcome.message.isEmpty())
            Dialogs::show(this, outcome.message, tr("提示"));
        break;
    case Outcome::Kind::ReadOnly:
    case Outcome::Kind::Unreachable: Dialogs::show(this, outcome.message, tr("提示")); break;
    case Outcome::Kind::Failed: Dialogs::failure(this); break;
    }
    return false;
}

// The commands the parts' signals reach, before the first listing needs them.
void MainWindow::createCommands()
{
    const auto showHere = [this](const Outcome &outcome) { return showOutcome(outcome); };
    const auto relistNode = [this] { listSelectedNode(); };
    m_bin = std::make_unique<BinCommands>(m_sharedConnection, *m_groupTree, *m_addressList, this, showHere,
                                          [this] { reloadKeepingView(true); });
    m_groups = std::make_unique<GroupCommands>(m_sharedConnection, *m_groupTree,
                                               GroupCommands::Callbacks{showHere, [this] { return m_currentGroup; },
                                                                        relistNode, [this] { m_bin->followDelete(); }});
    m_links = std::make_unique<LinkViews>(m_sharedConnection, *m_groupTree, *m_addressList, this, showHere, relistNode);
    m_export = std::make_unique<AddressExport>(m_sharedConnection.connection(), *m_groupTree, this);
    m_visitor = std::make_unique<AddressVisitor>(m_sharedConnection.connection(), *m_toolBar, this, showHere);
}

// Runs once, before the window is first shown. A failing step ends the sequence with the
// default error report; the window is shown all the same.
void MainWindow::createContents()
{
    standardSetup(); // centred, hint times, the three caption buttons, caption colours
    setCaptionText(QStringLiteral("Vestrane V1.1.2"));
    setWindowTitle(Dialogs::applicationTitle());
    setCurrentAddress(QString());
    setCurrentGroup(GroupTreePane::rootLabel());
    // The list fill selects the tree's root node and its rows need the columns: this
    // order matters.
    const Outcome tree = loadTree();
    if (!tree.ok()) {
        Dialogs::errorReport(this, tree.message);
        return;
    }
    m_addressList->setUpColumns();
    fillList();
}

void MainWindow::onActivated()
{
    centreOnScreen();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        // Only the program's own windows count: a message box or another program in
        // between does not make the main window jump back to the centre.
        auto *window = qobject_cast<CaptionWindow *>(watched);
        if (window && window->isWindow()) {
            const bool cameFromElsewhere = m_lastActivated != window;
            m_lastActivated = window;
            if (window == this && cameFromElsewhere)
                onActivated();
        }
    }
    return CaptionWindow::eventFilter(watched, event);
}

// Every way of closing comes here: "退出", the caption's close button, a double-click on
// the caption icon, the window system. The window first shrinks toward its centre; the
// close itself happens when the animation has finished.
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closeConfirmed) {
        CaptionWindow::closeEvent(event);
        return;
    }
    event->ignore();
    if (m_closeAnimation)
        return;
    if (m_mayClose && !m_mayClose())
        return;
    playCloseAnimation();
}

void MainWindow::playCloseAnimation()
{
    // The layout would keep the window from shrinking below its minimum size.
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    setMinimumSize(0, 0);
    const QRect start = geometry();
    const QRect end(start.center(), QSize(1, 1));
    m_closeAnimation = new QPropertyAnimation(this, "geometry", this);
    m_closeAnimation->setDuration(CloseAnimationMs);
    m_closeAnimation->setStartValue(start);
    m_closeAnimation->setEndValue(end);
    connect(m_closeAnimation, &QPropertyAnimation::finished, this, &MainWindow::finishClose);
    m_closeAnimation->start();
}

void MainWindow::finishClose()
{
    m_closeConfirmed = true;
    close();
}

void MainWindow::buildLayout()
{
    QWidget *area = contentArea();
    area->setFont(designFont(11));
    setColour(area, QPalette::Window, buttonFace);
    area->setAutoFillBackground(true);

    auto *column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_toolBar = new MainToolBar(area);
    column->addWidget(m_toolBar);
    connectToolBar();

    m_paneSplitter = new PaneSplitter(Qt::Horizontal, area);
    m_paneSplitter->setObjectName(QStringLiteral("paneSplitter"));
    m_paneSplitter->setHandleWidth(SplitterWidth);
    // The handle draws a line while it is dragged; the panes change when it is let go.
    m_paneSplitter->setOpaqueResize(false);
    buildLeftPane();
    m_addressList = new AddressListPane(m_sharedConnection.connection(), this);
    connectAddressList();
    m_paneSplitter->addWidget(m_leftPane);
    m_paneSplitter->addWidget(m_addressList);
    m_paneSplitter->setStretchFactor(0, 0);
    m_paneSplitter->setStretchFactor(1, 1);
    m_paneSplitter->setCollapsible(0, true);
    m_paneSplitter->setCollapsible(1, false);
    m_paneSplitter->setSizes({leftPaneWidth, DesignWidth - leftPaneWidth - SplitterWidth});
    connect(m_paneSplitter, &QSplitter::splitterMoved, this, &MainWindow::onSplitterMoved);
    column->addWidget(m_paneSplitter, 1);

    buildStatusBar(area);
    column->addWidget(m_statusBar);
}

void MainWindow::buildLeftPane()
{
    m_leftPane = new QWidget;
    m_leftPane->setObjectName(QStringLiteral("leftPane"));
    // Any width is allowed; a width of 30 or less collapses the pane (onSplitterMoved).
    m_leftPane->setMinimumWidth(1);
    auto *layout = new QVBoxLayout(m_leftPane);
    layout->setContentsMargins(0, 0, 0, 0);

    m_leftTabs = new QTabWidget(m_leftPane);
    m_leftTabs->setObjectName(QStringLiteral("leftTabs"));
    m_leftTabs->setIconSize(QSize(16, 16));
    m_leftTabs->setUsesScrollButtons(false);
    // On the bar alone: a style sheet on the tab widget would restyle the tree and the search pane.
    m_leftTabs->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px outset #c0c0c0; background: #ece9d8; padding: 2px 6px; margin-right: 2px; }"
        "QTabBar::tab:selected { border: 1px inset #c0c0c0; background: #dcd8c8; }"));
    layout->addWidget(m_leftTabs);

    m_groupTree = new GroupTreePane(this);
    connectGroupTree();
    m_leftTabs->addTab(m_groupTree, MainPictures::tabImage(0), tr("目录"));

    m_searchPane = new SearchPane;
    connect(m_searchPane, &SearchPane::searchRequested, this, &MainWindow::searchFor);
    m_leftTabs->addTab(m_searchPane, MainPictures::tabImage(1), tr("查询"));
    m_leftTabs->setCurrentIndex(0);
    connect(m_leftTabs, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
}

void MainWindow::buildStatusBar(QWidget *parent)
{
    m_statusBar = new QWidget(parent);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusBar->setFixedHeight(StatusBarHeight);
    // The panels keep their widths and places, and a narrow window cuts them off at its
    // right edge; they never make the window wider than it is. (A layout would squeeze
    // their places but not their fixed widths, and the panels would overlap.)
    m_statusBar->setMinimumWidth(1);
    int left = 0;
    for (int panel = 0; panel < 3; ++panel) {
        m_statusPanels[panel] = makeStatusPanel(m_statusBar, left, StatusPanelWidths[panel]);
        left += StatusPanelWidths[panel] + StatusPanelSpacing;
    }
}

// The left pane folds away once narrowed to 30 pixels or less; the list keeps at least 30 pixels
// (its minimum width).
void MainWindow::onSplitterMoved()
{
    const QList<int> sizes = m_paneSplitter->sizes();
    if (sizes.size() == 2 && sizes[0] > 0 && sizes[0] <= CollapseWidth)
        m_paneSplitter->setSizes({0, sizes[0] + sizes[1]});
}

QString MainWindow::statusPanelText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_statusPanels[panel]->text() : QString();
}

void MainWindow::connectToolBar()
{
    connect(m_toolBar, &MainToolBar::translucencyClicked, this, &MainWindow::toggleTranslucency);
    connect(m_toolBar, &MainToolBar::stayOnTopClicked, this, &MainWindow::toggleStayOnTop);
    connect(m_toolBar, &MainToolBar::favouritesClicked, this, &MainWindow::showFavourites);
    connect(m_toolBar, &MainToolBar::importClicked, this, &MainWindow::openImportWindow);
    connect(m_toolBar, &MainToolBar::helpClicked, this, &MainWindow::showHelpPage);
    connect(m_toolBar, &MainToolBar::exitClicked, this, &MainWindow::exitFromToolBar);
}

// Looks at the opacity, not at the button: two clicks always come back to opaque.
void MainWindow::toggleTranslucency()
{
    setAlpha(alphaValue() == 255 ? 200 : 255);
}

// Down: other windows may cover this one. Up: it stays on top again. Only the stacking
// changes: the opacity and the normal geometry stay as they are.
void MainWindow::toggleStayOnTop()
{
    SetWindowStaysOnTop(this, !m_toolBar->keepsBehind());
}

void MainWindow::showFavourites()
{
    m_leftTabs->setCurrentIndex(0);
    if (!m_groupTree->favouritesNode())
        return; // the tree could not be loaded
    m_groupTree->selectNode(m_groupTree->favouritesNode());
    listSelectedNode();
}

// The import window is made for this one use and destroyed when it has closed; then the
// list shows what was imported into the current listing.
void MainWindow::openImportWindow()
{
    auto importWindow = std::make_unique<ImportWindow>(m_sharedConnection, this);
    importWindow->execModal();
    const Outcome tree = reloadTreeIfGroupsChanged();
    if (!tree.ok()) {
        Dialogs::errorReport(this, tree.message);
        return;
    }
    fillList();
}

QString MainWindow::helpFailureText()
{
    return tr("未能打开帮助页面：没有可以启动的浏览器。");
}

// The program makes room for the help page; when no browser starts, it comes back and
// says so.
void MainWindow::showHelpPage()
{
    minimiseClicked();
    if (!m_openHelp || m_openHelp())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    Dialogs::show(this, helpFailureText(), tr("提示"));
}

void MainWindow::exitFromToolBar()
{
    close();
}

// The root "网址" with one child per group, in the order the database gives them, then
// "收藏夹"; the node of the failing addresses comes after the groups once the library holds
// results of a link check, the bin's node while the bin holds rows. Nothing is selected:
// the first list fill selects the root. When the groups cannot be read the error goes to
// the caller and the tree stays as it was.
Outcome MainWindow::loadTree()
{
    const Fetched<QList<GroupStore::Group>> groups = LibraryReads::groups(m_sharedConnection.connection());
    if (!groups.ok())
        return groups.outcome;
    m_groupTree->load(groups.value, m_links->anyChecks(), m_bin->holdsRows());
    return Outcome::done();
}

// A press on a node (and the favourites button): list the addresses of the selected node.
// Moving the selection with the keyboard does not come here.
void MainWindow::listSelectedNode()
{
    QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!node)
        return;
    setCurrentGroup(node->text(0));
    updateMenus();
    fillList();
}

void MainWindow::connectGroupTree()
{
    connect(m_groupTree, &GroupTreePane::nodeChosen, this, &MainWindow::listSelectedNode);
    connect(m_groupTree, &GroupTreePane::addAddressChosen, this, &MainWindow::addAddressToGroup);
    connect(m_groupTree, &GroupTreePane::deleteGroupChosen, this, [this] { m_groups->deleteSelectedGroup(); });
    connect(m_groupTree, &GroupTreePane::exportChosen, this, [this] { m_export->exportSelectedNode(); });
    connect(m_groupTree, &GroupTreePane::checkLinksChosen, this, [this] { m_links->checkSelectedNode(); });
    connect(m_groupTree, &GroupTreePane::emptyBinChosen, this, [this] { m_bin->emptyBin(); });
    connect(m_groupTree, &GroupTreePane::newGroupNamed, this,
            [this](QTreeWidgetItem *node, const QString &name) { m_groups->storeNewGroup(node, name); });
    connect(m_groupTree, &GroupTreePane::groupRenamed, this,
            [this](QTreeWidgetItem *node, const QString &name) { m_groups->renameGroup(node, name); });
}

// Lists the addresses of the current tree node in the order of the statement. The names
// "网址" and "收藏夹" are checked before the group filter, so a group that bears one of them
// is never listed by its own name.
void MainWindow::fillList()
{
    const Outcome listed = loadRows(filterForCurrentGroup());
    if (!listed.ok())
        Dialogs::failure(this, listed);
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
Outcome MainWindow::loadRows(const AddressFilter &filter)
{
    Outcome listed = m_addressList->show(filter);
    if (!listed.ok())
        return listed;
    showRowCount(listed.count);
    noteListing(filter);
    return listed;
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

void MainWindow::connectAddressList()
{
    AddressListPane *list = m_addressList;
    connect(list, &AddressListPane::countKnown, this, &MainWindow::showRowCount);
    connect(list, &AddressListPane::addressChosen, this, &MainWindow::setCurrentAddress);
    connect(list, &AddressListPane::visitRequested, this, &MainWindow::visitCurrentAddress);
    connect(list, &AddressListPane::pointerOverRow, this, &MainWindow::onPointerOverRow);
    connect(list, &AddressListPane::menuOpening, this, [this] { m_links->offerFixes(m_currentAddress); });
    connect(list, &AddressListPane::addAddressChosen, this, &MainWindow::addAddressToGroup);
    connect(list, &AddressListPane::changeAddressChosen, this, &MainWindow::changeAddressFromMenu);
    connect(list, &AddressListPane::deleteAddressChosen, this, &MainWindow::deleteAddressFromMenu);
    connect(list, &AddressListPane::addFavouriteChosen, this, &MainWindow::addFavouriteFromMenu);
    connect(list, &AddressListPane::removeFavouriteChosen, this, &MainWindow::removeFavouriteFromMenu);
    connect(list, &AddressListPane::takeNewAddressChosen, this, [this] { m_links->takeNewAddress(m_currentAddress); });
    connect(list, &AddressListPane::usePageTitleChosen, this, [this] { m_links->usePageTitle(m_currentAddress); });
    connect(list, &AddressListPane::restoreChosen, this, [this] { m_bin->restoreChosen(); });
    connect(list, &AddressListPane::purgeChosen, this, [this] { m_bin->purgeChosen(); });
}

// The items follow the selected tree node: the favourites offer only unmarking and none
// of the group commands; every other node offers marking; the bin only its own commands.
void MainWindow::updateMenus()
{
    m_groupTree->offerCommands();
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    const bool favourites = node && node->text(0) == GroupTreePane::favouritesLabel();
    m_addressList->offerCommands(favourites, GroupTreePane::isBinNode(node));
}

// The editor proposes the selected node's group; afterwards the node is listed anew, so
// that an address added to the shown group appears at once.
void MainWindow::addAddressToGroup()
{
    const QTreeWidgetItem *node = m_groupTree->currentNode();
    if (!node || !m_editor)
        return;
    // An editor that could not open has told why; a reload would only say it again.
    if (m_editor->showToAdd(node->text(0)))
        listSelectedNode();
}

// "修改网址". The change reaches every stored row with the old address and name; the list
// is read anew and shows them so, the changed row still chosen.
void MainWindow::changeAddressFromMenu()
{
    const int row = m_addressList->selectedRow();
    if (row < 0 || !m_editor)
        return;
    const AddressRecord shown = m_addressList->recordAt(row);
    if (m_editor->showToChange(m_currentAddress, shown.name, shown.groupName))
        relistKeepingView();
}

// "删除网址": only the row of the selected row's group; the list is read anew only when
// the database let it go.
void MainWindow::deleteAddressFromMenu()
{
    if (m_addressList->selectedRow() < 0)
        return;
    if (deleteSelectedAddress()) {
        relistKeepingView();
        m_bin->followDelete();
    }
}

// "加入到收藏夹": every row with this address, in every group, becomes a favourite.
void MainWindow::addFavouriteFromMenu()
{
    if (m_addressList->selectedRow() < 0)
        return;
    if (markFavourite(m_currentAddress))
        relistKeepingView();
}

// "从收藏夹中删除": only the selected row's group. In the favourites the row leaves the
// list; elsewhere it keeps its place with the plain picture.
void MainWindow::removeFavouriteFromMenu()
{
    if (m_addressList->selectedRow() < 0)
        return;
    if (unmarkFavourite())
        relistKeepingView();
}

void MainWindow::visitCurrentAddress()
{
    m_visitor->visit(m_currentAddress);
}

QString MainWindow::selectedRowGroup() const
{
    return m_addressList->recordAt(m_addressList->selectedRow()).groupName;
}

bool MainWindow::deleteSelectedAddress()
{
    const Outcome outcome = HistoryCommands::removeAddress(
        &m_sharedConnection.history(), m_sharedConnection.connection(), m_currentAddress, selectedRowGroup());
    if (!showOutcome(outcome))
        return false;
    Dialogs::show(this, outcome.message, tr("删除"));
    return true;
}

bool MainWindow::markFavourite(const QString &address)
{
    return showOutcome(
        HistoryCommands::setFavourite(&m_sharedConnection.history(), m_sharedConnection.connection(), address));
}

bool MainWindow::unmarkFavourite()
{
    return showOutcome(HistoryCommands::clearFavourite(&m_sharedConnection.history(), m_sharedConnection.connection(),
                                                       m_currentAddress, selectedRowGroup()));
}

void MainWindow::searchFor(const QString &text)
{
    runSearch(text);
    loadSearchHistory();
}

void MainWindow::onTabChanged(int index)
{
    if (index == 1)
        loadSearchHistory();
}

// The result replaces the list; the current group, the current address and the tree's
// selection stay as they were. A failed search remembers nothing; a text that cannot be
// remembered leaves the result as it is and says nothing.
void MainWindow::runSearch(const QString &text)
{
    showOutcome(SearchService::searchListed(m_sharedConnection.connection(), text,
                                            [this](const AddressFilter &filter) { return loadRows(filter); }));
}

// Newest first. A failure is not reported; the typed text is put back in any case.
void MainWindow::loadSearchHistory()
{
    m_searchPane->showHistory(SearchService::loadHistory(m_sharedConnection.connection()).entries);
}

Outcome MainWindow::reloadTreeIfGroupsChanged()
{
    const Fetched<QStringList> groups = LibraryReads::groupNames(m_sharedConnection.connection());
    if (!groups.ok() || groups.value == m_groupTree->childLabelsOfRoot())
        return groups.outcome;
    const QTreeWidgetItem *current = m_groupTree->currentNode();
    const QString label = current ? current->text(0) : QString();
    const bool wasFavourites = current && current == m_groupTree->favouritesNode();
    const bool wasGroup = current && current->parent();
    Outcome tree = loadTree(); // `current` is gone from here on
    if (!tree.ok())
        return tree;

    QTreeWidgetItem *again = m_groupTree->rootNode();
    if (wasFavourites) {
        again = m_groupTree->favouritesNode();
    } else if (wasGroup) {
        if (QTreeWidgetItem *found = m_groupTree->nodeLabelled(label))
            again = found;
    }
    m_groupTree->selectNode(again);
    setCurrentGroup(again->text(0));
    updateMenus();
    return Outcome::done();
}

void MainWindow::noteListing(const AddressFilter &filter)
{
    m_listShowsSearch = filter.kind == AddressFilter::Kind::Search;
    m_listedSearch = filter.text;
}

bool MainWindow::refreshPending() const
{
    return m_reloads && m_reloads->pending();
}

void MainWindow::reloadFromLibrary()
{
    reloadKeepingView(true);
}

void MainWindow::reloadKeepingView(bool reportFailure)
{
    if (!isClosing())
        m_reloads->request(reportFailure);
}

void MainWindow::reloadViews(bool reportFailure)
{
    if (isClosing())
        return;
    m_links->forget(); // a check may have stored new ones

    GroupTreePane::View tree = m_groupTree->view();
    AddressListPane::Place list = m_addressList->place();
    const QVariant listedGroupNo = m_groupTree->groupNoOf(m_currentGroup);
    // The groups are read before the tree changes: when they cannot be read, it stays.
    Outcome read = loadTree();
    if (read.ok()) {
        // A group renamed elsewhere is followed under its new name; one that is gone
        // leaves every address listed, none of them chosen.
        if (!m_listShowsSearch && !m_groupTree->nodeLabelled(m_currentGroup)) {
            const QString renamed = m_groupTree->labelOfGroupNo(listedGroupNo);
            if (tree.currentLabel == m_currentGroup && tree.currentIsGroup)
                tree.currentLabel = renamed;
            if (renamed.isEmpty()) {
                const bool sorted = list.sorted;
                list = AddressListPane::Place();
                list.sorted = sorted;
            }
            setCurrentGroup(renamed.isEmpty() ? GroupTreePane::rootLabel() : renamed);
        }
        read = loadRows(listedFilter());
    }
    if (!read.ok()) {
        if (reportFailure)
            Dialogs::failure(this, read);
        return;
    }
    m_groupTree->restoreView(tree);
    restoreListView(list);
}

AddressFilter MainWindow::listedFilter()
{
    return m_listShowsSearch ? AddressFilter::search(m_listedSearch) : filterForCurrentGroup();
}

void MainWindow::restoreListView(const AddressListPane::Place &place)
{
    m_addressList->restorePlace(place);
    // The status bar names the row that is selected now, or none when it is gone.
    setCurrentAddress(m_addressList->recordAt(m_addressList->selectedRow()).address);
}

// After a command of the list: the listing anew, the view kept; a failure is shown.
void MainWindow::relistKeepingView()
{
    const AddressListPane::Place list = m_addressList->place();
    const Outcome listed = loadRows(listedFilter());
    if (!listed.ok()) {
        Dialogs::failure(this, listed);
        return;
    }
    restoreListView(list);
}
