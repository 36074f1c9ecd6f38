// The toolbar band and its seven commands.
#include "main/MainWindow.h"

#include "platform/DesignFont.h"
#include "import/ImportWindow.h"
#include "main/MainPictures.h"
#include "data/AppError.h"
#include "platform/Dialogs.h"
#include "window/WindowLayer.h"

#include <QHBoxLayout>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr int BandHeight = 27;
constexpr int ButtonWidth = 63;
constexpr int SeparatorWidth = 8;

} // namespace

void MainWindow::buildToolBar(QWidget *parent)
{
    toolBand = new QWidget(parent);
    toolBand->setObjectName(QStringLiteral("toolBand"));
    toolBand->setFixedHeight(BandHeight);
    QPalette band = toolBand->palette();
    band.setBrush(QPalette::Window, QBrush(MainPictures::bandPicture(QSize(64, BandHeight))));
    toolBand->setPalette(band);
    toolBand->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(toolBand);
    row->setContentsMargins(2, 2, 2, 2);

    toolBar = new QToolBar(toolBand);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMinimumHeight(23);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: 0; spacing: 0; }"));
    toolBar->setFont(designFont(13));
    row->addWidget(toolBar);

    translucencyButton = addToolButton(tr("透明"), tr("使窗体变透明"), QStringLiteral("tb_alpha"), true, true);
    stayOnTopButton = addToolButton(tr("置后"), tr("把窗体置后"), QStringLiteral("tb_settop"), true, false);
    visitByIpButton = addToolButton(QStringLiteral("IP"), tr("以文字方式或以IP地址方式访问网址"),
                                    QStringLiteral("tb_ip"), true, false);
    favouritesButton =
        addToolButton(tr("收藏夹", "tool button"), tr("直接跳到收藏夹"), QStringLiteral("tb_favorites"), false, true);
    importButton = addToolButton(tr("导入"), tr("从IE收藏夹导入"), QStringLiteral("tb_import"), false, true);
    helpButton = addToolButton(tr("帮助"), tr("寻求帮助"), QStringLiteral("tb_help"), false, true);
    exitButton = addToolButton(tr("退出"), tr("退出软件"), QStringLiteral("tb_exit"), false, true);

    connect(translucencyButton, &QToolButton::clicked, this, &MainWindow::toggleTranslucency);
    connect(stayOnTopButton, &QToolButton::clicked, this, &MainWindow::toggleStayOnTop);
    connect(favouritesButton, &QToolButton::clicked, this, &MainWindow::showFavourites);
    connect(importButton, &QToolButton::clicked, this, &MainWindow::openImportWindow);
    connect(helpButton, &QToolButton::clicked, this, &MainWindow::showHelpPage);
    connect(exitButton, &QToolButton::clicked, this, &MainWindow::exitFromToolBar);
}

QToolButton *MainWindow::addToolButton(const QString &caption, const QString &hint, const QString &picture,
                                       bool checkable, bool handCursor)
{
    if (!toolBar->actions().isEmpty()) {
        auto *gap = new QWidget(toolBar);
        gap->setFixedWidth(SeparatorWidth);
        toolBar->addWidget(gap);
    }
    auto *button = new QToolButton(toolBar);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(MainPictures::toolButtonIcon(picture));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setCheckable(checkable);
    button->setFixedWidth(ButtonWidth);
    button->setFocusPolicy(Qt::NoFocus);
    if (handCursor)
        button->setCursor(Qt::PointingHandCursor);
    toolBar->addWidget(button);
    return button;
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
    SetWindowStaysOnTop(this, !stayOnTopButton->isChecked());
}

void MainWindow::showFavourites()
{
    leftTabs->setCurrentIndex(0);
    if (!m_favouritesNode)
        return; // the tree could not be loaded
    selectNodeWithoutListing(m_favouritesNode);
    listSelectedNode();
}

// The import window is made for this one use and destroyed when it has closed; then the
// list shows what was imported into the current listing.
void MainWindow::openImportWindow()
{
    try {
        auto importWindow = std::make_unique<ImportWindow>(m_sharedConnection, this);
        importWindow->execModal();
        reloadTreeIfGroupsChanged();
    } catch (const AppError &error) {
        Dialogs::errorReport(this, error.message());
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
