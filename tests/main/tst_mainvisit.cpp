// Visiting an address from the main window: the count in the database and what the
// browser is given. No test sends a DNS query.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include "main/AddressVisitor.h"
#include "platform/HostResolver.h"

#include <QHeaderView>
#include <QToolButton>

namespace {

// Answers from a fixed table and remembers what it was asked.
class TableResolver : public HostResolver
{
public:
    explicit TableResolver(QHash<QString, QString> answers, QStringList *asked)
        : m_answers(std::move(answers)), m_asked(asked)
    {}
    QString ipv4Of(const QString &host) const override
    {
        m_asked->append(host);
        return m_answers.value(host);
    }

private:
    QHash<QString, QString> m_answers;
    QStringList *m_asked;
};

} // namespace

class TestMainVisit : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<MainFixture> f;
    QStringList asked;

    void selectRow(MainWindow &w, int row)
    {
        const QPoint point =
            w.addressListPane()->view()->visualRect(w.addressListPane()->view()->model()->index(row, 1)).center();
        QTest::mouseClick(w.addressListPane()->view()->viewport(), Qt::LeftButton, {}, point);
    }

    void doubleClickRow(MainWindow &w, int row)
    {
        const QPoint point =
            w.addressListPane()->view()->visualRect(w.addressListPane()->view()->model()->index(row, 1)).center();
        QTest::mouseDClick(w.addressListPane()->view()->viewport(), Qt::LeftButton, {}, point);
    }

    void useResolver(MainWindow &w, QHash<QString, QString> answers)
    {
        asked.clear();
        w.visitor().setHostResolver(std::make_unique<TableResolver>(std::move(answers), &asked));
    }

private Q_SLOTS:
    void initTestCase()
    {
        env = std::make_unique<TestEnv>();
        f = std::make_unique<MainFixture>();
    }

    void init()
    {
        f->reset();
        env->installRecordingBrowser();
    }

    void cleanupTestCase()
    {
        f.reset();
        env.reset();
    }

    void visitCountsInEveryGroupBeforeTheBrowser()
    {
        f->add(QStringLiteral("www.x.com/p"), QStringLiteral("X"), QStringLiteral("一"), 2,
               QStringLiteral("2020-01-01"));
        f->add(QStringLiteral("www.x.com/p"), QStringLiteral("X"), QStringLiteral("二"), 5);
        f->add(QStringLiteral("www.y.com"), QStringLiteral("Y"), QStringLiteral("二"), 1);
        MainWindow &w = f->openShown();
        doubleClickRow(w, 0);
        QCOMPARE(env->waitForBrowserCalls(1), QStringList{"www.x.com/p"}); // as stored, no scheme
        QCOMPARE(f->timesOf(QStringLiteral("www.x.com/p"), QStringLiteral("一")), 3);
        QCOMPARE(f->timesOf(QStringLiteral("www.x.com/p"), QStringLiteral("二")), 6);
        QCOMPARE(f->timesOf(QStringLiteral("www.y.com"), QStringLiteral("二")), 1);
        QSqlQuery date = f->db().query(QStringLiteral("SELECT ViewTime FROM address WHERE Address = 'www.x.com/p'"));
        QVERIFY(date.next());
        QCOMPARE(date.value(0).toString(), QDate::currentDate().toString(Qt::ISODate));
        // The shown list is not refreshed.
        QCOMPARE(f->column(3).first(), QStringLiteral("2"));
    }

    void enterReleasedInTheListVisits()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("G"));
        f->add(QStringLiteral("www.b.com"), QStringLiteral("B"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        selectRow(w, 1);
        w.addressListPane()->view()->setFocus();
        QTest::keyClick(w.addressListPane()->view(), Qt::Key_Return);
        QCOMPARE(env->waitForBrowserCalls(1), QStringList{"www.b.com"});
        // A release alone (the Enter that closed a message box) does not visit.
        QTest::keyRelease(w.addressListPane()->view(), Qt::Key_Return);
        QTest::qWait(300);
        QCOMPARE(env->waitForBrowserCalls(1), QStringList{"www.b.com"});
        QCOMPARE(f->timesOf(QStringLiteral("www.b.com"), QStringLiteral("G")), 1);
    }

    void byIpReplacesTheHost()
    {
        f->add(QStringLiteral("intranet/a/b.html"), QStringLiteral("I"), QStringLiteral("G"));
        f->add(QStringLiteral(" intranet "), QStringLiteral("J"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        useResolver(w, {{QStringLiteral("intranet"), QStringLiteral("10.0.0.1")}});
        QTest::mouseClick(w.toolBar()->visitByIpButton(), Qt::LeftButton);
        QVERIFY(w.toolBar()->visitByIpButton()->isChecked());
        doubleClickRow(w, 0);
        doubleClickRow(w, 1);
        QCOMPARE(env->waitForBrowserCalls(2), (QStringList{"http:\\\\10.0.0.1/a/b.html", "http:\\\\10.0.0.1"}));
        QCOMPARE(asked, (QStringList{"intranet", "intranet"})); // blanks trimmed before the lookup
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    void byIpWithTheSystemResolver()
    {
        f->add(QStringLiteral("127.0.0.1/x"), QStringLiteral("N"), QStringLiteral("G"));
        f->add(QStringLiteral("localhost/y"), QStringLiteral("L"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        QCOMPARE(w.visitor().addressByIp(QStringLiteral("127.0.0.1/x")), QStringLiteral("127.0.0.1/x"));
        QCOMPARE(w.visitor().addressByIp(QStringLiteral("localhost/y")), QStringLiteral("127.0.0.1/y"));
        QCOMPARE(w.visitor().addressByIp(QStringLiteral("/no-host")), QString());
    }

    void unresolvedHostIsNotOnline()
    {
        f->add(QStringLiteral("nowhere.invalid/p"), QStringLiteral("N"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        useResolver(w, {});
        QTest::mouseClick(w.toolBar()->visitByIpButton(), Qt::LeftButton);
        doubleClickRow(w, 0);
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, QStringLiteral("不在线！"));
        QCOMPARE(Dialogs::recorded().first().caption, QStringLiteral("网址管理软件V1.0"));
        QCOMPARE(f->timesOf(QStringLiteral("nowhere.invalid/p"), QStringLiteral("G")), 1); // counted all the same
        QTest::qWait(300);
        QVERIFY(env->waitForBrowserCalls(1, 100).isEmpty());
    }

    void noCurrentAddressYet()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("G"), 3);
        MainWindow &w = f->openShown();
        QTest::mouseDClick(w.addressListPane()->view()->viewport(), Qt::LeftButton, {},
                           QPoint(5, w.addressListPane()->view()->viewport()->height() - 5));
        QCOMPARE(env->waitForBrowserCalls(1), QStringList{QString()});
        QCOMPARE(f->timesOf(QStringLiteral("www.a.com"), QStringLiteral("G")), 3);
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    void failingCountOpensNothing()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        selectRow(w, 0);
        f->db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON address BEGIN "
                                       "SELECT RAISE(ABORT, 'refused'); END"));
        w.visitCurrentAddress();
        f->db().execute(QStringLiteral("DROP TRIGGER refuse"));
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, QStringLiteral("error!!!"));
        QTest::qWait(300);
        QVERIFY(env->waitForBrowserCalls(1, 100).isEmpty());
    }
};

VESTRANE_TEST_MAIN(TestMainVisit)
#include "tst_mainvisit.moc"
