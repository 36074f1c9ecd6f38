#include "JetTestSupport.h"
#include "TestEngine.h"
#include "TestEnv.h"

#include "data/AddressKey.h"
#include "data/SharedConnection.h"
#include "jet/JetMerge.h"
#include "data/AppError.h"

#include <QProcess>
#include <QtTest>

using namespace JetTest;

// Merging a Jet file into a database in use: group matching, the orphan group, the
// duplicate rule, the appended history, all-or-nothing, and the command line.
class TestJetMerge : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<DbConnection> m_db;

    QString binary() const { return qEnvironmentVariable("VESTRANE_BINARY"); }

private Q_SLOTS:
    void init()
    {
        m_db.reset();
        m_env = std::make_unique<TestEnv>();
        m_db = std::make_unique<DbConnection>(QStringLiteral("merge"));
        m_db->setDatabaseFile(m_env->databaseOr(m_env->defaultDatabaseFile()));
        QDir().mkpath(QFileInfo(m_env->defaultDatabaseFile()).absolutePath());
        m_db->open();
    }

    void cleanup()
    {
        m_db.reset();
        m_env.reset();
    }

    void addressKeyIgnoresHostCaseAndTheEditorsTrim_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("http and final slash") << "http://www.x.com/"
                                              << "www.x.com" << true;
        QTest::newRow("host case") << "WWW.X.com/a"
                                   << "www.x.COM/a" << true;
        QTest::newRow("host case with scheme") << "ftp://FTP.X.org/p"
                                               << "ftp://ftp.x.org/p" << true;
        QTest::newRow("path case counts") << "www.x.com/A"
                                          << "www.x.com/a" << false;
        QTest::newRow("query case counts") << "www.x.com?Q=1"
                                           << "www.x.com?q=1" << false;
        QTest::newRow("secure scheme is kept") << "https://www.x.com"
                                               << "www.x.com" << false;
        QTest::newRow("host case beyond ASCII") << "ÄRGER.Straße.de/Ä"
                                                << "ärger.straße.de/Ä" << true;
        QTest::newRow("a colon before the scheme's") << "A:B://X.COM/P"
                                                     << "a:b://x.com/P" << true;
    }

    void addressKeyIgnoresHostCaseAndTheEditorsTrim()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(addressKey(a) == addressKey(b), same);
    }

    void mergeMatchesGroupsByNameAndKeepsEveryValue()
    {
        m_db->execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (3, '常用')"));
        m_db->execute(QStringLiteral("INSERT INTO Search (SearchText, Searchdate) VALUES ('mine', '2020-01-01')"));

        // A missing search text stays missing.
        const QString jetFile = placeAsDatabase(QStringLiteral("small.mdb"), m_env->root() + QStringLiteral("/jet"));
        QVERIFY(markMissing(jetFile, QStringLiteral("100%"), 0));

        const JetMerge::Result result = JetMerge::merge(*m_db, jetFile);

        // IE收藏夹 and 常用 exist; 新闻 & 资讯, It's "quoted" and 未分组 are new.
        QCOMPARE(JetMerge::summary(result), QStringLiteral("3 groups, 9 addresses imported, 0 skipped"));
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT GroupNo, GroupName FROM BaseGroup ORDER BY GroupNo")),
                 QStringList({QStringLiteral("1|IE收藏夹"), QStringLiteral("3|常用"), QStringLiteral("4|新闻 & 资讯"),
                              QStringLiteral("5|It's \"quoted\""), QStringLiteral("6|未分组")}));
        const QStringList addresses = rows(*m_db,
                                           QStringLiteral("SELECT Address, GroupName, Times, ViewTime, MyAddress "
                                                          "FROM address_1"));
        QVERIFY(addresses.contains(QStringLiteral("www.sina.com.cn|新闻 & 资讯|12|2007-11-03|1")));
        QVERIFY(addresses.contains(QStringLiteral("127.0.0.1|It's \"quoted\"|10|2005-12-31|1")));
        QVERIFY(addresses.contains(QStringLiteral("www.orphan.example|未分组|2|2008-08-09|0")));
        QVERIFY(addresses.contains(QStringLiteral("localhost/a/b.html|常用|9|2006-02-28|0")));
        QVERIFY(addresses.contains(QStringLiteral("localhost/a/b.html|IE收藏夹|0|2006-03-01|0")));
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT Sort_No, SearchText FROM Search ORDER BY Sort_No")),
                 QStringList({QStringLiteral("1|mine"), QStringLiteral("2|新浪"), QStringLiteral("3|example"),
                              QStringLiteral("4|<null>")}));
    }

    void duplicatesInTheSameGroupAreSkipped()
    {
        m_db->execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (2, '常用')"));
        // The same as the file's, after the trim and with the host in capitals.
        m_db->execute(QStringLiteral("INSERT INTO address (Address, AddressName, GroupNo) "
                                     "VALUES ('WWW.Example.COM/a?b=1&c=%20/', 'old', 2)"));
        // The same address in another group is no duplicate.
        m_db->execute(QStringLiteral("INSERT INTO address (Address, AddressName, GroupNo) "
                                     "VALUES ('www.sina.com.cn', 'elsewhere', 1)"));

        const JetMerge::Result first = JetMerge::merge(*m_db, fixture(QStringLiteral("small.mdb")));
        QCOMPARE(first.addressesImported, 8);
        QCOMPARE(first.addressesSkipped, 1);
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT count(*) FROM address WHERE Address = 'www.sina.com.cn'")),
                 QStringList(QStringLiteral("2")));

        // A second merge of the same file adds nothing but its search history.
        const JetMerge::Result second = JetMerge::merge(*m_db, fixture(QStringLiteral("small.mdb")));
        QCOMPARE(JetMerge::summary(second), QStringLiteral("0 groups, 0 addresses imported, 9 skipped"));
        QCOMPARE(second.searchesAppended, 3);
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT count(*) FROM address")), QStringList(QStringLiteral("10")));
    }

    void aBrokenFileChangesNothing()
    {
        const QStringList before = rows(*m_db, QStringLiteral("SELECT * FROM BaseGroup"));
        QVERIFY_THROWS_EXCEPTION(AppError, JetMerge::merge(*m_db, fixture(QStringLiteral("damaged.mdb"))));
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT * FROM BaseGroup")), before);
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT count(*) FROM address")), QStringList(QStringLiteral("0")));
    }

    void aRefusedRowUndoesTheWholeMerge()
    {
        TestEngine::refuseWrites(*m_db, QStringLiteral("address"), QStringLiteral("INSERT"),
                                 QStringLiteral("NEW.Address = 'www.orphan.example'"));
        const QStringList groupsBefore = rows(*m_db, QStringLiteral("SELECT * FROM BaseGroup"));
        try {
            JetMerge::merge(*m_db, fixture(QStringLiteral("small.mdb")));
            QFAIL("the merge went on past a refused row");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("refused")), qPrintable(error.message()));
        }
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT * FROM BaseGroup")), groupsBefore);
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT count(*) FROM address")), QStringList(QStringLiteral("0")));
        QCOMPARE(rows(*m_db, QStringLiteral("SELECT count(*) FROM Search")), QStringList(QStringLiteral("0")));
        // The connection is usable afterwards.
        TestEngine::allowWrites(*m_db, QStringLiteral("address"));
        QCOMPARE(JetMerge::merge(*m_db, fixture(QStringLiteral("small.mdb"))).addressesImported, 9);
    }

    void commandLineMergesWithoutDisplay()
    {
        if (binary().isEmpty() || !QFile::exists(binary()))
            QSKIP("the program was not built");
        if (!m_env->serverDatabase().isEmpty())
            QSKIP("about the library file");
        m_db.reset();
        QFile::remove(m_env->defaultDatabaseFile());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        QProcess run;
        run.setProcessEnvironment(environment);

        run.start(binary(), {QStringLiteral("--import-mdb")});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 2);
        QVERIFY(run.readAllStandardError().startsWith("usage: vestrane --import-mdb FILE"));

        // A library that is still a Jet file is left to the start-up's conversion.
        QFile::copy(fixture(QStringLiteral("small.mdb")), m_env->defaultDatabaseFile());
        run.start(binary(), {QStringLiteral("--import-mdb"), fixture(QStringLiteral("small.mdb"))});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 1);
        QVERIFY(QString::fromUtf8(run.readAllStandardError()).contains(QStringLiteral("旧版（Jet）")));
        QCOMPARE(digest(m_env->defaultDatabaseFile()), digest(fixture(QStringLiteral("small.mdb"))));
        QFile::remove(m_env->defaultDatabaseFile());

        // No library yet: it is created first, as a start would.
        run.start(binary(), {QStringLiteral("--import-mdb"), fixture(QStringLiteral("small.mdb"))});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput(), QByteArray("4 groups, 9 addresses imported, 0 skipped\n"));
        QVERIFY(QFile::exists(m_env->defaultDatabaseFile()));
        QVERIFY(QFile::exists(m_env->settingsFile()));

        run.start(binary(), {QStringLiteral("--import-mdb"), fixture(QStringLiteral("truncated.mdb"))});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 1);
        QVERIFY(run.readAllStandardOutput().isEmpty());
        QVERIFY(QString::fromUtf8(run.readAllStandardError()).contains(QStringLiteral("truncated.mdb")));
    }
};

VESTRANE_TEST_MAIN(TestJetMerge)

#include "tst_jetmerge.moc"
