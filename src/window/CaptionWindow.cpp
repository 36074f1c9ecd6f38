#include "window/CaptionWindow.h"

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

CaptionWindow::CaptionWindow(QWidget *owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
{
    initWindowResources();
    HintTimes::install();
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(ResizeBorder, ResizeBorder, ResizeBorder, ResizeBorder);
    m_layout->setSpacing(0);
    buildCaptionBar();
    m_content = new QWidget(this);
    m_layout->addWidget(m_content, 1);

    setAlpha(255);
    arrangeCaptionButtons();
    if (owner)
        setWindowIcon(owner->windowIcon());
}

void CaptionWindow::buildCaptionBar()
{
    m_caption.captionBar = new QWidget(this);
    m_caption.captionBar->setObjectName(QStringLiteral("captionBar"));
    m_caption.captionBar->setFixedHeight(CaptionHeight);
    setBackground(m_caption.captionBar, designCaptionColour);
    auto *bar = new QHBoxLayout(m_caption.captionBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    m_caption.captionIcon = new QLabel(m_caption.captionBar);
    m_caption.captionIcon->setObjectName(QStringLiteral("captionIcon"));
    m_caption.captionIcon->setFixedSize(CaptionHeight, CaptionHeight);
    m_caption.captionIcon->setAlignment(Qt::AlignCenter);
    m_caption.captionIcon->setPixmap(SharedIcons::fromFile(QStringLiteral(":/window/icon.svg")).pixmap(16, 16));
    m_caption.captionIcon->installEventFilter(this);
    bar->addWidget(m_caption.captionIcon);

    m_caption.captionLabel = new QLabel(QStringLiteral("SimpleForm"), m_caption.captionBar);
    m_caption.captionLabel->setObjectName(QStringLiteral("captionLabel"));
    m_caption.captionLabel->setAlignment(Qt::AlignCenter);
    QPalette captionPalette = m_caption.captionLabel->palette();
    captionPalette.setColor(QPalette::WindowText, infoBackground);
    m_caption.captionLabel->setPalette(captionPalette);
    QFont captionFont = m_caption.captionLabel->font();
    captionFont.setPixelSize(20);
    captionFont.setBold(true);
    m_caption.captionLabel->setFont(captionFont);
    m_caption.captionLabel->installEventFilter(this);
    bar->addWidget(m_caption.captionLabel, 1);

    m_caption.captionButtons = new QWidget(m_caption.captionBar);
    m_caption.captionButtons->setObjectName(QStringLiteral("captionButtons"));
    m_caption.captionButtons->setFixedSize(CaptionButtonsWidth, CaptionHeight);
    m_caption.captionButtons->installEventFilter(this);
    bar->addWidget(m_caption.captionButtons);

    m_caption.minimiseButton = makeCaptionButton(QStringLiteral(":/window/min.svg"), &CaptionWindow::minimiseClicked);
    m_caption.maximiseButton = makeCaptionButton(QStringLiteral(":/window/max.svg"), &CaptionWindow::maximiseClicked);
    m_caption.closeButton = makeCaptionButton(QStringLiteral(":/window/close.svg"), &CaptionWindow::closeClicked);
    m_caption.minimiseButton->setObjectName(QStringLiteral("minimiseButton"));
    m_caption.maximiseButton->setObjectName(QStringLiteral("maximiseButton"));
    m_caption.closeButton->setObjectName(QStringLiteral("closeButton"));
    m_caption.minimiseButton->move(1, 1);
    m_caption.maximiseButton->move(22, 1);
    m_caption.closeButton->move(43, 1);
    m_layout->addWidget(m_caption.captionBar);
}

QToolButton *CaptionWindow::makeCaptionButton(const QString &iconPath, void (CaptionWindow::*handler)())
{
    auto *button = new QToolButton(m_caption.captionButtons);
    button->setAutoRaise(true);
    button->setFixedSize(CaptionButtonSize, CaptionButtonSize);
    button->setIcon(SharedIcons::fromFile(iconPath));
    button->setIconSize(QSize(19, 19));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, handler);
    return button;
}

void CaptionWindow::setCaptionText(const QString &text)
{
    m_caption.captionLabel->setText(text);
    setWindowTitle(text);
}

QString CaptionWindow::captionText() const
{
    return m_caption.captionLabel->text();
}

QPixmap CaptionWindow::iconPicture() const
{
    return m_caption.captionIcon->pixmap();
}

void CaptionWindow::setCaptionButtonsEnabled(bool enabled)
{
    m_caption.captionButtons->setEnabled(enabled);
}

void CaptionWindow::setMinimiseButtonVisible(bool visible)
{
    if (m_caption.minimiseButton->isHidden() == !visible)
        return;
    m_caption.minimiseButton->setVisible(visible);
    arrangeCaptionButtons();
}

void CaptionWindow::setMaximiseButtonVisible(bool visible)
{
    if (m_caption.maximiseButton->isHidden() == !visible)
        return;
    m_caption.maximiseButton->setVisible(visible);
    arrangeCaptionButtons();
}

void CaptionWindow::setCloseButtonVisible(bool visible)
{
    if (m_caption.closeButton->isHidden() == !visible)
        return;
    m_caption.closeButton->setVisible(visible);
    arrangeCaptionButtons();
}

void CaptionWindow::arrangeCaptionButtons()
{
    m_caption.closeButton->setToolTip(tr("关闭"));
    m_caption.minimiseButton->setToolTip(tr("最小化"));
    m_caption.maximiseButton->setToolTip(tr("最大化"));
    // The caption bar has no bevel: margin 1, top 1.
    const int margin = 1;
    const int top = 1;
    const int right = m_caption.captionButtons->width() - margin;
    int x = right - CaptionButtonSize;
    for (QToolButton *button : {m_caption.maximiseButton, m_caption.minimiseButton, m_caption.closeButton})
        button->move(button->x(), top);
    if (!m_caption.closeButton->isHidden()) {
        m_caption.closeButton->move(x, top);
        x -= CaptionButtonSize;
    }
    if (!m_caption.maximiseButton->isHidden()) {
        m_caption.maximiseButton->move(x, top);
        x -= CaptionButtonSize;
    }
    m_caption.minimiseButton->move(x, top);
}

void CaptionWindow::setAlpha(quint8 value)
{
    if (value == m_alphaValue)
        return;
    m_alphaValue = value;
    SetWindowLayered(this, 0, m_alphaValue, LWA_ALPHA);
}

QPoint CaptionWindow::centredPosition(const QSize &screen, const QSize &window)
{
    // C++ integer division truncates toward zero, as the placement rule wants.
    return QPoint((screen.width() - window.width() - 10) / 2, (screen.height() - window.height() - 110) / 2);
}

void CaptionWindow::centreOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(centredPosition(screen->geometry().size(), frameGeometry().size()));
}

