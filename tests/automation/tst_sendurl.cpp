#include "BusTest.h"

#include "automation/ArgumentLimit.h"
#include "automation/AutomationServer.h"
#include "automation/SendUrlClient.h"
#include "automation/AutomationObject.h"
#include "data/SettingsStore.h"
#include "data/SharedConnection.h"
#include "services/HistoryCommands.h"
#include "editor/AddressEditor.h"
#include "platform/Dialogs.h"
#include "OpenEditors.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

#include <memory>
#include <stdexcept>

using namespace std::chrono_literals;

class TestSendUrl : public QObject
{
    Q_OBJECT

private:
    LibraryHistory m_history; // outlives the server's editors
    std::unique_ptr<AutomationServer> m_server;

    AutomationServer &serve(StartMode mode = StartMode::Normal, std::chrono::milliseconds wait = 60s)
    {
        m_server = std::make_unique<AutomationServer>(mode, wait);
        m_server->startServing();
        return *m_server;
    }
    QList<AddressEditor *> editors() const { return m_server->editors()->openEditors(); }
    AddressEditor *waitForEditor(int count = 1) { return ::waitForEditor(*m_server->editors(), count); }
    static void closeLater(QWidget *window) { QTimer::singleShot(0, window, &QWidget::close); }

private Q_SLOTS:
    void initTestCase() { Dialogs::startRecording(); }
    void cleanup()
    {
        m_server.reset();
        m_history.clear();
        Dialogs::clearRecorded();
    }

    void introspectionDescribesSendUrl()
    {
        serve();
        QVERIFY(m_server->ownsBusName());
        BusClient client;
        const QDBusMessage reply = waitForReply(client.call(
            BusClient::method(QStringLiteral("Introspect"), QStringLiteral("org.freedesktop.DBus.Introspectable"))));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        const QString xml = reply.arguments().value(0).toString();
        QVERIFY2(xml.contains(QLatin1String("<interface name=\"Quorvel.IPIO\">")), qPrintable(xml));
        QVERIFY(xml.contains(QLatin1String("<method name=\"SendUrl\">")));
        QVERIFY(xml.contains(QLatin1String("<arg name=\"Name1\" type=\"s\" direction=\"in\"/>")));
        QVERIFY(xml.contains(QLatin1String("<arg name=\"Name2\" type=\"s\" direction=\"in\"/>")));
        QVERIFY(xml.indexOf(QLatin1String("Name1")) < xml.indexOf(QLatin1String("Name2")));
    }

    void blankCallSucceedsAndOpensNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("both empty") << QString() << QString();
        QTest::newRow("empty name") << QStringLiteral("http://example.com/") << QString();
        QTest::newRow("blank address") << QStringLiteral("  \t ") << QStringLiteral("例子");
        QTest::newRow("control characters only") << QStringLiteral("http://a/") << QStringLiteral(" \n\r\x01 ");
    }
    void blankCallSucceedsAndOpensNothing()
    {
        QFETCH(QString, address);
        QFETCH(QString, name);
        serve();
        BusClient client;
        const QDBusMessage reply = waitForReply(client.sendUrl({address, name}));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QVERIFY(reply.arguments().isEmpty());
        QCOMPARE(m_server->pendingCalls(), 0);
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<AddressEditor *>(window) && window->isVisible()));
    }

    void callOpensFilledEditorAndAnswersWhenItCloses()
    {
        serve();
        BusClient client;
        QDBusPendingCall call = client.sendUrl({QStringLiteral(" http://example.com/ "), QStringLiteral("例子")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QVERIFY(editor->parent() == nullptr);
        QCOMPARE(editor->windowModality(), Qt::ApplicationModal);
        QCOMPARE(editor->captionText(), QStringLiteral("添加网址"));
        QCOMPARE(editor->editMode(), AddressEditor::EditMode::Add);
        QCOMPARE(editor->controls().addressEdit->text(), QStringLiteral(" http://example.com/ ")); // untrimmed
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("例子"));
        QCOMPARE(editor->controls().groupList->currentRow(), 0); // the first group

        QTest::qWait(200);
        QVERIFY(!call.isFinished()); // still waiting for the user
        QCOMPARE(m_server->pendingCalls(), 1);

        QPointer<AddressEditor> watched(editor);
        closeLater(editor);
        const QDBusMessage reply = waitForReply(call);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(m_server->pendingCalls(), 0);
        QTRY_VERIFY(watched.isNull()); // each call's editor is freed after use
    }

    // The address is stored as a step of the session's history: the main window's undo
    // takes it back.
    void savedAddressIsStoredAndTheCallSucceeds()
    {
        serve().editors()->setHistory(&m_history);
        BusClient client;
        QDBusPendingCall call = client.sendUrl({QStringLiteral("http://example.com/path/"), QStringLiteral("例子")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QTimer::singleShot(0, editor->controls().saveButton, &QPushButton::click);
        QCOMPARE(waitForReply(call).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, QStringLiteral("保存成功！!"));

        const auto stored = [] {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                               + QStringLiteral("/Kelvo/address.mdb"));
            QStringList rows;
            QSqlQuery query(db);
            if (db.open()
                && query.exec(
                    QStringLiteral("select AddressName, Times from address where Address = 'example.com/path'"))) {
                while (query.next())
                    rows << query.value(0).toString() + QLatin1Char('|') + query.value(1).toString();
            }
            query = QSqlQuery();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("check"));
            return rows;
        };
        QCOMPARE(stored(), QStringList{"例子|0"});
        QCOMPARE(m_history.undoLabel(), QStringLiteral("添加网址“例子”"));
        DbConnection library(QStringLiteral("main window"));
        configureConnection(library);
        QVERIFY(HistoryCommands::undo(m_history, library).ok());
        QCOMPARE(stored(), QStringList());
    }

    void oddTextsReachTheFieldsUnchanged_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("control characters") << QStringLiteral("a\x01"
                                                              "b\tc")
                                            << QStringLiteral("x\x7f"
                                                              "y");
        QTest::newRow("right-to-left mark") << QStringLiteral("\u200Fhttp://例子.中国/") << QStringLiteral("\u202Eabc");
        QTest::newRow("ideographic space is content") << QStringLiteral("\u3000") << QStringLiteral("\u3000");
        QTest::newRow("quotes") << QStringLiteral("http://x/?q='\"%_") << QStringLiteral("it's \"quoted\"");
        QTest::newRow("100 KB long") << QStringLiteral("http://example.com/") + QString(100 * 1024, QLatin1Char('a'))
                                     << QString(50 * 1024, QChar(0x4F8B));
    }
    void oddTextsReachTheFieldsUnchanged()
    {
        QFETCH(QString, address);
        QFETCH(QString, name);
        serve();
        BusClient client;
        QDBusPendingCall call = client.sendUrl({address, name});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QCOMPARE(editor->controls().addressEdit->text(), address);
        QCOMPARE(editor->controls().nameEdit->text(), name);
        closeLater(editor);
        QCOMPARE(waitForReply(call).type(), QDBusMessage::ReplyMessage);
    }

    void wrongArgumentsAreRejectedClearly_data()
    {
        QTest::addColumn<QVariantList>("arguments");
        QTest::newRow("none") << QVariantList();
        QTest::newRow("one") << QVariantList{QStringLiteral("http://a/")};
        QTest::newRow("three") << QVariantList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QTest::newRow("number") << QVariantList{5, QStringLiteral("b")};
    }
    void wrongArgumentsAreRejectedClearly()
    {
        QFETCH(QVariantList, arguments);
        serve();
        BusClient client;
        const QDBusMessage reply = waitForReply(client.sendUrl(arguments));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QVERIFY2(reply.errorMessage().contains(QLatin1String("\"ss\"")), qPrintable(reply.errorMessage()));
        QCOMPARE(m_server->pendingCalls(), 0);
    }

    void otherCallsGetTheStandardAnswers()
    {
        serve();
        BusClient client;
        const auto errorName = [&](const QString &member, const QString &interface,
                                   const QVariantList &arguments = {}) {
            QDBusMessage message = BusClient::method(member, interface);
            message.setArguments(arguments);
            const QDBusMessage reply = waitForReply(client.call(message));
            return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QStringLiteral("(no error)");
        };
        const QString ipio = QStringLiteral("Quorvel.IPIO");
        const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
        QCOMPARE(errorName(QStringLiteral("Nope"), ipio), QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"));
        QCOMPARE(errorName(QStringLiteral("SendUrl"), QStringLiteral("Quorvel.Other"),
                           {QStringLiteral("a"), QStringLiteral("b")}),
                 QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));
        QCOMPARE(errorName(QStringLiteral("Get"), properties, {ipio, QStringLiteral("Name1")}),
                 QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
        QCOMPARE(errorName(QStringLiteral("Set"), properties,
                           {ipio, QStringLiteral("Name1"), QVariant::fromValue(QDBusVariant(QStringLiteral("x")))}),
                 QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"));
        QCOMPARE(errorName(QStringLiteral("GetAll"), properties, {5}),
                 QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QCOMPARE(errorName(QStringLiteral("GetAll"), properties, {QStringLiteral("Quorvel.Other")}),
                 QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"));

        QDBusMessage getAll = BusClient::method(QStringLiteral("GetAll"), properties);
        getAll << ipio;
        const QDBusMessage all = waitForReply(client.call(getAll));
        QCOMPARE(all.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(all.signature(), QStringLiteral("a{sv}"));
        QVERIFY(qdbus_cast<QVariantMap>(all.arguments().value(0)).isEmpty());
        QVERIFY(editors().isEmpty());
    }

    void overlongTextIsRefusedBeforeAnyWidget()
    {
        serve();
        BusClient client;
        const QString longest(ArgumentLimit::MaxCharacters, QLatin1Char('a'));
        const QString tooLong = longest + QLatin1Char('a');
        const QDBusMessage refused = waitForReply(client.sendUrl({QStringLiteral("http://a/"), tooLong}), 30000);
        QCOMPARE(refused.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(refused.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
        QVERIFY2(refused.errorMessage().contains(QLatin1String("2097152")), qPrintable(refused.errorMessage()));
        QVERIFY(editors().isEmpty());
        QCOMPARE(m_server->pendingCalls(), 0);
        // A text of exactly the limit passes the check (the blank name then ends the call).
        QCOMPARE(waitForReply(client.sendUrl({longest, QString()}), 30000).type(), QDBusMessage::ReplyMessage);

        // The command-line client refuses before it calls.
        int argc = 1;
        char name[] = "vestrane";
        char *argv[] = {name, nullptr};
        QCOMPARE(SendUrlClient::run(argc, argv, tooLong, QStringLiteral("b")), 2);
        QVERIFY(editors().isEmpty());
    }

    void errorWhileTheEditorIsMadeIsTheCallsAnswer_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("error");
        QTest::newRow("path is a list") << QByteArray("[General]\nPath=a, b\n")
                                        << QStringLiteral("Invalid data type for 'Path'");
        QTest::newRow("folder missing") << QByteArray("[General]\nPath=/nonexistent-vestrane-folder\n")
                                        << QStringLiteral("/nonexistent-vestrane-folder");
    }
    void errorWhileTheEditorIsMadeIsTheCallsAnswer()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, error);
        serve();
        const QString file = SettingsStore::userFileName();
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile::remove(file + QStringLiteral(".saved"));
        QFile::rename(file, file + QStringLiteral(".saved"));
        const auto restore = qScopeGuard([&] {
            QFile::remove(file);
            QFile::rename(file + QStringLiteral(".saved"), file);
        });
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(settings);
        }
        BusClient client;
        const QDBusMessage reply = waitForReply(client.sendUrl({QStringLiteral("http://a/"), QStringLiteral("b")}));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QLatin1String(AutomationObject::ErrorName));
        QVERIFY2(reply.errorMessage().contains(error), qPrintable(reply.errorMessage()));
        QVERIFY(Dialogs::recorded().isEmpty());
        QCOMPARE(m_server->pendingCalls(), 0);
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!(qobject_cast<AddressEditor *>(window) && window->isVisible()));
    }

    // A call is never answered as saved or cancelled unless the user did so: one whose
    // editor the ending program takes away gets an error, and so does one beyond the bound
    // of waiting calls, at once, saying how many wait.
    void callsWithoutTheUsersAnswerGetAnError_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("waitingBefore");
        QTest::addColumn<QString>("error");
        QTest::newRow("program ends, SendUrl") << "SendUrl" << 0 << "ended before the address was saved";
        QTest::newRow("program ends, SendUrlWithResult")
            << "SendUrlWithResult" << 0 << "ended before the address was saved";
        QTest::newRow("more calls than the bound")
            << "SendUrl" << int(AutomationObject::MaxPendingCalls) << "20 calls are waiting";
    }
    void callsWithoutTheUsersAnswerGetAnError()
    {
        QFETCH(QString, method);
        QFETCH(int, waitingBefore);
        QFETCH(QString, error);
        serve();
        BusClient client;
        QList<QDBusPendingCall> waiting;
        for (int i = 0; i < waitingBefore; ++i) {
            waiting << client.sendUrl({QStringLiteral("http://w%1/").arg(i), QStringLiteral("w")});
            QVERIFY(waitForEditor(i + 1));
        }
        QDBusMessage message = BusClient::method(method);
        message.setArguments({QStringLiteral("http://last/"), QStringLiteral("末")});
        QDBusPendingCall last = client.call(message);
        if (waitingBefore == 0) {
            QVERIFY(waitForEditor());
            m_server.reset(); // the program ends with the editor open
        }
        const QDBusMessage reply = waitForReply(last);
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QLatin1String(AutomationObject::ErrorName));
        QVERIFY2(reply.errorMessage().contains(error), qPrintable(reply.errorMessage()));
        if (m_server) {
            QCOMPARE(m_server->pendingCalls(), waitingBefore);
            m_server.reset();
        }
        for (const QDBusPendingCall &call : std::as_const(waiting))
            QCOMPARE(waitForReply(call).type(), QDBusMessage::ErrorMessage);
    }

    void failureInsideTheCallReturnsItsText()
    {
        serve();
        m_server->editors()->setEditorFactory([]() -> AddressEditor * { throw std::runtime_error("无法打开数据库"); });
        BusClient client;
        const QDBusMessage reply = waitForReply(client.sendUrl({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QLatin1String(AutomationObject::ErrorName));
        QCOMPARE(reply.errorMessage(), QStringLiteral("无法打开数据库"));
        QCOMPARE(m_server->pendingCalls(), 0);
        QVERIFY(Dialogs::recorded().isEmpty()); // not shown to the user
    }

    void twoCallsAnswerInTheOrderTheirEditorsClose()
    {
        serve();
        BusClient client;
        QDBusPendingCall first = client.sendUrl({QStringLiteral("http://one/"), QStringLiteral("一")});
        AddressEditor *firstEditor = waitForEditor(1);
        QDBusPendingCall second = client.sendUrl({QStringLiteral("http://two/"), QStringLiteral("二")});
        AddressEditor *secondEditor = waitForEditor(2);
        QVERIFY(firstEditor && secondEditor && firstEditor != secondEditor);
        QCOMPARE(secondEditor->controls().addressEdit->text(), QStringLiteral("http://two/"));
        QCOMPARE(QApplication::activeModalWidget(), secondEditor); // the later one on top

        closeLater(secondEditor);
        QCOMPARE(waitForReply(second).type(), QDBusMessage::ReplyMessage);
        QTest::qWait(100);
        QVERIFY(!first.isFinished());
        QCOMPARE(m_server->pendingCalls(), 1);

        closeLater(firstEditor);
        QCOMPARE(waitForReply(first).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(m_server->pendingCalls(), 0);
    }

    void editorsOfSuccessiveCallsSharePictures()
    {
        // A picture made anew for each editor stays in Qt's pixmap cache under a key of its
        // own: memory grew with every call. The editors must draw the same icons.
        serve();
        BusClient client;
        QList<qint64> keys[2];
        for (QList<qint64> &key : keys) {
            QDBusPendingCall call = client.sendUrl({QStringLiteral("http://a/"), QStringLiteral("b")});
            AddressEditor *editor = waitForEditor();
            QVERIFY(editor);
            QTest::qWait(20); // painted once
            key = {editor->controls().saveButton->icon().cacheKey(),
                   editor->captionControls().closeButton->icon().cacheKey(),
                   editor->captionControls().minimiseButton->icon().cacheKey(),
                   editor->captionControls().captionIcon->pixmap().cacheKey()};
            closeLater(editor);
            QCOMPARE(waitForReply(call).type(), QDBusMessage::ReplyMessage);
            QTRY_COMPARE(m_server->pendingCalls(), 0);
        }
        QCOMPARE(keys[0], keys[1]);
    }

    void editorStaysUsableWhenItsClientHasGone()
    {
        serve();
        auto client = std::make_unique<BusClient>();
        client->sendUrl({QStringLiteral("http://gone/"), QStringLiteral("走了")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        client.reset();
        QTest::qWait(100);
        QVERIFY(editor->isVisible());
        editor->controls().nameEdit->clear();
        QTest::keyClicks(editor->controls().nameEdit, QStringLiteral("still here"));
        QCOMPARE(editor->controls().nameEdit->text(), QStringLiteral("still here"));
        closeLater(editor);
        QTRY_COMPARE(m_server->pendingCalls(), 0);
    }

    void closingAsksOnlyWhileCallsArePending()
    {
        serve();
        QVERIFY(m_server->mayClose(nullptr));
        QVERIFY(Dialogs::recorded().isEmpty());

        BusClient client;
        QDBusPendingCall call = client.sendUrl({QStringLiteral("a"), QStringLiteral("b")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QVERIFY(!m_server->mayClose(nullptr)); // No is the default
        QCOMPARE(Dialogs::recorded().size(), 1);
        const Dialogs::Shown shown = Dialogs::recorded().first();
        QCOMPARE(shown.caption, QStringLiteral("COM Server Warning"));
        QCOMPARE(shown.text,
                 QStringLiteral("There are still active COM objects in this application.  One or more clients may have "
                                "references to these objects, so manually closing this application may cause those "
                                "client application(s) to fail.\n\nAre you sure you want to close this application?"));
        QCOMPARE(shown.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        Dialogs::setNextAnswer(QMessageBox::Yes);
        QVERIFY(m_server->mayClose(nullptr));
        QVERIFY(editor->isVisible());
        closeLater(editor);
        waitForReply(call);
    }

    void busStartedProcessEndsWhenNoCallComes()
    {
        serve(StartMode::BusStarted, 150ms);
        QSignalSpy ended(m_server.get(), &AutomationServer::endRequested);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 3000);

        serve(StartMode::Normal, 150ms);
        QSignalSpy normal(m_server.get(), &AutomationServer::endRequested);
        QTest::qWait(500);
        QCOMPARE(normal.count(), 0);
    }

    void busStartedProcessEndsAfterItsCallAndDialogs()
    {
        serve(StartMode::BusStarted);
        QSignalSpy ended(m_server.get(), &AutomationServer::endRequested);
        BusClient client;
        QDBusPendingCall call = client.sendUrl({QStringLiteral("a"), QStringLiteral("b")});
        AddressEditor *editor = waitForEditor();
        QVERIFY(editor);
        QTest::qWait(300);
        QCOMPARE(ended.count(), 0);

        QDialog otherDialog; // a dialog the user opened meanwhile
        otherDialog.show();
        closeLater(editor);
        QCOMPARE(waitForReply(call).type(), QDBusMessage::ReplyMessage);
        QTest::qWait(500);
        QCOMPARE(ended.count(), 0);
        otherDialog.close();
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 3000);
    }

    void blankCallEndsABusStartedProcess()
    {
        serve(StartMode::BusStarted);
        QSignalSpy ended(m_server.get(), &AutomationServer::endRequested);
        BusClient client;
        QCOMPARE(waitForReply(client.sendUrl({QString(), QString()})).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 3000);
    }

    void nameOwnedByAnotherProcessIsPassedOverSilently()
    {
        BusClient other;
        QVERIFY(other.bus().registerService(QStringLiteral("Quorvel.PIO")));
        serve();
        QVERIFY(!m_server->ownsBusName());
        QVERIFY(Dialogs::recorded().isEmpty());
        m_server.reset();
        other.bus().unregisterService(QStringLiteral("Quorvel.PIO"));
    }
};

VESTRANE_BUS_TEST_MAIN(TestSendUrl)
#include "tst_sendurl.moc"
