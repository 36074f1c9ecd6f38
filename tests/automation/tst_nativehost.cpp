#include "BusTest.h"

#include "automation/AutomationServer.h"
#include "automation/AutomationObject.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"
#include "OpenEditors.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

QByteArray lengthPrefix(quint32 length)
{
    return QByteArray(reinterpret_cast<const char *>(&length), sizeof(length));
}

QByteArray framed(const QByteArray &json)
{
    return lengthPrefix(quint32(json.size())) + json;
}

QByteArray request(const QString &url, const QString &title)
{
    return framed(QJsonDocument(QJsonObject{{QStringLiteral("url"), url}, {QStringLiteral("title"), title}})
                      .toJson(QJsonDocument::Compact));
}

// The host as a browser runs it: its input and output are pipes to the test.
class Host
{
public:
    Host()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // it needs no display
        m_process.setProcessEnvironment(env);
        m_process.start(programPath(), {QStringLiteral("--native-messaging"), QStringLiteral("chrome-extension://x/")});
        m_process.waitForStarted();
    }
    ~Host()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void write(const QByteArray &bytes)
    {
        m_process.write(bytes);
        m_process.waitForBytesWritten();
    }
    void closeInput() { m_process.closeWriteChannel(); }

    // The next answer, read while the event loop runs (the editor lives in this process);
    // an empty object when none came in time.
    QJsonObject answer(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            m_output += m_process.readAllStandardOutput();
            if (m_output.size() >= 4) {
                quint32 length = 0;
                std::memcpy(&length, m_output.constData(), sizeof(length));
                if (m_output.size() >= 4 + qsizetype(length)) {
                    const QByteArray json = m_output.mid(4, length);
                    m_output.remove(0, 4 + length);
                    return QJsonDocument::fromJson(json).object();
                }
            }
            if (deadline.hasExpired())
                return {};
            QTest::qWait(10);
        }
    }
    // The exit code once the host has ended by itself; -1 when it is still running.
    int exitCode(int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (m_process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(10);
        if (m_process.state() != QProcess::NotRunning || m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }
    QByteArray unreadOutput() { return m_output + m_process.readAllStandardOutput(); }

private:
    QProcess m_process;
    QByteArray m_output;
};

QJsonObject result(const char *text)
{
    return {{QStringLiteral("result"), QLatin1String(text)}};
}

} // namespace

class TestNativeHost : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<AutomationServer> m_server;

    void serve()
    {
        m_server = std::make_unique<AutomationServer>(StartMode::Normal);
        m_server->startServing();
        QVERIFY(m_server->ownsBusName());
    }
    AddressEditor *waitForEditor() { return ::waitForEditor(*m_server->editors()); }

