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

#include <memory>

class TestServerDatabase;

// Gives a test its own HOME and XDG folders in a temporary directory, so that settings,
// database, lock file and favourites never touch the real user's files. Run with
// VESTRANE_TEST_ENGINE=postgres, it also gives the test a fresh database of its own on the
// test server and names it in the settings (`Database`), so that the program's
// connections use it instead of the SQLite file. Construct it
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
    // The server database's URI when running on PostgreSQL; empty on SQLite.
    QString serverDatabase() const;
    // The database a test of the data layer opens: the server's when running on
    // PostgreSQL, else `file`.
    QString databaseOr(const QString &file) const { return m_server ? serverDatabase() : file; }
    // Makes the server database where the test runs on PostgreSQL. Qt's database drivers
    // need the application object: the constructor does this when one exists, the test
    // main once it made one.
    void useTestServerIfAsked();

    // Writes a browser script that appends the first argument of each call, one per line,
    // to browserLog() (followed by " PGPASSWORD" when it got that variable), and points
    // $BROWSER at it.
    void installRecordingBrowser();
    QString browserLog() const { return m_dir.path() + QStringLiteral("/browser.log"); }
    // Waits (running the event loop) until the recording browser logged `count` calls;
    // gives the logged lines.
    QStringList waitForBrowserCalls(int count, int timeoutMs = 5000) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    std::unique_ptr<TestServerDatabase> m_server;
};

// Like QTEST_MAIN, with a TestEnv set up before the application object and a fixed
// locale, so that date formats do not depend on the machine. As with QTEST_MAIN, a test
// of the core (which never links Qt Widgets) gets a QCoreApplication.
#ifdef QT_WIDGETS_LIB
#define VESTRANE_TEST_APPLICATION QApplication
#else
#define VESTRANE_TEST_APPLICATION QCoreApplication
#endif
#define VESTRANE_TEST_MAIN(TestClass)                                                                                  \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        TestEnv testEnv;                                                                                               \
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));                                                \
        VESTRANE_TEST_APPLICATION app(argc, argv);                                                                     \
        testEnv.useTestServerIfAsked();                                                                                \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        TestClass tc;                                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
