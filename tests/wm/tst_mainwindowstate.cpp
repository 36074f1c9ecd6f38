// What the stay-on-top toggle ("置后") leaves alone under a window manager: the opacity
// set by "透明" and the geometry of a maximised window and its normal geometry.
#include "WmTest.h"

using namespace WmTest;

class TestMainWindowState : public QObject
{
    Q_OBJECT

private:
    // The toggle changes the window's stacking state, and no other window takes the
    // main window's place.
    static WmSession::Client toggleStayOnTop(WmSession &session, const WmSession::Client &main, bool nowOnTop)
    {
        session.click(toolButton(main, StayOnTop));
        WmSession::waitFor([&] {
            const WmSession::Client now = session.clientTitled(MainTitle);
            return now.window && session.hasState(now.window, "_NET_WM_STATE_ABOVE") == nowOnTop;
        });
        return session.clientTitled(MainTitle);
    }

private Q_SLOTS:
    // "透明" makes the window translucent; the toggle then changes the stacking state of
    // that same native window, which keeps the level it was given. (jwm itself rewrites
    // the opacity property of undecorated windows when their focus or state changes, so
    // the property is read only before the toggle.)
    void stayOnTopKeepsTheWindow()
    {
        WmSession session;
        WM_START_MAIN(session, main);
        QVERIFY(session.hasState(main.window, "_NET_WM_STATE_ABOVE"));

        session.click(toolButton(main, Alpha));
        QVERIFY(WmSession::waitFor([&] { return session.opacity(main.window) >= 0; }));
        QVERIFY(qAbs(session.opacity(main.window) - qint64(0xFFFFFFFFLL * 200 / 255)) < 0x1000000);

        const WmSession::Client below = toggleStayOnTop(session, main, false);
        QCOMPARE(below.window, main.window);
        QVERIFY(!session.hasState(below.window, "_NET_WM_STATE_ABOVE"));
        QCOMPARE(below.geometry, main.geometry);

        const WmSession::Client above = toggleStayOnTop(session, below, true);
        QCOMPARE(above.window, main.window);
        QVERIFY(session.hasState(above.window, "_NET_WM_STATE_ABOVE"));
    }

    // Maximised on top, the window leaves the panel free; the toggle keeps the maximised
    // geometry, and restoring gives back the geometry from before.
    void geometryKept()
    {
        WmSession session;
        WM_START_MAIN(session, main);
        const QRect normal = main.geometry;
        const QRect workArea = session.workArea();
        QVERIFY(workArea.height() < session.screen().height());

        session.click(captionButton(main, 1));
        QVERIFY2(WmSession::waitFor([&] { return session.geometryOf(main.window) == workArea; }),
                 qPrintable(QStringLiteral("%1x%2")
                                .arg(session.geometryOf(main.window).width())
                                .arg(session.geometryOf(main.window).height())));
        WmSession::Client maximised = session.clientTitled(MainTitle);

        maximised = toggleStayOnTop(session, maximised, false);
        QVERIFY(!session.hasState(maximised.window, "_NET_WM_STATE_ABOVE"));
        QCOMPARE(maximised.geometry, workArea);

        session.click(captionButton(maximised, 1));
        QVERIFY2(WmSession::waitFor([&] { return session.geometryOf(maximised.window) == normal; }),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(session.geometryOf(maximised.window).x())
                                .arg(session.geometryOf(maximised.window).y())
                                .arg(session.geometryOf(maximised.window).width())
                                .arg(session.geometryOf(maximised.window).height())));
    }
};

QTEST_GUILESS_MAIN(TestMainWindowState)
#include "tst_mainwindowstate.moc"
