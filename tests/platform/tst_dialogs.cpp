// Message boxes keep their captions readable; the help page opens with the browser
// command, and says when it cannot.
#include "TestEnv.h"

#include "platform/Browser.h"
#include "platform/DesktopHelp.h"
#include "platform/Dialogs.h"
#include "data/AppError.h"

#include <QDir>
#include <QGuiApplication>

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window title is the caption alone, and even a box with a short text is wide
    // enough for the caption beside the window manager's icon and buttons.
    void boxKeepsItsCaption_data()
    {
        QTest::addColumn<QString>("caption");
        for (const char *caption : {"提示", "保存", "删除", "error", "提示信息"})
            QTest::newRow(caption) << QString::fromUtf8(caption);
    }
    void boxKeepsItsCaption()
    {
        QFETCH(QString, caption);
        const auto box = Dialogs::makeBox(nullptr, QStringLiteral("OK!"), caption);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QCOMPARE(box->windowTitle(), caption);
        QVERIFY(QGuiApplication::applicationDisplayName() != Dialogs::applicationTitle());
        QFont titleFont = box->font();
        titleFont.setPointSize(12);
        titleFont.setBold(true);
        const int captionText = QFontMetrics(titleFont).horizontalAdvance(caption);
        QVERIFY2(box->width() >= captionText + 80, qPrintable(QString::number(box->width())));
    }

    void helpOpensInTheBrowser()
    {
        TestEnv env;
        env.installRecordingBrowser();
        QVERIFY(DesktopHelp::open());
        const QStringList calls = env.waitForBrowserCalls(1);
        QCOMPARE(calls.size(), 1);
        QVERIFY2(calls.first().startsWith(QLatin1String("file:///")), qPrintable(calls.first()));
        QVERIFY(calls.first().endsWith(QLatin1String("/addresshelp.html")));
    }

    // The browser gets the target as a web address, never as one of its options, and
    // never the server password.
    void browserGetsNoOption_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("argument");
        QTest::newRow("web address") << QStringLiteral("www.x.com/a") << QStringLiteral("www.x.com/a");
        QTest::newRow("with scheme") << QStringLiteral("https://x.com") << QStringLiteral("https://x.com");
        QTest::newRow("option") << QStringLiteral("--remote-debugging-port=9333")
                                << QStringLiteral("http://--remote-debugging-port=9333");
        QTest::newRow("short option") << QStringLiteral("-new-instance") << QStringLiteral("http://-new-instance");
        QTest::newRow("option after blanks") << QStringLiteral(" \t--headless") << QStringLiteral("http://--headless");
    }
    void browserGetsNoOption()
    {
        QFETCH(QString, target);
        QFETCH(QString, argument);
        TestEnv env;
        env.installRecordingBrowser();
        qputenv("PGPASSWORD", "secret");
        const bool opened = Browser::open(target);
        qunsetenv("PGPASSWORD");
        QVERIFY(opened);
        QCOMPARE(env.waitForBrowserCalls(1), QStringList{argument});
    }

    // No $BROWSER and neither x-www-browser nor xdg-open on the path.
    void helpWithoutBrowser()
    {
        TestEnv env;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QDir(env.root()).absolutePath().toLocal8Bit());
        const bool opened = DesktopHelp::open();
        qputenv("PATH", oldPath);
        QVERIFY(!opened);
    }

    // A read-only database is explained in its own words; any other failure is the
    // usual "error!!!".
    void failureBoxSaysReadOnlyInItsOwnWords()
    {
        Dialogs::startRecording();
        Dialogs::failure(nullptr, AppError(QStringLiteral("只读"), AppError::Kind::ReadOnly));
        Dialogs::failure(nullptr, AppError(QStringLiteral("disk I/O error")));
        QCOMPARE(Dialogs::recorded().size(), 2);
        QCOMPARE(Dialogs::recorded().at(0).text, QStringLiteral("只读"));
        QCOMPARE(Dialogs::recorded().at(0).caption, QStringLiteral("提示"));
        QCOMPARE(Dialogs::recorded().at(1).text, QStringLiteral("error!!!"));
        Dialogs::stopRecording();
        Dialogs::clearRecorded();
    }
};

VESTRANE_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
