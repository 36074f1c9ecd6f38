#include "ServiceTestSupport.h"

#include "data/SearchStore.h"
#include "services/SearchService.h"

#include <QtTest>

class TestSearchService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> f;

    QStringList found(const QString &text, Outcome *outcome = nullptr)
    {
        QStringList addresses;
        const Outcome result =
            SearchService::search(f->connection(), text, [&](AddressRecord &&record) { addresses << record.address; });
        if (outcome)
            *outcome = result;
        return addresses;
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ServiceFixture>();
        f->add(QStringLiteral("www.sale.com/50%_off"), QStringLiteral("特价"), QStringLiteral("购物"));
        f->add(QStringLiteral("www.sale.com/50xyoff"), QStringLiteral("别的"), QStringLiteral("购物"));
        f->add(QStringLiteral("www.ärger.de"), QStringLiteral("STRASSE Ωmega"), QStringLiteral("德国"));
    }
    void cleanup() { f.reset(); }

    // The search itself is the store's (tested with the data layer); here: what is given
    // and what is remembered.
    void searchGivesTheRowsAndRemembersNonEmptyTexts()
    {
        Outcome outcome = Outcome::failed(QString());
        QCOMPARE(found(QStringLiteral("%_"), &outcome), QStringList{QStringLiteral("www.sale.com/50%_off")});
        QVERIFY(outcome.ok());
        QCOMPARE(outcome.count, 1);
        QCOMPARE(found(QStringLiteral("ωMEGA")), QStringList{QStringLiteral("www.ärger.de")});
        QCOMPARE(found(QString()).size(), 3);
        QCOMPARE(SearchStore::history(f->connection()), (QStringList{QStringLiteral("ωMEGA"), QStringLiteral("%_")}));
    }

    void failedSearchRemembersNothing()
    {
        f->connection().execute(QStringLiteral("DROP VIEW address_1"));
        Outcome outcome = Outcome::done();
        QVERIFY(found(QStringLiteral("sale"), &outcome).isEmpty());
        QCOMPARE(outcome.kind, Outcome::Kind::Failed);
        QCOMPARE(SearchStore::count(f->connection()), 0);
    }

    // All stored entries are given, then the table keeps the newest HistoryKept.
    void historyIsTrimmedAfterItIsRead()
    {
        DbConnection &db = f->connection();
        const int stored = SearchService::HistoryKept + 3;
        for (int i = 1; i <= stored; ++i)
            QVERIFY(SearchService::remember(db, QStringLiteral("查询%1").arg(i)).ok());

        const SearchService::History first = SearchService::loadHistory(db);
        QVERIFY(first.outcome.ok());
        QCOMPARE(first.entries.size(), stored);
        QCOMPARE(first.entries.first(), QStringLiteral("查询%1").arg(stored));
        QCOMPARE(SearchStore::count(db), SearchService::HistoryKept);

        const SearchService::History second = SearchService::loadHistory(db);
        QCOMPARE(second.entries, first.entries.mid(0, SearchService::HistoryKept));

        f->refuse("DELETE", "Search");
        QVERIFY(SearchService::remember(db, QStringLiteral("再一个")).ok());
        const SearchService::History failed = SearchService::loadHistory(db);
        QCOMPARE(failed.outcome.kind, Outcome::Kind::Failed);
        QCOMPARE(failed.entries.size(), SearchService::HistoryKept + 1); // what was read is still given
    }
};

VESTRANE_TEST_MAIN(TestSearchService)
#include "tst_searchservice.moc"
