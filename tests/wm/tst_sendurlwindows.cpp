// The editor that a SendUrl call opens, under a window manager: it comes to the top with
// the keyboard however the main window lies, a second one is set off from the first,
// and a process the bus started ends with the bus.
#include "WmTest.h"

using namespace WmTest;

class TestSendUrlWindows : public QObject
{
    Q_OBJECT

private:
    enum class MainState { OnTop, NotOnTop, Minimised, OtherProgramActive };

    static QProcess *sendUrl(WmSession &session, const QString &address)
    {
        return session.startProgram({QStringLiteral("--send-url"), address, QStringLiteral("例子")});
    }

    static void prepare(WmSession &session, const WmSession::Client &main, const WmSession::Client &other,
                        MainState state)
    {
        switch (state) {
        case MainState::OnTop: break;
        case MainState::NotOnTop:
            session.click(toolButton(main, StayOnTop));
            QVERIFY(WmSession::waitFor([&] { return !session.hasState(main.window, "_NET_WM_STATE_ABOVE"); }));
            session.click(other.geometry.center());
            QVERIFY(WmSession::waitFor([&] { return isActive(session, other) && isAbove(session, other, main); }));
            break;
        case MainState::Minimised:
            session.click(captionButton(main, 2));
            QVERIFY(WmSession::waitFor([&] { return session.stackIndex(main.window) < 0; }));
            break;
        case MainState::OtherProgramActive:
            session.click(other.geometry.center());
            QVERIFY(WmSession::waitFor([&] { return isActive(session, other); }));
            break;
        }
    }

private Q_SLOTS:
    void editorOnTop_data()
    {
        // Where the keyboard is once both editors closed. Empty: the window manager's
        // choice, which gives it to the topmost window, the main window kept on top.
        QTest::addColumn<MainState>("state");
        QTest::addColumn<QString>("keyboardAfter");
        QTest::newRow("main window on top") << MainState::OnTop << "main";
        QTest::newRow("main window not on top, other program above") << MainState::NotOnTop << "other";
        QTest::newRow("main window minimised") << MainState::Minimised << "";
        QTest::newRow("other program active") << MainState::OtherProgramActive << "";
    }

    // Two calls at once: both editors above everything, the second set off from the
    // first; each closes with Esc, its call ends, and the keyboard goes back where it
    // was: to the main window when it had it, else the program neither raises nor
    // activates the main window.
    void editorOnTop()
    {
        QFETCH(MainState, state);
        QFETCH(QString, keyboardAfter);
        WmSession session;
        WM_START_MAIN(session, main);
        const WmSession::Client other = startOtherProgram(session);
        prepare(session, main, other, state);

        QProcess *firstCall = sendUrl(session, QStringLiteral("http://localhost/first"));
        const WmSession::Client first = waitForClient(session, EditorTitle);
        QVERIFY2(first.window, "the editor did not appear");
        QVERIFY(WmSession::waitFor([&] { return isActive(session, first); }));
        QVERIFY(isAbove(session, first, other));
        if (session.stackIndex(main.window) >= 0)
            QVERIFY(isAbove(session, first, main));

        QProcess *secondCall = sendUrl(session, QStringLiteral("http://localhost/second"));
        QVERIFY(WmSession::waitFor([&] { return session.clientsTitled(EditorTitle).size() == 2; }));
        const WmSession::Client second = session.clientTitled(EditorTitle);
        QVERIFY(second.window != first.window);
        QVERIFY(WmSession::waitFor([&] { return isActive(session, second); }));
        QVERIFY(isAbove(session, second, first));
        const QPoint offset = second.geometry.topLeft() - first.geometry.topLeft();
        QVERIFY2(offset.x() >= 10 && offset.y() >= 10,
                 qPrintable(QStringLiteral("offset %1,%2").arg(offset.x()).arg(offset.y())));

        session.key(QStringLiteral("Escape"));
        QVERIFY(waitUntilGone(session, second));
        QVERIFY(hasEnded(secondCall));
        QCOMPARE(secondCall->exitCode(), 0);
        QVERIFY(WmSession::waitFor([&] { return isActive(session, first); }));

        session.key(QStringLiteral("Escape"));
        QVERIFY(waitUntilGone(session, first));
        QVERIFY(hasEnded(firstCall));
        QCOMPARE(firstCall->exitCode(), 0);
        const WmSession::Client mainAfter = session.clientTitled(MainTitle);
        if (keyboardAfter == QLatin1String("main")) {
            QVERIFY(WmSession::waitFor([&] { return isActive(session, mainAfter); }));
        } else if (keyboardAfter == QLatin1String("other")) {
            QTest::qWait(1000); // time for a raise or an activation the program might still make
            QVERIFY(isActive(session, other));
            QVERIFY(isAbove(session, other, mainAfter));
        }
    }

    // No instance runs: the call starts one through the bus. Its editor comes up with the
    // keyboard and stays until the user closes it; then the call ends and so does the
    // process. The first start makes the library, the second takes the day's copy of it;
    // every start alike shows its editor.
    void busStartedEditor()
    {
        WmSession session;
        QVERIFY2(session.start(), qPrintable(session.error()));
        QProcess *registration = session.startProgram({QStringLiteral("-regserver")});
        QVERIFY(hasEnded(registration));
        QCOMPARE(registration->exitCode(), 0);

        for (int start = 1; start <= 5; ++start) {
            QProcess *call = sendUrl(session, QStringLiteral("http://localhost/started%1").arg(start));
            const WmSession::Client editor = waitForClient(session, EditorTitle);
            QVERIFY2(editor.window, qPrintable(QStringLiteral("start %1: the editor did not appear").arg(start)));
            QVERIFY(WmSession::waitFor([&] { return isActive(session, editor); }));
            const WmSession::Client main = session.clientTitled(MainTitle);
            if (main.window)
                QVERIFY(isAbove(session, editor, main));
            if (start == 1) {
                QTest::qWait(2500); // the editor stays while the user works in it
                QVERIFY(isActive(session, editor));
            }
            QCOMPARE(call->state(), QProcess::Running);

            session.key(QStringLiteral("Escape"));
            QVERIFY(waitUntilGone(session, editor));
            QVERIFY(hasEnded(call));
            QCOMPARE(call->exitCode(), 0);
            QVERIFY(WmSession::waitFor([&] { return !session.clientTitled(MainTitle).window; }));
        }
    }

    // Started by the bus for a call, with no call yet: when the session bus goes away
    // there is no one left to serve, and the process ends.
    void busStartedEndsWithTheBus()
    {
        WmSession session;
        QVERIFY2(session.start(), qPrintable(session.error()));
        QProcess *program = session.startProgram({QStringLiteral("-EMBEDDING")});
        QVERIFY(waitForClient(session, MainTitle).window);
        session.stopBus();
        QVERIFY(hasEnded(program));
    }
};

QTEST_GUILESS_MAIN(TestSendUrlWindows)
#include "tst_sendurlwindows.moc"
