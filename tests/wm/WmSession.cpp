#include "WmSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// A window may go between listing it and asking for its properties; such errors are
// expected while windows open and close, and must not end the test.
int ignoreXErrors(Display *, XErrorEvent *)
{
    return 0;
}

QByteArray readLine(QProcess &process, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine() && !deadline.hasExpired()) {
        if (!process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
    }
    return process.canReadLine() ? process.readLine().trimmed() : QByteArray();
}

void stop(QProcess *process)
{
    if (process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(3000);
    }
}

} // namespace

WmSession::WmSession()
{
    XSetErrorHandler(ignoreXErrors);
    for (const char *folder : {"home", "config", "data", "cache", "runtime"})
        QDir(m_dir.path()).mkpath(QLatin1String(folder));
    QFile::setPermissions(m_dir.path() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

WmSession::~WmSession()
{
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        stop(*it);
        delete *it;
    }
    if (m_bus)
        stop(m_bus.get());
    if (m_x)
        XCloseDisplay(m_x);
    if (m_xvfb)
        stop(m_xvfb.get());
}

bool WmSession::start()
{
    return startXvfb() && startBus() && startWindowManager();
}

bool WmSession::startXvfb()
{
    // -displayfd: the server picks a free display and writes its number once it is ready,
    // so that tests run side by side without agreeing on numbers.
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setProcessChannelMode(QProcess::SeparateChannels);
    m_xvfb->start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                   QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    const QByteArray number = readLine(*m_xvfb, 20000);
    if (number.isEmpty()) {
        m_error = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_xvfb->readAllStandardError());
        return false;
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(number);
    m_x = XOpenDisplay(m_display.toLatin1().constData());
    if (!m_x)
        m_error = QStringLiteral("cannot open display ") + m_display;
    return m_x != nullptr;
}

bool WmSession::startBus()
{
    // With the session's folders, so that the bus finds the program's service file.
    m_bus = std::make_unique<QProcess>();
    m_bus->setEnvironment(environment());
    m_bus->start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    m_busAddress = QString::fromLatin1(readLine(*m_bus, 10000));
    if (m_busAddress.isEmpty())
        m_error = QStringLiteral("the session bus did not start");
    return !m_busAddress.isEmpty();
}

QString WmSession::writeWindowManagerConfig()
{
    // Click to focus, so that where the pointer rests does not change the active window,
    // and a panel at the bottom that windows must leave free.
    const QString path = m_dir.path() + QStringLiteral("/jwmrc");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<?xml version=\"1.0\"?>\n<JWM>\n"
               "  <FocusModel>click</FocusModel>\n"
               "  <Desktops width=\"1\" height=\"1\"/>\n"
               "  <Tray x=\"0\" y=\"-1\" height=\"25\" autohide=\"off\"><TaskList/></Tray>\n"
               "</JWM>\n");
    return path;
}

bool WmSession::startWindowManager()
{
    launch(QStringLiteral("jwm"), {QStringLiteral("-f"), writeWindowManagerConfig()});
    // Ready once it has claimed the screen and published the work area beside its panel.
    const bool ready = waitFor([this] { return workArea().isValid() && workArea() != screen(); }, 20000);
    if (!ready)
        m_error = QStringLiteral("jwm did not start");
    return ready;
}

QStringList WmSession::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString root = m_dir.path();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), QStringLiteral("/nonexistent-xdg-config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("BROWSER"), QStringLiteral("true"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("USERPROFILE"));
    return env.toStringList();
}

QProcess *WmSession::launch(const QString &program, const QStringList &arguments)
{
    auto *process = new QProcess;
    process->setEnvironment(environment());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    m_processes.append(process);
    return process;
}

QProcess *WmSession::startProgram(const QStringList &arguments)
{
    return launch(qEnvironmentVariable("VESTRANE_BINARY"), arguments);
}

QProcess *WmSession::startTool(const QString &program, const QStringList &arguments)
{
    return launch(program, arguments);
}

