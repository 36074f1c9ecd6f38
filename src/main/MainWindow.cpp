// Creation, activation and closing of the main window.
#include "main/MainWindow.h"

#include "data/SharedConnection.h"
#include "data/AppError.h"
#include "main/AddressExport.h"
#include "main/AddressVisitor.h"
#include "main/BinCommands.h"
#include "main/GroupCommands.h"
#include "main/HistoryActions.h"
#include "main/LinkViews.h"
#include "platform/DesktopHelp.h"
#include "platform/Dialogs.h"
#include "services/Outcome.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QPropertyAnimation>

namespace {

constexpr int CloseAnimationMs = 200;

} // namespace

MainWindow::MainWindow(SharedConnection &sharedConnection, QWidget *owner)
    : CaptionWindow(owner), m_sharedConnection(sharedConnection), m_openHelp(&DesktopHelp::open)
{
    setApplicationMainWindow(true);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(DesignWidth, DesignHeight);
    buildLayout();
    // The parts' commands, before the first listing needs them.
    const auto showOutcomeHere = [this](const Outcome &outcome) { return showOutcome(outcome); };
    m_bin = std::make_unique<BinCommands>(m_sharedConnection, *m_groupTree, *m_addressList, this, showOutcomeHere,
                                          [this] { reloadKeepingView(true); });
    m_groups = std::make_unique<GroupCommands>(
        m_sharedConnection, *m_groupTree,
        GroupCommands::Callbacks{showOutcomeHere, [this] { return m_currentGroup; }, [this] { listSelectedNode(); },
                                 [this] { m_bin->followDelete(); }});
    m_export = std::make_unique<AddressExport>(m_sharedConnection.connection(), *m_groupTree, this);
    m_visitor = std::make_unique<AddressVisitor>(m_sharedConnection.connection(), *m_toolBar, this, showOutcomeHere);
    m_links = std::make_unique<LinkViews>(m_sharedConnection, *m_groupTree, *m_addressList, this, showOutcomeHere,
                                          [this] { listSelectedNode(); });
    // Sees the activation of every window of the program.
    qApp->installEventFilter(this);
    createContents();
    setupRefresh();
    new HistoryActions(m_sharedConnection, this, {m_groupTree->menu(), m_addressList->menu()}, showOutcomeHere,
                       [this] { reloadKeepingView(true); });
}

// The commands go before the parts, which are the window's children.
MainWindow::~MainWindow() = default;

void MainWindow::visitCurrentAddress()
{
    m_visitor->visit(m_currentAddress);
}

bool MainWindow::showOutcome(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Done: return true;
    case Outcome::Kind::Refused:
        if (!outcome.message.isEmpty())
            Dialogs::show(this, outcome.message, tr("提示"));
        break;
    case Outcome::Kind::ReadOnly:
    case Outcome::Kind::Unreachable: Dialogs::show(this, outcome.message, tr("提示")); break;
    case Outcome::Kind::Failed: Dialogs::failure(this); break;
    }
    return false;
}

// Runs once, before the window is first shown. A failing step ends the sequence with the
// default error report; the window is shown all the same.
void MainWindow::createContents()
{
    standardSetup(); // centred, hint times, the three caption buttons, caption colours
    setCaptionText(QStringLiteral("Vestrane V1.1.2"));
    setWindowTitle(Dialogs::applicationTitle());
    try {
        setCurrentAddress(QString());
        setCurrentGroup(GroupTreePane::rootLabel());
        // The list fill selects the tree's root node and its rows need the columns: this
        // order matters.
        loadTree();
        m_addressList->setUpColumns();
        fillList();
    } catch (const AppError &error) {
        Dialogs::errorReport(this, error.message());
    }
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
