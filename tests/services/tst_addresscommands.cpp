#include "ServiceTestSupport.h"

#include "services/AddressCommands.h"

#include <QtTest>

class TestAddressCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> f;

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ServiceFixture>();
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("体育"));
        f->add(QStringLiteral("www.b.com"), QStringLiteral("B"), QStringLiteral("新闻"));
    }
    void cleanup() { f.reset(); }

    void removeTakesOnlyTheGroupsRow()
    {
        DbConnection &db = f->connection();
        const Outcome removed = AddressCommands::remove(db, QStringLiteral("www.a.com"), QStringLiteral("体育"));
        QVERIFY(removed.ok());
        QCOMPARE(removed.count, 1);
        QCOMPARE(removed.message, QStringLiteral("成功删除！!"));
        QCOMPARE(f->rows(), (QStringList{QStringLiteral("www.a.com|新闻|0|0"), QStringLiteral("www.b.com|新闻|0|0")}));

        QCOMPARE(AddressCommands::remove(db, QStringLiteral("www.b.com"), QStringLiteral("没有")).kind,
                 Outcome::Kind::Failed);
        QCOMPARE(f->rows().size(), 2);
    }

    // Marking reaches the address in every group; unmarking only the row of one group.
    void favourites()
    {
        DbConnection &db = f->connection();
        const Outcome marked = AddressCommands::setFavourite(db, QStringLiteral("www.a.com"));
        QVERIFY(marked.ok());
        QCOMPARE(marked.count, 2);
        QVERIFY(AddressCommands::clearFavourite(db, QStringLiteral("www.a.com"), QStringLiteral("体育")).ok());
        QCOMPARE(AddressCommands::clearFavourite(db, QStringLiteral("www.a.com"), QStringLiteral("没有")).kind,
                 Outcome::Kind::Failed);
        QCOMPARE(f->rows(),
                 (QStringList{QStringLiteral("www.a.com|新闻|0|1"), QStringLiteral("www.a.com|体育|0|0"),
                              QStringLiteral("www.b.com|新闻|0|0")}));
    }

    void visitCountsEveryGroupsRowAndAFailureBarsOpening()
    {
        DbConnection &db = f->connection();
        const Outcome counted = AddressCommands::countVisit(db, QStringLiteral("www.a.com"));
        QVERIFY(counted.ok());
        QCOMPARE(counted.count, 2);
        QVERIFY(AddressCommands::mayOpenAfter(counted));

        f->refuse("UPDATE", "address");
        const Outcome failed = AddressCommands::countVisit(db, QStringLiteral("www.a.com"));
        QCOMPARE(failed.kind, Outcome::Kind::Failed);
        QVERIFY(!AddressCommands::mayOpenAfter(failed));
        QVERIFY(AddressCommands::mayOpenAfter(Outcome::readOnly(QStringLiteral("只读"))));
        QCOMPARE(AddressCommands::setFavourite(db, QStringLiteral("www.a.com")).kind, Outcome::Kind::Failed);
        QCOMPARE(f->rows(),
                 (QStringList{QStringLiteral("www.a.com|新闻|1|0"), QStringLiteral("www.a.com|体育|1|0"),
                              QStringLiteral("www.b.com|新闻|0|0")}));
    }
};

VESTRANE_TEST_MAIN(TestAddressCommands)
#include "tst_addresscommands.moc"
