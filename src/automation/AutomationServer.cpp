#include "automation/AutomationServer.h"

#include "automation/BrowserHosts.h"
#include "automation/Registration.h"
#include "automation/AutomationObject.h"
#include "window/CaptionWindow.h"
#include "platform/Dialogs.h"
#include "platform/Language.h"

#include "editor/AddressEditorOpener.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialog>

#include <cstdio>

namespace {

// A message box needs a window system; "offscreen" and "minimal" have none a user sees,
// and a box there would wait for ever.
bool displayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

void reportRegistrationFailure(const QString &text, int &argc, char **argv)
{
    std::fprintf(stderr, "vestrane: %s\n", qPrintable(text));
    if (!displayAvailable())
        return;
    QApplication app(argc, argv);
    Language::install();
    Dialogs::errorReport(nullptr, text);
}

} // namespace

std::optional<int> AutomationServer::registrationStep(StartMode mode, int &argc, char **argv)
{
    switch (mode) {
    case StartMode::Unregister: {
        Outcome removed = Registration::removeFiles();
        if (removed.ok())
            removed = BrowserHosts::removeFiles();
        if (!removed.ok()) {
            std::fprintf(stderr, "vestrane: %s\n", qPrintable(removed.message));
            return 1;
        }
        return 0;
    }
    case StartMode::Register: {
        Outcome written = Registration::writeFiles(Registration::executablePath());
        if (written.ok())
            written = BrowserHosts::writeFiles(Registration::executablePath());
        if (!written.ok()) {
            reportRegistrationFailure(written.message, argc, argv);
            return 1;
        }
        return 0;
    }
    default:
        // A normal start goes on without an up-to-date registration.
        Registration::writeFiles(Registration::executablePath());
        return std::nullopt;
    }
}

namespace {

// Refuses every editor with the reason.
class RefusingEditors : public AddressEditorOpener
{
public:
    explicit RefusingEditors(QString reason) : m_reason(std::move(reason)) {}
    QString openEditor(const QString &, const QString &, ClosedHandler) override { return m_reason; }

private:
    QString m_reason;
};

} // namespace

bool AutomationServer::displayMissing()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    // Platforms without a window system (offscreen, minimal, vnc) need no display.
    if (!platform.isEmpty() && !platform.contains("xcb") && !platform.contains("wayland"))
        return false;
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int AutomationServer::answerWithoutDisplay(int &argc, char **argv)
{
    const QString reason = QStringLiteral("No display: the address editor cannot be shown, because the program was "
                                          "started without DISPLAY or WAYLAND_DISPLAY; the address was not saved");
    std::fprintf(stderr, "vestrane: %s\n", qPrintable(reason));
    QCoreApplication app(argc, argv);
    RefusingEditors editors(reason);
    AutomationObject object(editors);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 1;
    bus.registerVirtualObject(QLatin1String(Registration::ObjectPath), &object);
    bus.interface()->registerService(QLatin1String(Registration::BusName), QDBusConnectionInterface::DontQueueService,
                                     QDBusConnectionInterface::DontAllowReplacement);
    // The call that started the process comes once the name is owned; a few more may follow.
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(2000);
    QObject::connect(&object, &AutomationObject::callFinished, &quiet, qOverload<>(&QTimer::start));
    QObject::connect(&quiet, &QTimer::timeout, &app, &QCoreApplication::quit);
    quiet.start();
    app.exec();
    bus.unregisterService(QLatin1String(Registration::BusName));
    bus.unregisterObject(QLatin1String(Registration::ObjectPath));
    return 1;
}

namespace {

// Intended: the caption names the Windows object model the program once served.
const QString closeWarningCaption = QStringLiteral("COM Server Warning");

} // namespace