bool WmSession::xdotool(const QStringList &arguments)
{
    QProcess process;
    process.setEnvironment(environment());
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

void WmSession::click(const QPoint &rootPosition, int button)
{
    xdotool({QStringLiteral("mousemove"), QString::number(rootPosition.x()), QString::number(rootPosition.y()),
             QStringLiteral("click"), QString::number(button)});
}

void WmSession::key(const QString &keys)
{
    xdotool({QStringLiteral("key"), keys});
}

void WmSession::stopBus()
{
    stop(m_bus.get());
}

QRect WmSession::screen() const
{
    const int number = DefaultScreen(m_x);
    return QRect(0, 0, DisplayWidth(m_x, number), DisplayHeight(m_x, number));
}

unsigned long WmSession::atom(const char *name) const
{
    return XInternAtom(m_x, name, False);
}

namespace {

// The property's items (32-bit formats come as longs), empty when it is missing.
QList<unsigned long> longProperty(Display *x, Window window, Atom property, Atom type)
{
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QList<unsigned long> values;
    if (XGetWindowProperty(x, window, property, 0, 64, False, type, &actualType, &format, &count, &remaining, &data)
            == Success
        && data && format == 32) {
        const auto *items = reinterpret_cast<unsigned long *>(data);
        for (unsigned long i = 0; i < count; ++i)
            values.append(items[i]);
    }
    if (data)
        XFree(data);
    return values;
}

QList<Window> childrenOf(Display *x, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    QList<Window> list;
    if (XQueryTree(x, window, &root, &parent, &children, &count) && children) {
        for (unsigned int i = 0; i < count; ++i)
            list.append(children[i]);
    }
    if (children)
        XFree(children);
    return list;
}

} // namespace

unsigned long WmSession::clientOf(unsigned long window) const
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    XGetWindowProperty(m_x, window, atom("WM_STATE"), 0, 0, False, AnyPropertyType, &type, &format, &count, &remaining,
                       &data);
    if (data)
        XFree(data);
    if (type != 0)
        return window;
    for (Window child : childrenOf(m_x, window)) {
        if (const unsigned long client = clientOf(child))
            return client;
    }
    return 0;
}

QString WmSession::titleOf(unsigned long window) const
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char *data = nullptr;
    QString title;
    if (XGetWindowProperty(m_x, window, atom("_NET_WM_NAME"), 0, 1024, False, atom("UTF8_STRING"), &type, &format,
                           &count, &remaining, &data)
            == Success
        && data && format == 8)
        title = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
    if (data)
        XFree(data);
    if (title.isEmpty()) {
        char *name = nullptr;
        if (XFetchName(m_x, window, &name) && name)
            title = QString::fromLocal8Bit(name);
        if (name)
            XFree(name);
    }
    return title;
}

QRect WmSession::geometryOf(unsigned long window) const
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_x, window, &attributes))
        return {};
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(m_x, window, DefaultRootWindow(m_x), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

QList<WmSession::Client> WmSession::stacking() const
{
    QList<Client> clients;
    for (Window frame : childrenOf(m_x, DefaultRootWindow(m_x))) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_x, frame, &attributes) || attributes.map_state != IsViewable)
            continue;
        const unsigned long window = clientOf(frame);
        if (!window)
            continue;
        clients.append(Client{frame, window, titleOf(window), geometryOf(window)});
    }
    return clients;
}

QList<WmSession::Client> WmSession::clientsTitled(const QString &title) const
{
    QList<Client> found;
    for (const Client &client : stacking()) {
        if (client.title.startsWith(title))
            found.append(client);
    }
    return found;
}

WmSession::Client WmSession::clientTitled(const QString &title) const
{
    const QList<Client> found = clientsTitled(title);
    return found.isEmpty() ? Client{} : found.last();
}

int WmSession::stackIndex(unsigned long window) const
{
    const QList<Client> clients = stacking();
    for (int i = 0; i < clients.size(); ++i) {
        if (clients.at(i).window == window)
            return i;
    }
    return -1;
}

unsigned long WmSession::activeWindow() const
{
    const QList<unsigned long> value = longProperty(m_x, DefaultRootWindow(m_x), atom("_NET_ACTIVE_WINDOW"), XA_WINDOW);
    return value.isEmpty() ? 0 : value.first();
}

bool WmSession::hasInputFocus(unsigned long window) const
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_x, &focus, &revert);
    const Window root = DefaultRootWindow(m_x);
    while (focus && focus != root && focus != PointerRoot) {
        if (focus == window)
            return true;
        Window parent = 0;
        Window rootReturn = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_x, focus, &rootReturn, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        focus = parent;
    }
    return false;
}

qint64 WmSession::opacity(unsigned long window) const
{
    const QList<unsigned long> value = longProperty(m_x, window, atom("_NET_WM_WINDOW_OPACITY"), XA_CARDINAL);
    return value.isEmpty() ? -1 : qint64(value.first() & 0xFFFFFFFFUL);
}

bool WmSession::hasState(unsigned long window, const char *state) const
{
    return longProperty(m_x, window, atom("_NET_WM_STATE"), XA_ATOM).contains(atom(state));
}

QRect WmSession::workArea() const
{
    const QList<unsigned long> value = longProperty(m_x, DefaultRootWindow(m_x), atom("_NET_WORKAREA"), XA_CARDINAL);
    if (value.size() < 4)
        return {};
    return QRect(int(value.at(0)), int(value.at(1)), int(value.at(2)), int(value.at(3)));
}

bool WmSession::waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}
