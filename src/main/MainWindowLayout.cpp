// Where the main window's parts sit: the tool bar, the splitter with the left pane's tabs and
// the address list, the status bar.
#include "main/MainWindow.h"

#include "platform/DesignFont.h"
#include "data/SharedConnection.h"
#include "main/MainPictures.h"
#include "main/GroupTreePane.h"
#include "main/MainToolBar.h"
#include "main/SearchPane.h"

#include <QLabel>
#include <QPainter>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int leftPaneWidth = 159;
constexpr int SplitterWidth = 5;
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

    m_paneSplitter = new QSplitter(Qt::Horizontal, area);
    m_paneSplitter->setObjectName(QStringLiteral("paneSplitter"));
    m_paneSplitter->setHandleWidth(SplitterWidth);
    // The handle draws a line while it is dragged; the panes change when it is let go.
    m_paneSplitter->setOpaqueResize(false);
    m_paneSplitter->setStyleSheet(QStringLiteral("QSplitter::handle { border-left: 1px solid #ffffff; "
                                                 "border-right: 1px solid #a0a0a0; background: #ece9d8; }"));
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
    m_leftTabs->setStyleSheet(QStringLiteral(
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
