// The group tree's right button, popup menu and group commands, checked against the
// database after each command.
#include "MainTestSupport.h"
#include "UserInput.h"
#include "TestEnv.h"

#include "LoopbackWebServer.h"

#include "editor/AddressEditor.h"
#include "links/LinkStore.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QContextMenuEvent>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

// Lets a closed label editor go and the window handle the end of the edit.
void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

QStringList childLabels(const QTreeWidgetItem *node)
{
    QStringList labels;
    for (int i = 0; i < node->childCount(); ++i)
        labels << node->child(i)->text(0);
    return labels;
}

} // namespace

class TestMainTreeCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    QTreeWidgetItem *node(const QString &label) const
    {
        for (QTreeWidgetItemIterator it(f->window->groupTreePane()->tree()); *it; ++it) {
            if ((*it)->text(0) == label)
                return *it;
        }
        return nullptr;
    }

    QTreeWidgetItem *root() const { return f->window->groupTreePane()->tree()->topLevelItem(0); }

    void rightClick(QTreeWidgetItem *target)
    {
        QTreeWidget *tree = f->window->groupTreePane()->tree();
        QTest::mousePress(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(target).center());
    }

    // Chooses an item of the menu that a right click on a node opened.
    static bool choose(QAction *item) { return chooseMenuItem(qobject_cast<QMenu *>(item->parent()), item); }

    QLineEdit *labelEditor() const
    {
        QTreeWidget *tree = f->window->groupTreePane()->tree();
        return qobject_cast<QLineEdit *>(tree->indexWidget(tree->currentIndex()));
    }

    // Types into the open label editor and ends the edit with the key.
    void endEdit(const QString &text, Qt::Key key = Qt::Key_Return)
    {
        QLineEdit *editor = labelEditor();
        QVERIFY2(editor, "no label editor is open");
        editor->setText(text);
        QTest::keyClick(editor, key);
        settle();
    }

    // The tree holds the stored groups in their order, the list the listing of the
    // current group, and no editor is left open.
    void expectScreenMatchesDatabase()
    {
        MainWindow &w = *f->window;
        QStringList groups = childLabels(root());
        groups.removeAll(GroupTreePane::binLabel()); // what the deletes kept
        QCOMPARE(groups, GroupStore::groupNames(f->db()));
        QCOMPARE(w.groupTreePane()->tree()->topLevelItemCount(), 2);
        QCOMPARE(w.groupTreePane()->tree()->topLevelItem(1)->text(0), GroupTreePane::favouritesLabel());
        const AddressFilter filter = w.currentGroup() == GroupTreePane::rootLabel() ? AddressFilter::all()
            : w.currentGroup() == GroupTreePane::favouritesLabel()                  ? AddressFilter::favourites()
                                                                   : AddressFilter::group(w.currentGroup());
        QStringList stored, storedGroups;
        for (const AddressRecord &record : AddressStore::list(f->db(), filter)) {
            stored << record.address;
            storedGroups << record.groupName;
        }
        QCOMPARE(f->captions(), stored);
        QCOMPARE(f->column(4), storedGroups);
    }

    int addressCount(const QString &groupName)
    {
        QSqlQuery query =
            f->db().query(QStringLiteral("SELECT COUNT(*) FROM address a JOIN BaseGroup g ON a.GroupNo = g.GroupNo "
                                         "WHERE g.GroupName = ?"),
                          {groupName});
        return query.next() ? query.value(0).toInt() : -1;
    }

