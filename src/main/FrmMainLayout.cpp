// The controls of the main window and where they sit.
#include "main/FrmMain.h"

#include "platform/DesignFont.h"
#include "controls/TListView1.h"
#include "data/DataModule.h"
#include "main/AddressListModel.h"
#include "main/MainPictures.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>
#include <utility>

namespace {

constexpr int Panel1Width = 159;
constexpr int SplitterWidth = 5;
constexpr int Panel2MinimumWidth = 30;
constexpr int CollapseWidth = 30;
constexpr int StatusBarHeight = 19;
constexpr int StatusPanelWidths[3] = {150, 300, 200};
constexpr int StatusPanelTop = 2;
constexpr int StatusPanelSpacing = 2;

const QColor buttonFace(0xEC, 0xE9, 0xD8);
const QColor light3D(0xE3, 0xE3, 0xE3);

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

void TFrmMain::buildLayout()
{
    QWidget *area = contentArea();
    area->setFont(designFont(11));
    setColour(area, QPalette::Window, buttonFace);
    area->setAutoFillBackground(true);

    auto *column = new QVBoxLayout(area);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildToolBar(area);
    column->addWidget(CoolBar1);

    Splitter1 = new QSplitter(Qt::Horizontal, area);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(SplitterWidth);
    // The handle draws a line while it is dragged; the panes change when it is let go.
    Splitter1->setOpaqueResize(false);
    Splitter1->setStyleSheet(QStringLiteral("QSplitter::handle { border-left: 1px solid #ffffff; "
                                            "border-right: 1px solid #a0a0a0; background: #ece9d8; }"));
    buildLeftPane();
    buildListPane();
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Panel2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setCollapsible(0, true);
    Splitter1->setCollapsible(1, false);
    Splitter1->setSizes({Panel1Width, DesignWidth - Panel1Width - SplitterWidth});
    connect(Splitter1, &QSplitter::splitterMoved, this, &TFrmMain::Splitter1Moved);
    column->addWidget(Splitter1, 1);

    buildStatusBar(area);
    column->addWidget(StatusBar1);
    buildPopupMenus();
    nameControls();
    connectTreeCommands();
    connectListCommands();
}

// The controls not named where they are made get their design names as object names, by
// which tests and tools find them.
void TFrmMain::nameControls()
{
    const std::pair<QObject *, const char *> controls[] = {
        {AlphTBtn, "AlphTBtn"}, {SetTopTBtn, "SetTopTBtn"}, {IPTBtn, "IPTBtn"},
        {CTBtn, "CTBtn"}, {ImportTBtn, "ImportTBtn"}, {HelpTBtn, "HelpTBtn"},
        {ExitTBtn, "ExitTBtn"}, {Label1, "Label1"}, {Label2, "Label2"},
        {Label3, "Label3"}, {Bevel1, "Bevel1"}, {TreeViewPopupMenu, "TreeViewPopupMenu"},
        {TreePM1, "TreePM1"}, {TreePM2, "TreePM2"}, {TreePM3, "TreePM3"},
        {TreePM4, "TreePM4"}, {TreePM5, "TreePM5"}, {TreePM6, "TreePM6"}, {ListViewPopupMenu, "ListViewPopupMenu"},
        {ListPM1, "ListPM1"}, {ListPM2, "ListPM2"}, {ListPM3, "ListPM3"},
        {ListPM4, "ListPM4"}, {ListPM5, "ListPM5"}, {ListPM6, "ListPM6"}, {ListPM7, "ListPM7"},
    };
    for (const auto &[control, name] : controls)
        control->setObjectName(QLatin1String(name));
}

void TFrmMain::buildLeftPane()
{
    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // Any width is allowed; a width of 30 or less collapses the pane (Splitter1Moved).
    Panel1->setMinimumWidth(1);
    auto *layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);

    PageControl1 = new QTabWidget(Panel1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setIconSize(QSize(16, 16));
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px outset #c0c0c0; background: #ece9d8; padding: 2px 6px; margin-right: 2px; }"
        "QTabBar::tab:selected { border: 1px inset #c0c0c0; background: #dcd8c8; }"));
    layout->addWidget(PageControl1);

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    auto *treeLayout = new QVBoxLayout(TabSheet1);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    TreeView1 = new QTreeWidget(TabSheet1);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setIndentation(19);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers); // labels change only by command
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    setColour(TreeView1, QPalette::Base, light3D);
    treeLayout->addWidget(TreeView1);
    // The left press lists the node: selecting it may fold the branch above it, so the
    // release can land on another node and a whole click would go unnoticed.
    connect(TreeView1, &QTreeWidget::pressed, this, [this] {
        if (QApplication::mouseButtons() & Qt::LeftButton)
            TreeView1Click();
    });
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, &TFrmMain::TreeView1Change);
    PageControl1->addTab(TabSheet1, MainPictures::tabImage(0), QStringLiteral("目录"));

    buildSearchTab();
    PageControl1->addTab(TabSheet2, MainPictures::tabImage(1), QStringLiteral("查询"));
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFrmMain::PageControl1Change);
}