void CaptionWindow::standardSetup()
{
    centreOnScreen();
    HintTimes::apply(0, 60000);
    setMinimiseButtonVisible(true);
    setMaximiseButtonVisible(true);
    setCloseButtonVisible(true);
    setBackground(m_caption.captionBar, standardCaptionColour);
    QFont captionFont = m_caption.captionLabel->font();
    captionFont.setPointSize(13);
    captionFont.setBold(true);
    m_caption.captionLabel->setFont(captionFont);
}

void CaptionWindow::openModal()
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
void CaptionWindow::placeAboveOwner()
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
void CaptionWindow::returnFocusAfterModal()
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

QWidget *CaptionWindow::applicationMainWindow()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        const auto *form = qobject_cast<CaptionWindow *>(window);
        if (form && form->isApplicationMainWindow())
            return window;
    }
    return nullptr;
}

void CaptionWindow::execModal()
{
    QEventLoop loop;
    connect(this, &CaptionWindow::closed, &loop, &QEventLoop::quit);
    openModal();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
}

void CaptionWindow::minimiseClicked()
{
    if (m_caption.minimiseButton->isHidden())
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

void CaptionWindow::maximiseClicked()
{
    if (m_caption.maximiseButton->isHidden())
        return;
    m_maximized = !m_maximized;
    if (m_maximized) {
        maximise();
        m_caption.maximiseButton->setToolTip(tr("还原"));
    } else {
        restore();
        m_caption.maximiseButton->setToolTip(tr("最大化"));
    }
}

// A window that stays on top is maximised by its geometry: window managers give such a
// window the whole screen, over the desktop's panels, instead of the available area.
void CaptionWindow::maximise()
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

void CaptionWindow::restore()
{
    if (!m_maximisedByGeometry) {
        showNormal();
        return;
    }
    m_maximisedByGeometry = false;
    setGeometry(m_geometryBeforeMaximise);
}

bool CaptionWindow::isMaximisedNow() const
{
    return m_maximisedByGeometry || (windowState() & Qt::WindowMaximized);
}

void CaptionWindow::closeClicked()
{
    if (m_caption.closeButton->isHidden())
        return;
    close();
}

void CaptionWindow::iconClicked() {}

void CaptionWindow::closeEvent(QCloseEvent *event)
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

bool CaptionWindow::eventFilter(QObject *watched, QEvent *event)
{
    const bool onCaption = watched == m_caption.captionLabel || watched == m_caption.captionButtons;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (onCaption)
            captionMousePressed(static_cast<QMouseEvent *>(event));
        else if (watched == m_caption.captionIcon)
            iconClicked();
        break;
    case QEvent::MouseButtonDblClick:
        if (onCaption)
            maximiseClicked();
        else if (watched == m_caption.captionIcon)
            closeClicked();
        return onCaption || watched == m_caption.captionIcon;
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
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void CaptionWindow::captionMousePressed(QMouseEvent *event)
{
    if (isMaximisedNow())
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_drag = Drag::Move;
    m_dragStartGlobal = event->globalPosition().toPoint();
    m_dragStartGeometry = geometry();
}

Qt::Edges CaptionWindow::edgesAt(const QPoint &pos) const
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

void CaptionWindow::mousePressEvent(QMouseEvent *event)
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

void CaptionWindow::mouseMoveEvent(QMouseEvent *event)
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

void CaptionWindow::mouseReleaseEvent(QMouseEvent *event)
{
    m_drag = Drag::None;
    QWidget::mouseReleaseEvent(event);
}
