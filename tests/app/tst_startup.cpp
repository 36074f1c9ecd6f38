#include "TestEnv.h"

#include "app/SingleInstance.h"
#include "app/StartOptions.h"

#include <QDir>
#include <QProcess>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>

// Runs the real program: single instance, first start, exit codes.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString binary() const { return qEnvironmentVariable("VESTRANE_BINARY"); }

    void startFirst(QProcess &first, const TestEnv &env)
    {
        first.start(binary(), {});
        QVERIFY(first.waitForStarted());
        // The first instance holds the lock once its database exists.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env.settingsFile()), 10000);
        QTest::qWait(300);
        QCOMPARE(first.state(), QProcess::Running);
    }

    static void writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    // A small tmpfs over `folder` (root only); false where mounting is not allowed.
    static bool mountTmpfs(const QString &folder, const QString &options)
    {
        return QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                           QStringLiteral("-o"), options, QStringLiteral("tmpfs"),
                                                           folder}) == 0;
    }
    static void unmount(const QString &folder)
    {
        QProcess::execute(QStringLiteral("umount"), {folder});
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (binary().isEmpty() || !QFile::exists(binary()))
            QSKIP("the program was not built");
    }

    void switchesDecideTheMode_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("mode");
        QTest::newRow("none") << QStringList{} << int(StartMode::Normal);
        QTest::newRow("slash lower") << QStringList{QStringLiteral("/regserver")} << int(StartMode::Register);
        QTest::newRow("minus mixed") << QStringList{QStringLiteral("-UnRegServer")} << int(StartMode::Unregister);
        QTest::newRow("embedding wins") << QStringList{QStringLiteral("/REGSERVER"), QStringLiteral("-Embedding")}
                                        << int(StartMode::BusStarted);
        QTest::newRow("register over unregister")
            << QStringList{QStringLiteral("-unregserver"), QStringLiteral("-regserver")} << int(StartMode::Register);
        QTest::newRow("automation") << QStringList{QStringLiteral("-AUTOMATION")} << int(StartMode::BusStarted);
        QTest::newRow("no introducer") << QStringList{QStringLiteral("regserver")} << int(StartMode::Normal);
        QTest::newRow("client") << QStringList{QStringLiteral("--send-url"), QStringLiteral("a"), QStringLiteral("b")}
                                << int(StartMode::SendUrl);
        // A browser adds its own arguments after the host's switch (the extension's origin).
        QTest::newRow("browser host")
            << QStringList{QStringLiteral("--native-messaging"), QStringLiteral("chrome-extension://abc/")}
            << int(StartMode::NativeMessaging);
    }

    void switchesDecideTheMode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QCOMPARE(int(StartOptions::parse(arguments).mode), mode);
    }

    void secondInstanceEndsAtOnceAndStaleLockIsTakenOver()
    {
        TestEnv env;
        QProcess first;
        startFirst(first, env);

        QProcess second;
        QElapsedTimer timer;
        timer.start();
        second.start(binary(), {});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(first.state(), QProcess::Running);

        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(5000));
        QVERIFY(QFile::exists(SingleInstance::lockFileName()));

        QProcess third;
        third.start(binary(), {});
        QVERIFY(third.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(third.state(), QProcess::Running); // it took over the dead process's lock
        third.terminate();
        QVERIFY(third.waitForFinished(5000));
    }

    void leftoverLockIsTakenOver_data()
    {
        QTest::addColumn<QString>("leftover");
        QTest::newRow("empty file") << QStringLiteral("empty");
        QTest::newRow("garbage file") << QStringLiteral("garbage");
        QTest::newRow("empty folder") << QStringLiteral("folder");
        QTest::newRow("pipe") << QStringLiteral("pipe");
        QTest::newRow("dead process") << QStringLiteral("dead");
    }
    void leftoverLockIsTakenOver()
    {
        QFETCH(QString, leftover);
        TestEnv env;
        const QString name = SingleInstance::lockFileName();
        if (leftover == QLatin1String("empty"))
            writeFile(name, QByteArray());
        else if (leftover == QLatin1String("garbage"))
            writeFile(name, QByteArray("\x7f\x01garbage\nnot a pid\n"));
        else if (leftover == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(name));
        else if (leftover == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        else
            writeFile(name, "999999\nvestrane\n" + QSysInfo::machineHostName().toUtf8() + '\n');

        SingleInstance instance(name);
        QCOMPARE(instance.acquire(), SingleInstance::Outcome::Acquired);
        QVERIFY(QFileInfo(name).isFile());
        // The lock now names this process: a second instance is turned away.
        SingleInstance second(name);
        QCOMPARE(second.acquire(), SingleInstance::Outcome::HeldByAnother);
    }

    void lockThatCannotBeMadeIsReported()
    {
        TestEnv env;
        // A folder with contents of its own is never removed.
        const QString name = SingleInstance::lockFileName();
        QVERIFY(QDir().mkpath(name + QStringLiteral("/inside")));
        SingleInstance blocked(name);
        QCOMPARE(blocked.acquire(), SingleInstance::Outcome::Unavailable);
        QVERIFY(blocked.problem().contains(name));
        QVERIFY(QDir(name + QStringLiteral("/inside")).exists());

        SingleInstance missingFolder(env.root() + QStringLiteral("/no-such-folder/Kelvo1977.lock"));
        QCOMPARE(missingFolder.acquire(), SingleInstance::Outcome::Unavailable);
        QVERIFY(!missingFolder.problem().isEmpty());
    }

    void programStartsWhereNoLockCanBeMade_data()
    {
        QTest::addColumn<QString>("runtime");
        QTest::newRow("folder in the way") << QStringLiteral("folder");
        QTest::newRow("read-only runtime folder") << QStringLiteral("ro,mode=0700,size=64k");
        QTest::newRow("full runtime folder") << QStringLiteral("full");
    }
    void programStartsWhereNoLockCanBeMade()
    {
        QFETCH(QString, runtime);
        TestEnv env;
        if (runtime == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(SingleInstance::lockFileName() + QStringLiteral("/inside")));
        } else if (runtime == QLatin1String("full")) {
            if (!mountTmpfs(env.runtimeDir(), QStringLiteral("mode=0700,size=4k")))
                QSKIP("mounting a tmpfs needs root");
            QFile filler(env.runtimeDir() + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            while (filler.write(QByteArray(1024, 'x')) > 0 && filler.flush()) {
            }
        } else if (!mountTmpfs(env.runtimeDir(), runtime)) {
            QSKIP("mounting a tmpfs needs root");
        }
        const auto cleanupMount = qScopeGuard([&] {
            if (runtime != QLatin1String("folder"))
                unmount(env.runtimeDir());
        });

        QProcess program;
        startFirst(program, env);
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        const QStringList lines = QString::fromLocal8Bit(program.readAllStandardError()).split(QLatin1Char('\n'));
        QCOMPARE(lines.filter(QStringLiteral("Kelvo1977.lock")).size(), 1);
    }

    void firstStartCreatesDatabaseWithImportGroup()
    {
        TestEnv env;
        QProcess first;
        startFirst(first, env);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env.defaultDatabaseFile()), 10000);
        first.terminate();
        QVERIFY(first.waitForFinished(5000));
    }
};

VESTRANE_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
