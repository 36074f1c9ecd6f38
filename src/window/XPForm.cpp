#include "window/XPForm.h"

#include "window/HintTimes.h"
#include "window/SharedIcons.h"
#include "window/WindowLayer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QColor designCaptionColour(0, 84, 225);
const QColor standardCaptionColour(70, 189, 215);
const QColor infoBackground(0xFF, 0xFF, 0xE1); // the colour of hint backgrounds

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

// Registers the caption-bar pictures of this static library (outside any namespace, as
// Q_INIT_RESOURCE requires).
static void initWindowResources()
{
    static bool done = false;
    if (!done) {
        Q_INIT_RESOURCE(window);
        done = true;
    }
}

TXPForm::TXPForm(QWidget *owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
{
    initWindowResources();
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(ResizeBorder, ResizeBorder, ResizeBorder, ResizeBorder);
    m_layout->setSpacing(0);
    buildCaptionBar();
    m_content = new QWidget(this);
    m_layout->addWidget(m_content, 1);

    SetAlpha(255);
    ArrangeSysButtons();
    if (owner)
        setWindowIcon(owner->windowIcon());
}

void TXPForm::buildCaptionBar()
{
    pnlCaptionParent = new QWidget(this);
    pnlCaptionParent->setObjectName(QStringLiteral("pnlCaptionParent"));
    pnlCaptionParent->setFixedHeight(CaptionHeight);
    setBackground(pnlCaptionParent, designCaptionColour);
    auto *bar = new QHBoxLayout(pnlCaptionParent);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    ImgIcon = new QLabel(pnlCaptionParent);
    ImgIcon->setObjectName(QStringLiteral("ImgIcon"));
    ImgIcon->setFixedSize(CaptionHeight, CaptionHeight);
    ImgIcon->setAlignment(Qt::AlignCenter);
    ImgIcon->setPixmap(SharedIcons::fromFile(QStringLiteral(":/window/icon.svg")).pixmap(16, 16));
    ImgIcon->installEventFilter(this);
    bar->addWidget(ImgIcon);

    pnlCaption = new QLabel(QStringLiteral("SimpleForm"), pnlCaptionParent);
    pnlCaption->setObjectName(QStringLiteral("pnlCaption"));
    pnlCaption->setAlignment(Qt::AlignCenter);
    QPalette captionPalette = pnlCaption->palette();
    captionPalette.setColor(QPalette::WindowText, infoBackground);
    pnlCaption->setPalette(captionPalette);
    QFont captionFont = pnlCaption->font();
    captionFont.setPixelSize(20);
    captionFont.setBold(true);
    pnlCaption->setFont(captionFont);
    pnlCaption->installEventFilter(this);
    bar->addWidget(pnlCaption, 1);

    pnlSysBox = new QWidget(pnlCaptionParent);
    pnlSysBox->setObjectName(QStringLiteral("pnlSysBox"));
    pnlSysBox->setFixedSize(SysBoxWidth, CaptionHeight);
    pnlSysBox->installEventFilter(this);
    bar->addWidget(pnlSysBox);

    btnMin = makeSysButton(QStringLiteral(":/window/min.svg"), &TXPForm::btnMinClick);
    btnMax = makeSysButton(QStringLiteral(":/window/max.svg"), &TXPForm::btnMaxClick);
    btnClose = makeSysButton(QStringLiteral(":/window/close.svg"), &TXPForm::btnCloseClick);
    btnMin->setObjectName(QStringLiteral("btnMin"));
    btnMax->setObjectName(QStringLiteral("btnMax"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnMin->move(1, 1);
    btnMax->move(22, 1);
    btnClose->move(43, 1);
    m_layout->addWidget(pnlCaptionParent);
}

QToolButton *TXPForm::makeSysButton(const QString &iconPath, void (TXPForm::*handler)())
{
    auto *button = new QToolButton(pnlSysBox);
    button->setAutoRaise(true);
    button->setFixedSize(SysButtonSize, SysButtonSize);
    button->setIcon(SharedIcons::fromFile(iconPath));
    button->setIconSize(QSize(19, 19));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void TXPForm::setCaptionText(const QString &text)
{
    pnlCaption->setText(text);
    setWindowTitle(text);
}

QString TXPForm::captionText() const
{
    return pnlCaption->text();
}

QPixmap TXPForm::iconPicture() const
{
    return ImgIcon->pixmap();
}

void TXPForm::setSysButtonsEnabled(bool enabled)
{
    pnlSysBox->setEnabled(enabled);
}

void TXPForm::SetMinButtonVisible(bool visible)
{
    if (btnMin->isHidden() == !visible)
        return;
    btnMin->setVisible(visible);
    ArrangeSysButtons();
}

void TXPForm::SetMaxButtonVisible(bool visible)
{
    if (btnMax->isHidden() == !visible)
        return;
    btnMax->setVisible(visible);
    ArrangeSysButtons();
}

void TXPForm::SetCloseButtonVisible(bool visible)
{
    if (btnClose->isHidden() == !visible)
        return;
    btnClose->setVisible(visible);
    ArrangeSysButtons();
}

void TXPForm::ArrangeSysButtons()
{
    btnClose->setToolTip(QStringLiteral("关闭"));
    btnMin->setToolTip(QStringLiteral("最小化"));
    btnMax->setToolTip(QStringLiteral("最大化"));
    // The caption bar has no bevel: margin 1, top 1.
    const int margin = 1;
    const int top = 1;
    const int right = pnlSysBox->width() - margin;
    int x = right - SysButtonSize;
    for (QToolButton *button : {btnMax, btnMin, btnClose})
        button->move(button->x(), top);
    if (!btnClose->isHidden()) {
        btnClose->move(x, top);
        x -= SysButtonSize;
    }
    if (!btnMax->isHidden()) {
        btnMax->move(x, top);
        x -= SysButtonSize;
    }
    btnMin->move(x, top);
}

void TXPForm::SetAlpha(quint8 value)
{
    if (value == m_alphaValue)
        return;
    m_alphaValue = value;
    SetWindowLayered(this, 0, m_alphaValue, LWA_ALPHA);
}

QPoint TXPForm::centredPosition(const QSize &screen, const QSize &window)
{
    // C++ integer division truncates toward zero, as the placement rule wants.
    return QPoint((screen.width() - window.width() - 10) / 2, (screen.height() - window.height() - 110) / 2);
}

void TXPForm::centreOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(centredPosition(screen->geometry().size(), frameGeometry().size()));
}

void TXPForm::standardSetup()
{
    centreOnScreen();
    HintTimes::apply(0, 60000);
    SetMinButtonVisible(true);
    SetMaxButtonVisible(true);
    SetCloseButtonVisible(true);
    setBackground(pnlCaptionParent, standardCaptionColour);
    QFont captionFont = pnlCaption->font();
    captionFont.setPointSize(13);
    captionFont.setBold(true);
    pnlCaption->setFont(captionFont);
}

void TXPForm::openModal()
{
    placeAboveOwner();
    setWindowModality(Qt::ApplicationModal);
    m_openedModal = true;
    m_programHadKeyboard = QApplication::activeWindow() != nullptr;
    show();
    raise();
    activateWindow();
}

// The window system keeps a window above its owner only when it knows the owner (a
// dialog or tool window is transient for it) and the two share the stay-on-top state.
// A minimised owner comes back first, so the window is not hidden along with it.
void TXPForm::placeAboveOwner()
{
    QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    if (windowType() == Qt::Window && !windowHandle())
        setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    SetWindowStaysOnTop(this, WindowStaysOnTop(owner));
    if (owner->isMinimized())
        owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
}

// Once a modal window has gone, the keyboard goes to the modal window still open, else
// to the owner (else the application's main window), as the window system may leave no
// window active at all. A window opened while another program had the keyboard (an
// editor that a browser asked for) leaves it to the window system to give it back there.
void TXPForm::returnFocusAfterModal()
{
    QPointer<QWidget> owner = parentWidget() ? parentWidget()->window() : nullptr;
    QTimer::singleShot(0, qApp, [owner, programHadKeyboard = m_programHadKeyboard] {
        QWidget *next = QApplication::activeModalWidget();
        if (!next && !programHadKeyboard)
            return;
        if (!next)
            next = owner ? owner.data() : applicationMainWindow();
        if (!next || !next->isVisible() || next->isMinimized())
            return;
        next->raise();
        next->activateWindow();
    });
}

QWidget *TXPForm::applicationMainWindow()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        const auto *form = qobject_cast<TXPForm *>(window);
        if (form && form->isApplicationMainWindow())
            return window;
    }
    return nullptr;
}

void TXPForm::execModal()
{
    QEventLoop loop;
    connect(this, &TXPForm::closed, &loop, &QEventLoop::quit);
    openModal();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
}

void TXPForm::btnMinClick()
{
    if (btnMin->isHidden())
        return;
    if (!m_isApplicationMainWindow) {
        showMinimized();
        return;
    }
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->showMinimized();
    }
}

