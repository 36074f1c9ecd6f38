#include "JetTestSupport.h"
#include "TestEnv.h"

#include "jet/JetConversion.h"
#include "jet/JetFile.h"
#include "data/AppError.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QtTest>
#include <csignal>
#include <sys/stat.h>
#include <cstdio>

using namespace JetTest;

// Converting a Jet address file in place: every value, the safe sequence on disk, broken
// and damaged files, and a conversion killed at random moments.
class TestJetConversion : public QObject
{
    Q_OBJECT

private:
    QString m_folder;

    QString folder() const { return m_folder; }
    QStringList folderListing() const { return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    // The values that small.mdb and its variants hold.
    void checkSmallValues(DbConnection &db, bool withSearch)
    {
        QCOMPARE(rows(db, QStringLiteral("SELECT GroupNo, GroupName FROM BaseGroup ORDER BY GroupNo")),
                 QStringList({QStringLiteral("1|IE收藏夹"), QStringLiteral("2|常用"), QStringLiteral("5|新闻 & 资讯"),
                              QStringLiteral("7|It's \"quoted\"")}));
        const QStringList addresses =
            rows(db,
                 QStringLiteral(
                     "SELECT Address, AddressName, Times, ViewTime, GroupNo, MyAddress FROM address ORDER BY rowid"));
        QCOMPARE(addresses.size(), 9);
        QVERIFY(addresses.contains(QStringLiteral("www.sina.com.cn|新浪网|12|2007-11-03|5|1")));
        QVERIFY(addresses.contains(QStringLiteral("http://www.example.com/a?b=1&c=%20|例子 'one'|0|2008-01-31|2|0")));
        QVERIFY(addresses.contains(QStringLiteral("localhost/a/b.html|本机|9|2006-02-28|2|0")));
        QVERIFY(addresses.contains(QStringLiteral("localhost/a/b.html|本机|0|2006-03-01|1|0")));
        QVERIFY(addresses.contains(QStringLiteral("127.0.0.1||10|2005-12-31|7|1")));
        QVERIFY(addresses.contains(QStringLiteral("ftp://ftp.example.org/pub/|FTP 站点 \"pub\"|3|2004-07-04|1|0")));
        QVERIFY(addresses.contains(QStringLiteral("www.orphan.example|无组别|2|2008-08-09|42|0")));
        // NULL name, Times and ViewTime: empty name, 0 visits, no date.
        QVERIFY(addresses.contains(QStringLiteral("www.nulls.example||0|<null>|2|0")));
        const QString longOne = QStringLiteral("www.example.net/") + QString(234, QLatin1Char('x'));
        QVERIFY(addresses.contains(longOne + QStringLiteral("|长网址|1|2008-08-08|2|0")));
        // The empty name of 127.0.0.1 is empty text, not NULL; the NULL one became empty too.
        QCOMPARE(rows(db, QStringLiteral("SELECT count(*) FROM address WHERE AddressName IS NULL")),
                 QStringList(QStringLiteral("0")));
        if (!withSearch) {
            QCOMPARE(rows(db, QStringLiteral("SELECT count(*) FROM Search")), QStringList(QStringLiteral("0")));
            return;
        }
        QCOMPARE(rows(db, QStringLiteral("SELECT Sort_No, SearchText, Searchdate FROM Search ORDER BY Sort_No")),
                 QStringList({QStringLiteral("1|新浪|2008-09-01"), QStringLiteral("2|example|2008-09-02"),
                              QStringLiteral("3|100%|2008-09-03")}));
        // The next search gets the next number.
        db.execute(QStringLiteral("INSERT INTO Search (SearchText, Searchdate) VALUES ('x', '2020-01-01')"));
        QCOMPARE(rows(db, QStringLiteral("SELECT max(Sort_No) FROM Search")), QStringList(QStringLiteral("4")));
    }

private Q_SLOTS:
    void init()
    {
        static int run = 0;
        m_folder =
            QDir::tempPath() + QStringLiteral("/jetconv-%1-%2").arg(QCoreApplication::applicationPid()).arg(++run);
        QDir(m_folder).removeRecursively();
        QDir().mkpath(m_folder);
    }

    void cleanup() { QDir(m_folder).removeRecursively(); }

    void recognisesJetFilesByHeader()
    {
        QVERIFY(JetFile::isJetFile(fixture(QStringLiteral("small.mdb"))));
        QVERIFY(JetFile::isJetFile(fixture(QStringLiteral("truncated.mdb"))));
        const QString empty = folder() + QStringLiteral("/empty.mdb");
        QFile(empty).open(QIODevice::WriteOnly);
        QVERIFY(!JetFile::isJetFile(empty));
        QVERIFY(!JetFile::isJetFile(folder() + QStringLiteral("/missing.mdb")));
        // A named pipe is never opened: that would wait for a writer.
        const QString pipe = folder() + QStringLiteral("/pipe.mdb");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QVERIFY(!JetFile::isJetFile(pipe));
        QVERIFY_THROWS_EXCEPTION(AppError, JetConversion::convertInPlace(pipe));
        DbConnection sqlite(QStringLiteral("header"));
        sqlite.setDatabaseFile(folder() + QStringLiteral("/ours.mdb"));
        sqlite.open();
        QVERIFY(!JetFile::isJetFile(folder() + QStringLiteral("/ours.mdb")));
    }

    void eachFixtureConvertsWithEveryValue_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<bool>("withSearch");
        QTest::newRow("text addresses") << QStringLiteral("small.mdb") << true;
        QTest::newRow("memo addresses") << QStringLiteral("memo.mdb") << true;
        QTest::newRow("names in other letter case") << QStringLiteral("lowercase.mdb") << true;
        QTest::newRow("no search table") << QStringLiteral("nosearch.mdb") << false;
    }

