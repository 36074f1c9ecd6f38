// The toolbar band and its seven commands.
#include "main/FrmMain.h"

#include "platform/DesignFont.h"
#include "import/FrmImport.h"
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

void TFrmMain::buildToolBar(QWidget *parent)
{
    CoolBar1 = new QWidget(parent);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setFixedHeight(BandHeight);
    QPalette band = CoolBar1->palette();
    band.setBrush(QPalette::Window, QBrush(MainPictures::bandPicture(QSize(64, BandHeight))));
    CoolBar1->setPalette(band);
    CoolBar1->setAutoFillBackground(true);
    auto *row = new QHBoxLayout(CoolBar1);
    row->setContentsMargins(2, 2, 2, 2);

    ToolBar1 = new QToolBar(CoolBar1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMinimumHeight(23);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: 0; spacing: 0; }"));
    ToolBar1->setFont(designFont(13));
    row->addWidget(ToolBar1);

    AlphTBtn = addToolButton(QStringLiteral("透明"), QStringLiteral("使窗体变透明"), QStringLiteral("tb_alpha"), true, true);
    SetTopTBtn = addToolButton(QStringLiteral("置后"), QStringLiteral("把窗体置后"), QStringLiteral("tb_settop"), true, false);
    IPTBtn = addToolButton(QStringLiteral("IP"), QStringLiteral("以文字方式或以IP地址方式访问网址"), QStringLiteral("tb_ip"),
                           true, false);
    CTBtn = addToolButton(QStringLiteral("收藏夹"), QStringLiteral("直接跳到收藏夹"), QStringLiteral("tb_favorites"), false, true);
    ImportTBtn = addToolButton(QStringLiteral("导入"), QStringLiteral("从IE收藏夹导入"), QStringLiteral("tb_import"), false, true);
    HelpTBtn = addToolButton(QStringLiteral("帮助"), QStringLiteral("寻求帮助"), QStringLiteral("tb_help"), false, true);
    ExitTBtn = addToolButton(QStringLiteral("退出"), QStringLiteral("退出软件"), QStringLiteral("tb_exit"), false, true);

    connect(AlphTBtn, &QToolButton::clicked, this, &TFrmMain::AlphTBtnClick);
    connect(SetTopTBtn, &QToolButton::clicked, this, &TFrmMain::SetTopTBtnClick);
    connect(CTBtn, &QToolButton::clicked, this, &TFrmMain::CTBtnClick);
    connect(ImportTBtn, &QToolButton::clicked, this, &TFrmMain::ImportTBtnClick);
    connect(HelpTBtn, &QToolButton::clicked, this, &TFrmMain::HelpTBtnClick);
    connect(ExitTBtn, &QToolButton::clicked, this, &TFrmMain::ExitTBtnClick);
}

QToolButton *TFrmMain::addToolButton(const QString &caption, const QString &hint, const QString &picture,
                                     bool checkable, bool handCursor)
{
    if (!ToolBar1->actions().isEmpty()) {
        auto *gap = new QWidget(ToolBar1);
        gap->setFixedWidth(SeparatorWidth);
        ToolBar1->addWidget(gap);
    }
    auto *button = new QToolButton(ToolBar1);
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
    ToolBar1->addWidget(button);
    return button;
}

// Looks at the opacity, not at the button: two clicks always come back to opaque.
void TFrmMain::AlphTBtnClick()
{
    SetAlpha(AlphaValue() == 255 ? 200 : 255);
}

// Down: other windows may cover this one. Up: it stays on top again. Only the stacking
// changes: the opacity and the normal geometry stay as they are.
void TFrmMain::SetTopTBtnClick()
{
    SetWindowStaysOnTop(this, !SetTopTBtn->isChecked());
}

void TFrmMain::CTBtnClick()
{
    PageControl1->setCurrentIndex(0);
    if (!m_favouritesNode)
        return; // the tree could not be loaded
    selectNodeWithoutListing(m_favouritesNode);
    TreeView1Click();
}

// The import window is made for this one use and destroyed when it has closed; then the
// list shows what was imported into the current listing.
void TFrmMain::ImportTBtnClick()
{
    try {
        auto importWindow = std::make_unique<TFrmImport>(m_dm1, this);
        importWindow->execModal();
        reloadTreeIfGroupsChanged();
    } catch (const AppError &error) {
        Dialogs::errorReport(this, error.message());
        return;
    }
    P_FillList();
}

QString TFrmMain::helpFailureText()
{
    return QStringLiteral("未能打开帮助页面：没有可以启动的浏览器。");
}

// The program makes room for the help page; when no browser starts, it comes back and
// says so.
void TFrmMain::HelpTBtnClick()
{
    btnMinClick();
    if (!m_openHelp || m_openHelp())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    Dialogs::show(this, helpFailureText(), QStringLiteral("提示"));
}

void TFrmMain::ExitTBtnClick()
{
    close();
}
