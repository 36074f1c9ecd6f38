// The address list's popup menu: add, change, delete, mark and unmark, with an address
// stored in two groups, checked against the database.
#include "MainTestSupport.h"
#include "UserInput.h"
#include "TestEnv.h"

#include "data/GroupStore.h"
#include "data/RecycleBin.h"
#include "editor/AddressEditor.h"
#include "main/MainPictures.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

class TestMainListCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;
    AddressEditor *m_editor = nullptr;

    const QString shared = QStringLiteral("www.shared.com/it's");

    // The row of the address in the group, as listed now.
    int rowOf(const QString &address, const QString &group) const
    {
        const QStringList captions = f->captions();
        const QStringList groups = f->column(4);
        for (int row = 0; row < captions.size(); ++row) {
            if (captions[row] == address && groups[row] == group)
                return row;
        }
        return -1;
    }

    // A right click on the row: the row is chosen and the menu opens.
    void rightClickRow(int row)
    {
        AddressListView *list = f->window->addressListPane()->view();
        const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, at);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &menuEvent);
    }

    // A right click on the address's row of the group: the row is chosen and the menu is
    // left open.
    void chooseRow(const QString &address, const QString &group)
    {
        const int row = rowOf(address, group);
        QVERIFY(row >= 0);
        rightClickRow(row);
        QVERIFY(f->window->addressListPane()->menu()->isVisible());
        QCOMPARE(f->window->addressListPane()->view()->selectedRow(), row);
        QCOMPARE(f->window->currentAddress(), address);
    }

    // A right click below the rows opens the menu without choosing a row.
    void rightClickBelowTheRows()
    {
        AddressListView *list = f->window->addressListPane()->view();
        const QPoint at(list->viewport()->width() / 2, list->viewport()->height() - 3);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &menuEvent);
    }

    // Chooses an item of the list's open menu.
    bool choose(QAction *item) const { return chooseMenuItem(f->window->addressListPane()->menu(), item); }

    void clickNode(const QString &label)
    {
        QTreeWidget *tree = f->window->groupTreePane()->tree();
        const QList<QTreeWidgetItem *> found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!found.isEmpty());
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(found.first()).center());
    }

    // Group -> favourite flag of every stored row of the address.
    QMap<QString, bool> storedFlags(const QString &address)
    {
        QMap<QString, bool> flags;
        QSqlQuery query = f->db().query(
            QStringLiteral("SELECT g.GroupName, a.MyAddress FROM address a JOIN BaseGroup g ON a.GroupNo = g.GroupNo "
                           "WHERE a.Address = ?"),
            {address});
        while (query.next())
            flags.insert(query.value(0).toString(), query.value(1).toBool());
        return flags;
    }

    int imageOf(int row) const { return MainFixture::imageOf(*f->window, row); }

    void refuseThroughTrigger(const QString &event)
    {
        f->other().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON address "
                                          "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                               .arg(event));
    }

