// The address list of the main window: fill, sorting, current address, keys, hover text.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include "data/Schema.h"

#include <QHeaderView>
#include <QTreeWidget>

class TestMainList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    void clickHeader(TFrmMain &w, int column)
    {
        QHeaderView *header = controls(w).ListView1->header();
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

    QPoint rowPoint(TFrmMain &w, int row)
    {
        return controls(w).ListView1->visualRect(controls(w).ListView1->model()->index(row, 1)).center();
    }

private Q_SLOTS:
    void initTestCase()
    {
        Dialogs::startRecording();
        f = std::make_unique<MainFixture>();
    }

    void init() { f->reset(); }
    void cleanupTestCase() { f.reset(); }

    void rowsCarryTheirFields()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲站"), QStringLiteral("新闻"), 7, QStringLiteral("2024-03-05"));
        f->add(QStringLiteral("www.b.com"), QString(), QStringLiteral("软件"), 0, QStringLiteral("2024-03-06 14:05:09"), true);
        TFrmMain &w = f->open();
        QCOMPARE(MainFixture::cellText(w, 0, 0), QStringLiteral("www.a.com"));
        QCOMPARE(MainFixture::cellText(w, 0, 1), QStringLiteral("甲站"));
        QCOMPARE(MainFixture::cellText(w, 0, 2), QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat));
        QCOMPARE(MainFixture::cellText(w, 0, 3), QStringLiteral("7"));
        QCOMPARE(MainFixture::cellText(w, 0, 4), QStringLiteral("新闻"));
        QCOMPARE(MainFixture::imageOf(w, 0), 3);
        QCOMPARE(MainFixture::imageOf(w, 1), 1);
        // The test locale is zh_CN; the stored time has no zone, so none is shown.
        QCOMPARE(MainFixture::cellText(w, 1, 2), QStringLiteral("2024/3/6 14:05:09"));
        QCOMPARE(controls(w).ListView1->reportRows()->columnCaptions(), (QStringList{"网址", "名称", "访问时间", "访问次数", "组"}));
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
        f->add(QStringLiteral("fav.com"), QStringLiteral("F"), QStringLiteral("其他"), 0, QStringLiteral("2024-01-01"), true);
        f->add(QStringLiteral("plain.com"), QStringLiteral("P"), QStringLiteral("收藏夹"));
        f->add(QStringLiteral("root.com"), QStringLiteral("R"), QStringLiteral("网址"));
        TFrmMain &w = f->openShown();
        QTreeWidgetItem *root = controls(w).TreeView1->topLevelItem(0);
        auto click = [&w](QTreeWidgetItem *node) {
            QTest::mouseClick(controls(w).TreeView1->viewport(), Qt::LeftButton, {}, controls(w).TreeView1->visualItemRect(node).center());
        };
        click(root->child(1)); // the group "收藏夹" lists the favourites of all groups
        QCOMPARE(f->captions(), QStringList{"fav.com"});
        click(root->child(2)); // the group "网址" lists everything and selects the root
        QCOMPARE(f->captions().size(), 3);
        QCOMPARE(controls(w).TreeView1->currentItem(), root);
    }

    void awkwardTextsShowAsStored()
    {
        const QString longAddress = QStringLiteral("www.long.com/") + QString(1987, QLatin1Char('a'));
        const QStringList addresses = {QStringLiteral("it's.com/?q=\"x\"&p=50%"), QStringLiteral("中文.网址"), longAddress};
        f->add(addresses[0], QStringLiteral("O'Brien \"引号\" 100%"), QStringLiteral("组'一"));
        f->add(addresses[1], QString(), QStringLiteral("组'一"));
        f->add(addresses[2], QStringLiteral("长"), QStringLiteral("组'一"));
        TFrmMain &w = f->openShown();
        QCOMPARE(f->captions(), addresses);
        QCOMPARE(f->column(1).first(), QStringLiteral("O'Brien \"引号\" 100%"));
        QTest::mouseClick(controls(w).TreeView1->viewport(), Qt::LeftButton, {},
                          controls(w).TreeView1->visualItemRect(controls(w).TreeView1->topLevelItem(0)->child(0)).center());
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
        TFrmMain &w = f->openShown();
        clickHeader(w, 3); // first click on another column: descending
        QCOMPARE(f->column(3), (QStringList{"100", "10", "9"}));
        clickHeader(w, 3);
        QCOMPARE(f->column(3), (QStringList{"9", "10", "100"}));
        clickHeader(w, 1); // direction carries over: ascending; letters compare case-folded
        QCOMPARE(f->column(1), (QStringList{"Alpha", "ALPHB", "beta"}));
        QCOMPARE(controls(w).ListView1->SortColumn, 1);
        QVERIFY(controls(w).ListView1->SortAscending);
        // A refill keeps the statement's order.
        w.P_FillList();
        QCOMPARE(f->captions(), (QStringList{"b.com", "A.com", "c.com"}));
    }

    void firstClickOnColumnZeroSortsAscending()
    {
        f->add(QStringLiteral("b.com"), QStringLiteral("1"), QStringLiteral("G"));
        f->add(QStringLiteral("a.com"), QStringLiteral("2"), QStringLiteral("G"));
        f->add(QStringLiteral("c.com"), QStringLiteral("3"), QStringLiteral("G"));
        TFrmMain &w = f->openShown();
        clickHeader(w, 0);
        QCOMPARE(f->captions(), (QStringList{"a.com", "b.com", "c.com"}));
        clickHeader(w, 0);
        QCOMPARE(f->captions(), (QStringList{"c.com", "b.com", "a.com"}));
    }

    void selectionAndKeysSetCurrentAddress()
    {
        for (const char *address : {"one.com", "two.com", "three.com"})
            f->add(QString::fromLatin1(address), QStringLiteral("n"), QStringLiteral("G"));
        TFrmMain &w = f->openShown();
        QTest::mouseClick(controls(w).ListView1->viewport(), Qt::LeftButton, {}, rowPoint(w, 0));
        QCOMPARE(w.CurAddress(), QStringLiteral("one.com"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("one.com"));
        controls(w).ListView1->setFocus();
        QTest::keyClick(controls(w).ListView1, Qt::Key_Down);
        QCOMPARE(w.statusPanelText(1), QStringLiteral("two.com"));
        QTest::keyClick(controls(w).ListView1, Qt::Key_End);
        QCOMPARE(w.CurAddress(), QStringLiteral("three.com"));
        // A click on the empty part deselects: the row just left stays current.
        QTest::mouseClick(controls(w).ListView1->viewport(), Qt::LeftButton, {},
                          QPoint(5, controls(w).ListView1->viewport()->height() - 5));
        QCOMPARE(controls(w).ListView1->selectedRow(), -1);
        QCOMPARE(w.CurAddress(), QStringLiteral("three.com"));
        // A refill does not clear it.
        w.P_FillList();
        QCOMPARE(w.CurAddress(), QStringLiteral("three.com"));
    }

    void hoverTextHasFiveLines()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), QStringLiteral("新闻"), 4);
        TFrmMain &w = f->openShown();
        QTest::mouseMove(controls(w).ListView1->viewport(), rowPoint(w, 0));
        const QString expected = QStringLiteral("组        别：新闻\n网        址：www.a.com\n网址名称：甲\n访问时间：")
                                 + QLocale().toString(QDate(2024, 3, 5), QLocale::ShortFormat)
                                 + QStringLiteral("\n访问次数：4");
        QCOMPARE(w.HintText(), expected);
        QCOMPARE(controls(w).ListView1->hintText(), expected);
        QTest::mouseMove(controls(w).ListView1->viewport(), QPoint(5, controls(w).ListView1->viewport()->height() - 5));
        QCOMPARE(w.HintText(), QString());
        QCOMPARE(controls(w).ListView1->hintText(), expected);
    }

    void fillErrorShowsFailureAndLeavesWindowUsable()
    {
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        TFrmMain &w = f->openShown();
        f->db().execute(QStringLiteral("DROP VIEW address_1"));
        w.P_FillList();
        f->db().execute(viewStatement());
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, QStringLiteral("error!!!"));
        QCOMPARE(Dialogs::recorded().first().caption, QStringLiteral("error"));
        QCOMPARE(f->captions(), QStringList{"www.a.com"}); // what was shown stays
        w.P_FillList();
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条1记录"));
    }
};

VESTRANE_TEST_MAIN(TestMainList)
#include "tst_mainlist.moc"
