#pragma once

#ifdef QT_WIDGETS_LIB
#include <QApplication>
#else
#include <QCoreApplication>
#endif
#include <QByteArray>
#include <QLocale>
#include <QTest>
#include <QString>
#include <QTemporaryDir>

// Gives a test its own HOME and XDG folders in a temporary directory, so that settings,
// database, lock file and favourites never touch the real user's files. Construct it
// before QApplication (use VESTRANE_TEST_MAIN) or at the start of initTestCase().
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();

    QString root() const { return m_dir.path(); }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    QString runtimeDir() const { return m_dir.path() + QStringLiteral("/runtime"); }
    // The database file the program uses when `Path` is empty.
    QString defaultDatabaseFile() const { return dataHome() + QStringLiteral("/Kelvo/address.mdb"); }
    QString settingsFile() const { return configHome() + QStringLiteral("/Kelvo/Kelvo.conf"); }

    // Writes a browser script that appends each argument it gets, one per line, to
    // browserLog(), and points $BROWSER at it.
    void installRecordingBrowser();
    QString browserLog() const { return m_dir.path() + QStringLiteral("/browser.log"); }
    // Waits (running the event loop) until the recording browser logged `count` calls;
    // gives the logged lines.
    QStringList waitForBrowserCalls(int count, int timeoutMs = 5000) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};

// Like QTEST_MAIN, with a TestEnv set up before the application object and a fixed
// locale, so that date formats do not depend on the machine. As with QTEST_MAIN, a test
// of the core (which never links Qt Widgets) gets a QCoreApplication.
#ifdef QT_WIDGETS_LIB
#define VESTRANE_TEST_APPLICATION QApplication
#else
#define VESTRANE_TEST_APPLICATION QCoreApplication
#endif
#define VESTRANE_TEST_MAIN(TestClass)                                                      \
    int main(int argc, char **argv)                                                        \
    {                                                                                      \
        TestEnv testEnv;                                                                   \
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));                   \
        VESTRANE_TEST_APPLICATION app(argc, argv);                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                         \
        TestClass tc;                                                                      \
        return QTest::qExec(&tc, argc, argv);                                              \
    }
