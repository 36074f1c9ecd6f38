#include "TestEnv.h"

#include "TestEngine.h"
#include "data/SettingsStore.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

void setEnv(const char *name, const QString &value)
{
    qputenv(name, value.toLocal8Bit());
}

} // namespace

TestEnv::TestEnv()
{
    m_dir.setAutoRemove(true);
    for (const QString &folder : {home(), configHome(), dataHome(), runtimeDir()})
        QDir().mkpath(folder);
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setEnv("HOME", home());
    setEnv("XDG_CONFIG_HOME", configHome());
    setEnv("XDG_DATA_HOME", dataHome());
    setEnv("XDG_CACHE_HOME", root() + QStringLiteral("/cache"));
    setEnv("XDG_RUNTIME_DIR", runtimeDir());
    qputenv("XDG_CONFIG_DIRS", QByteArray("/nonexistent-xdg-config"));
    qunsetenv("USERPROFILE");
    qunsetenv("BROWSER");
    // The programs a test starts show the interface's Chinese texts, whatever the
    // machine's locale; a test of the English texts installs them itself.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (QCoreApplication::instance())
        useTestServerIfAsked();
}

void TestEnv::useTestServerIfAsked()
{
    if (!TestEngine::isPostgres() || m_server)
        return;
    m_server = std::make_unique<TestServerDatabase>();
    // The settings of a user who pointed the program at a server: the first start's
    // defaults, and the server's URI.
    SettingsStore::writeDefaultsIfMissing();
    SettingsStore::setDatabase(m_server->uri());
}

TestEnv::~TestEnv() = default;

QString TestEnv::serverDatabase() const
{
    return m_server ? m_server->uri() : QString();
}

void TestEnv::installRecordingBrowser()
{
    const QString script = m_dir.path() + QStringLiteral("/browser.sh");
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("#!/bin/sh\nprintf '%s%s\\n' \"$1\" \"${PGPASSWORD+ PGPASSWORD}\" >> '%1'\n")
                   .arg(browserLog())
                   .toLocal8Bit());
    file.close();
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setEnv("BROWSER", script);
    QFile::remove(browserLog());
}

QStringList TestEnv::waitForBrowserCalls(int count, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    QStringList lines;
    do {
        QFile log(browserLog());
        if (log.open(QIODevice::ReadOnly)) {
            lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
            if (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            if (lines.size() >= count)
                return lines;
        }
        QTest::qWait(20);
    } while (!deadline.hasExpired());
    return lines;
}
