#include "ServiceTestSupport.h"

#include "data/RecycleBin.h"
#include "favorites/FavoritesReader.h"
#include "services/HistoryCommands.h"

#include <QRandomGenerator>
#include <QSqlRecord>
#include <QtTest>

namespace {

// Every row of the tables a command may change, with its key, in key order.
QStringList dump(DbConnection &db)
{
    const QString groupKey = db.engine().rowKeyColumn();
    const QStringList statements{
        QStringLiteral("SELECT %1, GroupNo, GroupName FROM BaseGroup ORDER BY %1").arg(groupKey),
        QStringLiteral("SELECT RowNo, Address, AddressName, Times, ViewTime, GroupNo, MyAddress, AddressFolded, "
                       "AddressNameFolded FROM address ORDER BY RowNo"),
        QStringLiteral("SELECT Id, RowNo, Address, AddressName, Times, ViewTime, GroupNo, MyAddress, GroupName, "
                       "DeletedAt, DeletedBy FROM RecycleBin ORDER BY Id"),
    };
    QStringList rows;
    for (const QString &statement : statements) {
        QSqlQuery query = db.query(statement);
        while (query.next()) {
            QStringList values;
            for (int column = 0; column < query.record().count(); ++column)
                values << (query.isNull(column) ? QStringLiteral("<null>") : query.value(column).toString());
            rows << values.join(QLatin1Char('|'));
        }
    }
    return rows;
}

QStringList column(DbConnection &db, const QString &statement)
{
    QStringList values;
    QSqlQuery query = db.query(statement);
    while (query.next())
        values << query.value(0).toString();
    return values;
}

// The commands of a session, picked by a seeded generator from what is stored.
class RandomSession
{
public:
    RandomSession(DbConnection &db, LibraryHistory &history, quint32 seed)
        : m_db(db), m_history(history), m_random(seed)
    {}

    void fillLibrary(int groups, int addresses)
    {
        for (int g = 0; g < groups; ++g)
            HistoryCommands::addGroup(nullptr, m_db, QStringLiteral("组别 %1").arg(g));
        const QStringList names = GroupStore::groupNames(m_db);
        for (int a = 0; a < addresses; ++a)
            HistoryCommands::addAddress(nullptr, m_db, {address(), QStringLiteral("网站 %1").arg(a), pick(names)});
    }

    void runOne()
    {
        const QStringList groups = GroupStore::groupNames(m_db);
        const QStringList rows = column(m_db,
                                        QStringLiteral("SELECT Address || '\t' || AddressName || '\t' || "
                                                       "coalesce(GroupName, '') FROM address_1"));
        const QStringList bin = column(m_db, QStringLiteral("SELECT Id FROM RecycleBin"));
        const QStringList row =
            rows.isEmpty() ? QStringList{address(), QString(), QString()} : pick(rows).split(QLatin1Char('\t'));
        LibraryHistory *h = &m_history;
        switch (m_random.bounded(12)) {
        case 0: HistoryCommands::addGroup(h, m_db, QStringLiteral("新组 %1").arg(m_random.bounded(40))); break;
        case 1:
            HistoryCommands::renameGroup(h, m_db, pick(groups), QStringLiteral("改名 %1").arg(m_random.bounded(40)));
            break;
        case 2:
            if (m_random.bounded(4) == 0) // whole groups go more rarely than rows
                HistoryCommands::removeGroup(h, m_db, pick(groups));
            break;
        case 3:
        case 4: HistoryCommands::addAddress(h, m_db, {address(), QStringLiteral("新网站"), pick(groups)}); break;
        case 5:
            HistoryCommands::changeAddress(h, m_db, {address(), row.value(1) + QStringLiteral("改"), pick(groups)},
                                           row.value(0), row.value(1));
            break;
        case 6: HistoryCommands::removeAddress(h, m_db, row.value(0), row.value(2)); break;
        case 7: HistoryCommands::setFavourite(h, m_db, row.value(0)); break;
        case 8: HistoryCommands::clearFavourite(h, m_db, row.value(0), row.value(2)); break;
        case 9: {
            std::vector<ShortcutEntry> entries;
            for (int i = 0, n = 1 + int(m_random.bounded(20)); i < n; ++i)
                entries.push_back({QStringLiteral("http://") + address(), QStringLiteral("导入 %1").arg(i)});
            HistoryCommands::importShortcuts(h, m_db, entries);
            break;
        }
        case 10:
            if (!bin.isEmpty())
                HistoryCommands::restoreFromBin(h, m_db, picks(bin));
            break;
        default:
            if (!bin.isEmpty())
                HistoryCommands::purgeFromBin(h, m_db, picks(bin));
            break;
        }
    }

private:
    QString pick(const QStringList &list)
    {
        return list.isEmpty() ? QString() : list.at(int(m_random.bounded(list.size())));
    }
    // One to four rows of the bin, as the user chooses them in its list.
    QList<qint64> picks(const QStringList &ids)
    {
        QList<qint64> chosen;
        for (int i = 0, n = 1 + int(m_random.bounded(4)); i < n; ++i)
            chosen << pick(ids).toLongLong();
        return chosen;
    }
    QString address()
    {
        static const QStringList sites{QStringLiteral("news.example.cn"), QStringLiteral("www.Example.com"),
                                       QStringLiteral("bbs.例子.中国"), QStringLiteral("docs.example.org"),
                                       QStringLiteral("q.example.net/\"引号\"\\")};
        return QStringLiteral("%1/%2?id=%3").arg(pick(sites), QStringLiteral("页面")).arg(m_random.bounded(200));
    }

