// The tool bar's seven commands.
#include "main/MainWindow.h"

#include "import/ImportWindow.h"
#include "main/MainToolBar.h"
#include "data/AppError.h"
#include "platform/Dialogs.h"
#include "window/WindowLayer.h"

#include <QTabWidget>

#include <memory>

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
