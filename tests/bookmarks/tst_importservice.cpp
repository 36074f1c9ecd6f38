#include "BookmarkTestSupport.h"
#include "TestEngine.h"
#include "TestEnv.h"
#include "bookmarks/BackgroundImport.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/ImportService.h"
#include "bookmarks/NetscapeReader.h"
#include "data/AddressStore.h"
#include "data/GroupStore.h"
#include "data/AppError.h"

#include <QSignalSpy>
#include <QThread>

#include <array>
#include <latch>

class TestImportService : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<DbConnection> m_db;

    BookmarkSet netscape(const QByteArray &body) { return NetscapeReader::read(body, QStringLiteral("f.html")); }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_db = std::make_unique<DbConnection>(QStringLiteral("test"));
        m_db->setDatabaseFile(m_env->databaseOr(m_env->root() + QStringLiteral("/address.mdb")));
        m_db->open();
    }

    void cleanup()
    {
        m_db.reset();
        m_env.reset();
    }

    void fixtureImportsOnceThenOnlyDuplicates()
    {
        const QString file = bookmarkData(QStringLiteral("firefox/places.sqlite"));
        const ImportReport first = ImportService::importFile(*m_db, file);
        QCOMPARE(first.imported, 28);
        QCOMPARE(first.duplicates, 0); // the same address in two folders is no duplicate
        QCOMPARE(first.notWeb, 1);
        QCOMPARE(first.groupsCreated, 11); // 6 under the toolbar, 3 under the menu, 2 unfiled
        QCOMPARE(countRows(*m_db, QStringLiteral("address")), 28);
        const auto dev = AddressStore::list(*m_db, AddressFilter::group(QStringLiteral("书签工具栏 / Dev")));
        QCOMPARE(dev.size(), size_t(4));
        QCOMPARE(dev[0].address, QStringLiteral("https://developer.mozilla.org/en-US"));
        const auto domestic =
            AddressStore::list(*m_db, AddressFilter::group(QStringLiteral("书签工具栏 / 新闻 / 国内")));
        QCOMPARE(domestic[0].address, QStringLiteral("www.people.com.cn"));

        const ImportReport again = ImportService::importFile(*m_db, file);
        QCOMPARE(again.imported, 0);
        QCOMPARE(again.duplicates, 28);
        QCOMPARE(again.groupsCreated, 0);
        QCOMPARE(again.skipped.size(), size_t(29));
        QVERIFY(again.details().contains(QStringLiteral("已存在于组别“书签工具栏 / Dev”")));
        QCOMPARE(countRows(*m_db, QStringLiteral("address")), 28);
    }

    void duplicateRuleIgnoresHostCaseSlashAndPlainScheme()
    {
        QCOMPARE(GroupStore::addGroup(*m_db, QStringLiteral("G")), GroupStore::GroupChange::Done);
        AddressStore::insert(*m_db, QStringLiteral("www.Example.com/a"), QStringLiteral("stored"),
                             *GroupStore::groupNoOf(*m_db, QStringLiteral("G")));
        const ImportPlan plan =
            ImportService::plan(*m_db,
                                netscape("<DL>"
                                         "<DT><H3>G</H3><DL>"
                                         "<DT><A HREF='http://WWW.EXAMPLE.COM/a/'>stored, other spelling</A>"
                                         "<DT><A HREF='http://www.example.com/A'>path case counts</A>"
                                         "<DT><A HREF='https://new.example/x'>new</A>"
                                         "<DT><A HREF='https://NEW.example/x/'>new again</A>"
                                         "</DL>"
                                         "<DT><H3>H</H3><DL><DT><A HREF='https://new.example/x'>other group</A></DL>"
                                         "</DL>"));
        QStringList marks;
        for (const ImportRow &row : plan.rows)
            marks << QStringLiteral("%1:%2").arg(row.title).arg(row.duplicate ? "dup" : "new");
        QCOMPARE(marks,
                 (QStringList{"stored, other spelling:dup", "path case counts:new", "new:new", "new again:dup",
                              "other group:new"}));
        QVERIFY(!plan.rows[0].checked);
        QCOMPARE(plan.rows[0].duplicateHint, QStringLiteral("已存在于组别“G”"));
        QVERIFY(plan.rows[3].duplicateHint.contains(QStringLiteral("本次导入")));
    }

    void reportCountsWhatTheUserChose()
    {
        BookmarkSet set = netscape("<DL>"
                                   "<DT><A HREF='https://a.example/' ADD_DATE='1700000000'>A</A>"
                                   "<DT><A HREF='https://a.example'>A twice</A>"
                                   "<DT><A HREF='https://b.example/'>B</A>"
                                   "<DT><A HREF='https://c.example/'>C \xe4\xb8\xad\xe6\x96\x87\xff</A>"
                                   "<DT><A HREF='javascript:void(0)'>script</A>"
                                   "<DT><A HREF=' --remote-debugging-port=9333'>a browser's option</A>"
                                   "<DT><H3>Empty</H3><DL></DL>"
                                   "</DL>");
        QCOMPARE(set.badBytes, 1);
        set.tooDeep = 2; // as a file nested deeper than the limit gives it
        ImportPlan plan = ImportService::plan(*m_db, std::move(set));
        plan.rows[2].checked = false;
        const ImportReport report = ImportService::store(*m_db, plan);
        QCOMPARE(report.imported, 2);
        QCOMPARE(report.duplicates, 1);
        QCOMPARE(report.unchecked, 1);
        QCOMPARE(report.notWeb, 2);
        QCOMPARE(report.groupsCreated, 1);
        QCOMPARE(report.summary(),
                 QStringLiteral("导入 2 条，重复跳过 1 条，未选中 1 条，非网址 2 条，新建组别 1 个，空文件夹 1 个，"
                                "超过 256 层文件夹未导入 2 条，无法解码的字节 1 个"));
        const QStringList details = report.details().split(QLatin1Char('\n'));
        QCOMPARE(details.size(), 4);
        QVERIFY(details.filter(QStringLiteral("未选中：f.html / B <https://b.example/>")).size() == 1);
        QVERIFY(details.filter(QStringLiteral("不是网址")).size() == 2);
        const auto rows = AddressStore::list(*m_db, AddressFilter::group(QStringLiteral("f.html")));
        QCOMPARE(rows.size(), size_t(2));
        // The stored day is the bookmark's own.
        QVERIFY(rows[0].viewTime.startsWith(QLocale().toString(QDate(2023, 11, 14), QLocale::ShortFormat)));
    }

    void failureAndCancelStoreNothing()
    {
        const ImportPlan plan = ImportService::plan(*m_db,
                                                    netscape("<DL>"
                                                             "<DT><H3>New</H3><DL>"
                                                             "<DT><A HREF='https://ok.example/'>ok</A>"
                                                             "<DT><A HREF='https://boom.example/'>boom</A>"
                                                             "</DL></DL>"));
        TestEngine::refuseWrites(*m_db, QStringLiteral("address"), QStringLiteral("INSERT"),
                                 QStringLiteral("NEW.Address = 'https://boom.example'"));
        const int groups = countRows(*m_db, QStringLiteral("BaseGroup"));
        QVERIFY_THROWS_EXCEPTION(AppError, ImportService::store(*m_db, plan));
        QCOMPARE(countRows(*m_db, QStringLiteral("address")), 0);
        QCOMPARE(countRows(*m_db, QStringLiteral("BaseGroup")), groups);

        TestEngine::allowWrites(*m_db, QStringLiteral("address"));
        int calls = 0;
        const auto cancelAtOnce = [&calls](qsizetype, qsizetype) { return ++calls < 0; };
        QVERIFY_THROWS_EXCEPTION(ImportCancelled, ImportService::store(*m_db, plan, cancelAtOnce));
        QCOMPARE(calls, 1);
        QCOMPARE(countRows(*m_db, QStringLiteral("address")), 0);
        QCOMPARE(countRows(*m_db, QStringLiteral("BaseGroup")), groups);
    }

    // Imports of one file started together, each with a connection of its own, store it
    // once: every import plans before any stores, and the duplicates are looked up again
    // under the write lock.
    void concurrentImportsStoreTheFileOnce()
    {
        constexpr int imports = 4;
        const QString file = bookmarkData(QStringLiteral("chromium/Bookmarks"));
        const QString database = m_db->location().text();
        std::latch planned(imports);
        std::array<ImportReport, imports> reports;
        std::array<QString, imports> errors;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < imports; ++i) {
            threads.emplace_back(QThread::create([&, i] {
                bool arrived = false;
                try {
                    DbConnection db(QStringLiteral("import%1").arg(i));
                    db.setDatabaseFile(database);
                    const ImportPlan plan = ImportService::plan(db, BookmarkFile::read(file));
                    arrived = true;
                    planned.arrive_and_wait();
                    reports[i] = ImportService::store(db, plan);
                } catch (const AppError &error) {
                    if (!arrived)
                        planned.count_down();
                    errors[i] = error.message();
                }
            }));
            threads.back()->start();
        }
        for (const auto &thread : threads)
            QVERIFY(thread->wait(60000));
        int imported = 0, duplicates = 0;
        for (int i = 0; i < imports; ++i) {
            QVERIFY2(errors[i].isEmpty(), qPrintable(errors[i]));
            imported += reports[i].imported;
            duplicates += reports[i].duplicates;
        }
        QCOMPARE(imported, 28);
        QCOMPARE(duplicates, 28 * (imports - 1));
        QCOMPARE(countRows(*m_db, QStringLiteral("address")), 28);
    }

    // The worker has a connection of its own; a cancel there rolls back as well. A count
    // just above a multiple of a thousand leaves rows held back at the end on a server.
    void backgroundImportStoresOrRollsBack()
    {
        constexpr int count = 5001;
        const QString title = QStringLiteral("it's \"q\" \\ 中文");
        QByteArray body = "<DL>";
        for (int i = 0; i < count; ++i)
            body += "<DT><A HREF=\"https://host" + QByteArray::number(i) + ".example/\">" + title.toUtf8() + "</A>\n";
        const QString file = m_env->root() + QStringLiteral("/big.html");
        writeFile(file, body);

        BackgroundImport job(m_db->location());
        QSignalSpy finished(&job, &BackgroundImport::finished);
        QSignalSpy progressed(&job, &BackgroundImport::progressed);
        job.startPlan([file](const ReadCancel &cancel) { return BookmarkFile::read(file, cancel); });
        QVERIFY(finished.wait(20000));
        ImportPlan plan = job.takePlan();
        QCOMPARE(plan.rows.size(), size_t(count));
        QVERIFY(progressed.size() >= 5);

        connect(&job, &BackgroundImport::progressed, &job, [&job](qint64 done) {
            if (done >= 2048)
                job.cancel();
        });
        job.startStore(plan);
        QVERIFY(finished.wait(20000));
        QCOMPARE(job.outcome().kind, Outcome::Kind::Cancelled);
        QCOMPARE(countRows(*m_db, QStringLiteral("address")), 0);

        job.disconnect(&job);
        job.startStore(plan);
        QVERIFY(finished.wait(20000));
        QVERIFY(job.outcome().ok());
        QCOMPARE(job.report().imported, count);
        const auto rows = AddressStore::list(*m_db, AddressFilter::group(QStringLiteral("big.html")));
        QCOMPARE(rows.size(), size_t(count));
        for (int i = 0; i < count; i += 1000) { // in the file's order, each as written
            QCOMPARE(rows[size_t(i)].address, QStringLiteral("https://host%1.example").arg(i));
            QCOMPARE(rows[size_t(i)].name, title);
        }
    }
};

VESTRANE_TEST_MAIN(TestImportService)
#include "tst_importservice.moc"