private Q_SLOTS:
    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init()
    {
        f->reset();
        f->group(QStringLiteral("IE收藏夹"));
        f->add(QStringLiteral("www.a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.b.com"), QStringLiteral("乙"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.c.com"), QStringLiteral("丙"), QStringLiteral("软件"), 0,
               QStringLiteral("2024-03-05"), true);
        f->add(QStringLiteral("www.ie.com"), QStringLiteral("导入"), QStringLiteral("IE收藏夹"));
    }

    void cleanupTestCase() { f.reset(); }

    void rightButtonSelectsListsAndOpensTheMenu()
    {
        MainWindow &w = f->openShown();
        QTreeWidgetItem *news = node(QStringLiteral("新闻"));
        rightClick(news);
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), news);
        QCOMPARE(w.currentGroup(), QStringLiteral("新闻"));
        QCOMPARE(f->captions(), (QStringList{"www.a.com", "www.b.com"}));
        QVERIFY(w.groupTreePane()->menu()->isVisible());
        const QPoint pointer = w.groupTreePane()->tree()->viewport()->mapToGlobal(
            w.groupTreePane()->tree()->visualItemRect(news).center());
        QCOMPARE(w.groupTreePane()->menu()->pos(), pointer);
        w.groupTreePane()->menu()->hide();

        // Empty space: nothing changes.
        QTest::mousePress(w.groupTreePane()->tree()->viewport(), Qt::RightButton, {},
                          QPoint(5, w.groupTreePane()->tree()->viewport()->height() - 3));
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), news);
        QVERIFY(!w.groupTreePane()->menu()->isVisible());

        // The import group is listed but offers no menu; "收藏夹" offers only the export.
        rightClick(node(QStringLiteral("IE收藏夹")));
        QCOMPARE(w.currentGroup(), QStringLiteral("IE收藏夹"));
        QCOMPARE(f->captions(), QStringList{"www.ie.com"});
        QVERIFY(!w.groupTreePane()->menu()->isVisible());
        rightClick(w.groupTreePane()->favouritesNode());
        QCOMPARE(f->captions(), QStringList{"www.c.com"});
        QVERIFY(w.groupTreePane()->menu()->isVisible());
        QVERIFY(w.groupTreePane()->exportAction()->isVisible() && !w.groupTreePane()->addAddressAction()->isVisible());
        w.groupTreePane()->menu()->hide();

        // The left button lists without a menu.
        QTest::mouseClick(w.groupTreePane()->tree()->viewport(), Qt::LeftButton, {},
                          w.groupTreePane()->tree()->visualItemRect(root()).center());
        QCOMPARE(w.currentGroup(), GroupTreePane::rootLabel());
        QVERIFY(!w.groupTreePane()->menu()->isVisible());
        // Choosing "收藏夹" folds the open root above it: the click still lists it.
        QTest::mouseClick(w.groupTreePane()->tree()->viewport(), Qt::LeftButton, {},
                          w.groupTreePane()->tree()->visualItemRect(w.groupTreePane()->favouritesNode()).center());
        QCOMPARE(w.currentGroup(), GroupTreePane::favouritesLabel());
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), w.groupTreePane()->favouritesNode());
        QCOMPARE(f->captions(), QStringList{"www.c.com"});
        QTRY_VERIFY(!root()->isExpanded());
    }

    void menusFollowTheChosenNode()
    {
        MainWindow &w = f->openShown();
        const QList<QAction *> treeItems{w.groupTreePane()->addAddressAction(), w.groupTreePane()->renameGroupAction(),
                                         w.groupTreePane()->addGroupAction(), w.groupTreePane()->deleteGroupAction()};
        const QList<QAction *> listItems{
            w.addressListPane()->addAddressAction(), w.addressListPane()->changeAddressAction(),
            w.addressListPane()->deleteAddressAction(), w.addressListPane()->addFavouriteAction(),
            w.addressListPane()->removeFavouriteAction()};
        auto visible = [](const QList<QAction *> &items) {
            QList<bool> shown;
            for (QAction *item : items)
                shown << item->isVisible();
            return shown;
        };
        const QList<bool> allTree{true, true, true, true};
        const QList<bool> noTree{false, false, false, false};
        // Until the first tree click every item is offered.
        QCOMPARE(visible(treeItems), allTree);
        QCOMPARE(visible(listItems), (QList<bool>{true, true, true, true, true}));
        for (const QString &label : {QStringLiteral("网址"), QStringLiteral("新闻"), QStringLiteral("IE收藏夹")}) {
            rightClick(node(label));
            w.groupTreePane()->menu()->hide();
            QCOMPARE(visible(treeItems), allTree);
            QCOMPARE(visible(listItems), (QList<bool>{true, true, true, true, false}));
        }
        rightClick(w.groupTreePane()->favouritesNode());
        QCOMPARE(visible(treeItems), noTree);
        QCOMPARE(visible(listItems), (QList<bool>{true, true, true, false, true}));
    }

    void addGroupStoresTheTypedName()
    {
        MainWindow &w = f->openShown();
        rightClick(node(QStringLiteral("软件")));
        QVERIFY(choose(w.groupTreePane()->addGroupAction())); // chosen on a group: the new node still goes under "网址"
        QVERIFY(w.groupTreePane()->isAddingGroup());
        QCOMPARE(root()->childCount(), 4);
        QTreeWidgetItem *added = root()->child(3);
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), added);
        QCOMPARE(added->text(0), QString());
        QCOMPARE(w.currentGroup(), QStringLiteral("软件")); // selecting the new node lists nothing
        const QString name = QStringLiteral(" 朋友's \"站\" ");
        endEdit(name);
        QCOMPARE(added->text(0), name);
        QVERIFY(GroupStore::groupNoOf(f->db(), name).has_value());
        QVERIFY(Dialogs::recorded().isEmpty());
        expectScreenMatchesDatabase();
        // The label can't be edited by the user.
        QTest::mouseDClick(w.groupTreePane()->tree()->viewport(), Qt::LeftButton, {},
                           w.groupTreePane()->tree()->visualItemRect(added).center());
        QTest::keyClick(w.groupTreePane()->tree(), Qt::Key_F2);
        QVERIFY(!labelEditor());
    }

    void addGroupThatStoresNothingLeavesNoNode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("box");
        QTest::newRow("empty") << QString() << int(Qt::Key_Return) << QString();
        QTest::newRow("blanks") << QStringLiteral("   ") << int(Qt::Key_Return) << QString();
        QTest::newRow("cancelled") << QStringLiteral("x") << int(Qt::Key_Escape) << QString();
        QTest::newRow("existing name") << QStringLiteral("新闻") << int(Qt::Key_Return)
                                       << QStringLiteral("该组别已存在！");
        QTest::newRow("refused by the database")
            << QStringLiteral("坏") << int(Qt::Key_Return) << QStringLiteral("error!!!");
    }

    void addGroupThatStoresNothingLeavesNoNode()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, box);
        f->other().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON BaseGroup WHEN NEW.GroupName = '坏' "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        MainWindow &w = f->openShown();
        QTreeWidgetItem *news = node(QStringLiteral("新闻"));
        rightClick(news);
        QVERIFY(choose(w.groupTreePane()->addGroupAction()));
        endEdit(typed, Qt::Key(key));
        QCOMPARE(GroupStore::groupNames(f->db()), (QStringList{"IE收藏夹", "新闻", "软件"}));
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), news);
        if (box.isEmpty())
            QVERIFY(Dialogs::recorded().isEmpty());
        else
            MainFixture::expectOnlyBox(
                box, box == QStringLiteral("error!!!") ? QStringLiteral("error") : QStringLiteral("提示"));
        expectScreenMatchesDatabase();
    }

    void renameGroup()
    {
        MainWindow &w = f->openShown();
        QTreeWidgetItem *news = node(QStringLiteral("新闻"));
        rightClick(news);
        QVERIFY(choose(w.groupTreePane()->renameGroupAction()));
        QVERIFY(!w.groupTreePane()->isAddingGroup());
        QCOMPARE(labelEditor()->text(), QStringLiteral("新闻"));
        endEdit(QStringLiteral("要闻 'x'"));
        QCOMPARE(news->text(0), QStringLiteral("要闻 'x'"));
        QCOMPARE(w.currentGroup(), QStringLiteral("要闻 'x'"));
        QCOMPARE(addressCount(QStringLiteral("要闻 'x'")), 2);
        QVERIFY(Dialogs::recorded().isEmpty());
        expectScreenMatchesDatabase();
        // A second rename right away starts from the new name.
        rightClick(news);
        QVERIFY(choose(w.groupTreePane()->renameGroupAction()));
        endEdit(QStringLiteral("新闻"));
        QCOMPARE(addressCount(QStringLiteral("新闻")), 2);
        expectScreenMatchesDatabase();
    }

    void renameThatStoresNothingKeepsTheOldLabel_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("box");
        QTest::newRow("blanks") << QStringLiteral("  ") << int(Qt::Key_Return) << QString();
        QTest::newRow("cancelled") << QStringLiteral("x") << int(Qt::Key_Escape) << QString();
        QTest::newRow("existing name") << QStringLiteral("软件") << int(Qt::Key_Return)
                                       << QStringLiteral("该组别已存在！");
        QTest::newRow("refused by the database")
            << QStringLiteral("坏") << int(Qt::Key_Return) << QStringLiteral("error!!!");
    }

    void renameThatStoresNothingKeepsTheOldLabel()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, box);
        f->other().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON BaseGroup WHEN NEW.GroupName = '坏' "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        MainWindow &w = f->openShown();
        QTreeWidgetItem *news = node(QStringLiteral("新闻"));
        rightClick(news);
        QVERIFY(choose(w.groupTreePane()->renameGroupAction()));
        endEdit(typed, Qt::Key(key));
        QCOMPARE(news->text(0), QStringLiteral("新闻"));
        QCOMPARE(GroupStore::groupNames(f->db()), (QStringList{"IE收藏夹", "新闻", "软件"}));
        if (box.isEmpty())
            QVERIFY(Dialogs::recorded().isEmpty());
        else
            MainFixture::expectOnlyBox(
                box, box == QStringLiteral("error!!!") ? QStringLiteral("error") : QStringLiteral("提示"));
        expectScreenMatchesDatabase();
    }

    void renameIsRefusedOutsideGroupsAndOnTheImportGroup()
    {
        MainWindow &w = f->openShown();
        rightClick(node(QStringLiteral("软件")));
        QVERIFY(choose(w.groupTreePane()->addGroupAction()));
        endEdit(QString(), Qt::Key_Escape);
        QVERIFY(w.groupTreePane()->isAddingGroup());
        rightClick(root());
        QVERIFY(choose(w.groupTreePane()->renameGroupAction()));
        QVERIFY(!w.groupTreePane()->isAddingGroup());
        QVERIFY(!labelEditor());
        // The import group offers no menu at all; its label can't be edited either.
        rightClick(node(QStringLiteral("IE收藏夹")));
        QVERIFY(!w.groupTreePane()->menu()->isVisible());
        QVERIFY(!w.groupTreePane()->mayEditLabel(node(QStringLiteral("IE收藏夹"))));
        QTreeWidgetItem blankLabel(QStringList{QStringLiteral(" ")});
        QVERIFY(!w.groupTreePane()->mayEditLabel(&blankLabel));
        expectScreenMatchesDatabase();
    }

    void deleteGroupWithItsAddresses()
    {
        MainWindow &w = f->openShown();
        rightClick(node(QStringLiteral("新闻")));
        QVERIFY(choose(w.groupTreePane()->deleteGroupAction()));
        QVERIFY(Dialogs::recorded().isEmpty());
        QCOMPARE(GroupStore::groupNames(f->db()), (QStringList{"IE收藏夹", "软件"}));
        QCOMPARE(addressCount(QStringLiteral("新闻")), 0);
        QCOMPARE(AddressStore::list(f->db(), AddressFilter::all()).size(), size_t(2));
        // The next node is chosen and listed.
        QCOMPARE(w.groupTreePane()->tree()->currentItem()->text(0), QStringLiteral("软件"));
        QCOMPARE(w.currentGroup(), QStringLiteral("软件"));
        expectScreenMatchesDatabase();
        // After the last group comes "收藏夹".
        rightClick(node(QStringLiteral("软件")));
        QVERIFY(choose(w.groupTreePane()->deleteGroupAction()));
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), w.groupTreePane()->favouritesNode());
        QCOMPARE(w.currentGroup(), GroupTreePane::favouritesLabel());
        expectScreenMatchesDatabase();
    }

    void deleteGroupIsOneTransaction()
    {
        // The group's row is refused after its addresses went: they come back.
        f->other().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON BaseGroup "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        MainWindow &w = f->openShown();
        QTreeWidgetItem *news = node(QStringLiteral("新闻"));
        rightClick(news);
        QVERIFY(choose(w.groupTreePane()->deleteGroupAction()));
        MainFixture::expectOnlyBox(QStringLiteral("error!!!"), QStringLiteral("error"));
        QCOMPARE(addressCount(QStringLiteral("新闻")), 2);
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), news);
        expectScreenMatchesDatabase();
    }

    void deleteOnTheRootOrTheFavouritesChangesNothing()
    {
        f->add(QStringLiteral("www.root.com"), QStringLiteral("根"), GroupTreePane::rootLabel());
        f->add(QStringLiteral("www.fav.com"), QStringLiteral("藏"), GroupTreePane::favouritesLabel());
        MainWindow &w = f->openShown();
        rightClick(root());
        QVERIFY(choose(w.groupTreePane()->deleteGroupAction()));
        QCOMPARE(w.groupTreePane()->tree()->currentItem(), root());
        rightClick(w.groupTreePane()->favouritesNode());
        QVERIFY(!w.groupTreePane()->deleteGroupAction()->isVisible()); // "收藏夹" offers no delete
        QCOMPARE(GroupStore::groupNames(f->db()), (QStringList{"IE收藏夹", "新闻", "软件", "网址", "收藏夹"}));
        QCOMPARE(AddressStore::list(f->db(), AddressFilter::all()).size(), size_t(6));
        QCOMPARE(root()->childCount(), 5);
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    void addAddressFromTheTreeListsItAfterwards()
    {
        MainWindow &w = f->openShown();
        AddressEditor editor;
        w.setEditor(&editor);
        rightClick(node(QStringLiteral("软件")));
        QString proposed;
        QTimer::singleShot(0, &editor, [&] {
            if (!QTest::qWaitForWindowActive(&editor)) {
                editor.close();
                return;
            }
            proposed = editor.controls().groupList->currentItem() ? editor.controls().groupList->currentItem()->text()
                                                                  : QString();
            editor.controls().addressEdit->setText(QStringLiteral("http://www.new.com/"));
            editor.controls().nameEdit->setText(QStringLiteral("新站"));
            editor.controls().saveButton->click();
            if (editor.isVisible())
                editor.close();
        });
        QVERIFY(choose(w.groupTreePane()->addAddressAction()));
        QCOMPARE(proposed, QStringLiteral("软件"));
        MainFixture::expectOnlyBox(QStringLiteral("保存成功！!"), QStringLiteral("保存"));
        QCOMPARE(f->captions(), (QStringList{"www.c.com", "www.new.com"}));
        expectScreenMatchesDatabase();
        w.setEditor(nullptr);
    }

    // "检查链接" on a group checks its addresses behind a progress dialog, keeps the
    // results and says what it found ("收藏夹" does not offer it); then the list offers
    // each row the fix its check found, and only that one.
    void linkCheckOfAGroupAndItsFixes()
    {
        quint16 port = 0;
        LoopbackWebServer server([&port](const LoopbackWebServer::Request &request) {
            if (request.path == "/fine")
                return LoopbackWebServer::Answer{200, {}, "<title>好网页</title>"};
            if (request.path == "/moved")
                return LoopbackWebServer::Answer{
                    301, {{"Location", "http://127.0.0.1:" + QByteArray::number(port) + "/fine"}}, {}};
            return LoopbackWebServer::Answer{404, {}, {}};
        });
        port = server.listen();
        const QString site = QStringLiteral("127.0.0.1:%1").arg(port);
        f->add(site + QStringLiteral("/fine"), QString(), QStringLiteral("链接"));
        f->add(site + QStringLiteral("/gone"), QStringLiteral("坏"), QStringLiteral("链接"));
        f->add(site + QStringLiteral("/moved"), QStringLiteral("搬"), QStringLiteral("链接"));
        MainWindow &w = f->openShown();
        auto *checkLinks = w.groupTreePane()->checkLinksAction();
        rightClick(w.groupTreePane()->favouritesNode());
        QVERIFY(!checkLinks->isVisible());
        w.groupTreePane()->menu()->hide();
        rightClick(node(QStringLiteral("链接")));
        QVERIFY(choose(checkLinks));
        MainFixture::expectOnlyBox(QStringLiteral("检查了 3 个网址：正常 1，已搬迁 1，失效 1，无法访问 0，未检查 0。\n"
                                                  "列表的右键菜单可将 1 个网址改为新网址，为 1 个网址使用网页标题。"),
                                   Dialogs::applicationTitle());
        const std::optional<LinkStore::StoredCheck> gone = LinkStore::checkOf(f->db(), site + QStringLiteral("/gone"));
        QVERIFY(gone && gone->status == LinkStatus::Broken && gone->httpCode == 404);

        auto *newAddress = w.addressListPane()->takeNewAddressAction();
        auto *pageTitle = w.addressListPane()->usePageTitleAction();
        const auto rightClickRow = [&w](int row) {
            AddressListView *list = w.addressListPane()->view();
            const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
            QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
            QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &menuEvent);
        };
        rightClickRow(1);
        QVERIFY(!newAddress->isVisible() && !pageTitle->isVisible());
        w.addressListPane()->menu()->hide();
        rightClickRow(2);
        QVERIFY(newAddress->isVisible() && !pageTitle->isVisible());
        QVERIFY(choose(newAddress));
        rightClickRow(0);
        QVERIFY(!newAddress->isVisible() && pageTitle->isVisible());
        QVERIFY(choose(pageTitle));
        QVERIFY(Dialogs::recorded().isEmpty());
        QCOMPARE(f->captions(),
                 (QStringList{site + QStringLiteral("/fine"), site + QStringLiteral("/gone"),
                              site + QStringLiteral("/fine")}));
        QCOMPARE(f->column(1), (QStringList{QStringLiteral("好网页"), QStringLiteral("坏"), QStringLiteral("搬")}));

        // The check's results bring the node of the failing addresses, which is no group.
        QTRY_VERIFY_WITH_TIMEOUT(node(GroupTreePane::failingLabel()), 1000);
        rightClick(node(GroupTreePane::failingLabel()));
        QVERIFY(!w.groupTreePane()->menu()->isVisible());
        QCOMPARE(f->captions(), QStringList{site + QStringLiteral("/gone")});
    }
};

VESTRANE_TEST_MAIN(TestMainTreeCommands)
#include "tst_maintreecommands.moc"
