#include "TestEngine.h"
#include "TestEnv.h"

#include "data/SharedConnection.h"
#include "data/DbConnection.h"
#include "services/AddressEditing.h"

#include <QDate>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

struct StoredRow
{
    QString address, name, addressFolded, nameFolded, viewTime;
    int times = -1, groupNo = -1;

    bool operator==(const StoredRow &) const = default;
};

QString today()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

} // namespace

class TstAddressEditing : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DbConnection> m_db;

    QList<StoredRow> rows()
    {
        QList<StoredRow> result;
        QSqlQuery query = m_db->query(u"SELECT Address, AddressName, AddressFolded, AddressNameFolded, ViewTime, "
                                      "Times, GroupNo FROM address ORDER BY "_s
                                      + m_db->engine().rowKeyColumn());
        while (query.next())
            result.append({query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                           query.value(3).toString(), query.value(4).toString(), query.value(5).toInt(),
                           query.value(6).toInt()});
        return result;
    }

    void addRow(const QString &address, const QString &name, int times, const QString &viewTime, int groupNo)
    {
        m_db->execute(u"INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, AddressFolded, "
                      "AddressNameFolded) VALUES (?, ?, ?, ?, ?, lower(?), lower(?))"_s,
                      {address, name, times, viewTime, groupNo, address, name});
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<DbConnection>(u"test"_s);
        configureConnection(*m_db);
        m_db->open();
    }

    void init()
    {
        m_db->execute(u"DELETE FROM address"_s);
        m_db->execute(u"DELETE FROM BaseGroup"_s);
        m_db->execute(u"INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, 'IE收藏夹'), (4, '新闻'), (7, '工作')"_s);
    }

    void addStoresTheNormalisedAddressInTheChosenGroup()
    {
        AddressEditing editing(*m_db);
        const Outcome outcome = editing.add({u"HTTP://WWW.O'Hara.com/\"Q\"/"_s, u" 老王's ÄRGER "_s, u"新闻"_s});
        QCOMPARE(outcome.kind, Outcome::Kind::Done);
        QCOMPARE(outcome.count, 1);
        const StoredRow expected{u"WWW.O'Hara.com/\"Q\""_s,
                                 u" 老王's ÄRGER "_s,
                                 u"www.o'hara.com/\"q\""_s,
                                 u" 老王's ärger "_s,
                                 today(),
                                 0,
                                 4};
        QCOMPARE(rows(), QList<StoredRow>{expected});

        // The same address again is a row of its own.
        QVERIFY(editing.add({u"HTTP://WWW.O'Hara.com/\"Q\"/"_s, u" 老王's ÄRGER "_s, u"新闻"_s}).ok());
        QCOMPARE(rows(), (QList<StoredRow>{expected, expected}));
    }

    void unsavableTextsAreRefusedBeforeTheDatabase_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no address") << QString() << u"名"_s << AddressEditing::noAddressText();
        QTest::newRow("neither") << QString() << QString() << AddressEditing::noAddressText();
        QTest::newRow("no name") << u"a.com"_s << QString() << AddressEditing::noNameText();
        QTest::newRow("browser option") << u"--remote-debugging-port=9333"_s << u"名"_s
                                        << AddressEditing::optionLikeText();
        QTest::newRow("option after blanks") << u" \t-new-window"_s << u"名"_s << AddressEditing::optionLikeText();
    }

    void unsavableTextsAreRefusedBeforeTheDatabase()
    {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        addRow(u"a.com"_s, u"名"_s, 3, u"2001-02-03"_s, 4);
        const QList<StoredRow> before = rows();
        // Not even a group is needed to be told what is missing.
        m_db->execute(u"DELETE FROM BaseGroup"_s);
        AddressEditing editing(*m_db);
        for (const Outcome &outcome : {editing.add({address, name, u"新闻"_s}),
                                       editing.change({address, name, u"新闻"_s}, u"a.com"_s, u"名"_s)}) {
            QCOMPARE(outcome.kind, Outcome::Kind::Refused);
            QCOMPARE(outcome.message, refusal);
        }
        QCOMPARE(rows(), before);
    }

    void blankTextsAreContent()
    {
        QVERIFY(AddressEditing(*m_db).add({u" "_s, u" "_s, u"工作"_s}).ok());
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows()[0].address, u" "_s);
    }

    void groupProblems()
    {
        AddressEditing editing(*m_db);
        // A chosen group that is gone, and no choice while groups exist, are failures.
        Outcome outcome = editing.add({u"a.com"_s, u"a"_s, u"不存在"_s});
        QCOMPARE(outcome.kind, Outcome::Kind::Failed);
        QVERIFY(outcome.message.contains(u"不存在"_s));
        QCOMPARE(editing.add({u"a.com"_s, u"a"_s, std::nullopt}).kind, Outcome::Kind::Failed);

        // With no group at all the user is told to add one.
        m_db->execute(u"DELETE FROM BaseGroup"_s);
        outcome = editing.add({u"a.com"_s, u"a"_s, std::nullopt});
        QCOMPARE(outcome.kind, Outcome::Kind::Refused);
        QCOMPARE(outcome.message, AddressEditing::noGroupsText());
        addRow(u"b.com"_s, u"b"_s, 0, u"2001-02-03"_s, 4);
        outcome = editing.change({u"a.com"_s, u"a"_s, std::nullopt}, u"b.com"_s, u"b"_s);
        QCOMPARE(outcome.message, AddressEditing::noGroupsText());
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows()[0].address, u"b.com"_s);
    }

    void changeRewritesOnlyTheRowHandedIn()
    {
        // The old address identifies the row as it was handed in, not normalised.
        addRow(u"http://old.cn/"_s, u"旧"_s, 7, u"2001-02-03"_s, 4);
        addRow(u"http://old.cn/"_s, u"另一个"_s, 1, u"2001-02-03"_s, 4);
        addRow(u"old.cn"_s, u"旧"_s, 2, u"2001-02-03"_s, 4);
        const QList<StoredRow> before = rows();
        const Outcome outcome =
            AddressEditing(*m_db).change({u"HTTP://New.cn/it's/"_s, u"新Ä"_s, u"工作"_s}, u"http://old.cn/"_s, u"旧"_s);
        QCOMPARE(outcome.kind, Outcome::Kind::Done);
        QCOMPARE(outcome.count, 1);
        const QList<StoredRow> after = rows();
        QCOMPARE(after[0], (StoredRow{u"New.cn/it's"_s, u"新Ä"_s, u"new.cn/it's"_s, u"新ä"_s, u"2001-02-03"_s, 7, 7}));
        QCOMPARE(after.mid(1), before.mid(1));
    }

    void changeOfAVanishedRowIsRefused()
    {
        addRow(u"a.com"_s, u"a"_s, 0, u"2001-02-03"_s, 4);
        const Outcome outcome = AddressEditing(*m_db).change({u"b.com"_s, u"b"_s, u"新闻"_s}, u"gone.com"_s, u"a"_s);
        QCOMPARE(outcome.kind, Outcome::Kind::Refused);
        QCOMPARE(outcome.message, AddressEditing::rowGoneText());
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows()[0].address, u"a.com"_s);
    }

    void databaseRefusalsAreToldApart()
    {
        addRow(u"a.com"_s, u"a"_s, 0, u"2001-02-03"_s, 4);
        AddressEditing editing(*m_db);
        TestEngine::refuseWrites(*m_db, u"address"_s, u"UPDATE"_s, {}, u"no change"_s);
        Outcome outcome = editing.change({u"b.com"_s, u"b"_s, u"新闻"_s}, u"a.com"_s, u"a"_s);
        TestEngine::allowWrites(*m_db, u"address"_s);
        QCOMPARE(outcome.kind, Outcome::Kind::Failed);
        QVERIFY2(outcome.message.contains(u"no change"_s), qPrintable(outcome.message));

        TestEngine::setReadOnly(*m_db, true);
        outcome = editing.add({u"b.com"_s, u"b"_s, u"新闻"_s});
        TestEngine::setReadOnly(*m_db, false);
        QCOMPARE(outcome.kind, Outcome::Kind::ReadOnly);
        QVERIFY(!outcome.message.isEmpty());
        QCOMPARE(rows().size(), 1);
        QCOMPARE(rows()[0].address, u"a.com"_s);
    }
};

VESTRANE_TEST_MAIN(TstAddressEditing)
#include "tst_addressediting.moc"
