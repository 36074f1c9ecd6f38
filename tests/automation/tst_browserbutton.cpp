#include "BusTest.h"

#include "automation/AutomationServer.h"
#include "automation/BrowserHosts.h"
#include "automation/AutomationObject.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <memory>

// The browser button end to end: headless Chromium, and Firefox ESR, with the extension
// loaded start the program as their native messaging host, the host calls this process's automation object,
// and the editor's answer travels back to the extension's button.
class TestBrowserButton : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<AutomationServer> m_server;
    QProcess m_driver;

    AddressEditor *waitForEditor()
    {
        QDeadlineTimer deadline(90000);
        while (m_server->editors()->openEditors().isEmpty() && !deadline.hasExpired()
               && m_driver.state() != QProcess::NotRunning)
            QTest::qWait(20);
        return m_server->editors()->openEditors().value(0);
    }
    QString driverOutput() { return QString::fromUtf8(m_driver.readAllStandardError()); }

    // Registers the program as the installation does for a browser that has run (its
    // folder exists: the browsers find the host's manifests in this test's home and
    // configuration folders) and serves the object.
    void registerAndServe(const QString &browserFolder)
    {
        QVERIFY(QDir().mkpath(browserFolder));
        QProcess reg;
        reg.start(programPath(), {QStringLiteral("-regserver")});
        QVERIFY(reg.waitForFinished(20000));
        QCOMPARE(reg.exitCode(), 0);
        m_server = std::make_unique<AutomationServer>(StartMode::Normal);
        m_server->startServing();
        QVERIFY(m_server->ownsBusName());
    }
    void startDriver(const QString &script, const QString &browser, const QString &profile, const QString &extensionId)
    {
        m_driver.start(QStringLiteral("node"),
                       {QStringLiteral(VESTRANE_SOURCE_DIR "/tests/automation/") + script,
                        QStandardPaths::findExecutable(browser),
                        QStringLiteral(VESTRANE_SOURCE_DIR "/browser-extension"), profile, extensionId});
    }
    // The driver's lines once it has ended by itself, each a JSON object.
    QList<QJsonObject> driverResults()
    {
        QDeadlineTimer deadline(60000);
        while (m_driver.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(20);
        QList<QJsonObject> results;
        if (m_driver.state() != QProcess::NotRunning || m_driver.exitCode() != 0) {
            qWarning().noquote() << driverOutput();
            return results;
        }
        const QList<QByteArray> lines = m_driver.readAllStandardOutput().trimmed().split('\n');
        for (const QByteArray &line : lines)
            results << QJsonDocument::fromJson(line).object();
        return results;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty(), "chromium is not installed");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("firefox-esr")).isEmpty(),
                 "firefox-esr is not installed");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty(), "node is not installed");
        Dialogs::startRecording();
    }
    void cleanup()
    {
        if (m_driver.state() != QProcess::NotRunning) {
            m_driver.terminate(); // it stops the browser it started
            if (!m_driver.waitForFinished(10000))
                m_driver.kill();
        }
        m_server.reset();
    }

    void chromiumButtonAndMenuReachTheEditorAndShowItsAnswer()
    {
        // Chromium looks for host manifests in its profile folder.
        const QString profile =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/chromium");
        registerAndServe(profile);
        startDriver(QStringLiteral("drive-chromium.mjs"), QStringLiteral("chromium"), profile,
                    QLatin1String(BrowserHosts::ChromiumExtensionId));

        // The toolbar button: the page's address and title; saved.
        AddressEditor *editor = waitForEditor();
        QVERIFY2(editor, qPrintable(driverOutput()));
        QCOMPARE(editor->captionText(), QStringLiteral("添加网址"));
        QCOMPARE(editor->controls().addressEdit->text(), QStringLiteral("http://127.0.0.1:9/浏览器/页面?q=1"));
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("测试页面 Test"));
        QTimer::singleShot(0, editor->controls().saveButton, &QPushButton::click);

        // The context menu on a link: the link's address names it; cancelled.
        QTRY_VERIFY_WITH_TIMEOUT(m_server->editors()->openEditors().isEmpty(), 10000);
        editor = waitForEditor();
        QVERIFY2(editor, qPrintable(driverOutput()));
        QCOMPARE(editor->controls().addressEdit->text(), QStringLiteral("http://127.0.0.1:9/link"));
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("http://127.0.0.1:9/link"));
        QTimer::singleShot(0, editor, &QWidget::close);

        const QList<QJsonObject> results = driverResults();
        QCOMPARE(results.size(), 2);
        QCOMPARE(results.at(0).value(QStringLiteral("badge")).toString(), QStringLiteral("✓"));
        QCOMPARE(results.at(0).value(QStringLiteral("title")).toString(), QStringLiteral("已添加到网址管理"));
        QCOMPARE(results.at(1).value(QStringLiteral("badge")).toString(), QStringLiteral("–"));
        QCOMPARE(results.at(1).value(QStringLiteral("title")).toString(), QStringLiteral("未添加：已取消"));
        QCOMPARE(storedName(QStringLiteral("127.0.0.1:9/浏览器/页面?q=1")), QStringLiteral("测试页面 Test"));
        QVERIFY(storedName(QStringLiteral("127.0.0.1:9/link")).isEmpty());
    }

    // Firefox's own toolbar button, clicked on a page served on loopback.
    void firefoxButtonReachesTheEditorAndShowsItsAnswer()
    {
        registerAndServe(QDir::homePath() + QStringLiteral("/.mozilla"));
        startDriver(QStringLiteral("drive-firefox.mjs"), QStringLiteral("firefox-esr"),
                    QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                        + QStringLiteral("/firefox-profile"),
                    QLatin1String(BrowserHosts::FirefoxExtensionId));
        AddressEditor *editor = waitForEditor();
        QVERIFY2(editor, qPrintable(driverOutput()));
        const QString address = editor->controls().addressEdit->text();
        QVERIFY2(address.startsWith(QLatin1String("http://127.0.0.1:"))
                     && address.endsWith(QLatin1String("/%E9%A1%B5%E9%9D%A2")),
                 qPrintable(address));
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("火狐页面 Test"));
        QTimer::singleShot(0, editor->controls().saveButton, &QPushButton::click);

        const QList<QJsonObject> results = driverResults();
        QCOMPARE(results.size(), 1);
        QCOMPARE(results.at(0).value(QStringLiteral("badge")).toString(), QStringLiteral("✓"));
        QCOMPARE(storedName(address.mid(7)), QStringLiteral("火狐页面 Test"));
    }
};

VESTRANE_BUS_TEST_MAIN(TestBrowserButton)
#include "tst_browserbutton.moc"