void TXPForm::btnMaxClick()
{
    if (btnMax->isHidden())
        return;
    m_maximized = !m_maximized;
    if (m_maximized) {
        maximise();
        btnMax->setToolTip(QStringLiteral("还原"));
    } else {
        restore();
        btnMax->setToolTip(QStringLiteral("最大化"));
    }
}

// A window that stays on top is maximised by its geometry: window managers give such a
// window the whole screen, over the desktop's panels, instead of the available area.
void TXPForm::maximise()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!WindowStaysOnTop(this) || !screen) {
        showMaximized();
        return;
    }
    m_geometryBeforeMaximise = geometry();
    m_maximisedByGeometry = true;
    setGeometry(screen->availableGeometry());
}

void TXPForm::restore()
{
    if (!m_maximisedByGeometry) {
        showNormal();
        return;
    }
    m_maximisedByGeometry = false;
    setGeometry(m_geometryBeforeMaximise);
}

bool TXPForm::isMaximisedNow() const
{
    return m_maximisedByGeometry || (windowState() & Qt::WindowMaximized);
}

void TXPForm::btnCloseClick()
{
    if (btnClose->isHidden())
        return;
    close();
}

void TXPForm::ImgIconClick()
{
}

void TXPForm::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    if (m_openedModal) {
        m_openedModal = false;
        returnFocusAfterModal();
    }
    Q_EMIT closed();
}

