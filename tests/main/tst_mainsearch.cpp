// The search tab: matching, the count, the history and its trimming.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include "data/Schema.h"
#include "data/SearchStore.h"
#include "main/AddressListModel.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTreeWidget>

class TestMainSearch : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    MainWindow &openOnSearchTab()
    {
        MainWindow &w = f->open();
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qFatal("main window not shown");
        w.leftTabs()->setCurrentIndex(1);
        return w;
    }

    // Types the text into the search box and presses Enter, as a user does.
    void search(MainWindow &w, const QString &text)
    {
        // keyClicks cannot type Chinese: the text is put in, the Enter is pressed.
        w.searchPane()->searchBox()->lineEdit()->setText(text);
        QTest::keyClick(w.searchPane()->searchBox()->lineEdit(), Qt::Key_Return);
    }

    QStringList dropDown(MainWindow &w)
    {
        QStringList items;
        for (int i = 0; i < w.searchPane()->searchBox()->count(); ++i)
            items << w.searchPane()->searchBox()->itemText(i);
        return items;
    }

    QStringList stored() { return SearchStore::history(f->db()); }

private Q_SLOTS:
    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init()
    {
        f->reset();
        f->db().execute(QStringLiteral("DELETE FROM Search"));
        f->add(QStringLiteral("www.Example.com/news"), QStringLiteral("新闻首页"), QStringLiteral("新闻"));
        f->add(QStringLiteral("shop.cn/50%_off"), QStringLiteral("it's a sale"), QStringLiteral("购物"));
        f->add(QStringLiteral("www.a.com"), QStringLiteral("例子"), QStringLiteral("新闻"), 3,
               QStringLiteral("2024-03-05"), true);
        f->add(QStringLiteral("www.a.com"), QStringLiteral("例子"), QStringLiteral("购物"));
        f->add(QStringLiteral("x.y"), QStringLiteral("x_y"), QStringLiteral("购物"));
    }

    void cleanupTestCase() { f.reset(); }

    void matchesAddressOrNameLiterally_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("address, other letter case")
            << QStringLiteral("EXAMPLE") << QStringList{QStringLiteral("www.Example.com/news")};
        QTest::newRow("name") << QStringLiteral("sale") << QStringList{QStringLiteral("shop.cn/50%_off")};
        QTest::newRow("chinese in both groups")
            << QStringLiteral("例子") << QStringList{QStringLiteral("www.a.com"), QStringLiteral("www.a.com")};
        QTest::newRow("apostrophe") << QStringLiteral("it's") << QStringList{QStringLiteral("shop.cn/50%_off")};
        QTest::newRow("percent is no wildcard")
            << QStringLiteral("%") << QStringList{QStringLiteral("shop.cn/50%_off")};
        QTest::newRow("underscore is no wildcard") << QStringLiteral("x_y") << QStringList{QStringLiteral("x.y")};
        QTest::newRow("underscore alone")
            << QStringLiteral("_") << QStringList{QStringLiteral("shop.cn/50%_off"), QStringLiteral("x.y")};
        QTest::newRow("nothing") << QStringLiteral("zzz") << QStringList{};
    }

    void matchesAddressOrNameLiterally()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        MainWindow &w = openOnSearchTab();
        const QString groupBefore = w.currentGroup();
        search(w, text);
        QCOMPARE(f->captions(), expected);
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条%1记录").arg(expected.size()));
        QCOMPARE(w.currentGroup(), groupBefore);
        QCOMPARE(w.groupTreePane()->tree()->currentItem()->text(0), GroupTreePane::rootLabel());
        QCOMPARE(stored(), QStringList{text});
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    void resultRowsCarryColumnsAndPictures()
    {
        MainWindow &w = openOnSearchTab();
        search(w, QStringLiteral("www.a.com"));
        QCOMPARE(f->column(4), (QStringList{QStringLiteral("新闻"), QStringLiteral("购物")}));
        QCOMPARE(f->column(3), (QStringList{QStringLiteral("3"), QStringLiteral("0")}));
        QCOMPARE(MainFixture::imageOf(w, 0), 1);
        QCOMPARE(MainFixture::imageOf(w, 1), 3);
    }

    // A result of more rows than a page shows that page at once; the list and the count
    // panel end with every row found.
    void largeResultEndsWithEveryRowCounted()
    {
        const int all = AddressListModel::PageSize + 40;
        for (int i = 0; i < all; ++i)
            f->add(QStringLiteral("big.example/%1").arg(i), QStringLiteral("大"), QStringLiteral("新闻"));
        MainWindow &w = openOnSearchTab();
        search(w, QStringLiteral("BIG.EXAMPLE/"));
        QTRY_COMPARE(w.statusPanelText(2), QStringLiteral("共条%1记录").arg(all));
        const QStringList captions = f->captions();
        QCOMPARE(captions.size(), all);
        QCOMPARE(captions.last(), QStringLiteral("big.example/%1").arg(all - 1));
    }

    void emptyTextListsEverythingAndStoresNothing()
    {
        MainWindow &w = openOnSearchTab();
        QTest::mouseClick(w.searchPane()->searchButton(), Qt::LeftButton);
        QCOMPARE(f->captions().size(), 5);
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条5记录"));
        QVERIFY(stored().isEmpty());
    }

    void historyIsNewestFirstWithDuplicatesAndTypedTextSurvives()
    {
        MainWindow &w = openOnSearchTab();
        search(w, QStringLiteral("a"));
        search(w, QStringLiteral("新闻"));
        search(w, QStringLiteral("a"));
        QCOMPARE(dropDown(w), (QStringList{QStringLiteral("a"), QStringLiteral("新闻"), QStringLiteral("a")}));
        QCOMPARE(stored(), dropDown(w));
        QCOMPARE(w.searchPane()->searchBox()->currentText(), QStringLiteral("a"));

        w.searchPane()->searchBox()->lineEdit()->setText(QStringLiteral("半截"));
        w.loadSearchHistory();
        QCOMPARE(w.searchPane()->searchBox()->currentText(), QStringLiteral("半截"));
        QCOMPARE(w.searchPane()->searchBox()->count(), 3);
    }

    void historyIsTrimmedToNineteenAfterShowingTwenty()
    {
        for (int i = 1; i <= 19; ++i)
            SearchStore::save(f->db(), QStringLiteral("old%1").arg(i));
        MainWindow &w = openOnSearchTab();
        QCOMPARE(w.searchPane()->searchBox()->count(), 19);

        search(w, QStringLiteral("new"));
        QCOMPARE(w.searchPane()->searchBox()->count(), 20); // all that was stored, before trimming
        QCOMPARE(w.searchPane()->searchBox()->itemText(0), QStringLiteral("new"));
        QCOMPARE(w.searchPane()->searchBox()->itemText(19), QStringLiteral("old1"));
        QCOMPARE(stored().size(), 19);
        QVERIFY(!stored().contains(QStringLiteral("old1")));

        w.loadSearchHistory();
        QCOMPARE(w.searchPane()->searchBox()->count(), 19);
    }

    void switchingToTheSearchTabReloadsTheHistory()
    {
        MainWindow &w = openOnSearchTab();
        QCOMPARE(w.searchPane()->searchBox()->count(), 0);
        SearchStore::save(f->db(), QStringLiteral("elsewhere"));
        w.leftTabs()->setCurrentIndex(0);
        QCOMPARE(w.searchPane()->searchBox()->count(), 0);
        w.leftTabs()->setCurrentIndex(1);
        QCOMPARE(dropDown(w), QStringList{QStringLiteral("elsewhere")});
    }

    // The drop-down holds the stored history only. The reload after a search empties the
    // box, so an item that the box itself inserted on Enter is seen only as it comes in.
    void enterDoesNotAddTheTypedTextAsAnItem()
    {
        MainWindow &w = openOnSearchTab();
        f->db().execute(
            QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Search BEGIN SELECT RAISE(ABORT, 'full'); END"));
        QSignalSpy inserted(w.searchPane()->searchBox()->model(), &QAbstractItemModel::rowsInserted);
        search(w, QStringLiteral("typed"));
        QCOMPARE(inserted.count(), 0); // no history was stored, so nothing may come in
        QCOMPARE(w.searchPane()->searchBox()->count(), 0); // the failed save is silent and adds nothing
        QCOMPARE(w.searchPane()->searchBox()->currentText(), QStringLiteral("typed"));
        QCOMPARE(f->captions().size(), 0);
        QVERIFY(Dialogs::recorded().isEmpty());
        f->db().execute(QStringLiteral("DROP TRIGGER refuse"));
    }

    void typedLettersAreSearchedAsTypedNotCompletedFromTheHistory()
    {
        SearchStore::save(f->db(), QStringLiteral("sina"));
        MainWindow &w = openOnSearchTab();
        QTest::keyClicks(w.searchPane()->searchBox(), QStringLiteral("s"));
        QCOMPARE(w.searchPane()->searchBox()->currentText(), QStringLiteral("s"));
        QTest::keyClick(w.searchPane()->searchBox(), Qt::Key_Return);
        QCOMPARE(f->captions(),
                 (QStringList{QStringLiteral("www.Example.com/news"), QStringLiteral("shop.cn/50%_off")}));
        QCOMPARE(dropDown(w), (QStringList{QStringLiteral("s"), QStringLiteral("sina")}));
        QCOMPARE(w.searchPane()->searchBox()->currentText(), QStringLiteral("s"));
    }

    // The button acts as a dialog's default button would, once per Enter, wherever the
    // focus is on the search tab; keys elsewhere do not search.
    void enterAnywhereOnTheSearchTabSearchesOnce()
    {
        MainWindow &w = openOnSearchTab();
        w.searchPane()->searchBox()->lineEdit()->setText(QStringLiteral("news"));
        QTest::keyClick(w.searchPane()->searchButton(), Qt::Key_Return);
        QCOMPARE(f->captions(), QStringList{QStringLiteral("www.Example.com/news")});
        QCOMPARE(stored(), QStringList{QStringLiteral("news")});

        w.searchPane()->searchBox()->lineEdit()->setText(QStringLiteral("sale"));
        QTest::keyClick(w.searchPane()->promptLabel(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f->captions(), QStringList{QStringLiteral("shop.cn/50%_off")});
        QCOMPARE(stored(), (QStringList{QStringLiteral("sale"), QStringLiteral("news")}));

        QTest::keyClick(w.groupTreePane()->tree(), Qt::Key_Return);
        QTest::keyClick(w.searchPane()->searchButton(), Qt::Key_Space);
        QCOMPARE(stored().size(), 3);
    }

    // A pasted text longer than a line edit takes by default is searched and remembered
    // whole: an address holding only its first 32,767 characters is no match.
    void aVeryLongPastedTextIsSearchedAndStoredWhole()
    {
        const QString text = QStringLiteral("长long").repeated(8000);
        const QString whole = QStringLiteral("whole.example/") + text;
        f->add(QStringLiteral("cut.example/") + text.left(32767), QStringLiteral("截断"), QStringLiteral("新闻"));
        f->add(whole, QStringLiteral("完整"), QStringLiteral("新闻"));
        MainWindow &w = openOnSearchTab();
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(w.searchPane()->searchBox(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.searchPane()->searchBox()->currentText().size(), text.size());
        QTest::keyClick(w.searchPane()->searchBox(), Qt::Key_Return);
        QVERIFY(f->captions() == QStringList{whole});
        QVERIFY(stored() == QStringList{text});
        QVERIFY(w.searchPane()->searchBox()->currentText() == text);
        QVERIFY(w.searchPane()->searchBox()->itemText(0) == text);
    }

    void aFailedSearchSaysErrorAndRemembersNothing()
    {
        MainWindow &w = openOnSearchTab();
        search(w, QStringLiteral("www"));
        QCOMPARE(f->captions().size(), 3);
        f->db().execute(QStringLiteral("DROP VIEW address_1"));
        search(w, QStringLiteral("www"));
        for (const QString &statement : Schema::statements()) {
            if (statement.startsWith(QStringLiteral("CREATE VIEW address_1")))
                f->db().execute(statement);
        }
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, QStringLiteral("error!!!"));
        QCOMPARE(Dialogs::recorded().first().caption, QStringLiteral("error"));
        QCOMPARE(stored(), QStringList{QStringLiteral("www")});
        QVERIFY(w.isVisible());
    }
};

VESTRANE_TEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
