#include "main/MainToolBar.h"

#include "main/MainPictures.h"
#include "platform/DesignFont.h"

#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int BandHeight = 27;
constexpr int ButtonWidth = 63;
constexpr int SeparatorWidth = 8;

} // namespace

MainToolBar::MainToolBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("toolBand"));
    setFixedHeight(BandHeight);
    QPalette band = palette();
    band.setBrush(QPalette::Window, QBrush(MainPictures::bandPicture(QSize(64, BandHeight))));
    setPalette(band);
    setAutoFillBackground(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);

    m_buttonRow = new QToolBar(this);
    m_buttonRow->setObjectName(QStringLiteral("toolBar"));
    m_buttonRow->setMinimumHeight(23);
    m_buttonRow->setIconSize(QSize(16, 16));
    m_buttonRow->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_buttonRow->setMovable(false);
    m_buttonRow->setFloatable(false);
    m_buttonRow->setStyleSheet(QStringLiteral("QToolBar { background: transparent; border: 0; spacing: 0; }"));
    m_buttonRow->setFont(designFont(13));
    row->addWidget(m_buttonRow);

    m_translucencyButton =
        addButton(tr("透明"), tr("使窗体变透明"), QStringLiteral("tb_alpha"), true, true, "translucencyButton");
    m_stayOnTopButton =
        addButton(tr("置后"), tr("把窗体置后"), QStringLiteral("tb_settop"), true, false, "stayOnTopButton");
    m_visitByIpButton = addButton(QStringLiteral("IP"), tr("以文字方式或以IP地址方式访问网址"), QStringLiteral("tb_ip"),
                                  true, false, "visitByIpButton");
    m_favouritesButton = addButton(tr("收藏夹", "tool button"), tr("直接跳到收藏夹"), QStringLiteral("tb_favorites"),
                                   false, true, "favouritesButton");
    m_importButton =
        addButton(tr("导入"), tr("从IE收藏夹导入"), QStringLiteral("tb_import"), false, true, "importButton");
    m_helpButton = addButton(tr("帮助"), tr("寻求帮助"), QStringLiteral("tb_help"), false, true, "helpButton");
    m_exitButton = addButton(tr("退出"), tr("退出软件"), QStringLiteral("tb_exit"), false, true, "exitButton");

    connect(m_translucencyButton, &QToolButton::clicked, this, &MainToolBar::translucencyClicked);
    connect(m_stayOnTopButton, &QToolButton::clicked, this, &MainToolBar::stayOnTopClicked);
    connect(m_favouritesButton, &QToolButton::clicked, this, &MainToolBar::favouritesClicked);
    connect(m_importButton, &QToolButton::clicked, this, &MainToolBar::importClicked);
    connect(m_helpButton, &QToolButton::clicked, this, &MainToolBar::helpClicked);
    connect(m_exitButton, &QToolButton::clicked, this, &MainToolBar::exitClicked);
}

bool MainToolBar::visitsByIp() const
{
    return m_visitByIpButton->isChecked();
}

bool MainToolBar::keepsBehind() const
{
    return m_stayOnTopButton->isChecked();
}

QToolButton *MainToolBar::addButton(const QString &caption, const QString &hint, const QString &picture, bool checkable,
                                    bool handCursor, const char *objectName)
{
    if (!m_buttonRow->actions().isEmpty()) {
        auto *gap = new QWidget(m_buttonRow);
        gap->setFixedWidth(SeparatorWidth);
        m_buttonRow->addWidget(gap);
    }
    auto *button = new QToolButton(m_buttonRow);
    button->setObjectName(QLatin1String(objectName));
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
    m_buttonRow->addWidget(button);
    return button;
}
