// The import window, the list's editor and a message box under a window manager: each
// opens above the window it blocks and takes the keyboard; when it closes, the window
// below gets the keyboard back.
#include "WmTest.h"

using namespace WmTest;

class TestModalWindows : public QObject
{
    Q_OBJECT

private:
    static void addStackingRows()
    {
        QTest::addColumn<bool>("onTop");
        QTest::newRow("main window on top") << true;
        QTest::newRow("main window not on top") << false;
    }

    // Leaves the main window on top or lets other windows cover it, as the row says.
    static void applyStacking(WmSession &session, const WmSession::Client &main, bool onTop)
    {
        if (onTop)
            return;
        session.click(toolButton(main, StayOnTop));
        QVERIFY(WmSession::waitFor([&] { return !session.hasState(main.window, "_NET_WM_STATE_ABOVE"); }));
    }

    // The window opened over the main window: above it and above the other program,
    // active, with the keyboard.
    static void checkBlocking(WmSession &session, const WmSession::Client &window, const WmSession::Client &main,
                              const WmSession::Client &other)
    {
        QVERIFY2(window.window, "the window did not appear");
        QVERIFY(WmSession::waitFor([&] { return isActive(session, window); }));
        QVERIFY(isAbove(session, window, main));
        QVERIFY(isAbove(session, window, other));
    }

    // The blocking window has gone: the main window has the keyboard again and, when it
    // stays on top, is above the other program.
    static void checkMainBack(WmSession &session, const WmSession::Client &main, const WmSession::Client &other,
                              bool onTop)
    {
        QVERIFY(WmSession::waitFor([&] { return isActive(session, main); }));
        if (onTop)
            QVERIFY(isAbove(session, main, other));
    }

private Q_SLOTS:
    void importWindow_data() { addStackingRows(); }
    void importWindow()
    {
        QFETCH(bool, onTop);
        WmSession session;
        WM_START_MAIN(session, main);
        const WmSession::Client other = startOtherProgram(session);
        session.click(main.geometry.center());
        applyStacking(session, main, onTop);

        session.click(toolButton(main, Import));
        const WmSession::Client importWindow = waitForClient(session, ImportTitle);
        checkBlocking(session, importWindow, main, other);

        session.click(captionButton(importWindow, 0));
        QVERIFY(waitUntilGone(session, importWindow));
        checkMainBack(session, main, other, onTop);
    }

    void listEditor_data() { addStackingRows(); }
    void listEditor()
    {
        QFETCH(bool, onTop);
        WmSession session;
        WM_START_MAIN(session, main);
        const WmSession::Client other = startOtherProgram(session);
        session.click(main.geometry.center());
        applyStacking(session, main, onTop);

        // "添加网址", the first item of the list's popup menu.
        session.click(main.geometry.topLeft() + QPoint(400, 200), 3);
        session.key(QStringLiteral("Down"));
        session.key(QStringLiteral("Return"));
        const WmSession::Client editor = waitForClient(session, EditorTitle);
        checkBlocking(session, editor, main, other);

        session.key(QStringLiteral("Escape"));
        QVERIFY(waitUntilGone(session, editor));
        checkMainBack(session, main, other, onTop);
    }

    // A box the editor shows: exactly its caption, wide enough to show it, above the
    // editor and with the keyboard, which goes back to the editor when it closes.
    void messageBox()
    {
        WmSession session;
        WM_START_MAIN(session, main);
        session.click(main.geometry.topLeft() + QPoint(400, 200), 3);
        session.key(QStringLiteral("Down"));
        session.key(QStringLiteral("Return"));
        const WmSession::Client editor = waitForClient(session, EditorTitle);
        QVERIFY(WmSession::waitFor([&] { return isActive(session, editor); }));

        session.key(QStringLiteral("Return")); // saving with no address: "请输入网址!"
        QVERIFY(WmSession::waitFor([&] {
            const WmSession::Client top = session.stacking().value(session.stacking().size() - 1);
            return top.window != editor.window && top.window != main.window && isActive(session, top);
        }));
        const WmSession::Client box = session.stacking().last();
        QCOMPARE(box.title, QStringLiteral("提示"));
        QVERIFY(isAbove(session, box, editor));
        // Room for the caption beside the window manager's icon and buttons (a box sized
        // to this short text alone was 108 pixels wide).
        QVERIFY2(box.geometry.width() >= 140, qPrintable(QString::number(box.geometry.width())));

        session.key(QStringLiteral("Return"));
        QVERIFY(waitUntilGone(session, box));
        QVERIFY(WmSession::waitFor([&] { return isActive(session, editor); }));
    }
};

QTEST_GUILESS_MAIN(TestModalWindows)
#include "tst_modalwindows.moc"
