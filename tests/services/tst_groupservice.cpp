#include "ServiceTestSupport.h"

#include "data/Schema.h"
#include "services/GroupService.h"

#include <QtTest>

class TestGroupService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> f;

    QStringList groups() { return GroupStore::groupNames(f->connection()); }

private Q_SLOTS:
    void init() { f = std::make_unique<ServiceFixture>(); }
    void cleanup() { f.reset(); }

    void addStoresOnlyNewNonBlankNames()
    {
        DbConnection &db = f->connection();
        const Outcome added = GroupService::add(db, QStringLiteral("新闻 'a' \"b\" 50%"));
        QVERIFY(added.ok());
        QCOMPARE(added.count, 1);

        const Outcome again = GroupService::add(db, QStringLiteral("新闻 'a' \"b\" 50%"));
        QCOMPARE(again.kind, Outcome::Kind::Refused);
        QCOMPARE(again.message, QStringLiteral("该组别已存在！"));

        for (const QString &blank : {QString(), QStringLiteral("  \t")}) {
            const Outcome refused = GroupService::add(db, blank);
            QCOMPARE(refused.kind, Outcome::Kind::Refused);
            QVERIFY(refused.message.isEmpty()); // nothing to tell the user
        }
        QCOMPARE(groups(), (QStringList{Schema::ImportGroup, QStringLiteral("新闻 'a' \"b\" 50%")}));
        QCOMPARE(GroupStore::groupNoOf(db, QStringLiteral("新闻 'a' \"b\" 50%")), std::optional<int>(2));
    }

    void renameOutcomes()
    {
        DbConnection &db = f->connection();
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("新闻"));
        GroupService::add(db, QStringLiteral("体育"));

        QVERIFY(GroupService::rename(db, QStringLiteral("新闻"), QStringLiteral("要闻")).ok());
        QVERIFY(GroupService::rename(db, QStringLiteral("要闻"), QStringLiteral("要闻")).ok()); // unchanged name

        const Outcome taken = GroupService::rename(db, QStringLiteral("要闻"), QStringLiteral("体育"));
        QCOMPARE(taken.kind, Outcome::Kind::Refused);
        QCOMPARE(taken.message, GroupService::nameExistsText());

        for (const auto &[from, to] : {std::pair{QStringLiteral("要闻"), QStringLiteral(" ")},
                                       std::pair{Schema::ImportGroup, QStringLiteral("别的")}}) {
            const Outcome refused = GroupService::rename(db, from, to);
            QCOMPARE(refused.kind, Outcome::Kind::Refused);
            QVERIFY(refused.message.isEmpty());
        }
        QCOMPARE(GroupService::rename(db, QStringLiteral("不存在"), QStringLiteral("新")).kind, Outcome::Kind::Failed);

        QCOMPARE(groups(), (QStringList{Schema::ImportGroup, QStringLiteral("要闻"), QStringLiteral("体育")}));
        QCOMPARE(f->rows(), QStringList{QStringLiteral("www.a.com|要闻|0|0")}); // the address follows its group
    }

    void removeTakesTheGroupsAddressesOnly()
    {
        DbConnection &db = f->connection();
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.b.com"), QStringLiteral("B"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("体育"));

        const Outcome removed = GroupService::remove(db, QStringLiteral("新闻"));
        QVERIFY(removed.ok());
        QCOMPARE(removed.count, 1);
        QCOMPARE(groups(), (QStringList{Schema::ImportGroup, QStringLiteral("体育")}));
        QCOMPARE(f->rows(), QStringList{QStringLiteral("www.a.com|体育|0|0")});

        const Outcome nothing = GroupService::remove(db, QStringLiteral("新闻"));
        QVERIFY(nothing.ok());
        QCOMPARE(nothing.count, 0);
    }

    // A refused statement is a failure with the database's text, and leaves the tables
    // as they were: the deletion of a group with its addresses is all or nothing.
    void failuresChangeNothing()
    {
        DbConnection &db = f->connection();
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("新闻"));
        f->refuse("INSERT", "BaseGroup");
        f->refuse("UPDATE", "BaseGroup");
        f->refuse("DELETE", "BaseGroup");

        const Outcome added = GroupService::add(db, QStringLiteral("体育"));
        QCOMPARE(added.kind, Outcome::Kind::Failed);
        QVERIFY2(added.message.contains(QLatin1String("refused")), qPrintable(added.message));
        QCOMPARE(GroupService::rename(db, QStringLiteral("新闻"), QStringLiteral("体育")).kind, Outcome::Kind::Failed);
        QCOMPARE(GroupService::remove(db, QStringLiteral("新闻")).kind, Outcome::Kind::Failed);

        QCOMPARE(groups(), (QStringList{Schema::ImportGroup, QStringLiteral("新闻")}));
        QCOMPARE(f->rows(), QStringList{QStringLiteral("www.a.com|新闻|0|0")});
    }
};

VESTRANE_TEST_MAIN(TestGroupService)
#include "tst_groupservice.moc"
