#pragma once

// What the window-manager tests share: the program's windows as the X server shows
// them and where the user clicks on them.
#include "WmSession.h"

#include <QTest>

namespace WmTest {

inline const QString MainTitle = QStringLiteral("网址管理软件V1.0");
inline const QString EditorTitle = QStringLiteral("添加网址");
inline const QString ImportTitle = QStringLiteral("导入IE数据");
inline const QString OtherProgramTitle = QStringLiteral("xmessage");

// The toolbar buttons from the left, and where the n-th one is on the main window: the
// band lies below the 3-pixel border and the 25-pixel caption bar; buttons are 63 pixels
// wide with 8 pixels between them.
enum ToolButton { Alpha, StayOnTop, IP, Favourites, Import, Help, Exit };
inline QPoint toolButton(const WmSession::Client &main, ToolButton button)
{
    return main.geometry.topLeft() + QPoint(36 + 71 * int(button), 41);
}

// The caption buttons, counted from the right (0 close, 1 maximise, 2 minimise).
inline QPoint captionButton(const WmSession::Client &window, int fromRight)
{
    return QPoint(window.geometry.right() - 14 - 21 * fromRight, window.geometry.top() + 14);
}

inline bool isActive(const WmSession &session, const WmSession::Client &client)
{
    return client.window && session.activeWindow() == client.window && session.hasInputFocus(client.window);
}

inline bool isAbove(const WmSession &session, const WmSession::Client &upper, const WmSession::Client &lower)
{
    const int upperIndex = session.stackIndex(upper.window);
    return upperIndex >= 0 && upperIndex > session.stackIndex(lower.window);
}

// Waits for a mapped window with the title and gives it (window 0 when none came).
inline WmSession::Client waitForClient(const WmSession &session, const QString &title, int count = 1)
{
    WmSession::waitFor([&] { return session.clientsTitled(title).size() >= count; });
    return session.clientTitled(title);
}

inline bool waitUntilGone(const WmSession &session, const WmSession::Client &client)
{
    return WmSession::waitFor([&] { return session.stackIndex(client.window) < 0; });
}

// Whether the process has ended or ends within 10 s (waitForFinished alone fails for a
// process whose end the event loop has already seen).
inline bool hasEnded(QProcess *process)
{
    return process->state() == QProcess::NotRunning || process->waitForFinished(10000);
}

// Starts a small program of another vendor, as a window the user might work in.
inline WmSession::Client startOtherProgram(WmSession &session)
{
    session.startTool(QStringLiteral("xmessage"),
                      {QStringLiteral("-geometry"), QStringLiteral("+300+200"), QStringLiteral("another program")});
    return waitForClient(session, OtherProgramTitle);
}

} // namespace WmTest

// Starts the desktop and the program, and waits until its main window is shown and has
// the focus; fails the test otherwise.
#define WM_START_MAIN(session, main)                                                                                   \
    QVERIFY2((session).start(), qPrintable((session).error()));                                                        \
    (session).startProgram();                                                                                          \
    QVERIFY2(                                                                                                          \
        WmSession::waitFor([&] { return WmTest::isActive((session), (session).clientTitled(WmTest::MainTitle)); }),    \
        "the main window did not come up with the keyboard");                                                          \
    const WmSession::Client main = (session).clientTitled(WmTest::MainTitle)
