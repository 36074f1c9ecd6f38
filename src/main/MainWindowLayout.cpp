// The controls of the main window and where they sit.
#include "main/MainWindow.h"

#include "platform/DesignFont.h"
#include "controls/AddressListView.h"
#include "data/SharedConnection.h"
#include "main/AddressListModel.h"
#include "main/MainPictures.h"
#include "main/GroupTreePane.h"
#include "main/MainToolBar.h"
#include "main/SearchPane.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int leftPaneWidth = 159;
constexpr int SplitterWidth = 5;
constexpr int rightPaneMinimumWidth = 30;
constexpr int CollapseWidth = 30;
constexpr int StatusBarHeight = 19;
constexpr int StatusPanelWidths[3] = {150, 300, 200};
constexpr int StatusPanelTop = 2;
constexpr int StatusPanelSpacing = 2;

const QColor buttonFace(0xEC, 0xE9, 0xD8);

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

    paneSplitter = new QSplitter(Qt::Horizontal, area);
    paneSplitter->setObjectName(QStringLiteral("paneSplitter"));
    paneSplitter->setHandleWidth(SplitterWidth);
    // The handle draws a line while it is dragged; the panes change when it is let go.
    paneSplitter->setOpaqueResize(false);
    paneSplitter->setStyleSheet(QStringLiteral("QSplitter::handle { border-left: 1px solid #ffffff; "
                                               "border-right: 1px solid #a0a0a0; background: #ece9d8; }"));
    buildLeftPane();
    buildListPane();
    paneSplitter->addWidget(leftPane);
    paneSplitter->addWidget(rightPane);
    paneSplitter->setStretchFactor(0, 0);
    paneSplitter->setStretchFactor(1, 1);
    paneSplitter->setCollapsible(0, true);
    paneSplitter->setCollapsible(1, false);
    paneSplitter->setSizes({leftPaneWidth, DesignWidth - leftPaneWidth - SplitterWidth});
    connect(paneSplitter, &QSplitter::splitterMoved, this, &MainWindow::onSplitterMoved);
    column->addWidget(paneSplitter, 1);

    buildStatusBar(area);
    column->addWidget(statusBar);
    buildPopupMenus();
    nameControls();
    connectListCommands();
    connectBinCommands();
}

// The controls not named where they are made get their design names as object names, by
// which tests and tools find them.
void MainWindow::nameControls()
{
    const std::pair<QObject *, const char *> controls[] = {
        {listMenu, "listMenu"},
        {listAddAddressAction, "listAddAddressAction"},
        {listChangeAddressAction, "listChangeAddressAction"},
        {listDeleteAddressAction, "listDeleteAddressAction"},
        {listAddFavouriteAction, "listAddFavouriteAction"},
        {listRemoveFavouriteAction, "listRemoveFavouriteAction"},
        {listTakeNewAddressAction, "listTakeNewAddressAction"},
        {listUsePageTitleAction, "listUsePageTitleAction"},
        {listRestoreAction, "listRestoreAction"},
        {listPurgeAction, "listPurgeAction"},
    };
    for (const auto &[control, name] : controls)
        control->setObjectName(QLatin1String(name));
}

void MainWindow::buildLeftPane()
{
    leftPane = new QWidget;
    leftPane->setObjectName(QStringLiteral("leftPane"));
    // Any width is allowed; a width of 30 or less collapses the pane (onSplitterMoved).
    leftPane->setMinimumWidth(1);
    auto *layout = new QVBoxLayout(leftPane);
    layout->setContentsMargins(0, 0, 0, 0);

    leftTabs = new QTabWidget(leftPane);
    leftTabs->setObjectName(QStringLiteral("leftTabs"));
    leftTabs->setIconSize(QSize(16, 16));
    leftTabs->setUsesScrollButtons(false);
    leftTabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px outset #c0c0c0; background: #ece9d8; padding: 2px 6px; margin-right: 2px; }"
        "QTabBar::tab:selected { border: 1px inset #c0c0c0; background: #dcd8c8; }"));
    layout->addWidget(leftTabs);

    m_groupTree = new GroupTreePane(this);
    connectGroupTree();
    leftTabs->addTab(m_groupTree, MainPictures::tabImage(0), tr("目录"));

    m_searchPane = new SearchPane;
    connect(m_searchPane, &SearchPane::searchRequested, this, &MainWindow::searchFor);
    leftTabs->addTab(m_searchPane, MainPictures::tabImage(1), tr("查询"));
    leftTabs->setCurrentIndex(0);
    connect(leftTabs, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
}

