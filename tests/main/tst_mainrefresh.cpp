// F5 in the main window: the tree and the list anew from the database, with what the user
// sees and is doing kept.
#include "MainTestSupport.h"
#include "TestEnv.h"

#include "TestEngine.h"
#include "data/Schema.h"
#include "data/SearchStore.h"
#include "data/SettingsStore.h"
#include "links/LinkStore.h"
#include "services/AddressEditing.h"

#include <QBuffer>

#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeWidget>

class TestMainRefresh : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainFixture> f;

    static AddressListView *list(MainWindow &w) { return w.addressListPane()->view(); }
    static QTreeWidget *tree(MainWindow &w) { return w.groupTreePane()->tree(); }
    static QComboBox *searchBox(MainWindow &w) { return w.searchPane()->searchBox(); }

    MainWindow &openActive()
    {
        MainWindow &w = f->openShown();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qFatal("main window not active");
        return w;
    }

    static void pressF5(MainWindow &w) { QTest::keyClick(&w, Qt::Key_F5); }

    static void clickNode(MainWindow &w, const QString &label)
    {
        const QList<QTreeWidgetItem *> found = tree(w)->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!found.isEmpty());
        QTreeWidget *t = tree(w);
        t->scrollToItem(found.first());
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(found.first()).center());
        QCOMPARE(w.currentGroup(), label);
    }

    static QStringList groupLabels(MainWindow &w)
    {
        QStringList labels;
        const QTreeWidgetItem *root = tree(w)->topLevelItem(0);
        for (int i = 0; i < root->childCount(); ++i)
            labels << root->child(i)->text(0);
        return labels;
    }

    static QString selectedCaption(MainWindow &w)
    {
        const int row = list(w)->selectedRow();
        return row < 0 ? QString() : MainFixture::cellText(w, row, 0);
    }

    static QString topCaption(MainWindow &w) { return MainFixture::cellText(w, list(w)->rowAt(QPoint(1, 1)), 0); }

    // What another program does: a statement on its own connection.
    void elsewhere(const QString &sql, const QVariantList &values = {}) { f->other().execute(sql, values); }

    void addElsewhere(const QString &address, const QString &groupName)
    {
        const int number = f->group(groupName);
        elsewhere(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                 "AddressFolded, AddressNameFolded) VALUES (?, '', 0, '2024-05-01', ?, 0, ?, '')"),
                  {address, number, AddressStore::folded(address)});
    }