    DbConnection &m_db;
    LibraryHistory &m_history;
    QRandomGenerator m_random;
};

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> f;
    LibraryHistory history;

    // Another program on a connection of its own.
    std::unique_ptr<DbConnection> anotherProgram()
    {
        auto other = std::make_unique<DbConnection>(QStringLiteral("other"));
        other->setDatabaseFile(f->connection().location().text());
        return other;
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ServiceFixture>();
        history.clear();
        RecycleBin::setKeepDays(RecycleBin::DefaultKeepDays);
    }
    void cleanup() { f.reset(); }

    // Undoing every step of a long random session gives back the library it started
    // from, row for row and key for key; redoing them all gives the end again.
    void undoAllThenRedoAllRestoresBothEnds()
    {
        DbConnection &db = f->connection();
        RandomSession session(db, history, 20261208);
        session.fillLibrary(6, 150);
        const QStringList start = dump(db);
        for (int i = 0; i < 1000; ++i)
            session.runOne();
        const QStringList end = dump(db);
        QVERIFY(history.undoCount() > 500);
        QVERIFY(end != start);
        while (history.canUndo()) {
            const QString label = history.undoLabel();
            const Outcome undone = HistoryCommands::undo(history, db);
            QVERIFY2(undone.ok(), qPrintable(label + QStringLiteral(": ") + undone.message));
        }
        QCOMPARE(dump(db), start);
        while (history.canRedo()) {
            const Outcome redone = HistoryCommands::redo(history, db);
            QVERIFY2(redone.ok(), qPrintable(redone.message));
        }
        QCOMPARE(dump(db), end);
        QVERIFY(history.memoryUsed() < 20 * 1024 * 1024);
    }

