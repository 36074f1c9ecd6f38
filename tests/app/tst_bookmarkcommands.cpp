#include "ProgramRun.h"
#include "TestEnv.h"

#include <QFile>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(VESTRANE_SOURCE_DIR "/tests/bookmarks/data/") + name;
}

} // namespace

// The command lines need no display: the platform named above does not exist, so any
// attempt to make a window would abort the program.
class TestBookmarkCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importCreatesTheLibraryAndPrintsTheCounts()
    {
        TestEnv env;
        QVERIFY(!QFile::exists(env.defaultDatabaseFile()));
        const ProgramRun first =
            runProgram({QStringLiteral("--import"), fixture(QStringLiteral("chromium/Bookmarks"))});
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(
            first.out,
            QStringLiteral("导入 28 条，重复跳过 0 条，未选中 0 条，非网址 1 条，新建组别 10 个，空文件夹 1 个\n"));
        QVERIFY(QFile::exists(env.defaultDatabaseFile()));
        QVERIFY(QFile::exists(env.settingsFile()));

        const ProgramRun again =
            runProgram({QStringLiteral("--import"), fixture(QStringLiteral("chromium/bookmarks.html"))});
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(again.out.startsWith(QStringLiteral("导入 0 条，重复跳过 28 条")), qPrintable(again.out));
    }

    void exportWritesTheFileOrSaysWhyNot()
    {
        TestEnv env;
        QCOMPARE(runProgram({QStringLiteral("--import"), fixture(QStringLiteral("firefox/places.sqlite"))}).exitCode,
                 0);
        const QString all = env.root() + QStringLiteral("/all.html");
        const ProgramRun exported = runProgram({QStringLiteral("--export"), all});
        QCOMPARE(exported.exitCode, 0);
        QCOMPARE(exported.out, QStringLiteral("导出 28 条\n"));
        const QString one = env.root() + QStringLiteral("/one.html");
        QCOMPARE(runProgram({QStringLiteral("--export"), one, QStringLiteral("书签菜单 / Reading")}).out,
                 QStringLiteral("导出 3 条\n"));

        QCOMPARE(runProgram({QStringLiteral("--export"), one, QStringLiteral("收藏夹")}).out,
                 QStringLiteral("导出 0 条\n"));

        const ProgramRun noGroup = runProgram({QStringLiteral("--export"), one, QStringLiteral("没有这个组")});
        QCOMPARE(noGroup.exitCode, 1);
        QVERIFY(noGroup.err.contains(QStringLiteral("没有这个组")));
    }

    // An export whose output is lost fails with the system's reason, never as a success.
    void exportToAnOutputThatFailsSaysWhy_data()
    {
        QTest::addColumn<QString>("output"); // the standard output: a file, or a pipe nobody reads
        QTest::addColumn<int>("error");
        QTest::newRow("full device") << QStringLiteral("/dev/full") << ENOSPC;
        QTest::newRow("pipe whose reader has gone") << QString() << EPIPE;
    }
    void exportToAnOutputThatFailsSaysWhy()
    {
        QFETCH(QString, output);
        QFETCH(int, error);
        TestEnv env;
        QCOMPARE(runProgram({QStringLiteral("--import"), fixture(QStringLiteral("chromium/Bookmarks"))}).exitCode, 0);
        int pipeEnds[2] = {-1, -1};
        QVERIFY(::pipe(pipeEnds) == 0);
        ::close(pipeEnds[0]);
        const int target = output.isEmpty() ? pipeEnds[1] : ::open(QFile::encodeName(output).constData(), O_WRONLY);
        QVERIFY(target >= 0);
        const ProgramRun exported = runProgram({QStringLiteral("--export"), QStringLiteral("/dev/stdout")},
                                               [target] { ::dup2(target, STDOUT_FILENO); });
        ::close(pipeEnds[1]);
        if (target != pipeEnds[1])
            ::close(target);
        QCOMPARE(exported.exitCode, 1);
        QVERIFY2(exported.err.contains(QString::fromLocal8Bit(std::strerror(error))), qPrintable(exported.err));
    }

    void failuresAndMisuse()
    {
        TestEnv env;
        const ProgramRun missing = runProgram({QStringLiteral("--import"), env.root() + QStringLiteral("/none.html")});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains(QStringLiteral("none.html")));
        QVERIFY(missing.out.isEmpty());
        QCOMPARE(runProgram({QStringLiteral("--import")}).exitCode, 2);
        QCOMPARE(runProgram({QStringLiteral("--export")}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestBookmarkCommands)
#include "tst_bookmarkcommands.moc"