    void eachFixtureConvertsWithEveryValue()
    {
        QFETCH(QString, fixtureName);
        QFETCH(bool, withSearch);
        const QString file = placeAsDatabase(fixtureName, folder());
        const QByteArray jetBytes = digest(file);

        const JetConversion::Result result = JetConversion::convertInPlace(file);

        QCOMPARE(result.keptJetFile, file + QStringLiteral(".jet"));
        QCOMPARE(digest(result.keptJetFile), jetBytes);
        QVERIFY(!result.importGroupAdded);
        QCOMPARE(result.counts.addresses, 9);
        // Nothing is left beside the two files: no work file, no -wal or -shm.
        QCOMPARE(folderListing(), QStringList({QStringLiteral("address.mdb"), QStringLiteral("address.mdb.jet")}));
        DbConnection db(QStringLiteral("check"));
        db.setDatabaseFile(file);
        checkSmallValues(db, withSearch);
        QVERIFY(rows(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'view'"))
                    .contains(QStringLiteral("address_1")));
    }

    void fortyThousandCharacterMemoComesThroughWhole()
    {
        const QString file = placeAsDatabase(QStringLiteral("longmemo.mdb"), folder());
        JetConversion::convertInPlace(file);
        DbConnection db(QStringLiteral("check"));
        db.setDatabaseFile(file);
        const QString expected = QStringLiteral("www.example.org/long?q=") + QString(40000 - 23, QChar(0x957F));
        QSqlQuery query =
            db.query(QStringLiteral("SELECT Address, AddressName, Times, ViewTime FROM address ORDER BY rowid"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString().size(), 40000);
        QCOMPARE(query.value(0).toString(), expected);
        QCOMPARE(query.value(1).toString(), QStringLiteral("四万字的网址"));
        QCOMPARE(query.value(2).toInt(), 1);
        QCOMPARE(query.value(3).toString(), QStringLiteral("2008-05-05"));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("www.after.example"));
        QCOMPARE(query.value(3).toString(), QStringLiteral("2008-05-06"));
        QVERIFY(!query.next());
    }

    void missingImportGroupIsAddedWithTheNextNumber()
    {
        const QString file = placeAsDatabase(QStringLiteral("small.mdb"), folder());
        // Rename group 1 in place.
        QVERIFY(patchStoredText(file, QStringLiteral("IE收藏夹"), QStringLiteral("XE收藏夹")));

        const JetConversion::Result result = JetConversion::convertInPlace(file);

        QVERIFY(result.importGroupAdded);
        DbConnection db(QStringLiteral("check"));
        db.setDatabaseFile(file);
        QCOMPARE(
            rows(db,
                 QStringLiteral("SELECT GroupNo, GroupName FROM BaseGroup WHERE GroupNo IN (1, 8) ORDER BY GroupNo")),
            QStringList({QStringLiteral("1|XE收藏夹"), QStringLiteral("8|IE收藏夹")}));
    }

    // Characters beyond the 16-bit range are kept as stored in Jet's UTF-16, as a pair.
    void charactersBeyondSixteenBitsSurvive_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        // Two characters give way to one pair of the same size.
        const QString smile = QStringLiteral("\U0001F600");
        QTest::newRow("text column") << QStringLiteral("small.mdb") << QStringLiteral("新浪网")
                                     << QStringLiteral(
                                            "SELECT AddressName FROM address WHERE Address = 'www.sina.com.cn'")
                                     << QStringLiteral("新") + smile;
        QTest::newRow("memo over several pages")
            << QStringLiteral("longmemo.mdb") << QStringLiteral("q=长长")
            << QStringLiteral("SELECT substr(Address, 1, 26) FROM address WHERE AddressName = '四万字的网址'")
            << QStringLiteral("www.example.org/long?q=") + smile + QStringLiteral("长长");
    }