AutomationServer::AutomationServer(StartMode mode, std::chrono::milliseconds activationWait, QObject *parent)
    : QObject(parent), m_mode(mode), m_object(new AutomationObject(m_editors, this))
{
    connect(m_object, &AutomationObject::callStarted, this, &AutomationServer::onCallStarted);
    connect(m_object, &AutomationObject::callFinished, this, &AutomationServer::onCallFinished);
    m_activationTimer.setSingleShot(true);
    m_activationTimer.setInterval(activationWait);
    connect(&m_activationTimer, &QTimer::timeout, this, &AutomationServer::watchForIdle);
    m_idleTimer.setInterval(200);
    connect(&m_idleTimer, &QTimer::timeout, this, &AutomationServer::checkIdle);
}

AutomationServer::~AutomationServer()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (m_ownsName)
        bus.unregisterService(QLatin1String(Registration::BusName));
    if (m_registered)
        bus.unregisterObject(QLatin1String(Registration::ObjectPath));
}

void AutomationServer::startServing()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (m_mode == StartMode::BusStarted)
        m_activationTimer.start();
    if (!bus.isConnected())
        return;
    m_registered = bus.registerVirtualObject(QLatin1String(Registration::ObjectPath), m_object);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        QLatin1String(Registration::BusName), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    m_ownsName = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    if (m_mode == StartMode::BusStarted)
        bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                    QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                    SLOT(onBusGone()));
}

// The bus that started this process for its clients has gone (the session ended): no
// client can reach it any more, and nothing is left to wait for.
void AutomationServer::onBusGone()
{
    Q_EMIT endRequested();
}

int AutomationServer::pendingCalls() const
{
    return m_object->pendingCalls();
}

QString AutomationServer::closeWarningText()
{
    // Intended: two blanks after the first sentence, as the warning has always read.
    return QStringLiteral("There are still active COM objects in this application.  One or more clients may have "
                          "references to these objects, so manually closing ")
        + QStringLiteral("this application may cause those client application(s) to fail.") + QStringLiteral("\n\n")
        + QStringLiteral("Are you sure you want to close this application?");
}

bool AutomationServer::mayClose(QWidget *parent) const
{
    if (pendingCalls() == 0)
        return true;
    const QMessageBox::StandardButton answer =
        Dialogs::show(parent, closeWarningText(), closeWarningCaption, QMessageBox::Yes | QMessageBox::No,
                      QMessageBox::No, QMessageBox::Warning);
    return answer == QMessageBox::Yes;
}

void AutomationServer::onCallStarted()
{
    m_activationTimer.stop();
    m_idleTimer.stop();
}

void AutomationServer::onCallFinished()
{
    if (m_mode == StartMode::BusStarted && pendingCalls() == 0)
        watchForIdle();
}

// The end waits until the user has closed every dialog of the program, so nothing is
// cut off in the middle; the check repeats until then.
void AutomationServer::watchForIdle()
{
    m_idleTimer.start();
    checkIdle();
}

void AutomationServer::checkIdle()
{
    if (pendingCalls() > 0) {
        m_idleTimer.stop();
        return;
    }
    if (dialogOpen())
        return;
    m_idleTimer.stop();
    releaseBusName();
    // A call the bus routed here before it took the name back is already on its way to
    // this thread; it is served before the end, which then waits for its editor. Calls made
    // from now on start a new instance instead of reaching one that is ending.
    QMetaObject::invokeMethod(this, &AutomationServer::endUnlessCalled, Qt::QueuedConnection);
}

void AutomationServer::endUnlessCalled()
{
    if (pendingCalls() == 0)
        Q_EMIT endRequested();
}

void AutomationServer::releaseBusName()
{
    if (!m_ownsName)
        return;
    QDBusConnection::sessionBus().unregisterService(QLatin1String(Registration::BusName));
    m_ownsName = false;
}

bool AutomationServer::dialogOpen()
{
    if (QApplication::activeModalWidget())
        return true;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (!window->isVisible())
            continue;
        if (qobject_cast<QDialog *>(window))
            return true;
        const auto *form = qobject_cast<CaptionWindow *>(window);
        if (form && !form->isApplicationMainWindow())
            return true;
    }
    return false;
}