bool TXPForm::eventFilter(QObject *watched, QEvent *event)
{
    const bool onCaption = watched == pnlCaption || watched == pnlSysBox;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onCaption)
            pnlCaptionMouseDown(static_cast<QMouseEvent *>(event));
        else if (watched == ImgIcon)
            ImgIconClick();
        break;
    case QEvent::MouseButtonDblClick:
        if (onCaption)
            btnMaxClick();
        else if (watched == ImgIcon)
            btnCloseClick();
        return onCaption || watched == ImgIcon;
    case QEvent::MouseMove:
        if (onCaption && m_drag == Drag::Move) {
            mouseMoveEvent(static_cast<QMouseEvent *>(event));
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (onCaption && m_drag != Drag::None) {
            m_drag = Drag::None;
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TXPForm::pnlCaptionMouseDown(QMouseEvent *event)
{
    if (isMaximisedNow())
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_drag = Drag::Move;
    m_dragStartGlobal = event->globalPosition().toPoint();
    m_dragStartGeometry = geometry();
}

Qt::Edges TXPForm::edgesAt(const QPoint &pos) const
{
    Qt::Edges edges;
    if (pos.x() < ResizeBorder)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - ResizeBorder)
        edges |= Qt::RightEdge;
    if (pos.y() < ResizeBorder)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - ResizeBorder)
        edges |= Qt::BottomEdge;
    return edges;
}

void TXPForm::mousePressEvent(QMouseEvent *event)
{
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (edges && event->button() == Qt::LeftButton && !isMaximisedNow()) {
        if (windowHandle() && windowHandle()->startSystemResize(edges))
            return;
        m_drag = Drag::Resize;
        m_dragEdges = edges;
        m_dragStartGlobal = event->globalPosition().toPoint();
        m_dragStartGeometry = geometry();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TXPForm::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint delta = event->globalPosition().toPoint() - m_dragStartGlobal;
    if (m_drag == Drag::Move) {
        move(m_dragStartGeometry.topLeft() + delta);
        return;
    }
    if (m_drag == Drag::Resize) {
        QRect g = m_dragStartGeometry;
        if (m_dragEdges & Qt::LeftEdge)
            g.setLeft(qMin(g.left() + delta.x(), g.right() - minimumWidth()));
        if (m_dragEdges & Qt::RightEdge)
            g.setRight(g.right() + delta.x());
        if (m_dragEdges & Qt::TopEdge)
            g.setTop(qMin(g.top() + delta.y(), g.bottom() - minimumHeight()));
        if (m_dragEdges & Qt::BottomEdge)
            g.setBottom(g.bottom() + delta.y());
        setGeometry(g);
        return;
    }
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if ((edges & Qt::LeftEdge && edges & Qt::TopEdge) || (edges & Qt::RightEdge && edges & Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if ((edges & Qt::RightEdge && edges & Qt::TopEdge) || (edges & Qt::LeftEdge && edges & Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void TXPForm::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag = Drag::None;
    QWidget::mouseReleaseEvent(event);
}