private Q_SLOTS:
    void initTestCase() { f = std::make_unique<MainFixture>(); }

    void init() { f->reset(); }
    void cleanupTestCase() { f.reset(); }

    // Whoever writes the library, the open list shows it within a second without F5, and
    // search finds it, even where the writer left the folded texts out.
    void listFollowsEveryWriter_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::newRow("save on another connection of this program") << "editor";
        QTest::newRow("import by another program") << "import";
        QTest::newRow("insert of the stored columns only") << "plain";
        QTest::newRow("another computer on the server") << "server";
        QTest::newRow("window's connection dropped by the server") << "dropped";
    }

    void listFollowsEveryWriter()
    {
        QFETCH(QString, writer);
        const bool onServer = writer == QLatin1String("server") || writer == QLatin1String("dropped");
        std::unique_ptr<TestServerDatabase> server;
        std::unique_ptr<SharedConnection> serverConnection;
        std::unique_ptr<DbConnection> serverOther;
        std::unique_ptr<MainWindow> serverWindow;
        if (onServer) {
            if (TestEngine::serverUri().isEmpty())
                QSKIP("needs the test run's PostgreSQL server (run through CTest)");
            server = std::make_unique<TestServerDatabase>();
            SettingsStore::setDatabase(server->uri());
            serverConnection = std::make_unique<SharedConnection>();
            serverConnection->init();
            serverOther = std::make_unique<DbConnection>(QStringLiteral("other-computer"));
            serverOther->setDatabaseFile(server->uri());
        }
        const auto restoreSettings = qScopeGuard([&] {
            serverWindow.reset();
            if (onServer)
                SettingsStore::setDatabase(QString());
        });
        DbConnection &db = onServer ? *serverOther : f->db();
        db.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (7, '新闻')"));
        db.execute(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                  "AddressFolded, AddressNameFolded) VALUES ('www.before.com', '前', 0, '2024-05-01', "
                                  "7, 0, 'www.before.com', '前')"));
        MainWindow *shown = nullptr;
        if (onServer) {
            serverWindow = std::make_unique<MainWindow>(*serverConnection);
            serverWindow->show();
            QVERIFY(QTest::qWaitForWindowExposed(serverWindow.get()));
            shown = serverWindow.get();
        } else {
            shown = &f->openShown();
        }
        MainWindow &w = *shown;
        const auto listed = [&] { return MainFixture::columnOf(w, 0); };
        QCOMPARE(listed(), QStringList{"www.before.com"});
        const QString address = QStringLiteral("www.Door-%1.example/Page").arg(writer);

        if (writer == QLatin1String("editor")) {
            DbConnection editor(QStringLiteral("editor"));
            configureConnection(editor);
            QVERIFY(AddressEditing(editor).add({address, QStringLiteral("门"), QStringLiteral("新闻")}).ok());
        } else if (writer == QLatin1String("import")) {
            QTemporaryDir folder;
            QFile file(folder.filePath(QStringLiteral("bookmarks.html")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://%1\">门</A>\n"
                                      "</DL><p>\n")
                           .arg(address)
                           .toUtf8());
            file.close();
            QProcess import;
            import.start(qEnvironmentVariable("VESTRANE_BINARY"), {QStringLiteral("--import"), file.fileName()});
            QVERIFY(import.waitForFinished(30000));
            QVERIFY2(import.exitCode() == 0, import.readAllStandardError().constData());
        } else if (writer == QLatin1String("plain")) {
            {
                QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
                plain.setDatabaseName(f->db().location().text());
                QVERIFY(plain.open());
                QSqlQuery insert(plain);
                QVERIFY2(insert.exec(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, "
                                                    "GroupNo, MyAddress) VALUES ('%1', '门', 0, '2024-05-01', 7, 0)")
                                         .arg(address)),
                         qPrintable(insert.lastError().text()));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("plain"));
        } else {
            if (writer == QLatin1String("dropped")) {
                db.query(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                        "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
            }
            db.execute(
                QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                               "AddressFolded, AddressNameFolded) VALUES (?, '门', 0, '2024-05-01', 7, 0, ?, '门')"),
                {address, AddressStore::folded(address)});
        }

        QTRY_VERIFY_WITH_TIMEOUT(listed().size() == 2, 1000);
        QVERIFY2(listed().contains(address, Qt::CaseInsensitive), qPrintable(listed().join(QLatin1Char(' '))));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条2记录"));
        w.runSearch(QStringLiteral("DOOR-") + writer.toUpper());
        QCOMPARE(listed().size(), 1);
        QCOMPARE(Dialogs::recorded().size(), 0);
    }

    // The group's listing with another program's changes; the node, the selected row, the
    // top row and the typed search text stay.
    void f5ShowsChangesAndKeepsTheView()
    {
        for (int i = 0; i < 80; ++i)
            f->add(QStringLiteral("www.site%1.com").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("站%1").arg(i),
                   QStringLiteral("新闻"));
        f->add(QStringLiteral("www.other.com"), QStringLiteral("别"), QStringLiteral("软件"));
        MainWindow &w = openActive();
        clickNode(w, QStringLiteral("新闻"));
        list(w)->selectRow(50);
        list(w)->verticalScrollBar()->setValue(40);
        const QString top = topCaption(w);
        QVERIFY(top != QStringLiteral("www.site00.com"));
        searchBox(w)->setEditText(QStringLiteral("半句"));

        addElsewhere(QStringLiteral("www.new.com"), QStringLiteral("新闻"));
        elsewhere(QStringLiteral("DELETE FROM address WHERE Address = 'www.site10.com'"));
        elsewhere(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (99, '远方')"));
        pressF5(w);

        QCOMPARE(groupLabels(w), (QStringList{"新闻", "软件", "远方"}));
        QCOMPARE(tree(w)->currentItem()->text(0), QStringLiteral("新闻"));
        QCOMPARE(w.currentGroup(), QStringLiteral("新闻"));
        QCOMPARE(list(w)->model()->rowCount(), 80);
        QVERIFY(f->captions().contains(QStringLiteral("www.new.com")));
        QVERIFY(!f->captions().contains(QStringLiteral("www.site10.com")));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("共条80记录"));
        QCOMPARE(selectedCaption(w), QStringLiteral("www.site50.com"));
        QCOMPARE(w.currentAddress(), QStringLiteral("www.site50.com"));
        QCOMPARE(topCaption(w), top);
        QCOMPARE(searchBox(w)->currentText(), QStringLiteral("半句"));
        QCOMPARE(Dialogs::recorded().size(), 0);
    }

    // Once links were checked, "失效网址" follows the groups and lists the addresses whose
    // last check failed, each row's hint saying why; new results, whoever stores them,
    // show without F5, as do the site icons of the rows.
    void failingNodeFollowsTheChecks()
    {
        f->add(QStringLiteral("www.gone.com/a"), QStringLiteral("去"), QStringLiteral("新闻"));
        f->add(QStringLiteral("www.fine.com"), QStringLiteral("好"), QStringLiteral("新闻"));
        MainWindow &w = openActive();
        QCOMPARE(groupLabels(w), QStringList{"新闻"}); // nothing checked yet
        const auto result = [](const char *address, LinkStatus status, int code) {
            return LinkResult{
                QLatin1String(address), status, code, QStringLiteral("http://") + QLatin1String(address), {}, {}, {}};
        };
        const QString checkedAt = QStringLiteral("2026-01-02 03:04:05");
        LinkStore::record(
            f->other(),
            {result("www.gone.com/a", LinkStatus::Broken, 404), result("www.fine.com", LinkStatus::Ok, 200)},
            checkedAt);
        QTRY_COMPARE_WITH_TIMEOUT(groupLabels(w), (QStringList{"新闻", GroupTreePane::failingLabel()}), 1000);

        clickNode(w, GroupTreePane::failingLabel());
        QCOMPARE(f->captions(), QStringList{"www.gone.com/a"});
        QTest::mouseMove(list(w)->viewport(), list(w)->visualRect(list(w)->model()->index(0, 1)).center());
        QCOMPARE(
            w.hoverText().section(QLatin1Char('\n'), 5),
            QStringLiteral("检查结果：失效（HTTP 404）\n失效起始：%1\n连续失效：1 次（最近检查 %1）").arg(checkedAt));

        QImage red(16, 16, QImage::Format_RGB32);
        red.fill(Qt::red);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        QVERIFY(red.save(&png, "PNG"));
        LinkStore::storeIcon(f->other(), QStringLiteral("www.fine.com:80"), png.data(), checkedAt);
        LinkStore::record(f->other(), {result("www.gone.com/a", LinkStatus::Ok, 200)}, checkedAt);
        QTRY_COMPARE_WITH_TIMEOUT(f->captions(), QStringList(), 1000);
        QCOMPARE(w.currentGroup(), GroupTreePane::failingLabel());

        clickNode(w, QStringLiteral("新闻"));
        const auto iconColour = [&](int row) {
            const QIcon icon =
                list(w)->model()->data(list(w)->model()->index(row, 0), Qt::DecorationRole).value<QIcon>();
            return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
        };
        QCOMPARE(f->captions(), (QStringList{"www.gone.com/a", "www.fine.com"}));
        QVERIFY(iconColour(0) != QColor(Qt::red)); // no icon kept for its site: the usual picture
        QCOMPARE(iconColour(1), QColor(Qt::red));
        QCOMPARE(Dialogs::recorded().size(), 0);
    }

    // A list that shows a search shows the same search again, without storing the text
    // again; a sort by a header stays; a selected row that is gone leaves none selected.
    void f5RepeatsTheSearchAndKeepsTheSort()
    {
        f->add(QStringLiteral("b.example.com"), QStringLiteral("乙"), QStringLiteral("新闻"));
        f->add(QStringLiteral("d.example.com"), QStringLiteral("丁"), QStringLiteral("新闻"));
        f->add(QStringLiteral("unrelated.org"), QStringLiteral("无"), QStringLiteral("新闻"));
        MainWindow &w = openActive();
        w.runSearch(QStringLiteral("example"));
        QHeaderView *header = list(w)->header();
        const QPoint firstColumn(header->sectionViewportPosition(0) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, firstColumn);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, firstColumn); // descending
        QCOMPARE(f->captions(), (QStringList{"d.example.com", "b.example.com"}));
        list(w)->selectRow(0);
        const QStringList history = SearchStore::history(f->db());

        addElsewhere(QStringLiteral("c.example.com"), QStringLiteral("新闻"));
        elsewhere(QStringLiteral("DELETE FROM address WHERE Address = 'd.example.com'"));
        pressF5(w);

        QCOMPARE(f->captions(), (QStringList{"c.example.com", "b.example.com"}));
        QCOMPARE(list(w)->selectedRow(), -1);
        QCOMPARE(SearchStore::history(f->db()), history);
        QCOMPARE(w.currentGroup(), QStringLiteral("网址"));
    }

    // The listed group was renamed elsewhere: it stays listed under its new name. It was
    // deleted: every address is listed, and the status bar names the root and no address.
    void listedGroupChangedElsewhere_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("listedNode");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("selectedAddress");
        QTest::newRow("renamed") << "UPDATE BaseGroup SET GroupName = '工具' WHERE GroupName = '软件'"
                                 << "工具" << QStringList{"b.com"} << "b.com";
        QTest::newRow("deleted") << "DELETE FROM BaseGroup WHERE GroupName = '软件'"
                                 << "网址" << QStringList{"a.com", "b.com"} << "";
    }

    void listedGroupChangedElsewhere()
    {
        QFETCH(QString, statement);
        QFETCH(QString, listedNode);
        QFETCH(QStringList, captions);
        QFETCH(QString, selectedAddress);
        f->add(QStringLiteral("a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        f->add(QStringLiteral("b.com"), QStringLiteral("乙"), QStringLiteral("软件"));
        MainWindow &w = openActive();
        clickNode(w, QStringLiteral("软件"));
        list(w)->selectRow(0);
        QCOMPARE(w.statusPanelText(1), QStringLiteral("b.com"));
        elsewhere(statement);
        QTRY_COMPARE_WITH_TIMEOUT(w.currentGroup(), listedNode, 1000);
        QCOMPARE(tree(w)->currentItem()->text(0), listedNode);
        QCOMPARE(w.statusPanelText(0), listedNode);
        QCOMPARE(f->captions(), captions);
        QCOMPARE(w.statusPanelText(1), selectedAddress);
    }

    // A label being typed is not taken away: the reload waits until the edit has ended,
    // then shows both the stored name and the other program's group.
    void waitsWhileALabelIsEdited()
    {
        f->add(QStringLiteral("a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        MainWindow &w = openActive();
        clickNode(w, QStringLiteral("新闻"));
        w.groupTreePane()->renameGroupAction()->trigger();
        auto *editor = tree(w)->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("要闻"));
        elsewhere(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (99, '远方')"));
        pressF5(w);
        QVERIFY(w.refreshPending());
        QCOMPARE(editor->text(), QStringLiteral("要闻"));
        QCOMPARE(groupLabels(w), QStringList{"新闻"});

        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!w.refreshPending());
        QCOMPARE(groupLabels(w), (QStringList{"要闻", "远方"}));
        QCOMPARE(w.currentGroup(), QStringLiteral("要闻"));
        QCOMPARE(f->captions(), QStringList{"a.com"});
        QCOMPARE(Dialogs::recorded().size(), 0);
    }

    // A reload that fails says so and leaves the window as it was.
    void failureIsShownAndTheListStays()
    {
        f->add(QStringLiteral("a.com"), QStringLiteral("甲"), QStringLiteral("新闻"));
        MainWindow &w = openActive();
        QString view;
        for (const QString &statement : Schema::statements()) {
            if (statement.startsWith(QStringLiteral("CREATE VIEW address_1")))
                view = statement;
        }
        f->db().execute(QStringLiteral("DROP VIEW address_1"));
        pressF5(w);
        f->db().execute(view);
        expectOnlyFailure();
        QCOMPARE(f->captions(), QStringList{"a.com"});
        QCOMPARE(groupLabels(w), QStringList{"新闻"});
    }

private:
    static void expectOnlyFailure() { MainFixture::expectOnlyBox(QStringLiteral("error!!!"), QStringLiteral("error")); }
};

VESTRANE_TEST_MAIN(TestMainRefresh)
#include "tst_mainrefresh.moc"