private Q_SLOTS:
    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init()
    {
        f->reset();
        f->add(shared, QStringLiteral("共享"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.other.com"), QStringLiteral("其他"), QStringLiteral("新闻"));
        f->add(shared, QStringLiteral("共享二"), QStringLiteral("软件"));
    }

    void cleanupTestCase() { f.reset(); }

    void deleteRemovesOnlyTheChosenGroupsRow()
    {
        MainWindow &w = f->openShown();
        chooseRow(shared, QStringLiteral("新闻"));
        QVERIFY(choose(w.addressListPane()->deleteAddressAction()));
        MainFixture::expectOnlyBox(QStringLiteral("成功删除！!"), QStringLiteral("删除"));
        QCOMPARE(storedFlags(shared).keys(), QStringList{"软件"});
        QCOMPARE(f->captions(), (QStringList{"www.other.com", shared}));
        QCOMPARE(f->column(4), (QStringList{"新闻", "软件"}));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条2记录"));
    }

    // The bin's node lists what was deleted; its rows go back to their group or for good,
    // and the node goes with the last of them.
    void recycleBinRestoresPurgesAndEmpties()
    {
        MainWindow &w = f->openShown();
        const auto deleteRow = [&](const QString &address) {
            clickNode(QStringLiteral("新闻"));
            chooseRow(address, QStringLiteral("新闻"));
            QVERIFY(choose(w.addressListPane()->deleteAddressAction()));
            Dialogs::clearRecorded();
            clickNode(GroupTreePane::binLabel());
            QVERIFY(f->captions().contains(address));
            chooseRow(address, QStringLiteral("新闻"));
        };
        const auto binShown = [&] {
            return !w.groupTreePane()
                        ->tree()
                        ->findItems(GroupTreePane::binLabel(), Qt::MatchExactly | Qt::MatchRecursive)
                        .isEmpty();
        };

        deleteRow(shared);
        QVERIFY(!f->column(2).first().isEmpty()); // when it was deleted
        QVERIFY(choose(w.addressListPane()->restoreAction()));
        QCOMPARE(storedFlags(shared).keys(), (QStringList{"新闻", "软件"}));
        QVERIFY(!binShown());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); // back into the bin
        QCOMPARE(storedFlags(shared).keys(), QStringList{"软件"});
        QCOMPARE(RecycleBin::list(f->db()).size(), size_t(1));
        QVERIFY(binShown());
        QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(storedFlags(shared).size(), 2);

        // Every row chosen (Ctrl+A) goes back, or for good, as one step; a restore makes
        // their group again, with its number, when it went meanwhile.
        const std::optional<int> newsNo = GroupStore::groupNoOf(f->db(), QStringLiteral("新闻"));
        for (QAction *command : {w.addressListPane()->restoreAction(), w.addressListPane()->purgeAction()}) {
            const bool restore = command == w.addressListPane()->restoreAction();
            deleteRow(shared);
            deleteRow(QStringLiteral("www.other.com"));
            w.addressListPane()->menu()->close();
            if (restore)
                f->other().execute(QStringLiteral("DELETE FROM BaseGroup WHERE GroupName = '新闻'"));
            QTest::keyClick(w.addressListPane()->view(), Qt::Key_A, Qt::ControlModifier);
            rightClickRow(1);
            QCOMPARE(w.addressListPane()->view()->selectionModel()->selectedRows().size(), 2);
            QVERIFY(choose(command));
            QVERIFY(RecycleBin::list(f->db()).empty());
            QCOMPARE(storedFlags(shared).size(), restore ? 2 : 1);
            QCOMPARE(GroupStore::groupNoOf(f->db(), QStringLiteral("新闻")), newsNo);
            QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); // both rows back into the bin at once
            QCOMPARE(RecycleBin::list(f->db()).size(), size_t(2));
            QCOMPARE(storedFlags(shared).keys(), QStringList{"软件"});
            if (restore) {
                QVERIFY(!GroupStore::groupNoOf(f->db(), QStringLiteral("新闻")));
                QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
                QCOMPARE(storedFlags(shared).keys(), (QStringList{"新闻", "软件"}));
            }
        }
        // Elsewhere one row at most is chosen.
        clickNode(QStringLiteral("软件"));
        QTest::keyClick(w.addressListPane()->view(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(w.addressListPane()->view()->selectionModel()->selectedRows().size() <= 1);
        clickNode(GroupTreePane::binLabel());

        QTreeWidget *tree = w.groupTreePane()->tree();
        for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            Dialogs::clearRecorded();
            Dialogs::setNextAnswer(answer);
            const QPoint at = tree->visualItemRect(tree->currentItem()).center();
            QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
            QVERIFY(chooseMenuItem(w.groupTreePane()->menu(), w.groupTreePane()->emptyBinAction()));
            QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, at);
            QCOMPARE(Dialogs::recorded().size(), 1);
            QCOMPARE(Dialogs::recorded().first().caption, GroupTreePane::binLabel());
            QCOMPARE(RecycleBin::list(f->db()).size(), size_t(answer == QMessageBox::No ? 2 : 0));
        }
        QTRY_VERIFY(!binShown()); // the tree is built anew once the menus are closed
    }

    void failedDeleteKeepsTheRow_data()
    {
        QTest::addColumn<bool>("groupGone");
        QTest::newRow("refused by the database") << false;
        QTest::newRow("group no longer stored") << true;
    }

    void failedDeleteKeepsTheRow()
    {
        QFETCH(bool, groupGone);
        MainWindow &w = f->openShown();
        chooseRow(shared, QStringLiteral("新闻"));
        if (groupGone)
            f->other().execute(QStringLiteral("UPDATE BaseGroup SET GroupName = '别处' WHERE GroupName = '新闻'"));
        else
            refuseThroughTrigger(QStringLiteral("DELETE"));
        QVERIFY(choose(w.addressListPane()->deleteAddressAction()));
        MainFixture::expectOnlyBox(QStringLiteral("error!!!"), QStringLiteral("error"));
        QCOMPARE(storedFlags(shared).size(), 2);
        QCOMPARE(f->captions(), (QStringList{shared, "www.other.com", shared}));
    }

    void markSetsEveryGroupUnmarkOnlyTheChosenOne()
    {
        MainWindow &w = f->openShown();
        chooseRow(shared, QStringLiteral("软件"));
        QVERIFY(choose(w.addressListPane()->addFavouriteAction()));
        QVERIFY(Dialogs::recorded().isEmpty());
        QCOMPARE(storedFlags(shared), (QMap<QString, bool>{{"新闻", true}, {"软件", true}}));
        // Both listed rows of the address show the favourite picture.
        QCOMPARE(imageOf(0), int(MainPictures::Crystal));
        QCOMPARE(imageOf(1), int(MainPictures::Binder));
        QCOMPARE(imageOf(2), int(MainPictures::Crystal));

        clickNode(GroupTreePane::favouritesLabel());
        QCOMPARE(f->column(4), (QStringList{"新闻", "软件"}));
        chooseRow(shared, QStringLiteral("新闻"));
        QVERIFY(choose(w.addressListPane()->removeFavouriteAction()));
        QVERIFY(Dialogs::recorded().isEmpty());
        QCOMPARE(storedFlags(shared), (QMap<QString, bool>{{"新闻", false}, {"软件", true}}));
        QCOMPARE(f->column(4), QStringList{"软件"}); // the unmarked row left the favourites
        clickNode(GroupTreePane::favouritesLabel());
        QCOMPARE(f->column(4), QStringList{"软件"});
    }

    void unmarkOutsideTheFavouritesKeepsTheRow()
    {
        f->db().execute(QStringLiteral("UPDATE address SET MyAddress = 1"));
        MainWindow &w = f->openShown(); // before any tree click both favourite items are offered
        chooseRow(shared, QStringLiteral("软件"));
        QVERIFY(choose(w.addressListPane()->removeFavouriteAction()));
        QCOMPARE(storedFlags(shared), (QMap<QString, bool>{{"新闻", true}, {"软件", false}}));
        QCOMPARE(f->captions().size(), 3);
        QCOMPARE(imageOf(rowOf(shared, QStringLiteral("软件"))), int(MainPictures::Binder));
        QCOMPARE(imageOf(rowOf(shared, QStringLiteral("新闻"))), int(MainPictures::Crystal));
    }

    void failedMarkOrUnmarkChangesNothingShown()
    {
        refuseThroughTrigger(QStringLiteral("UPDATE"));
        MainWindow &w = f->openShown();
        chooseRow(shared, QStringLiteral("新闻"));
        QVERIFY(choose(w.addressListPane()->addFavouriteAction()));
        MainFixture::expectOnlyBox(QStringLiteral("error!!!"), QStringLiteral("error"));
        QCOMPARE(imageOf(0), int(MainPictures::Binder));
        QCOMPARE(imageOf(2), int(MainPictures::Binder));

        f->other().execute(QStringLiteral("DROP TRIGGER refuse"));
        f->db().execute(QStringLiteral("UPDATE address SET MyAddress = 1"));
        refuseThroughTrigger(QStringLiteral("UPDATE"));
        clickNode(GroupTreePane::favouritesLabel());
        chooseRow(shared, QStringLiteral("新闻"));
        QVERIFY(choose(w.addressListPane()->removeFavouriteAction()));
        MainFixture::expectOnlyBox(QStringLiteral("error!!!"), QStringLiteral("error"));
        QCOMPARE(f->captions(), (QStringList{shared, "www.other.com", shared}));
        QCOMPARE(storedFlags(shared), (QMap<QString, bool>{{"新闻", true}, {"软件", true}}));
    }

    void commandsNeedAChosenRow()
    {
        MainWindow &w = f->openShown();
        AddressEditor editor;
        w.setEditor(&editor);
        for (QAction *item :
             {w.addressListPane()->changeAddressAction(), w.addressListPane()->deleteAddressAction(),
              w.addressListPane()->addFavouriteAction(), w.addressListPane()->removeFavouriteAction()}) {
            rightClickBelowTheRows();
            QVERIFY(w.addressListPane()->view()->selectedRow() < 0);
            QVERIFY(choose(item));
        }
        QVERIFY(Dialogs::recorded().isEmpty());
        QVERIFY(!editor.isVisible());
        QCOMPARE(storedFlags(shared), (QMap<QString, bool>{{"新闻", false}, {"软件", false}}));
        QCOMPARE(f->captions().size(), 3);
        w.setEditor(nullptr);
    }

    void addListsTheNewAddressOfTheShownGroup()
    {
        MainWindow &w = f->openShown();
        AddressEditor editor;
        w.setEditor(&editor);
        clickNode(QStringLiteral("软件"));
        QString proposed;
        QTimer::singleShot(0, &editor, [&] {
            if (QTest::qWaitForWindowActive(&editor)) {
                proposed = editor.controls().groupList->currentItem()
                    ? editor.controls().groupList->currentItem()->text()
                    : QString();
                editor.controls().addressEdit->setText(QStringLiteral("HTTP://www.new.com/"));
                editor.controls().nameEdit->setText(QStringLiteral("新站"));
                editor.controls().saveButton->click();
            }
            if (editor.isVisible())
                editor.close();
        });
        rightClickBelowTheRows();
        QVERIFY(choose(w.addressListPane()->addAddressAction()));
        QCOMPARE(proposed, QStringLiteral("软件"));
        MainFixture::expectOnlyBox(QStringLiteral("保存成功！!"), QStringLiteral("保存"));
        QCOMPARE(f->captions(), (QStringList{shared, "www.new.com"}));
        w.setEditor(nullptr);
    }

    // Runs "修改网址" on the chosen row; the editor gets the address, name and group typed
    // in and saves. Gives what the editor showed when it opened.
    QStringList changeChosenRow(const QString &address, const QString &name, const QString &group)
    {
        AddressEditor &editor = *m_editor;
        QStringList shown;
        QTimer::singleShot(0, &editor, [&] {
            if (QTest::qWaitForWindowActive(&editor)) {
                shown << editor.captionText() << editor.controls().addressEdit->text()
                      << editor.controls().nameEdit->text()
                      << (editor.controls().groupList->currentItem()
                              ? editor.controls().groupList->currentItem()->text()
                              : QString());
                editor.controls().addressEdit->setText(address);
                editor.controls().nameEdit->setText(name);
                editor.controls().groupList->setCurrentItem(
                    editor.controls().groupList->findItems(group, Qt::MatchExactly).value(0));
                editor.controls().saveButton->click();
            }
            if (editor.isVisible())
                editor.close();
        });
        if (!choose(f->window->addressListPane()->changeAddressAction()))
            shown << QStringLiteral("the menu offers no change");
        return shown;
    }

    // The changed row shows what was saved, so that it can be changed again; the other
    // rows, the visits and the picture stay as they were.
    void changeShowsTheSavedValuesInTheRow()
    {
        f->db().execute(QStringLiteral("UPDATE address SET Times = 4, MyAddress = 1 WHERE AddressName = ?"),
                        {QStringLiteral("共享二")});
        MainWindow &w = f->openShown();
        AddressEditor editor;
        m_editor = &editor;
        w.setEditor(&editor);
        chooseRow(shared, QStringLiteral("软件"));
        const QStringList shown =
            changeChosenRow(QStringLiteral("http://www.moved.cn/"), QStringLiteral("改名"), QStringLiteral("新闻"));
        QCOMPARE(shown, (QStringList{"修改网址", shared, "共享二", "软件"}));
        MainFixture::expectOnlyBox(QStringLiteral("修改保存成功！!"), QStringLiteral("保存"));
        QCOMPARE(f->captions(), (QStringList{shared, "www.other.com", "www.moved.cn"}));
        QCOMPARE(f->column(1), (QStringList{"共享", "其他", "改名"}));
        QCOMPARE(f->column(3), (QStringList{"0", "0", "4"}));
        QCOMPARE(f->column(4), (QStringList{"新闻", "新闻", "新闻"}));
        QCOMPARE(imageOf(2), int(MainPictures::Crystal));
        QCOMPARE(w.currentAddress(), QStringLiteral("www.moved.cn"));
        QCOMPARE(w.statusPanelText(1), QStringLiteral("www.moved.cn"));

        chooseRow(QStringLiteral("www.moved.cn"), QStringLiteral("新闻"));
        changeChosenRow(QStringLiteral("www.moved.cn"), QStringLiteral("再改"), QStringLiteral("软件"));
        MainFixture::expectOnlyBox(QStringLiteral("修改保存成功！!"), QStringLiteral("保存"));
        QCOMPARE(f->column(1), (QStringList{"共享", "其他", "再改"}));
        QCOMPARE(f->column(4), (QStringList{"新闻", "新闻", "软件"}));
        const std::vector<AddressRecord> stored =
            AddressStore::list(f->db(), AddressFilter::group(QStringLiteral("软件")));
        QCOMPARE(stored.size(), size_t(1));
        QCOMPARE(stored.front().address, QStringLiteral("www.moved.cn"));
        QCOMPARE(stored.front().name, QStringLiteral("再改"));
        w.setEditor(nullptr);
    }

    // A save that changed nothing leaves the row as it was.
    void failedChangeKeepsTheRow()
    {
        MainWindow &w = f->openShown();
        AddressEditor editor;
        m_editor = &editor;
        w.setEditor(&editor);
        chooseRow(QStringLiteral("www.other.com"), QStringLiteral("新闻"));
        f->db().execute(QStringLiteral("DELETE FROM address WHERE Address = ?"), {QStringLiteral("www.other.com")});
        changeChosenRow(QStringLiteral("www.gone.com"), QStringLiteral("没了"), QStringLiteral("新闻"));
        MainFixture::expectOnlyBox(QStringLiteral("该网址已不存在，未能修改！"), QStringLiteral("保存"));
        QCOMPARE(f->captions(), (QStringList{shared, "www.other.com", shared}));
        QCOMPARE(w.currentAddress(), QStringLiteral("www.other.com"));
        w.setEditor(nullptr);
    }
};

VESTRANE_TEST_MAIN(TestMainListCommands)
#include "tst_mainlistcommands.moc"
