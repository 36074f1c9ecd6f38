#pragma once

#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// X11's Display, kept out of the tests' namespace (Xlib defines macros such as None and
// Bool that clash with Qt Test).
struct _XDisplay;

// A desktop of its own for one test: an Xvfb server on a display it picks itself, the
// jwm window manager, a session bus, and the real program started on them with its own
// HOME and XDG folders. Everything is stopped when the session is destroyed.
//
// What the user sees is read from the X server: the stacking order from XQueryTree on
// the root window (bottom to top), where each client is placed by its ancestor that is
// a child of the root (its frame), and the active window from _NET_ACTIVE_WINDOW.
class WmSession
{
public:
    struct Client
    {
        unsigned long frame = 0; // the root's child that places the client
        unsigned long window = 0; // the client window (it carries WM_STATE)
        QString title;
        QRect geometry; // of the client window, in root coordinates
    };

    WmSession();
    ~WmSession();

    // False, with the reason in error(), when a part of the desktop does not start.
    bool start();
    QString error() const { return m_error; }
    QString display() const { return m_display; }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QRect screen() const;

    // Starts the program (the VESTRANE_BINARY under test) with the arguments.
    QProcess *startProgram(const QStringList &arguments = {});
    // Runs another program with the session's environment (display, bus, folders).
    QProcess *startTool(const QString &program, const QStringList &arguments);
    // Runs xdotool and waits for it.
    bool xdotool(const QStringList &arguments);
    void click(const QPoint &rootPosition, int button = 1);
    void key(const QString &keys);
    // Ends the session bus, as when the user's session ends.
    void stopBus();

    // Mapped clients from the bottom to the top of the stacking order.
    QList<Client> stacking() const;
    // The topmost mapped client whose title starts with this text, or a client with window 0.
    Client clientTitled(const QString &title) const;
    QList<Client> clientsTitled(const QString &title) const;
    // Position in stacking() of the client's window, -1 when it is not mapped.
    int stackIndex(unsigned long window) const;
    unsigned long activeWindow() const;
    // Whether the keyboard focus is on the window or one of its descendants.
    bool hasInputFocus(unsigned long window) const;
    // The window's _NET_WM_WINDOW_OPACITY, or -1 when it has none.
    qint64 opacity(unsigned long window) const;
    // Whether the window's _NET_WM_STATE holds the state ("_NET_WM_STATE_ABOVE").
    bool hasState(unsigned long window, const char *state) const;
    // The work area the window manager leaves to windows (_NET_WORKAREA).
    QRect workArea() const;
    QRect geometryOf(unsigned long window) const;

    // Polls (running the event loop) until the condition holds or the time is up.
    static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000);

private:
    bool startXvfb();
    bool startWindowManager();
    bool startBus();
    QProcess *launch(const QString &program, const QStringList &arguments);
    QString writeWindowManagerConfig();
    QStringList environment() const;
    unsigned long atom(const char *name) const;
    unsigned long clientOf(unsigned long window) const;
    QString titleOf(unsigned long window) const;

    QTemporaryDir m_dir;
    QString m_error;
    QString m_display;
    QString m_busAddress;
    _XDisplay *m_x = nullptr;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_bus;
    QList<QProcess *> m_processes; // started last first stopped
};