    // An undo whose rows another program changed since is refused, says what changed and
    // changes nothing.
    void undoRefusedAfterAnotherWriter_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("otherStatement");
        QTest::addColumn<QString>("said");
        enum { AddAddress, RemoveAddress, RenameGroup, Import, RemoveGroup };
        QTest::newRow("row changed since")
            << int(AddAddress) << QStringLiteral("UPDATE address SET AddressName = 'B' WHERE AddressName = '新'")
            << QStringLiteral("网址“新”（www.new.com）已被修改");
        QTest::newRow("row deleted since")
            << int(AddAddress) << QStringLiteral("DELETE FROM address WHERE AddressName = '新'")
            << QStringLiteral("网址“新”（www.new.com）已被删除");
        QTest::newRow("group gone") << int(RemoveAddress)
                                    << QStringLiteral("DELETE FROM BaseGroup WHERE GroupName = '新闻'")
                                    << QStringLiteral("网址“A”（www.a.com）所在的组别已不存在");
        QTest::newRow("group renamed since")
            << int(RenameGroup) << QStringLiteral("UPDATE BaseGroup SET GroupName = '别名' WHERE GroupName = '要闻'")
            << QStringLiteral("组别“要闻”已被修改");
        QTest::newRow("imported row changed since")
            << int(Import) << QStringLiteral("UPDATE address SET MyAddress = 1 WHERE AddressName = '导入'")
            << QStringLiteral("导入的网址已被修改");
        QTest::newRow("binned row changed since")
            << int(RemoveGroup) << QStringLiteral("UPDATE RecycleBin SET Times = 7 WHERE AddressName = 'A'")
            << QStringLiteral("回收站中的“A”（www.a.com）已被修改");
        // On a server the step knows that row by its digest alone, and cannot name it.
        QTest::newRow("binned row deleted since")
            << int(RemoveGroup) << QStringLiteral("DELETE FROM RecycleBin WHERE AddressName = 'A'")
            << QStringLiteral("已被删除");
    }
    void undoRefusedAfterAnotherWriter()
    {
        QFETCH(int, command);
        QFETCH(QString, otherStatement);
        QFETCH(QString, said);
        DbConnection &db = f->connection();
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("新闻"));
        Outcome done = Outcome::failed(QString());
        switch (command) {
        case 0:
            done = HistoryCommands::addAddress(
                &history, db, {QStringLiteral("www.new.com"), QStringLiteral("新"), QStringLiteral("新闻")});
            break;
        case 1:
            done = HistoryCommands::removeAddress(&history, db, QStringLiteral("www.a.com"), QStringLiteral("新闻"));
            break;
        case 2:
            done = HistoryCommands::renameGroup(&history, db, QStringLiteral("新闻"), QStringLiteral("要闻"));
            break;
        case 3:
            done =
                HistoryCommands::importShortcuts(&history, db, {{QStringLiteral("www.i.com"), QStringLiteral("导入")}});
            break;
        default: done = HistoryCommands::removeGroup(&history, db, QStringLiteral("新闻")); break;
        }
        QVERIFY2(done.ok(), qPrintable(done.message));
        anotherProgram()->execute(otherStatement);
        const QStringList before = dump(db);

        const Outcome refused = HistoryCommands::undo(history, db);
        QCOMPARE(refused.kind, Outcome::Kind::Refused);
        QVERIFY2(refused.message.contains(said), qPrintable(refused.message));
        QCOMPARE(dump(db), before);
        QCOMPARE(history.undoCount(), 1); // still there to try again
    }

    // Deleted rows wait in the bin with their group; a restore makes a gone group again
    // with its number and puts the row back at its place; 0 days keeps nothing.
    void binKeepsRestoresAndForgets()
    {
        DbConnection &db = f->connection();
        f->add(QStringLiteral("www.a.com"), QStringLiteral("A"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.b.com"), QStringLiteral("B"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.c.com"), QStringLiteral("C"), QStringLiteral("体育"));
        const QStringList before = f->rows();
        QVERIFY(HistoryCommands::removeGroup(&history, db, QStringLiteral("新闻")).ok());
        std::vector<RecycleBin::Entry> bin = RecycleBin::list(db);
        QCOMPARE(bin.size(), size_t(2));
        QCOMPARE(bin[0].groupName, QStringLiteral("新闻"));
        QVERIFY(bin[0].deletedBy.isEmpty() != db.isServer()); // who deleted it, on a server

        QCOMPARE(RecycleBin::dropExpired(db, 30, QDateTime::currentDateTime().addDays(29)), 0);
        QCOMPARE(RecycleBin::restore(db, {bin[0].id, bin[1].id}), 2);
        QCOMPARE(f->rows(), before); // the same places
        QCOMPARE(GroupStore::groupNoOf(db, QStringLiteral("新闻")), std::optional<int>(2));
        QVERIFY(RecycleBin::list(db).empty());
        QVERIFY(HistoryCommands::removeAddress(&history, db, QStringLiteral("www.b.com"), QStringLiteral("新闻")).ok());
        QCOMPARE(RecycleBin::dropExpired(db, 30, QDateTime::currentDateTime().addDays(31)), 1);

        // A long scattered choice: every other row of a deleted group of 1,200, as one step.
        for (int i = 0; i < 1200; ++i)
            f->add(QStringLiteral("www.many.com/%1").arg(i), QStringLiteral("多"), QStringLiteral("多"));
        QVERIFY(HistoryCommands::removeGroup(&history, db, QStringLiteral("多")).ok());
        const QStringList inBin = column(db, QStringLiteral("SELECT Id FROM RecycleBin ORDER BY Id"));
        QList<qint64> everyOther;
        for (int i = 0; i < inBin.size(); i += 2)
            everyOther << inBin.at(i).toLongLong();
        // Meanwhile another program took the place of the first: that row goes elsewhere.
        anotherProgram()->execute(QStringLiteral("INSERT INTO address (RowNo, Address, AddressName, GroupNo) "
                                                 "SELECT RowNo, 'www.taken.com', '占', 1 FROM RecycleBin WHERE Id = ?"),
                                  {everyOther.first()});
        const QStringList chosenBefore = dump(db);
        QCOMPARE(HistoryCommands::restoreFromBin(&history, db, everyOther).count, 600);
        QCOMPARE(column(db, QStringLiteral("SELECT count(*) FROM RecycleBin")), QStringList{"600"});
        const QStringList chosenAfter = dump(db);
        QCOMPARE(HistoryCommands::purgeFromBin(&history, db, everyOther).count, 0); // gone from the bin already
        QVERIFY(HistoryCommands::undo(history, db).ok());
        QCOMPARE(dump(db), chosenBefore);
        QVERIFY(HistoryCommands::redo(history, db).ok());
        QCOMPARE(dump(db), chosenAfter);
        RecycleBin::empty(db);

        RecycleBin::setKeepDays(0);
        const QStringList kept = dump(db);
        QVERIFY(HistoryCommands::removeAddress(&history, db, QStringLiteral("www.c.com"), QStringLiteral("体育")).ok());
        QVERIFY(RecycleBin::list(db).empty());
        QVERIFY(HistoryCommands::undo(history, db).ok());
        QCOMPARE(dump(db), kept);
    }
};

VESTRANE_TEST_MAIN(TestHistory)
#include "tst_history.moc"
