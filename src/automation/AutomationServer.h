#pragma once

#include "automation/StartMode.h"
#include "editor/EditorOpener.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>

class QWidget;
class AutomationObject;

// The automation server: offers the automation object on the session bus and decides
// when a process that the bus started for a client ends.
class AutomationServer : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds ActivationWait{60000};

    // Before any application object: brings the registration files up to date. Gives the
    // exit code in the register and unregister modes, where the process ends at once;
    // nothing in the other modes, where a file that cannot be written is passed over.
    static std::optional<int> registrationStep(StartMode mode, int &argc, char **argv);

    // True when the window system the program would use has no display to connect to (an
    // activation environment without DISPLAY and WAYLAND_DISPLAY): a window would abort.
    static bool displayMissing();
    // Serves the bus without windows: every call is answered at once with an error saying
    // that no editor can be shown; the process ends once no call came for a while. Gives
    // the exit code.
    static int answerWithoutDisplay(int &argc, char **argv);

    explicit AutomationServer(StartMode mode, std::chrono::milliseconds activationWait = ActivationWait,
                              QObject *parent = nullptr);
    ~AutomationServer() override;

    // Puts the object on the bus and asks for the bus name. A name that another process
    // owns, or no bus at all, is passed over silently: the program runs on without it.
    void startServing();
    bool ownsBusName() const { return m_ownsName; }
    AutomationObject *object() const { return m_object; }
    // Opens the editors of the object's calls.
    EditorOpener *editors() { return &m_editors; }
    int pendingCalls() const;

    // The main window asks before it closes: with calls pending the user confirms.
    bool mayClose(QWidget *parent) const;
    static QString closeWarningText();

Q_SIGNALS:
    // A bus-started process has nothing more to do: no call pending, no dialog open.
    void endRequested();

private Q_SLOTS:
    void onBusGone();

private:
    void onCallStarted();
    void onCallFinished();
    void watchForIdle();
    void checkIdle();
    void endUnlessCalled();
    void releaseBusName();
    static bool dialogOpen();

    StartMode m_mode;
    // Destroyed before the object (a child): the calls of editors still open are answered
    // with an error.
    EditorOpener m_editors;
    AutomationObject *m_object = nullptr;
    bool m_registered = false;
    bool m_ownsName = false;
    QTimer m_activationTimer;
    QTimer m_idleTimer;
};
