#include "BusTest.h"

#include "app/StartOptions.h"
#include "automation/Registration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace {

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

// Runs the program with this test's folders and, unless told otherwise, no display at
// all: a start that tried to open a window would abort.
struct Run
{
    int exitCode = -1;
    QByteArray standardError;
};
Run runProgram(const QStringList &arguments, bool withPlatform = false)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!withPlatform)
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(programPath(), arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2, process.readAllStandardError()};
}

} // namespace

class TestRegistration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFileInfo(programPath()).isExecutable(), "VESTRANE_BINARY names no program"); }
    void cleanup() { QDir(dataHome() + QStringLiteral("/dbus-1")).removeRecursively(); }

    void switchesFollowTheirRules_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::newRow("none") << QStringList() << int(StartMode::Normal);
        QTest::newRow("slash, lower case") << QStringList{QStringLiteral("/regserver")} << int(StartMode::Register);
        QTest::newRow("minus, mixed case") << QStringList{QStringLiteral("-UnRegServer")} << int(StartMode::Unregister);
        QTest::newRow("as the bus passes it")
            << QStringList{QStringLiteral("-Embedding")} << int(StartMode::BusStarted);
        QTest::newRow("automation") << QStringList{QStringLiteral("/AUTOMATION")} << int(StartMode::BusStarted);
        QTest::newRow("without a prefix") << QStringList{QStringLiteral("regserver")} << int(StartMode::Refused);
        QTest::newRow("embedding wins over regserver")
            << QStringList{QStringLiteral("-regserver"), QStringLiteral("-embedding")} << int(StartMode::BusStarted);
        QTest::newRow("regserver wins over unregserver")
            << QStringList{QStringLiteral("/unregserver"), QStringLiteral("/regserver")} << int(StartMode::Register);
    }
    void switchesFollowTheirRules()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QCOMPARE(int(StartOptions::parse(arguments).mode), mode);
    }

    void sendUrlTakesTheTwoFollowingArguments()
    {
        const StartOptions options = StartOptions::parse(
            QStringList{QStringLiteral("--send-url"), QStringLiteral("-regserver"), QStringLiteral("例子")});
        QCOMPARE(options.mode, StartMode::SendUrl);
        QCOMPARE(options.address, QStringLiteral("-regserver"));
        QCOMPARE(options.name, QStringLiteral("例子"));
        QVERIFY(options.error.isEmpty());
        QVERIFY(!StartOptions::parse(QStringList{QStringLiteral("--send-url"), QStringLiteral("a")}).error.isEmpty());
    }

    void serviceFileStartsTheQuotedProgramForTheBus()
    {
        const QString text =
            QString::fromUtf8(Registration::serviceFileContents(QStringLiteral("/opt/my apps/a\"b\\c$d`e/vestrane")));
        QCOMPARE(text,
                 QStringLiteral("[D-BUS Service]\nName=Quorvel.PIO\n"
                                "Exec=\"/opt/my apps/a\\\\\"b\\\\\\\\c$d`e/vestrane\" -EMBEDDING\n"));
        QVERIFY(Registration::serviceFileContents(QStringLiteral("/a\nb")).isEmpty());
    }

    void writeAndRemoveTheFiles()
    {
        Registration::writeFiles(QStringLiteral("/usr/bin/vestrane"));
        QCOMPARE(Registration::serviceFile(), dataHome() + QStringLiteral("/dbus-1/services/Quorvel.PIO.service"));
        QCOMPARE(Registration::interfaceFile(), dataHome() + QStringLiteral("/dbus-1/interfaces/Quorvel.IPIO.xml"));
        QCOMPARE(readAll(Registration::serviceFile()),
                 Registration::serviceFileContents(QStringLiteral("/usr/bin/vestrane")));
        QCOMPARE(readAll(Registration::interfaceFile()), Registration::interfaceXml());
        QVERIFY(Registration::interfaceXml().contains("<interface name=\"Quorvel.IPIO\">"));

        // A moved program brings the service file up to date at its next start.
        Registration::writeFiles(QStringLiteral("/home/me/bin/vestrane"));
        QVERIFY(readAll(Registration::serviceFile()).contains("Exec=\"/home/me/bin/vestrane\" -EMBEDDING"));

        Registration::removeFiles();
        QVERIFY(!QFileInfo::exists(Registration::serviceFile()));
        QVERIFY(!QFileInfo::exists(Registration::interfaceFile()));
        Registration::removeFiles(); // nothing left to remove is no error
    }

    void unwritableFolderIsReported()
    {
        QFile blocker(dataHome() + QStringLiteral("/dbus-1"));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder belongs
        blocker.close();
        const Outcome written = Registration::writeFiles(QStringLiteral("/usr/bin/vestrane"));
        QCOMPARE(written.kind, Outcome::Kind::Failed);
        QCOMPARE(written.message, QStringLiteral("Error creating system registry entry"));
        QFile::remove(blocker.fileName());
    }

    void registerAndUnregisterWithoutADisplay()
    {
        const Run reg = runProgram({QStringLiteral("/regserver")});
        QCOMPARE(reg.exitCode, 0);
        QVERIFY(reg.standardError.isEmpty());
        const QString program = QFileInfo(programPath()).canonicalFilePath();
        QCOMPARE(readAll(Registration::serviceFile()), Registration::serviceFileContents(program));
        QCOMPARE(readAll(Registration::interfaceFile()), Registration::interfaceXml());
        QVERIFY(!QFileInfo::exists(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                   + QStringLiteral("/Kelvo/Kelvo.conf"))); // no start-up beyond registration

        const Run unreg = runProgram({QStringLiteral("-UNREGSERVER")});
        QCOMPARE(unreg.exitCode, 0);
        QVERIFY(!QFileInfo::exists(Registration::serviceFile()));
        QVERIFY(!QFileInfo::exists(Registration::interfaceFile()));
    }

    void failedRegistrationSaysSoAndFails()
    {
        QFile blocker(dataHome() + QStringLiteral("/dbus-1"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Run reg = runProgram({QStringLiteral("-RegServer")});
        QCOMPARE(reg.exitCode, 1);
        QVERIFY2(reg.standardError.contains("Error creating system registry entry"), reg.standardError.constData());
        QFile::remove(blocker.fileName());
    }
};

VESTRANE_BUS_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
