#include "BusTest.h"

#include "automation/AutomationServer.h"
#include "automation/BrowserHosts.h"
#include "automation/TPIO.h"
#include "editor/FrmEditGroup.h"
#include "platform/Dialogs.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <memory>

// The browser button end to end: headless Chromium with the extension loaded starts the
// program as its native messaging host, the host calls this process's automation object,
// and the editor's answer travels back to the extension's button.
class TestBrowserButton : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<AutomationServer> m_server;
    QProcess m_driver;

    TFrmEditGroup *waitForEditor()
    {
        QDeadlineTimer deadline(60000);
        while (m_server->object()->openEditors().isEmpty() && !deadline.hasExpired()
               && m_driver.state() != QProcess::NotRunning)
            QTest::qWait(20);
        return m_server->object()->openEditors().value(0);
    }
    QString driverOutput() { return QString::fromUtf8(m_driver.readAllStandardError()); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty(), "chromium is not installed");
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

    void buttonAndMenuReachTheEditorAndShowItsAnswer()
    {
        // Registered as the installation does it; the browser finds the host's manifest
        // in its configuration folder, which is this test's.
        QProcess reg;
        reg.start(programPath(), {QStringLiteral("-regserver")});
        QVERIFY(reg.waitForFinished(20000));
        QCOMPARE(reg.exitCode(), 0);

        m_server = std::make_unique<AutomationServer>(StartMode::Normal);
        m_server->startServing();
        QVERIFY(m_server->ownsBusName());

        const QString userData =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/chromium");
        m_driver.start(QStringLiteral("node"),
                       {QStringLiteral(VESTRANE_SOURCE_DIR "/tests/automation/drive-chromium.mjs"),
                        QStandardPaths::findExecutable(QStringLiteral("chromium")),
                        QStringLiteral(VESTRANE_SOURCE_DIR "/browser-extension"), userData,
                        QLatin1String(BrowserHosts::ChromiumExtensionId)});

        // The toolbar button: the page's address and title; saved.
        TFrmEditGroup *editor = waitForEditor();
        QVERIFY2(editor, qPrintable(driverOutput()));
        QCOMPARE(editor->captionText(), QStringLiteral("添加网址"));
        QCOMPARE(editor->Edit1->text(), QStringLiteral("http://127.0.0.1:9/浏览器/页面?q=1"));
        QCOMPARE(editor->Edit2->text(), QStringLiteral("测试页面 Test"));
        QTimer::singleShot(0, editor->OKButton, &QPushButton::click);

        // The context menu on a link: the link's address names it; cancelled.
        QTRY_VERIFY_WITH_TIMEOUT(m_server->object()->openEditors().isEmpty(), 10000);
        editor = waitForEditor();
        QVERIFY2(editor, qPrintable(driverOutput()));
        QCOMPARE(editor->Edit1->text(), QStringLiteral("http://127.0.0.1:9/link"));
        QCOMPARE(editor->Edit2->text(), QStringLiteral("http://127.0.0.1:9/link"));
        QTimer::singleShot(0, editor, &QWidget::close);

        QTRY_COMPARE_WITH_TIMEOUT(m_driver.state(), QProcess::NotRunning, 30000);
        QVERIFY2(m_driver.exitCode() == 0, qPrintable(driverOutput()));
        const QList<QByteArray> lines = m_driver.readAllStandardOutput().trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        const QJsonObject saved = QJsonDocument::fromJson(lines.at(0)).object();
        const QJsonObject cancelled = QJsonDocument::fromJson(lines.at(1)).object();
        QCOMPARE(saved.value(QStringLiteral("badge")).toString(), QStringLiteral("✓"));
        QCOMPARE(saved.value(QStringLiteral("title")).toString(), QStringLiteral("已添加到网址管理"));
        QCOMPARE(cancelled.value(QStringLiteral("badge")).toString(), QStringLiteral("–"));
        QCOMPARE(cancelled.value(QStringLiteral("title")).toString(), QStringLiteral("未添加：已取消"));

        // Only the saved page is stored, under its title.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                               + QStringLiteral("/Kelvo/address.mdb"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("select Address, AddressName from address")));
            QVERIFY(query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("127.0.0.1:9/浏览器/页面?q=1"));
            QCOMPARE(query.value(1).toString(), QStringLiteral("测试页面 Test"));
            QVERIFY(!query.next());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
    }
};

VESTRANE_BUS_TEST_MAIN(TestBrowserButton)
#include "tst_browserbutton.moc"
