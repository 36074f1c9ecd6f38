// The main window's tool bar: a band with seven buttons. It says which button was clicked;
// the window does the work.
#pragma once

#include <QWidget>

class QToolBar;
class QToolButton;

class MainToolBar : public QWidget
{
    Q_OBJECT

public:
    explicit MainToolBar(QWidget *parent = nullptr);

    QToolBar *buttonRow() const { return m_buttonRow; }
    // Checkable: a second click makes the window opaque again.
    QToolButton *translucencyButton() const { return m_translucencyButton; }
    // Checkable: down lets other windows cover the window.
    QToolButton *stayOnTopButton() const { return m_stayOnTopButton; }
    // Checkable: down opens addresses by their host's IPv4 address.
    QToolButton *visitByIpButton() const { return m_visitByIpButton; }
    QToolButton *favouritesButton() const { return m_favouritesButton; }
    QToolButton *importButton() const { return m_importButton; }
    QToolButton *helpButton() const { return m_helpButton; }
    QToolButton *exitButton() const { return m_exitButton; }

    bool visitsByIp() const;
    bool keepsBehind() const;

Q_SIGNALS:
    void translucencyClicked();
    void stayOnTopClicked();
    void favouritesClicked();
    void importClicked();
    void helpClicked();
    void exitClicked();

private:
    QToolButton *addButton(const QString &caption, const QString &hint, const QString &picture, bool checkable,
                           bool handCursor, const char *objectName);

    QToolBar *m_buttonRow = nullptr;
    QToolButton *m_translucencyButton = nullptr;
    QToolButton *m_stayOnTopButton = nullptr;
    QToolButton *m_visitByIpButton = nullptr;
    QToolButton *m_favouritesButton = nullptr;
    QToolButton *m_importButton = nullptr;
    QToolButton *m_helpButton = nullptr;
    QToolButton *m_exitButton = nullptr;
};
