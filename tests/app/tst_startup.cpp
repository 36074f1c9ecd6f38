#include "TestEnv.h"

#include "app/SingleInstance.h"
#include "app/StartOptions.h"
#include "data/AddressStore.h"
#include "data/DailyBackup.h"
#include "data/SharedConnection.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>

// Runs the real program: single instance, first start, exit codes.
class TestStartup : public QObject
{
    Q_OBJECT

private:
    QString binary() const { return qEnvironmentVariable("VESTRANE_BINARY"); }

    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    // Runs the program to its end without any display: a start that made a window would
    // abort.
    Run runWithoutDisplay(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QLatin1String(name));
        process.setProcessEnvironment(environment);
        process.start(binary(), arguments);
        process.closeWriteChannel(); // the browser host ends when its input closes
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    // The version the build names in its project() command.
    static QString projectVersion()
    {
        QFile cmake(QStringLiteral(VESTRANE_SOURCE_DIR "/CMakeLists.txt"));
        if (!cmake.open(QIODevice::ReadOnly))
            return {};
        const QRegularExpression project(QStringLiteral(R"(project\(\w+ VERSION ([0-9.]+))"));
        return project.match(QString::fromUtf8(cmake.readAll())).captured(1);
    }

    // The switches a text names: "--name" words and server switches in capitals.
    static QSet<QString> switchesIn(QString text)
    {
        text.replace(QStringLiteral("\\-"), QStringLiteral("-")); // the man page's escaped minus
        QSet<QString> switches;
        const QRegularExpression word(QStringLiteral(R"((?<![\w-])(--[a-z][a-z-]*|-[A-Z]{4,}))"));
        for (const QRegularExpressionMatch &match : word.globalMatch(text))
            switches << match.captured(1);
        return switches;
    }

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
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"), options,
                                  QStringLiteral("tmpfs"), folder})
            == 0;
    }
    static void unmount(const QString &folder) { QProcess::execute(QStringLiteral("umount"), {folder}); }

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
        QTest::newRow("no introducer") << QStringList{QStringLiteral("regserver")} << int(StartMode::Refused);
        QTest::newRow("restored by the session manager")
            << QStringList{QStringLiteral("-session"), QStringLiteral("10a1b2c3")} << int(StartMode::Normal);
        QTest::newRow("session without its name") << QStringList{QStringLiteral("-session")} << int(StartMode::Refused);
        QTest::newRow("server switch and another")
            << QStringList{QStringLiteral("-regserver"), QStringLiteral("--import")} << int(StartMode::Refused);
        QTest::newRow("client") << QStringList{QStringLiteral("--send-url"), QStringLiteral("a"), QStringLiteral("b")}
                                << int(StartMode::SendUrl);
        QTest::newRow("merge") << QStringList{QStringLiteral("--import-mdb"), QStringLiteral("old.mdb")}
                               << int(StartMode::ImportMdb);
        // A browser adds its own arguments after the host's switch (the extension's origin).
        QTest::newRow("browser host") << QStringList{QStringLiteral("--native-messaging"),
                                                     QStringLiteral("chrome-extension://abc/")}
                                      << int(StartMode::NativeMessaging);
    }

    void switchesDecideTheMode()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, mode);
        QCOMPARE(int(StartOptions::parse(arguments).mode), mode);
    }

    // Every command line is decided before anything starts, the same without a display and
    // beside a running window: each case runs both ways.
    void commandLineIsCarriedOutOrRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errStart");
        const QString unknown = QStringLiteral("vestrane: unknown option %1\n") + StartOptions::usage();
        QTest::newRow("mistyped switch") << QStringList{QStringLiteral("--exprot"), QStringLiteral("out.html")} << 2
                                         << QString() << unknown.arg(QStringLiteral("--exprot"));
        QTest::newRow("switch in capitals") << QStringList{QStringLiteral("--Import"), QStringLiteral("a.html")} << 2
                                            << QString() << unknown.arg(QStringLiteral("--Import"));
        QTest::newRow("one minus") << QStringList{QStringLiteral("-import"), QStringLiteral("a.html")} << 2 << QString()
                                   << unknown.arg(QStringLiteral("-import"));
        QTest::newRow("more than the switch takes")
            << QStringList{QStringLiteral("--send-url"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
            << 2 << QString() << unknown.arg(QStringLiteral("c"));
        QTest::newRow("beside a server switch") << QStringList{QStringLiteral("/RegServer"), QStringLiteral("--exprot")}
                                                << 2 << QString() << unknown.arg(QStringLiteral("--exprot"));
        QTest::newRow("switch without its file") << QStringList{QStringLiteral("--import-mdb")} << 2 << QString()
                                                 << QStringLiteral("usage: vestrane --import-mdb FILE\n");
        QTest::newRow("restore without ids") << QStringList{QStringLiteral("--restore")} << 2 << QString()
                                             << QStringLiteral("usage: vestrane --restore ID...\n");
        QTest::newRow("restore of no number")
            << QStringList{QStringLiteral("--restore"), QStringLiteral("1x")} << 2 << QString()
            << QStringLiteral("vestrane: 1x is no row of the recycle bin");
        QTest::newRow("restore of a row not in the bin")
            << QStringList{QStringLiteral("--restore"), QStringLiteral("7")} << 1 << QString()
            << QStringLiteral("vestrane: no row 7 in the recycle bin");
        QTest::newRow("empty recycle bin")
            << QStringList{QStringLiteral("--recycle-bin")} << 0 << QString() << QString();
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                                 << QStringLiteral("vestrane %1\n").arg(projectVersion()) << QString();
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << StartOptions::usage() << QString();
        // A browser starts its host with the manifest's path and the extension's origin.
        QTest::newRow("browser host with the browser's arguments")
            << QStringList{QStringLiteral("--native-messaging"), QStringLiteral("/x/vestrane.json"),
                           QStringLiteral("chrome-extension://abc/")}
            << 0 << QString() << QString();
    }
    void commandLineIsCarriedOutOrRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, errStart);
        QVERIFY(!projectVersion().isEmpty());
        TestEnv env;
        QProcess window;
        const auto endWindow = qScopeGuard([&] {
            window.kill();
            window.waitForFinished(5000);
        });
        for (const bool besideWindow : {false, true}) {
            if (besideWindow)
                startFirst(window, env);
            const Run run = runWithoutDisplay(arguments);
            QCOMPARE(run.exitCode, exitCode);
            QCOMPARE(run.out, out);
            QVERIFY2(errStart.isEmpty() ? run.err.isEmpty() : run.err.startsWith(errStart), qPrintable(run.err));
        }
    }

    // The man page lists and describes every switch of --help, and no other.
    void manPageHasTheSwitchesOfHelp()
    {
        QFile man(QStringLiteral(VESTRANE_SOURCE_DIR "/resources/man/vestrane.1"));
        QVERIFY(man.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(man.readAll());
        const QSet<QString> help = switchesIn(StartOptions::usage());
        QVERIFY(help.contains(QStringLiteral("--import-mdb")) && help.contains(QStringLiteral("-REGSERVER")));
        const qsizetype synopsis = page.indexOf(QLatin1String(".SH SYNOPSIS"));
        const qsizetype description = page.indexOf(QLatin1String(".SH DESCRIPTION"));
        const qsizetype options = page.indexOf(QLatin1String(".SH OPTIONS"));
        const qsizetype exitStatus = page.indexOf(QLatin1String(".SH EXIT STATUS"));
        QVERIFY(synopsis >= 0 && description > synopsis && options > description && exitStatus > options);
        QCOMPARE(switchesIn(page.mid(synopsis, description - synopsis)), help);
        // Each item of OPTIONS starts with its switches on the line after ".TP".
        QSet<QString> described;
        const QStringList lines = page.mid(options, exitStatus - options).split(QLatin1Char('\n'));
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (lines.at(i) == QLatin1String(".TP"))
                described += switchesIn(lines.at(i + 1));
        QCOMPARE(described, help);
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
        QCOMPARE(instance.acquire(), SingleInstance::Claim::Acquired);
        QVERIFY(QFileInfo(name).isFile());
        // The lock now names this process: a second instance is turned away.
        SingleInstance second(name);
        QCOMPARE(second.acquire(), SingleInstance::Claim::HeldByAnother);
    }

    void lockThatCannotBeMadeIsReported()
    {
        TestEnv env;
        // A folder with contents of its own is never removed.
        const QString name = SingleInstance::lockFileName();
        QVERIFY(QDir().mkpath(name + QStringLiteral("/inside")));
        SingleInstance blocked(name);
        QCOMPARE(blocked.acquire(), SingleInstance::Claim::Unavailable);
        QVERIFY(blocked.problem().contains(name));
        QVERIFY(QDir(name + QStringLiteral("/inside")).exists());

        SingleInstance missingFolder(env.root() + QStringLiteral("/no-such-folder/Kelvo1977.lock"));
        QCOMPARE(missingFolder.acquire(), SingleInstance::Claim::Unavailable);
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
            while (filler.write(QByteArray(1024, 'x')) > 0 && filler.flush()) {}
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

    void dayStartsWithABackupAndAFailedOneDoesNotStopTheStart()
    {
        TestEnv env;
        {
            DbConnection db(QStringLiteral("seed"));
            configureConnection(db);
            AddressStore::insert(db, QStringLiteral("www.a.cn"), QStringLiteral("甲"), 1);
        }
        const QString backups = DailyBackup::folderFor(env.defaultDatabaseFile());
        const QString copy = backups + QLatin1Char('/') + DailyBackup::copyNameFor(QDate::currentDate());
        QProcess first;
        first.start(binary(), {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), 10000);
        first.terminate();
        QVERIFY(first.waitForFinished(5000));

        QVERIFY(QDir(backups).removeRecursively());
        QFile blocker(backups); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QProcess second;
        second.start(binary(), {});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += second.readAllStandardError()).contains("今天的数据库备份未能完成"), 10000);
        QCOMPARE(second.state(), QProcess::Running);
        second.terminate();
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(said.count("备份"), 1);
    }

    // The bin lists what was deleted, one tab-separated line per row, and gives it back by
    // its number.
    void recycleBinIsListedAndRestoredFromTheCommandLine()
    {
        TestEnv env;
        DbConnection db(QStringLiteral("seed"));
        configureConnection(db);
        AddressStore::insert(db, QStringLiteral("www.a.cn"), QStringLiteral("甲\t乙"), 1);
        QCOMPARE(AddressStore::remove(db, QStringLiteral("www.a.cn"), 1), 1);
        db.close();

        const Run listed = runWithoutDisplay({QStringLiteral("--recycle-bin")});
        QCOMPARE(listed.exitCode, 0);
        const QRegularExpression line(
            QStringLiteral("^1\t\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\tIE收藏夹\twww.a.cn\t甲 乙\n$"));
        QVERIFY2(line.match(listed.out).hasMatch(), qPrintable(listed.out));

        const Run restored = runWithoutDisplay({QStringLiteral("--restore"), QStringLiteral("1")});
        QCOMPARE(restored.exitCode, 0);
        QCOMPARE(restored.out, QStringLiteral("1 addresses restored\n"));
        QCOMPARE(AddressStore::list(db, AddressFilter::all()).size(), size_t(1));
        QCOMPARE(runWithoutDisplay({QStringLiteral("--recycle-bin")}).out, QString());
    }
};

VESTRANE_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
