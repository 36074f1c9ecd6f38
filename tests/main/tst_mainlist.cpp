// The address list of the main window: fill, sorting, current address, keys, hover text.
#include "MainTestSupport.h"
#include "TestEngine.h"
#include "TestEnv.h"

#include "controls/ListRowModel.h"
#include "data/Schema.h"
#include "main/AddressListModel.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTreeWidget>

class TestMainList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    void clickHeader(MainWindow &w, int column)
    {
        QHeaderView *header = w.addressListPane()->view()->header();
        const QPoint point(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, point);
    }

    static QString viewStatement()
    {
        for (const QString &statement : Schema::statements()) {
            if (statement.startsWith(QStringLiteral("CREATE VIEW address_1")))
                return statement;
        }
        return QString();
    }

    QPoint rowPoint(MainWindow &w, int row)
    {
        return w.addressListPane()->view()->visualRect(w.addressListPane()->view()->model()->index(row, 1)).center();
    }

    // Rows in three groups whose texts tie and differ in every column: mixed case, Chinese
    // addresses and names, counts and dates shared by many rows, a few favourites.
    static void seed(DbConnection &db, int rows)
    {
        static const QStringList groups{QStringLiteral("新闻"), QStringLiteral("软件"), QStringLiteral("购物")};
        static const QStringList words{QStringLiteral("Www.Alpha"), QStringLiteral("www.beta"),
                                       QStringLiteral("中文网"),    QStringLiteral("example"),
                                       QStringLiteral("EXAMPLE"),   QStringLiteral("北京")};
        Transaction transaction(db);
        for (int group = 0; group < int(groups.size()); ++group)
            db.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (?, ?)"),
                       {group + 2, groups[group]});
        for (int i = 0; i < rows; ++i) {
            const QString address = QStringLiteral("%1.com/%2").arg(words[i % words.size()]).arg(i % 97);
            const QString name =
                QStringLiteral("站点%1").arg(i % 13) + (i % 4 == 0 ? QStringLiteral("abc") : QString());
            db.execute(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                      "AddressFolded, AddressNameFolded) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                       {address, name, i % 5, QStringLiteral("2024-0%1-1%2").arg(i % 9 + 1).arg(i % 3), i % 3 + 2,
                        i % 11 == 0 ? 1 : 0, AddressStore::folded(address), AddressStore::folded(name)});
        }
        transaction.commit();
    }

    // What another program does: rows gone, changed and added, so that the keys have gaps.
    static void writeElsewhere(DbConnection &other)
    {
        other.execute(QStringLiteral("DELETE FROM address WHERE RowNo % 7 = 3"));
        other.execute(QStringLiteral("UPDATE address SET Times = Times + 10 WHERE RowNo % 9 = 0"));
        other.execute(
            QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                           "AddressFolded, AddressNameFolded) VALUES ('late.example', '后来', 1, '2023-01-01', "
                           "3, 0, 'late.example', '后来')"));
    }

    static QString rowText(const QAbstractItemModel &rows, int row)
    {
        QStringList texts;
        for (int column = 0; column < 5; ++column)
            texts << rows.index(row, column).data().toString();
        return texts.join(QLatin1Char('|'));
    }

