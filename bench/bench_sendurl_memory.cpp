// Resident memory of the automation object over many SendUrl calls.
//
//   blank:   10,000 calls with a blank name (answered at once, no editor)
//   editor:  1,000 calls that each open an editor, which is then closed unsaved (the way
//            a test closes it), the call answered and the editor freed
//
// The calls come from a second bus connection of this process, as from another program.
// Each phase first warms up (allocator pools, font and style caches, the first editor),
// then measures the resident size before and after. Target: each growth under 1 MB.
// Needs a session bus: without one the program runs itself under dbus-run-session.

#include "automation/AutomationServer.h"
#include "automation/AutomationObject.h"
#include "data/SettingsStore.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QPointer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int BlankCalls = 10000;
constexpr int EditorCalls = 1000;
constexpr long LimitKb = 1024;

long residentKb()
{
    long pages = 0, resident = 0;
    FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void spinUntil(const std::function<bool()> &done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Addresses of 20 to 200 characters; a third of the names Chinese.
QString address(int i)
{
    QString text = QStringLiteral("http://www.site%1.example.com/").arg(i);
    const int length = 20 + int(QRandomGenerator::global()->bounded(181));
    while (text.size() < length)
        text += QStringLiteral("path/%1/").arg(i);
    return text.left(length);
}

QString name(int i)
{
    return i % 3 == 0 ? QStringLiteral("网址名称%1").arg(i) : QStringLiteral("Site name %1").arg(i);
}

class Client
{
public:
    Client() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("bench-client"))) {}
    ~Client() { QDBusConnection::disconnectFromBus(QStringLiteral("bench-client")); }

    QDBusPendingCall sendUrl(const QString &Name1, const QString &Name2)
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(QStringLiteral("Quorvel.PIO"), QStringLiteral("/PIO"),
                                           QStringLiteral("Quorvel.IPIO"), QStringLiteral("SendUrl"));
        message << Name1 << Name2;
        return m_bus.asyncCall(message, std::numeric_limits<int>::max());
    }

private:
    QDBusConnection m_bus;
};

bool blankCall(Client &client, int i)
{
    QDBusPendingCall call = client.sendUrl(address(i), i % 2 ? QString() : QStringLiteral("  "));
    spinUntil([&] { return call.isFinished(); });
    return !call.isError();
}

bool editorCall(Client &client, AutomationServer &server, int i)
{
    QDBusPendingCall call = client.sendUrl(address(i), name(i));
    spinUntil([&] { return call.isFinished() || server.pendingCalls() == 1; });
    if (call.isFinished())
        return false; // answered without an editor: an error
    QPointer<AddressEditor> editor = server.editors()->openEditors().constFirst();
    editor->close();
    spinUntil([&] { return call.isFinished() && editor.isNull(); });
    return !call.isError();
}

// Runs `count` calls after `warmUp` unmeasured ones; gives the growth in KB, or -1 when
// a call failed.
long measure(const char *what, int warmUp, int count, const std::function<bool(int)> &call)
{
    for (int i = 0; i < warmUp; ++i) {
        if (!call(i))
            return -1;
    }
    const long before = residentKb();
    for (int i = 0; i < count; ++i) {
        if (!call(warmUp + i)) {
            std::fprintf(stderr, "%s: call %d failed\n", what, i);
            return -1;
        }
    }
    const long after = residentKb();
    const long growth = after - before;
    std::printf("%-7s %6d calls  resident %7ld KB -> %7ld KB  growth %6ld KB  (%.2f KB per call)  %s\n", what, count,
                before, after, growth, double(growth) / count, growth < LimitKb ? "ok" : "OVER 1 MB");
    return growth;
}

int runUnderOwnBus(char **argv)
{
    qputenv("VESTRANE_BENCH_OWN_BUS", "1");
    std::vector<char *> arguments{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
    for (char **arg = argv; *arg; ++arg)
        arguments.push_back(*arg);
    arguments.push_back(nullptr);
    execvp("dbus-run-session", arguments.data());
    std::perror("dbus-run-session");
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("VESTRANE_BENCH_OWN_BUS"))
        return runUnderOwnBus(argv);

    QTemporaryDir root;
    const QByteArray base = root.path().toLocal8Bit();
    for (const char *sub : {"/home", "/config", "/data", "/runtime"})
        QDir().mkpath(QString::fromLocal8Bit(base + sub));
    ::chmod((base + "/runtime").constData(), 0700);
    qputenv("HOME", base + "/home");
    qputenv("XDG_CONFIG_HOME", base + "/config");
    qputenv("XDG_DATA_HOME", base + "/data");
    qputenv("XDG_RUNTIME_DIR", base + "/runtime");
    qputenv("XDG_CONFIG_DIRS", "/nonexistent-xdg-config");
    qunsetenv("USERPROFILE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    SettingsStore::writeDefaultsIfMissing();
    Dialogs::startRecording();
    AutomationServer server(StartMode::Normal);
    server.startServing();
    if (!server.ownsBusName()) {
        std::fprintf(stderr, "cannot own the bus name Quorvel.PIO\n");
        return 1;
    }
    Client client;

    const long blank = measure("blank", 500, BlankCalls, [&](int i) { return blankCall(client, i); });
    const long editor = measure("editor", 100, EditorCalls, [&](int i) { return editorCall(client, server, i); });
    if (blank < 0 || editor < 0)
        return 1;
    return blank < LimitKb && editor < LimitKb ? 0 : 1;
}