    void charactersBeyondSixteenBitsSurvive()
    {
        QFETCH(QString, fixtureName);
        QFETCH(QString, stored);
        QFETCH(QString, query);
        QFETCH(QString, expected);
        const QString file = placeAsDatabase(fixtureName, folder());
        QVERIFY(patchStoredText(file, stored, stored.left(stored.size() - 2) + QStringLiteral("\U0001F600")));

        JetConversion::convertInPlace(file);

        DbConnection db(QStringLiteral("check"));
        db.setDatabaseFile(file);
        QCOMPARE(rows(db, query), QStringList(expected));
    }

    void keptNameNeverOverwritesAnotherFile()
    {
        const QString file = placeAsDatabase(QStringLiteral("small.mdb"), folder());
        QFile other(file + QStringLiteral(".jet"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("someone else's file");
        other.close();

        const JetConversion::Result result = JetConversion::convertInPlace(file);

        QCOMPARE(result.keptJetFile, file + QStringLiteral(".jet.1"));
        QCOMPARE(digest(result.keptJetFile), digest(fixture(QStringLiteral("small.mdb"))));
        QFile check(file + QStringLiteral(".jet"));
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("someone else's file"));
    }

    // A file cut short or with values that cannot be real fails whole, naming what is
    // wrong, and is left as it was: no blank rows pass for a conversion.
    void brokenFilesAreNamedAndChangeNothing_data()
    {
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<qint64>("cutAt"); // bytes kept; 0 keeps all
        QTest::addColumn<QByteArray>("from"); // bytes replaced by `to`, where given
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("what");
        // In small.mdb, the visits, date and group of www.sina.com.cn, and the row table of
        // the page of addresses.
        const QByteArray sina = QByteArray::fromHex("0c000000"
                                                    "00000000a03be340"
                                                    "05000000");
        const auto sinaWith = [&](const char *visits, const char *date) {
            return QByteArray::fromHex(visits) + QByteArray::fromHex(date) + sina.right(4);
        };
        const QByteArray rowTable = QByteArray::fromHex("0900c10f520f0f0fcc0e9f0e380e230cde0ba10b");
        QByteArray rowOutOfOrder = rowTable;
        rowOutOfOrder[4] = char(0xd0); // the second row starts inside the first
        const QByteArray none;
        QTest::newRow("truncated") << "truncated.mdb" << qint64(0) << none << none << "不是整页";
        QTest::newRow("damaged") << "damaged.mdb" << qint64(0) << none << none << QString();
        QTest::newRow("cut inside the last page") << "longmemo.mdb" << qint64(213023) << none << none << "不是整页";
        QTest::newRow("cut inside the memo") << "longmemo.mdb" << qint64(196608) << none << none << "address";
        QTest::newRow("cut at a page's end") << "longmemo.mdb" << qint64(217088) << none << none << "address";
        QTest::newRow("cut to half") << "small.mdb" << qint64(73728) << none << none << "缺少表";
        QTest::newRow("negative visits") << "small.mdb" << qint64(0) << sina << sinaWith("fbffffff", "00000000a03be340")
                                         << "访问次数 -5 不可能";
        QTest::newRow("absurd visits") << "small.mdb" << qint64(0) << sina << sinaWith("01016e0f", "00000000a03be340")
                                       << "访问次数 258867457 不可能";
        QTest::newRow("date not a number") << "small.mdb" << qint64(0) << sina
                                           << sinaWith("0c000000", "000000000000f87f") << "表 address 中的日期无法解读";
        QTest::newRow("date past any calendar")
            << "small.mdb" << qint64(0) << sina << sinaWith("0c000000", "000000000000f07f") << "日期无法解读";
        QTest::newRow("row leaves its place") << "small.mdb" << qint64(0) << rowTable << rowOutOfOrder << "表 address";
    }

    void brokenFilesAreNamedAndChangeNothing()
    {
        QFETCH(QString, fixtureName);
        QFETCH(qint64, cutAt);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, what);
        const QString file = placeAsDatabase(fixtureName, folder());
        if (cutAt > 0)
            QVERIFY(QFile::resize(file, cutAt));
        if (!from.isEmpty())
            QVERIFY(patchStoredBytes(file, from, to));
        const QByteArray placed = digest(file);
        const QStringList before = folderListing();
        try {
            JetConversion::convertInPlace(file);
            QFAIL("a broken file was converted");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("无法读取 address.mdb：")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(what), qPrintable(error.message()));
        }
        QCOMPARE(folderListing(), before);
        QCOMPARE(digest(file), placed);
    }

    void unreadableFileIsNamed()
    {
        try {
            JetConversion::convertInPlace(folder() + QStringLiteral("/address.mdb"));
            QFAIL("a missing file was converted");
        } catch (const AppError &error) {
            QVERIFY2(error.message().startsWith(QStringLiteral("无法读取 address.mdb：")), qPrintable(error.message()));
        }
        QVERIFY(folderListing().isEmpty());
    }

    // Killed at any moment, the folder holds the untouched Jet file (and perhaps a second
    // name of it), or the finished database beside the kept Jet file. The next run
    // finishes the work and keeps the Jet file under the first name.
    void killedConversionLeavesOnlyTheTwoAllowedStates()
    {
        const QByteArray jetBytes = digest(fixture(QStringLiteral("small.mdb")));
        const qint64 fullRunUs = timedChildConversion(placeAsDatabase(QStringLiteral("small.mdb"), folder()));
        QVERIFY(fullRunUs > 0);
        int converted = 0, untouched = 0;
        for (int attempt = 0; attempt < 20; ++attempt) {
            cleanup();
            init();
            const QString file = placeAsDatabase(QStringLiteral("small.mdb"), folder());
            const qint64 delayUs = QRandomGenerator::global()->bounded(fullRunUs + fullRunUs / 5);
            killChildConversionAfter(file, delayUs);

            const QString kept = file + QStringLiteral(".jet");
            if (digest(file) == jetBytes) {
                ++untouched;
                QVERIFY(!QFile::exists(kept) || digest(kept) == jetBytes);
                QCOMPARE(JetConversion::convertInPlace(file).keptJetFile, kept);
            } else {
                ++converted;
            }
            // No -wal file, no work file, no second copy of the Jet file.
            QCOMPARE(folderListing(), QStringList({QStringLiteral("address.mdb"), QStringLiteral("address.mdb.jet")}));
            QCOMPARE(digest(kept), jetBytes);
            DbConnection db(QStringLiteral("after-kill"));
            db.setDatabaseFile(file);
            checkSmallValues(db, true);
        }
        qInfo("killed within %lld us: %d converted, %d untouched", fullRunUs, converted, untouched);
    }

    // Damaged copies of a good file give a message or a conversion; never a crash or a
    // hang. Damage falls on the bytes in use, where it reaches the reader.
    void damagedCopiesGiveAMessageOrAConversion()
    {
        QFile source(fixture(QStringLiteral("small.mdb")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray good = source.readAll();
        QRandomGenerator random(20261207);
        // What is checked here does not need the disk's syncs: a memory-backed folder
        // keeps 1000 conversions within seconds.
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) {
            QDir(m_folder).removeRecursively();
            m_folder = QStringLiteral("/dev/shm/jetconv-%1").arg(QCoreApplication::applicationPid());
            QDir().mkpath(m_folder);
        }
        int failed = 0, convertedCount = 0;
        QMap<QString, int> reasons;
        for (int copy = 0; copy < 1000; ++copy) {
            QByteArray bytes = good;
            const int changes = 1 + random.bounded(20);
            for (int i = 0; i < changes; ++i) {
                qsizetype at = 0;
                do
                    at = random.bounded(bytes.size());
                while (good[at] == 0 && random.bounded(8) != 0);
                bytes[at] = char(random.bounded(256));
            }
            const QString file = folder() + QStringLiteral("/address.mdb");
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(bytes);
            out.close();
            try {
                JetReader::Options options;
                options.stallTimeoutMs = 3000;
                JetConversion::convertInPlace(file, options);
                ++convertedCount;
                QVERIFY(QFile::remove(file + QStringLiteral(".jet")));
            } catch (const AppError &error) {
                ++failed;
                ++reasons[error.message()
                              .section(QStringLiteral("："), 1)
                              .remove(QRegularExpression(QStringLiteral("[0-9]+")))];
                QVERIFY2(error.message().contains(QStringLiteral("address.mdb")), qPrintable(error.message()));
                QCOMPARE(folderListing(), QStringList(QStringLiteral("address.mdb")));
            }
            QFile::remove(file);
        }
        qInfo("1000 damaged copies: %d converted, %d refused with a message", convertedCount, failed);
        for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
            qInfo("  %4d  %s", it.value(), qPrintable(it.key()));
    }

private:
    // Runs the conversion in a child copy of this program; gives how long it took.
    qint64 timedChildConversion(const QString &file)
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--convert"), file});
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            return -1;
        return child.readAllStandardOutput().split('\n').value(1).trimmed().toLongLong();
    }

    void killChildConversionAfter(const QString &file, qint64 delayUs)
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--convert"), file});
        QVERIFY(child.waitForReadyRead(30000)); // "go": the conversion starts now
        QTest::qSleep(0);
        QElapsedTimer timer;
        timer.start();
        while (timer.nsecsElapsed() / 1000 < delayUs) {}
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
    }
};

// A child started with "--convert FILE" converts that file and says how long it took.
int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--convert") == 0) {
        QCoreApplication app(argc, argv);
        std::printf("go\n");
        std::fflush(stdout);
        QElapsedTimer timer;
        timer.start();
        try {
            JetConversion::convertInPlace(QString::fromLocal8Bit(argv[2]));
        } catch (const AppError &) {
            return 1;
        }
        std::printf("%lld\n", timer.nsecsElapsed() / 1000);
        return 0;
    }
    TestEnv testEnv;
    QCoreApplication app(argc, argv);
    TestJetConversion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_jetconversion.moc"
