// Message boxes keep their captions readable; the help page opens with the browser
// command, and says when it cannot.
#include "TestEnv.h"

#include "platform/Browser.h"
#include "platform/DesktopHelp.h"
#include "platform/Dialogs.h"
#include "platform/QtTranslations.h"
#include "data/AppError.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>

class TestDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // As the program does at start.
    void initTestCase() { QVERIFY2(QtTranslations::install(), QtTranslations::Catalogue); }

    // Qt's own texts read as Qt's Chinese catalogue gives them: the standard buttons of a
    // box (`button`), and the labels (`child`) and the Open button of the file dialog.
    void qtTextsComeFromItsCatalogue_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("child");
        QTest::newRow("OK") << "QPlatformTheme"
                            << "OK" << int(QMessageBox::Ok) << QString();
        QTest::newRow("Yes") << "QPlatformTheme"
                             << "&Yes" << int(QMessageBox::Yes) << QString();
        QTest::newRow("No") << "QPlatformTheme"
                            << "&No" << int(QMessageBox::No) << QString();
        QTest::newRow("Cancel") << "QPlatformTheme"
                                << "Cancel" << int(QMessageBox::Cancel) << QString();
        QTest::newRow("Look in") << "QFileDialog"
                                 << "Look in:" << 0 << QStringLiteral("lookInLabel");
        QTest::newRow("File name") << "QFileDialog"
                                   << "File &name:" << 0 << QStringLiteral("fileNameLabel");
        QTest::newRow("Open") << "QFileDialog"
                              << "&Open" << 0 << QString();
    }
    void qtTextsComeFromItsCatalogue()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(int, button);
        QFETCH(QString, child);
        QTranslator catalogue;
        QVERIFY(catalogue.load(QLatin1String(QtTranslations::Catalogue), QtTranslations::folder()));
        const QString expected = catalogue.translate(context.toLatin1().constData(), source.toLatin1().constData());
        QVERIFY2(!expected.isEmpty() && expected != source, qPrintable(expected));
        QString shown;
        if (button) {
            const auto box =
                Dialogs::makeBox(nullptr, QStringLiteral("x"), QStringLiteral("提示"),
                                 QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            shown = box->button(QMessageBox::StandardButton(button))->text();
        } else {
            QFileDialog dialog;
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            if (!child.isEmpty())
                shown = dialog.findChild<QLabel *>(child)->text();
            else
                shown = dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open)->text();
        }
        QCOMPARE(shown, expected);
    }

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
