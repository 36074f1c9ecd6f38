// The main window on a PostgreSQL server: commands through the real widgets store their
// rows there, and what another program stores shows in the open list by itself.
#include "TestEngine.h"
#include "TestEnv.h"

#include "controls/AddressListView.h"
#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/SettingsStore.h"
#include "editor/AddressEditor.h"
#include "main/MainWindow.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

class TestMainServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestServerDatabase> m_server;
    std::unique_ptr<SharedConnection> m_sharedConnection;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<DbConnection> m_other;

    AddressListView *list() { return m_window->addressListPane()->view(); }
    QTreeWidget *tree() { return m_window->groupTreePane()->tree(); }

    MainWindow &openWindow()
    {
        m_sharedConnection = std::make_unique<SharedConnection>();
        m_sharedConnection->init();
        m_window = std::make_unique<MainWindow>(*m_sharedConnection);
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            qFatal("main window not active");
        return *m_window;
    }

    // Another program's connection to the same database.
    DbConnection &other()
    {
        if (!m_other) {
            m_other = std::make_unique<DbConnection>(QStringLiteral("other-program"));
            m_other->setDatabaseFile(m_server->uri());
        }
        return *m_other;
    }

    QStringList captions()
    {
        QStringList texts;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            texts << list()->model()->index(row, 0).data().toString();
        return texts;
    }

    QStringList stored(const QString &statement)
    {
        QStringList rows;
        QSqlQuery query = other().query(statement);
        while (query.next())
            rows << query.value(0).toString();
        return rows;
    }

    // A right click at `position` of `widget`, then Enter on the item of the menu that
    // opens. `whileChosen` runs just before the Enter (the item may open a dialog that only
    // ends when it is answered), `afterChosen` right after the item's command has run.
    static void chooseMenuItem(QWidget *widget, const QPoint &position, const QString &item,
                               const std::function<void()> &whileChosen = {},
                               const std::function<void()> &afterChosen = {})
    {
        bool chosen = false;
        QTimer::singleShot(0, widget, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *action : menu->actions()) {
                if (action->text() == item && action->isVisible()) {
                    chosen = true;
                    if (whileChosen)
                        whileChosen();
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    if (afterChosen)
                        afterChosen();
                    return;
                }
            }
            menu->close();
        });
        QTest::mouseClick(widget, Qt::RightButton, {}, position);
        if (!QApplication::activePopupWidget()) { // the menu that opens on the context-menu event
            QContextMenuEvent request(QContextMenuEvent::Mouse, position, widget->mapToGlobal(position));
            QApplication::sendEvent(widget, &request);
        }
        QTRY_VERIFY(chosen);
    }

    QPoint nodePoint(const QString &label)
    {
        const QList<QTreeWidgetItem *> found = tree()->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty())
            return {};
        return tree()->visualItemRect(found.first()).center();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (TestEngine::serverUri().isEmpty())
            QSKIP("needs the test run's PostgreSQL server (run through CTest)");
        Dialogs::startRecording();
        m_server = std::make_unique<TestServerDatabase>();
        SettingsStore::setDatabase(m_server->uri());
    }

    void cleanup()
    {
        m_window.reset();
        m_sharedConnection.reset();
        Dialogs::clearRecorded();
    }

    void cleanupTestCase()
    {
        m_other.reset();
        m_server.reset();
    }

    // A group added in the tree and an address added through the editor are rows on the
    // server.
    void commandsStoreOnTheServer()
    {
        MainWindow &w = openWindow();
        AddressEditor editor(&w);
        w.setEditor(&editor);

        // The name is typed into the label's editor at once: without a window manager the
        // closing menu leaves no window active, and the editor leaving the focus confirms
        // the name as Enter would.
        bool typed = false;
        chooseMenuItem(tree()->viewport(), nodePoint(QStringLiteral("网址")), QStringLiteral("添加网址组别"), {}, [&] {
            if (auto *label = tree()->viewport()->findChild<QLineEdit *>()) {
                label->setText(QStringLiteral("服务器组"));
                typed = true;
            }
        });
        QVERIFY(typed);
        QTRY_COMPARE(stored(QStringLiteral("SELECT GroupName FROM BaseGroup ORDER BY GroupNo")),
                     (QStringList{"IE收藏夹", "服务器组"}));
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, nodePoint(QStringLiteral("服务器组")));
        QCOMPARE(w.currentGroup(), QStringLiteral("服务器组"));

        chooseMenuItem(list()->viewport(), QPoint(20, 20), QStringLiteral("添加网址"), [&] {
            QTimer::singleShot(0, &editor, [&] {
                if (QTest::qWaitForWindowActive(&editor)) {
                    editor.controls().addressEdit->setText(QStringLiteral("http://www.server.example/"));
                    editor.controls().nameEdit->setText(QStringLiteral("服务器上的站"));
                    editor.controls().saveButton->click();
                }
                if (editor.isVisible())
                    editor.close();
            });
        });
        QTRY_COMPARE(stored(QStringLiteral("SELECT Address || ' ' || AddressName || ' ' || GroupName FROM address_1")),
                     QStringList{"www.server.example 服务器上的站 服务器组"});
        QCOMPARE(captions(), QStringList{"www.server.example"});
        w.setEditor(nullptr);
    }

    // The server refuses the window while it is open: F5 and 添加网址 each say once why,
    // naming the server, and open nothing; once it takes connections again, the window
    // connects by itself.
    void outageIsToldOnceAndOpensNothing_data()
    {
        QTest::addColumn<bool>("addAddress");
        QTest::newRow("F5") << false;
        QTest::newRow("添加网址") << true;
    }
    void outageIsToldOnceAndOpensNothing()
    {
        QFETCH(bool, addAddress);
        MainWindow &w = openWindow();
        AddressEditor editor(&w);
        w.setEditor(&editor);
        m_server->allowConnections(false);
        const auto reopen = qScopeGuard([&] { m_server->allowConnections(true); });
        other().query(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                     "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
        Dialogs::clearRecorded();
        if (addAddress)
            w.addAddressToGroup();
        else
            QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(Dialogs::recorded().size(), 1);
        QVERIFY2(Dialogs::recorded().first().text.startsWith(QStringLiteral("无法连接数据库（服务器")),
                 qPrintable(Dialogs::recorded().first().text));
        QVERIFY(!editor.isVisible());
        // The dropped connection is noticed without a command, and opened again by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!m_sharedConnection->connection().isOpen(), 2000);
        m_server->allowConnections(true);
        QTRY_VERIFY_WITH_TIMEOUT(m_sharedConnection->connection().isOpen(), 5000);
        QCOMPARE(Dialogs::recorded().size(), 1);
        w.setEditor(nullptr);
    }

    // Another program's insert shows within a second, the user's selected row and typed
    // search text stay; after the window's connection was cut, the next command connects
    // again and listening starts anew.
    void otherProgramsChangesShowByThemselves()
    {
        MainWindow &w = openWindow();
        QCOMPARE(captions(), QStringList{"www.server.example"});
        list()->selectRow(0);
        w.searchPane()->searchBox()->setEditText(QStringLiteral("typed"));
        const int group =
            stored(QStringLiteral("SELECT GroupNo FROM BaseGroup WHERE GroupName = '服务器组'")).value(0).toInt();
        const auto insertElsewhere = [&](const QString &address) {
            other().execute(QStringLiteral("INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo, "
                                           "MyAddress, AddressFolded, AddressNameFolded) "
                                           "VALUES (?, '', 0, '2024-05-01', ?, 0, ?, '')"),
                            {address, group, AddressStore::folded(address)});
        };

        QElapsedTimer clock;
        clock.start();
        insertElsewhere(QStringLiteral("www.elsewhere.example"));
        QTRY_VERIFY_WITH_TIMEOUT(captions().contains(QStringLiteral("www.elsewhere.example")), 1000);
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(list()->model()->index(list()->selectedRow(), 0).data().toString(),
                 QStringLiteral("www.server.example"));
        QCOMPARE(w.searchPane()->searchBox()->currentText(), QStringLiteral("typed"));

        other().query(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                     "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
        QTest::qWait(100);
        QTest::keyClick(&w, Qt::Key_F5);
        QVERIFY(Dialogs::recorded().isEmpty());
        insertElsewhere(QStringLiteral("www.after-reconnect.example"));
        QTRY_VERIFY_WITH_TIMEOUT(captions().contains(QStringLiteral("www.after-reconnect.example")), 3000);
        QVERIFY(Dialogs::recorded().isEmpty());
    }
};

VESTRANE_TEST_MAIN(TestMainServer)
#include "tst_mainserver.moc"
