#include "BusTest.h"

#include "automation/AutomationServer.h"
#include "automation/Registration.h"
#include "automation/AutomationObject.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"
#include "OpenEditors.h"

#include <QDBusConnectionInterface>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <csignal>
#include <memory>
#include <stdexcept>

namespace {

// The environment of these tests is the bus daemon's own (set by the script), so an
// activated program sees the same folders as this test.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

int runToEnd(const QString &program, const QStringList &arguments, QByteArray *standardError = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (standardError)
        *standardError = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

QStringList commandLine(uint pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList parts = QString::fromLocal8Bit(file.readAll()).split(QChar(0));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
}

bool running(uint pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype end = text.lastIndexOf(')');
    return end < 0 || text.mid(end + 2, 1) != "Z";
}

QString settingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Kelvo/Kelvo.conf");
}

} // namespace

class TestActivation : public QObject
{
    Q_OBJECT

private:
    QList<uint> m_activated;
    std::unique_ptr<AutomationServer> m_server;

    QDBusConnectionInterface *bus() { return QDBusConnection::sessionBus().interface(); }
    bool nameOwned() { return bus()->isServiceRegistered(QStringLiteral("Quorvel.PIO")).value(); }
    AddressEditor *waitForEditor() { return ::waitForEditor(*m_server->editors()); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(programPath()).isExecutable(), "VESTRANE_BINARY names no program");
        Dialogs::startRecording();
    }
    void cleanup()
    {
        m_server.reset();
        for (uint pid : std::as_const(m_activated)) {
            if (running(pid))
                ::kill(pid_t(pid), SIGKILL);
        }
        m_activated.clear();
        QTRY_VERIFY(!nameOwned());
        Registration::removeFiles();
    }

    // Registers `program` and has the bus start it (introspection calls no method);
    // gives its process id, 0 when it did not start.
    uint startThroughTheBus(const QString &program)
    {
        if (runToEnd(program, {QStringLiteral("-regserver")}) != 0) {
            qWarning("-regserver failed");
            return 0;
        }
        BusClient client;
        const QDBusMessage introspection =
            waitForReply(client.call(BusClient::method(QStringLiteral("Introspect"),
                                                       QStringLiteral("org.freedesktop.DBus.Introspectable"))),
                         30000);
        if (introspection.type() != QDBusMessage::ReplyMessage) {
            qWarning() << introspection.errorMessage();
            return 0;
        }
        const uint pid = bus()->servicePid(QStringLiteral("Quorvel.PIO")).value();
        if (pid != 0)
            m_activated << pid;
        return pid;
    }

    void busStartsTheRegisteredProgram_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("build folder") << QString();
        QTest::newRow("blank, quotes and dollar") << QStringLiteral("my apps/it's \"q\" $HOME \\x");
    }
    void busStartsTheRegisteredProgram()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QString program = QFileInfo(programPath()).canonicalFilePath();
        if (!folder.isEmpty()) {
            const QString copy = dir.path() + QLatin1Char('/') + folder + QStringLiteral("/vestrane");
            QVERIFY(QDir().mkpath(QFileInfo(copy).path()));
            QVERIFY(QFile::copy(program, copy));
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            program = copy;
        }
        const uint pid = startThroughTheBus(program);
        QVERIFY(pid != 0);
        QCOMPARE(commandLine(pid), (QStringList{program, QStringLiteral("-EMBEDDING")}));
        QCOMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).canonicalFilePath(), program);
    }

    void busStartedProgramEndsAfterItsCall()
    {
        const uint pid = startThroughTheBus(QFileInfo(programPath()).canonicalFilePath());
        QVERIFY(pid != 0);
        QTest::qWait(300);
        QVERIFY(running(pid)); // waits for its call
        BusClient client;
        QCOMPARE(waitForReply(client.sendUrl({QString(), QString()})).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(!running(pid), 10000);
    }

    // Started for the bus where there is no display: the call is answered with an error
    // that says so, and the process ends by itself instead of aborting.
    void startWithoutADisplayAnswersWithAnError()
    {
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start(programPath(), {QStringLiteral("-EMBEDDING")});
        QTRY_VERIFY_WITH_TIMEOUT(nameOwned(), 10000);
        BusClient client;
        const QDBusMessage reply = waitForReply(client.sendUrl({QStringLiteral("http://a/"), QStringLiteral("b")}));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QVERIFY2(reply.errorMessage().contains(QLatin1String("No display")), qPrintable(reply.errorMessage()));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    }

    void sendUrlClientStartsTheProgramWhenNoneRuns()
    {
        QCOMPARE(runToEnd(programPath(), {QStringLiteral("/RegServer")}), 0);
        QFile::remove(settingsFile());
        QByteArray error;
        QCOMPARE(
            runToEnd(programPath(), {QStringLiteral("--send-url"), QStringLiteral(" "), QStringLiteral("x")}, &error),
            0);
        QVERIFY2(error.isEmpty(), error.constData());
        QVERIFY(QFileInfo::exists(settingsFile())); // the program did start
        QTRY_VERIFY_WITH_TIMEOUT(!nameOwned(), 10000); // and ended after the call
    }

    void sendUrlClientFailsWhenNothingCanServe()
    {
        QByteArray error;
        QCOMPARE(runToEnd(programPath(),
                          {QStringLiteral("--send-url"), QStringLiteral("http://a/"), QStringLiteral("b")}, &error),
                 1);
        QVERIFY2(error.contains("Quorvel.PIO"), error.constData());
        QCOMPARE(runToEnd(programPath(), {QStringLiteral("--send-url"), QStringLiteral("http://a/")}, &error), 2);
        QVERIFY(error.contains("usage"));
    }

    void sendUrlClientWaitsForTheRunningInstancesEditor()
    {
        m_server = std::make_unique<AutomationServer>(StartMode::Normal);
        m_server->startServing();
        QVERIFY(m_server->ownsBusName());
        QProcess client;
        client.setProcessEnvironment(withoutDisplay());
        client.start(programPath(),
                     {QStringLiteral("--send-url"), QStringLiteral("http://example.com/"), QStringLiteral("例子")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QCOMPARE(editor->controls().addressEdit->text(), QStringLiteral("http://example.com/"));
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("例子"));
        QTest::qWait(300);
        QCOMPARE(client.state(), QProcess::Running);
        editor->close();
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QCOMPARE(client.exitCode(), 0);
    }

    // A bus-started program that has served its last call gives the bus name back before
    // it ends: a call that reached it just before is served, and later calls start a new
    // instance, instead of reaching one that is ending and being dropped.
    void endingProgramServesTheCallThatReachedItAndGivesItsNameBack()
    {
        m_server = std::make_unique<AutomationServer>(StartMode::BusStarted);
        QSignalSpy ends(m_server.get(), &AutomationServer::endRequested);
        m_server->startServing();
        QVERIFY(m_server->ownsBusName());
        BusClient client;
        // The first call is answered at once and leaves nothing pending; the second is
        // already queued behind it.
        const QDBusPendingCall answeredAtOnce = client.sendUrl({QString(), QString()});
        const QDBusPendingCall queued = client.sendUrl({QStringLiteral("http://example.com/"), QStringLiteral("例子")});
        QCOMPARE(waitForReply(answeredAtOnce).type(), QDBusMessage::ReplyMessage);
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QVERIFY(!m_server->ownsBusName());
        QTRY_VERIFY(!nameOwned());
        QCOMPARE(ends.count(), 0);
        editor->close();
        QCOMPARE(waitForReply(queued).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(ends.count(), 1);
    }

    void sendUrlClientReportsTheCallsError()
    {
        m_server = std::make_unique<AutomationServer>(StartMode::Normal);
        m_server->startServing();
        m_server->editors()->setEditorFactory([]() -> AddressEditor * { throw std::runtime_error("磁盘已满"); });
        QProcess client;
        client.setProcessEnvironment(withoutDisplay());
        client.start(programPath(), {QStringLiteral("--send-url"), QStringLiteral("a"), QStringLiteral("b")});
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 10000);
        QCOMPARE(client.exitCode(), 1);
        QVERIFY(QString::fromUtf8(client.readAllStandardError()).contains(QStringLiteral("磁盘已满")));
    }

    // The running program's own editors keep the errors of their making for the call,
    // so the client hears the error and no box waits for someone to close it.
    void runningProgramAnswersTheEditorsErrorToTheClient()
    {
        QProcess program;
        program.start(programPath(), {});
        QTRY_VERIFY_WITH_TIMEOUT(nameOwned(), 20000);
        QFile settings(settingsFile());
        QVERIFY(settings.open(QIODevice::WriteOnly | QIODevice::Truncate));
        settings.write("[General]\nPath=a, b\n");
        settings.close();

        QProcess client;
        client.setProcessEnvironment(withoutDisplay());
        client.start(programPath(), {QStringLiteral("--send-url"), QStringLiteral("http://a/"), QStringLiteral("b")});
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QProcess::NotRunning, 15000);
        QCOMPARE(client.exitCode(), 1);
        QVERIFY(
            QString::fromUtf8(client.readAllStandardError()).contains(QStringLiteral("Invalid data type for 'Path'")));

        program.kill();
        QVERIFY(program.waitForFinished());
    }

    // Registering is a command of its own, not a second instance of the window: it does
    // its work beside a running window. A second plain start ends at once.
    void registrationWorksBesideARunningWindow()
    {
        QProcess first;
        first.start(programPath(), {});
        QTRY_VERIFY_WITH_TIMEOUT(nameOwned(), 20000);
        QVERIFY(QFileInfo::exists(Registration::serviceFile())); // a normal start registers
        Registration::removeFiles();

        QCOMPARE(runToEnd(programPath(), {QStringLiteral("/REGSERVER")}), 0);
        QVERIFY(QFileInfo::exists(Registration::serviceFile()));
        QVERIFY(QFileInfo::exists(Registration::interfaceFile()));
        QCOMPARE(runToEnd(programPath(), {QStringLiteral("-unregserver")}), 0);
        QVERIFY(!QFileInfo::exists(Registration::serviceFile()));
        QVERIFY(!QFileInfo::exists(Registration::interfaceFile()));
        QCOMPARE(runToEnd(programPath(), {}), 0); // without a display: it never got that far
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished());
    }
};

VESTRANE_BUS_TEST_MAIN_DAEMON_FOLDERS(TestActivation)
#include "tst_activation.moc"
