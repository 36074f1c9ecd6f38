#include "TestEnv.h"

#include "app/SingleInstance.h"
#include "app/StartOptions.h"
#include "data/AddressStore.h"
#include "data/DailyBackup.h"
#include "data/DataModule.h"

#include <QProcess>
#include <QtTest>
#include <csignal>

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
};

VESTRANE_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
