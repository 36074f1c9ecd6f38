#pragma once

#include "app/StartOptions.h"
#include "editor/EditorOpener.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <optional>

class QWidget;
class TPIO;

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

    explicit AutomationServer(StartMode mode, std::chrono::milliseconds activationWait = ActivationWait,
                              QObject *parent = nullptr);
    ~AutomationServer() override;

    // Puts the object on the bus and asks for the bus name. A name that another process
    // owns, or no bus at all, is passed over silently: the program runs on without it.
    void startServing();
    bool ownsBusName() const { return m_ownsName; }
    TPIO *object() const { return m_object; }
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
    static bool dialogOpen();

    StartMode m_mode;
    // Destroyed before the object (a child): editors still open go without an answer.
    EditorOpener m_editors;
    TPIO *m_object = nullptr;
    bool m_registered = false;
    bool m_ownsName = false;
    QTimer m_activationTimer;
    QTimer m_idleTimer;
};