private Q_SLOTS:
    // The paged list shows, at every position, what the whole listing read by the plain
    // statement and sorted as the list of rows held in full sorts it; positions are read in
    // an order that reaches each page from its neighbours and from either end.
    void pagedListMatchesThePlainStatement_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<int>("filterKind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("sorts"); // column + 1, negative for descending
        QTest::addColumn<bool>("writtenElsewhere");
        using Kind = AddressFilter::Kind;
        for (bool onServer : {false, true}) {
            const char *engine = onServer ? "server: " : "file: ";
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow((QByteArray(engine) + name).constData()) << onServer;
            };
            row("every row") << int(Kind::All) << QString() << QList<int>{} << false;
            row("every row, gaps in the keys") << int(Kind::All) << QString() << QList<int>{} << true;
            row("a group") << int(Kind::Group) << QStringLiteral("软件") << QList<int>{} << true;
            row("favourites") << int(Kind::Favourites) << QString() << QList<int>{} << false;
            row("search by index") << int(Kind::Search) << QStringLiteral("XAMP") << QList<int>{} << true;
            row("search of one character") << int(Kind::Search) << QStringLiteral("中") << QList<int>{} << false;
            row("address up, then down") << int(Kind::All) << QString() << QList<int>{1, -1} << true;
            row("name then group, ties kept") << int(Kind::All) << QString() << QList<int>{2, 5} << false;
            row("date down, count up") << int(Kind::Group) << QStringLiteral("新闻") << QList<int>{-3, 4} << true;
            row("sorted search") << int(Kind::Search) << QStringLiteral("example") << QList<int>{-5, 1} << false;
        }
    }

    void pagedListMatchesThePlainStatement()
    {
        QFETCH(bool, onServer);
        QFETCH(int, filterKind);
        QFETCH(QString, text);
        QFETCH(QList<int>, sorts);
        QFETCH(bool, writtenElsewhere);
        std::unique_ptr<TestServerDatabase> server;
        std::unique_ptr<DbConnection> serverDb;
        std::unique_ptr<DbConnection> serverOther;
        if (onServer) {
            if (TestEngine::serverUri().isEmpty())
                QSKIP("needs the test run's PostgreSQL server (run through CTest)");
            server = std::make_unique<TestServerDatabase>();
            serverDb = std::make_unique<DbConnection>(QStringLiteral("paged"));
            serverDb->setDatabaseFile(server->uri());
            serverOther = std::make_unique<DbConnection>(QStringLiteral("paged-other"));
            serverOther->setDatabaseFile(server->uri());
            serverDb->execute(QStringLiteral("DELETE FROM BaseGroup"));
        }
        DbConnection &db = onServer ? *serverDb : f->db();
        constexpr int rows = 3 * AddressListModel::PageSize + 70;
        seed(db, rows);
        if (writtenElsewhere)
            writeElsewhere(onServer ? *serverOther : f->other());
        const AddressFilter filter{AddressFilter::Kind(filterKind), text};

        ListRowModel expected;
        expected.setColumnCaptions({"网址", "名称", "访问时间", "访问次数", "组"});
        for (AddressRecord &record : AddressStore::list(db, filter)) {
            ListRow row;
            row.caption = record.address;
            row.subItems = RowTexts{record.name, record.viewTime, record.times, record.groupName};
            expected.append(std::move(row));
        }
        AddressListModel paged(db);
        paged.setColumnCaptions(expected.columnCaptions());
        QSignalSpy counted(&paged, &AddressListModel::countKnown);
        // A search of more rows than a page shows that page first; its other rows are found
        // when the event loop runs, or at once for a sort.
        const Outcome shown = paged.show(filter);
        QVERIFY(shown.ok());
        const int shownFirst = shown.count;
        QCOMPARE(shownFirst, paged.allRowsFound() ? expected.count() : int(AddressListModel::PageSize));
        QVERIFY(expected.count() > 2);
        for (int sort : std::as_const(sorts)) {
            expected.sortRows(std::abs(sort) - 1, sort > 0);
            paged.sortRows(std::abs(sort) - 1, sort > 0);
        }
        QTRY_VERIFY(paged.allRowsFound());
        QCOMPARE(paged.count(), expected.count());
        QCOMPARE(counted.size(), shownFirst < expected.count() ? 1 : 0);
        const int last = expected.count() - 1;
        const int page = AddressListModel::PageSize;
        QList<int> positions{last,     0,    page + 5, 2 * page - 1, std::min(last, 3 * page), std::min(last, 2 * page),
                             last / 2, page, page - 1};
        for (int position = last; position >= 0; --position)
            positions << position;
        for (int position : std::as_const(positions))
            QCOMPARE(rowText(paged, position), rowText(expected, position));
        QCOMPARE(paged.rowOfKey(paged.recordAt(last).rowNo, 0), last);
        const int middle = std::min(last, page + 1);
        QCOMPARE(paged.rowOfKey(paged.recordAt(middle).rowNo, last), middle);
    }

    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init() { f->reset(); }
    void cleanupTestCase() { f.reset(); }

    void rowsCarryTheirFields()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲站"), QStringLiteral("新闻"), 7,
               QStringLiteral("2024-03-05"));
        f->add(QStringLiteral("www.b.com"), QString(), QStringLiteral("软件"), 0, QStringLiteral("2024-03-06 14:05:09"),
               true);
        MainWindow &w = f->open();
        QCOMPARE(MainFixture::cellText(w, 0, 0), QStringLiteral("www.a.com"));
        QCOMPARE(MainFixture::cellText(w, 0, 1), QStringLiteral("甲站"));
        QCOMPARE(MainFixture::cellText(w, 0, 2), QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat));
        QCOMPARE(MainFixture::cellText(w, 0, 3), QStringLiteral("7"));
        QCOMPARE(MainFixture::cellText(w, 0, 4), QStringLiteral("新闻"));
        QCOMPARE(MainFixture::imageOf(w, 0), 3);
        QCOMPARE(MainFixture::imageOf(w, 1), 1);
        // The test locale is zh_CN; the stored time has no zone, so none is shown.
        QCOMPARE(MainFixture::cellText(w, 1, 2), QStringLiteral("2024/3/6 14:05:09"));
        QCOMPARE(w.addressListPane()->view()->reportRows()->columnCaptions(),
                 (QStringList{"网址", "名称", "访问时间", "访问次数", "组"}));
    }

    void addressInTwoGroupsIsListedTwice()
    {
        f->add(QStringLiteral("www.x.com"), QStringLiteral("X"), QStringLiteral("一"));
        f->add(QStringLiteral("www.x.com"), QStringLiteral("X"), QStringLiteral("二"));
        f->open();
        QCOMPARE(f->captions(), (QStringList{"www.x.com", "www.x.com"}));
        QCOMPARE(f->column(4), (QStringList{"一", "二"}));
    }

    void groupsNamedLikeTheFixedNodes()
    {
        f->add(QStringLiteral("fav.com"), QStringLiteral("F"), QStringLiteral("其他"), 0, QStringLiteral("2024-01-01"),
               true);
        f->add(QStringLiteral("plain.com"), QStringLiteral("P"), QStringLiteral("收藏夹"));
        f->add(QStringLiteral("root.com"), QStringLiteral("R"), QStringLiteral("网址"));
        MainWindow &w = f->openShown();
        QTreeWidgetItem *root = w.groupTreePane()->tree()->topLevelItem(0);
        auto click = [&w](QTreeWidgetItem *node) {
            QTest::mouseClick(w.groupTreePane()->tree()->viewport(), Qt::LeftButton, {},
                              w.groupTreePane()->tree()->visualItemRect(node).center());
        };
        click(root->child(1)); // the group "收藏夹" lists the favourites of all groups
        QCOMPARE(f->captions(), QStringList{"fav.com"});
        click(root->child(2)); // the group "网址" lists everything and selects the root
        QCOMPARE(f->captions().size(), 3);
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), root);
    }

    void awkwardTextsShowAsStored()
    {
        const QString longAddress = QStringLiteral("www.long.com/") + QString(1987, QLatin1Char('a'));
        const QStringList addresses = {QStringLiteral("it's.com/?q=\"x\"&p=50%"), QStringLiteral("中文.网址"),
                                       longAddress};
        f->add(addresses[0], QStringLiteral("O'Brien \"引号\" 100%"), QStringLiteral("组'一"));
        f->add(addresses[1], QString(), QStringLiteral("组'一"));
        f->add(addresses[2], QStringLiteral("长"), QStringLiteral("组'一"));
        MainWindow &w = f->openShown();
        QCOMPARE(f->captions(), addresses);
        QCOMPARE(f->column(1).first(), QStringLiteral("O'Brien \"引号\" 100%"));
        QTest::mouseClick(
            w.groupTreePane()->tree()->viewport(), Qt::LeftButton, {},
            w.groupTreePane()->tree()->visualItemRect(w.groupTreePane()->tree()->topLevelItem(0)->child(0)).center());
        QCOMPARE(f->captions().size(), 3); // the group with an apostrophe is found by its name
        clickHeader(w, 1);
        // The first click on another column sorts descending, by GB18030 bytes: Chinese after
        // Latin letters, the empty name last.
        QCOMPARE(f->column(1), (QStringList{"长", "O'Brien \"引号\" 100%", ""}));
    }

    void headerSortRules()
    {
        f->add(QStringLiteral("b.com"), QStringLiteral("beta"), QStringLiteral("G"), 10);
        f->add(QStringLiteral("A.com"), QStringLiteral("Alpha"), QStringLiteral("G"), 9);
        f->add(QStringLiteral("c.com"), QStringLiteral("ALPHB"), QStringLiteral("G"), 100);
        MainWindow &w = f->openShown();
        clickHeader(w, 3); // first click on another column: descending
        QCOMPARE(f->column(3), (QStringList{"100", "10", "9"}));
        clickHeader(w, 3);
        QCOMPARE(f->column(3), (QStringList{"9", "10", "100"}));
        clickHeader(w, 1); // direction carries over: ascending; letters compare case-folded
        QCOMPARE(f->column(1), (QStringList{"Alpha", "ALPHB", "beta"}));
        QCOMPARE(w.addressListPane()->view()->SortColumn, 1);
        QVERIFY(w.addressListPane()->view()->SortAscending);
        // A refill keeps the statement's order.
        w.fillList();
        QCOMPARE(f->captions(), (QStringList{"b.com", "A.com", "c.com"}));
    }

    void firstClickOnColumnZeroSortsAscending()
    {
        f->add(QStringLiteral("b.com"), QStringLiteral("1"), QStringLiteral("G"));
        f->add(QStringLiteral("a.com"), QStringLiteral("2"), QStringLiteral("G"));
        f->add(QStringLiteral("c.com"), QStringLiteral("3"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        clickHeader(w, 0);
        QCOMPARE(f->captions(), (QStringList{"a.com", "b.com", "c.com"}));
        clickHeader(w, 0);
        QCOMPARE(f->captions(), (QStringList{"c.com", "b.com", "a.com"}));
    }

    void selectionAndKeysSetCurrentAddress()
    {
        for (const char *address : {"one.com", "two.com", "three.com"})
            f->add(QString::fromLatin1(address), QStringLiteral("n"), QStringLiteral("G"));
        MainWindow &w = f->openShown();
        QTest::mouseClick(w.addressListPane()->view()->viewport(), Qt::LeftButton, {}, rowPoint(w, 0));
        QCOMPARE(w.currentAddress(), QStringLiteral("one.com"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("one.com"));
        w.addressListPane()->view()->setFocus();
        QTest::keyClick(w.addressListPane()->view(), Qt::Key_Down);
        QCOMPARE(w.statusPanelText(1), QStringLiteral("two.com"));
        QTest::keyClick(w.addressListPane()->view(), Qt::Key_End);
        QCOMPARE(w.currentAddress(), QStringLiteral("three.com"));
        // A click on the empty part deselects: the row just left stays current.
        QTest::mouseClick(w.addressListPane()->view()->viewport(), Qt::LeftButton, {},
                          QPoint(5, w.addressListPane()->view()->viewport()->height() - 5));
        QCOMPARE(w.addressListPane()->view()->selectedRow(), -1);
        QCOMPARE(w.currentAddress(), QStringLiteral("three.com"));
        // A refill does not clear it.
        w.fillList();
        QCOMPARE(w.currentAddress(), QStringLiteral("three.com"));
    }

    void hoverTextHasFiveLines()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), QStringLiteral("新闻"), 4);
        MainWindow &w = f->openShown();
        QTest::mouseMove(w.addressListPane()->view()->viewport(), rowPoint(w, 0));
        const QString expected = QStringLiteral("组        别：新闻\n网        址：www.a.com\n网址名称：甲\n访问时间：")
            + QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat) + QStringLiteral("\n访问次数：4");
        QCOMPARE(w.hoverText(), expected);
        QCOMPARE(w.addressListPane()->view()->hintText(), expected);
        QTest::mouseMove(w.addressListPane()->view()->viewport(),
                         QPoint(5, w.addressListPane()->view()->viewport()->height() - 5));
        QCOMPARE(w.hoverText(), QString());
        QCOMPARE(w.addressListPane()->view()->hintText(), expected);
    }

    void fillErrorShowsFailureAndLeavesWindowUsable()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        MainWindow &w = f->openShown();
        f->db().execute(QStringLiteral("DROP VIEW address_1"));
        w.fillList();
        f->db().execute(viewStatement());
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, QStringLiteral("error!!!"));
        QCOMPARE(Dialogs::recorded().first().caption, QStringLiteral("error"));
        QCOMPARE(f->captions(), QStringList{"www.a.com"}); // what was shown stays
        w.fillList();
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条1记录"));
    }
};

VESTRANE_TEST_MAIN(TestMainList)
#include "tst_mainlist.moc"