private Q_SLOTS:
    void initTestCase() { Dialogs::startRecording(); }
    void cleanup()
    {
        m_server.reset();
        Dialogs::clearRecorded();
    }

    // One host serves message after message until its input closes.
    void eachMessageGetsTheUsersDecision()
    {
        serve();
        Host host;
        host.write(request(QStringLiteral("http://example.com/page"), QStringLiteral("例子页面")));
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QCOMPARE(editor->captionText(), QStringLiteral("添加网址"));
        QCOMPARE(editor->controls().addressEdit->text(), QStringLiteral("http://example.com/page"));
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("例子页面"));
        QTimer::singleShot(0, editor->controls().saveButton, &QPushButton::click);
        QCOMPARE(host.answer(), result("saved"));
        QCOMPARE(storedName(QStringLiteral("example.com/page")), QStringLiteral("例子页面"));

        // A page without a title is named by its address.
        host.write(request(QStringLiteral("http://example.com/other"), QStringLiteral("  ")));
        editor = waitForEditor();
        QVERIFY(editor);
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("http://example.com/other"));
        QTimer::singleShot(0, editor, &QWidget::close);
        QCOMPARE(host.answer(), result("cancelled"));
        QVERIFY(storedName(QStringLiteral("example.com/other")).isEmpty());

        host.closeInput();
        QCOMPARE(host.exitCode(), 0);
    }

    void theProgramsErrorIsTheAnswer()
    {
        serve();
        m_server->editors()->setEditorFactory([]() -> AddressEditor * { throw std::runtime_error("磁盘已满"); });
        Host host;
        host.write(request(QStringLiteral("http://a/"), QStringLiteral("b")));
        const QJsonObject answer = host.answer();
        QCOMPARE(answer.value(QStringLiteral("result")).toString(), QStringLiteral("error"));
        QCOMPARE(answer.value(QStringLiteral("message")).toString(), QStringLiteral("磁盘已满"));
    }

    void noProgramOnTheBusIsAnError()
    {
        Host host;
        host.write(request(QStringLiteral("http://a/"), QStringLiteral("b")));
        const QJsonObject answer = host.answer();
        QCOMPARE(answer.value(QStringLiteral("result")).toString(), QStringLiteral("error"));
        QVERIFY2(answer.value(QStringLiteral("message")).toString().contains(QStringLiteral("Quorvel.PIO")),
                 qPrintable(answer.value(QStringLiteral("message")).toString()));
    }

    // Each bad message is answered with an error, nothing opens, and the host reads on.
    void badMessagesAreAnsweredWithErrors()
    {
        serve();
        const QList<QByteArray> bad{
            "",
            "{\"url\": \"http://a/\", ",
            "[\"http://a/\", \"b\"]",
            "\"http://a/\"",
            "{\"title\": \"b\"}",
            "{\"url\": 42, \"title\": \"b\"}",
            "{\"url\": \"http://a/\"}",
            "{\"url\": \"http://a/\", \"title\": null}",
            "{\"url\": \" \", \"title\": \"b\"}",
            "\xff\xfe{}",
            // Control characters and broken surrogates are never stored.
            "{\"url\": \"http://c/\\u0001x\", \"title\": \"t\"}",
            "{\"url\": \"http://c/x\", \"title\": \"t\\u0000\"}",
            "{\"url\": \"http://c/\\u007f\", \"title\": \"t\"}",
            "{\"url\": \"http://c/x\", \"title\": \"a\\tb\"}",
            "{\"url\": \"http://c/x\", \"title\": \"\\ud800 \"}",
            "{\"url\": \"http://c/\\udc00\", \"title\": \"t\"}",
        };
        Host host;
        QByteArray all;
        for (const QByteArray &message : bad)
            all += framed(message);
        host.write(all);
        for (const QByteArray &message : bad) {
            const QJsonObject answer = host.answer();
            QVERIFY2(answer.value(QStringLiteral("result")).toString() == QLatin1String("error"), message.constData());
            QVERIFY(!answer.value(QStringLiteral("message")).toString().isEmpty());
        }
        QVERIFY(m_server->editors()->openEditors().isEmpty());
        host.closeInput();
        QCOMPARE(host.exitCode(), 0);
        QVERIFY(host.unreadOutput().isEmpty());
    }

    // A message of exactly the limit is read; one byte more ends the host after an
    // error, without waiting for the announced bytes.
    void sizeLimit()
    {
        serve();
        Host host;
        QByteArray largest = "{\"url\": \"http://example.com/big\", \"title\": \"b\"}";
        largest += QByteArray(1024 * 1024 - largest.size(), ' ');
        host.write(framed(largest));
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QTimer::singleShot(0, editor, &QWidget::close);
        QCOMPARE(host.answer(), result("cancelled"));

        host.write(lengthPrefix(1024 * 1024 + 1));
        const QJsonObject answer = host.answer();
        QCOMPARE(answer.value(QStringLiteral("result")).toString(), QStringLiteral("error"));
        QVERIFY(answer.value(QStringLiteral("message")).toString().contains(QStringLiteral("1048577")));
        QCOMPARE(host.exitCode(), 1);
    }

    void inputEndingInsideAMessage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("nothing sent") << QByteArray() << 0;
        QTest::newRow("half a length") << QByteArray("\x05\x00", 2) << 1;
        QTest::newRow("part of the text") << lengthPrefix(100) + QByteArray("{\"url\":") << 1;
    }
    void inputEndingInsideAMessage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        serve();
        Host host;
        host.write(bytes);
        host.closeInput();
        QCOMPARE(host.exitCode(), exitCode);
        QVERIFY(host.unreadOutput().isEmpty());
        QVERIFY(m_server->editors()->openEditors().isEmpty());
    }

    // What the host relies on, called directly: the call that tells the user's decision.
    void sendUrlWithResultTellsTheDecisionAndSendUrlStaysSilent()
    {
        serve();
        BusClient client;
        QDBusMessage call = BusClient::method(QLatin1String(AutomationObject::ResultMethod));
        call.setArguments({QStringLiteral(" "), QStringLiteral("x")});
        QDBusMessage reply = waitForReply(client.call(call));
        QCOMPARE(reply.arguments(), QVariantList{QStringLiteral("cancelled")}); // blank: nothing opens

        QDBusPendingCall plain = client.sendUrl({QStringLiteral("http://example.com/plain"), QStringLiteral("p")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QTimer::singleShot(0, editor->controls().saveButton, &QPushButton::click);
        reply = waitForReply(plain);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QVERIFY(reply.arguments().isEmpty());
    }
};

VESTRANE_BUS_TEST_MAIN(TestNativeHost)
#include "tst_nativehost.moc"