// Three lines of text and a separating line across the top, then the search box and its
// button at fixed places that stretch with the tab's width.
void TFrmMain::buildSearchTab()
{
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    auto *top = new QVBoxLayout(TabSheet2);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    Label2 = new QLabel(TabSheet2);
    Label1 = new QLabel(QStringLiteral("查询内容："), TabSheet2);
    Label3 = new QLabel(TabSheet2);
    for (QLabel *label : {Label2, Label1, Label3}) {
        label->setFixedHeight(13);
        top->addWidget(label);
    }
    Bevel1 = new QFrame(TabSheet2);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setFixedHeight(3);
    top->addWidget(Bevel1);
    top->addStretch(1);

    Cbo1 = new QComboBox(TabSheet2);
    Cbo1->setObjectName(QStringLiteral("Cbo1"));
    Cbo1->setEditable(true);
    Cbo1->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what is searched: no inline completion from the history (Enter
    // would search the completed text). The drop-down still lists the history.
    Cbo1->setCompleter(nullptr);
    // A line edit cuts at 32,767 characters by default; a pasted text is taken whole.
    Cbo1->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    Cbo1->setMaxVisibleItems(20);
    Cbo1->setFrame(false);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("开始查询"), TabSheet2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    arrangeSearchTab();
    connectSearchTab();
}

void TFrmMain::arrangeSearchTab()
{
    // Design places: the box at (0, 43), 147 × 22, and the button at (2, 71), 144 × 25, in a
    // tab 151 pixels wide; both keep their right margins when the tab changes width.
    constexpr int designTabWidth = 151;
    const int width = TabSheet2->width() > 1 ? TabSheet2->width() : designTabWidth;
    Cbo1->setGeometry(0, 43, qMax(0, 147 + width - designTabWidth), 22);
    BitBtn1->setGeometry(2, 71, qMax(0, 144 + width - designTabWidth), 25);
}

void TFrmMain::buildListPane()
{
    Panel2 = new QWidget;
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setMinimumWidth(Panel2MinimumWidth);
    auto *layout = new QVBoxLayout(Panel2);
    layout->setContentsMargins(0, 0, 0, 0);
    ListView1 = new TListView1(Panel2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    m_addressRows = new AddressListModel(m_dm1.connection(), ListView1);
    ListView1->setReportRows(m_addressRows);
    ListView1->setMinimumWidth(Panel2MinimumWidth);
    setColour(ListView1, QPalette::Base, Qt::white);
    QFont header = designFont(11);
    ListView1->SetHeaderFont(header);
    QPalette headerPalette = ListView1->header()->palette();
    headerPalette.setColor(QPalette::ButtonText, Qt::black);
    ListView1->header()->setPalette(headerPalette);
    ListView1->setSmallImages(MainPictures::smallImages());
    layout->addWidget(ListView1);

    connect(ListView1, &TListView1::rowSelected, this, &TFrmMain::ListView111SelectItem);
    connect(ListView1, &TListView1::keyReleased, this, &TFrmMain::ListView111KeyUp);
    connect(ListView1, &TListView1::mouseMovedTo, this, &TFrmMain::ListView111MouseMove);
    connect(ListView1, &TListView1::doubleClickedAnywhere, this, &TFrmMain::ListView111DblClick);
}

void TFrmMain::buildStatusBar(QWidget *parent)
{
    StatusBar1 = new QWidget(parent);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    // The panels keep their widths and places, and a narrow window cuts them off at its
    // right edge; they never make the window wider than it is. (A layout would squeeze
    // their places but not their fixed widths, and the panels would overlap.)
    StatusBar1->setMinimumWidth(1);
    int left = 0;
    for (int panel = 0; panel < 3; ++panel) {
        m_statusPanels[panel] = makeStatusPanel(StatusBar1, left, StatusPanelWidths[panel]);
        left += StatusPanelWidths[panel] + StatusPanelSpacing;
    }
}

void TFrmMain::buildPopupMenus()
{
    TreeViewPopupMenu = new QMenu(this);
    TreePM1 = TreeViewPopupMenu->addAction(QStringLiteral("添加网址"));
    TreePM2 = TreeViewPopupMenu->addAction(QStringLiteral("修改组别名"));
    TreePM3 = TreeViewPopupMenu->addAction(QStringLiteral("添加网址组别"));
    TreePM4 = TreeViewPopupMenu->addAction(QStringLiteral("删除网址组别"));
    TreePM5 = TreeViewPopupMenu->addAction(QStringLiteral("导出网址…"));
    TreePM6 = TreeViewPopupMenu->addAction(QStringLiteral("检查链接"));

    ListViewPopupMenu = new QMenu(this);
    ListPM1 = ListViewPopupMenu->addAction(QStringLiteral("添加网址"));
    ListPM2 = ListViewPopupMenu->addAction(QStringLiteral("修改网址"));
    ListPM3 = ListViewPopupMenu->addAction(QStringLiteral("删除网址"));
    ListPM4 = ListViewPopupMenu->addAction(QStringLiteral("加入到收藏夹"));
    ListPM5 = ListViewPopupMenu->addAction(QStringLiteral("从收藏夹中删除"));
    ListPM6 = ListViewPopupMenu->addAction(QStringLiteral("改为新网址"));
    ListPM7 = ListViewPopupMenu->addAction(QStringLiteral("使用网页标题"));
    ListPM6->setVisible(false); // offered by the row's last link check
    ListPM7->setVisible(false);
}

// A pane narrowed to 30 pixels or less folds away; the list keeps at least 30 pixels
// (its minimum width).
void TFrmMain::Splitter1Moved()
{
    const QList<int> sizes = Splitter1->sizes();
    if (sizes.size() == 2 && sizes[0] > 0 && sizes[0] <= CollapseWidth)
        Splitter1->setSizes({0, sizes[0] + sizes[1]});
}

QString TFrmMain::statusPanelText(int panel) const
{
    return panel >= 0 && panel < 3 ? m_statusPanels[panel]->text() : QString();
}