void MainWindow::buildListPane()
{
    rightPane = new QWidget;
    rightPane->setObjectName(QStringLiteral("rightPane"));
    rightPane->setMinimumWidth(rightPaneMinimumWidth);
    auto *layout = new QVBoxLayout(rightPane);
    layout->setContentsMargins(0, 0, 0, 0);
    addressList = new AddressListView(rightPane);
    addressList->setObjectName(QStringLiteral("addressList"));
    m_addressRows = new AddressListModel(m_sharedConnection.connection(), addressList);
    addressList->setReportRows(m_addressRows);
    connect(m_addressRows, &AddressListModel::countKnown, this, &MainWindow::showRowCount);
    addressList->setMinimumWidth(rightPaneMinimumWidth);
    setColour(addressList, QPalette::Base, Qt::white);
    QFont header = designFont(11);
    addressList->SetHeaderFont(header);
    QPalette headerPalette = addressList->header()->palette();
    headerPalette.setColor(QPalette::ButtonText, Qt::black);
    addressList->header()->setPalette(headerPalette);
    addressList->setSmallImages(MainPictures::smallImages());
    layout->addWidget(addressList);

    connect(addressList, &AddressListView::rowSelected, this, &MainWindow::onRowSelected);
    connect(addressList, &AddressListView::keyReleased, this, &MainWindow::onListKeyReleased);
    connect(addressList, &AddressListView::mouseMovedTo, this, &MainWindow::onListMouseMoved);
    connect(addressList, &AddressListView::doubleClickedAnywhere, this, &MainWindow::onListDoubleClicked);
}

void MainWindow::buildStatusBar(QWidget *parent)
{
    statusBar = new QWidget(parent);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    statusBar->setFixedHeight(StatusBarHeight);
    // The panels keep their widths and places, and a narrow window cuts them off at its
    // right edge; they never make the window wider than it is. (A layout would squeeze
    // their places but not their fixed widths, and the panels would overlap.)
    statusBar->setMinimumWidth(1);
    int left = 0;
    for (int panel = 0; panel < 3; ++panel) {
        m_statusPanels[panel] = makeStatusPanel(statusBar, left, StatusPanelWidths[panel]);
        left += StatusPanelWidths[panel] + StatusPanelSpacing;
    }
}

void MainWindow::buildPopupMenus()
{
    listMenu = new QMenu(this);
    listAddAddressAction = listMenu->addAction(tr("添加网址"));
    listChangeAddressAction = listMenu->addAction(tr("修改网址"));
    listDeleteAddressAction = listMenu->addAction(tr("删除网址"));
    listAddFavouriteAction = listMenu->addAction(tr("加入到收藏夹"));
    listRemoveFavouriteAction = listMenu->addAction(tr("从收藏夹中删除"));
    listTakeNewAddressAction = listMenu->addAction(tr("改为新网址"));
    listUsePageTitleAction = listMenu->addAction(tr("使用网页标题"));
    listRestoreAction = listMenu->addAction(tr("还原"));
    listPurgeAction = listMenu->addAction(tr("彻底删除"));
    listTakeNewAddressAction->setVisible(false); // offered by the row's last link check
    listUsePageTitleAction->setVisible(false);
}

// The left pane folds away once narrowed to 30 pixels or less; the list keeps at least 30 pixels
// (its minimum width).
void MainWindow::onSplitterMoved()
{
    const QList<int> sizes = paneSplitter->sizes();
    if (sizes.size() == 2 && sizes[0] > 0 && sizes[0] <= CollapseWidth)
        paneSplitter->setSizes({0, sizes[0] + sizes[1]});
}

QString MainWindow::statusPanelText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_statusPanels[panel]->text() : QString();
}
