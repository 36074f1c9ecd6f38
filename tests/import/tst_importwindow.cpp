#include "import/ImportWindow.h"

#include "TestEnv.h"
#include "ShortcutFiles.h"
#include "controls/ListRowModel.h"
#include "controls/AddressListView.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "data/Schema.h"
#include "data/SettingsStore.h"
#include "import/ToolSeparator.h"
#include "platform/Dialogs.h"
#include "UserInput.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString CheckConnection = u"import-check"_s;

// Runs a statement on a connection of its own, beside the window's.
void sql(const QString &statement, const QVariantList &values = {})
{
    QSqlQuery query(QSqlDatabase::database(CheckConnection));
    QVERIFY2(query.prepare(statement), qPrintable(query.lastError().text()));
    for (const QVariant &value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

struct StoredRow
{
    QString address, name, viewTime;
    int times = -1, groupNo = -1;
};

QList<StoredRow> storedAddresses()
{
    QList<StoredRow> rows;
    QSqlQuery query(QSqlDatabase::database(CheckConnection));
    query.exec(u"SELECT Address, AddressName, Times, ViewTime, GroupNo FROM address ORDER BY rowid"_s);
    while (query.next())
        rows.append({query.value(0).toString(), query.value(1).toString(), query.value(3).toString(),
                     query.value(2).toInt(), query.value(4).toInt()});
    return rows;
}

QStringList storedAddressTexts()
{
    QStringList texts;
    for (const StoredRow &row : storedAddresses())
        texts << row.address;
    return texts;
}

QStringList recordedTexts()
{
    QStringList texts;
    for (const Dialogs::Shown &shown : Dialogs::recorded())
        texts << shown.text;
    return texts;
}

} // namespace

class TstImportWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SharedConnection> m_sharedConnection;
    std::unique_ptr<ImportWindow> m_window;

    ListRowModel *rows() const { return m_window->controls().addressList->rows(); }
    QList<bool> checks() const
    {
        QList<bool> states;
        for (int row = 0; row < rows()->count(); ++row)
            states << rows()->isChecked(row);
        return states;
    }
    int importGroupNo()
    {
        return GroupStore::groupNoOf(m_sharedConnection->connection(), Schema::ImportGroup).value_or(-1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        SettingsStore::writeDefaultsIfMissing();
        Dialogs::startRecording();
        SharedConnection sharedConnection;
        sharedConnection.init();
        GroupStore::groupNames(sharedConnection.connection()); // creates the database
        QSqlDatabase check = QSqlDatabase::addDatabase(u"QSQLITE"_s, CheckConnection);
        check.setDatabaseName(databaseFileFor(QString()));
        QVERIFY(check.open());
    }

    void init()
    {
        QDir(favoritesDir()).removeRecursively();
        QVERIFY(QDir().mkpath(favoritesDir()));
        sql(u"DROP TRIGGER IF EXISTS refuse"_s);
        sql(u"DELETE FROM address"_s);
        Dialogs::clearRecorded();
        m_sharedConnection = std::make_unique<SharedConnection>();
        m_sharedConnection->init();
        if (importGroupNo() < 0)
            GroupStore::addGroup(m_sharedConnection->connection(), Schema::ImportGroup);
        m_window = std::make_unique<ImportWindow>(*m_sharedConnection);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_sharedConnection.reset();
    }

    void cleanupTestCase() { QSqlDatabase::removeDatabase(CheckConnection); }

    void windowLayout()
    {
        // Every button fits: the window is as wide as the toolbar needs.
        QVERIFY(m_window->width() >= m_window->controls().toolBar->sizeHint().width());
        QCOMPARE(m_window->captionText(), u"导入IE数据"_s);
        QCOMPARE(rows()->columnCaptions(), QStringList({u"网址地址"_s, u"网址名称"_s, u"组别"_s}));
        QCOMPARE(rows()->count(), 0);

        QList<QWidget *> order;
        for (QAction *action : m_window->controls().toolBar->actions())
            order << m_window->controls().toolBar->widgetForAction(action);
        const QList<QWidget *> expected = {m_window->controls().favoritesButton,  m_window->controls().browserButton,
                                           m_window->controls().fileButton,       m_window->controls().gapAfterSources,
                                           m_window->controls().checkAllButton,   m_window->controls().uncheckAllButton,
                                           m_window->controls().flipChecksButton, m_window->controls().gapAfterChecks,
                                           m_window->controls().importButton,     m_window->controls().gapAfterImport,
                                           m_window->controls().exitButton};
        QCOMPARE(order, expected);
        QCOMPARE(m_window->controls().importButton->text(), u"导入数据"_s);
        QVERIFY(!m_window->controls().exitButton->icon().isNull());
    }

    void missingShellFolderGroupIsReported()
    {
        {
            QSettings settings(SettingsStore::userFileName(), QSettings::IniFormat);
            settings.remove(QLatin1String(SettingsStore::ShellFolderGroup));
        }
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        {
            QSettings settings(SettingsStore::userFileName(), QSettings::IniFormat);
            settings.setValue(u"%1/%2"_s.arg(QLatin1String(SettingsStore::ShellFolderGroup),
                                             QLatin1String(SettingsStore::FavoritesKey)),
                              QLatin1String(SettingsStore::DefaultFavorites));
        }
        QCOMPARE(Dialogs::recorded().size(), 1);
        QCOMPARE(Dialogs::recorded().first().text, u"访问收藏夹主键错误！"_s);
        QCOMPARE(Dialogs::recorded().first().caption, u"提示信息"_s);
        QCOMPARE(Dialogs::recorded().first().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(rows()->count(), 0);
        QVERIFY(m_window->controls().favoritesButton->isEnabled());
    }

    void listingFillsCheckedRowsAndDisablesTheButton()
    {
        writeShortcutTo(u"b.url"_s, "http://b.com/");
        writeShortcutTo(u"A.URL"_s, "http://a.com/x");
        writeShortcut(u"notes.txt"_s, "x");
        QVERIFY(clickButton(m_window->controls().favoritesButton));

        QCOMPARE(rows()->count(), 2);
        QCOMPARE(rows()->rowAt(0).caption.toString(), u"http://a.com/x"_s);
        QCOMPARE(rows()->rowAt(0).subItems.toList(), QStringList({u"A"_s, u"IE收藏夹"_s}));
        QCOMPARE(rows()->rowAt(1).caption.toString(), u"http://b.com/"_s);
        QCOMPARE(rows()->rowAt(1).subItems.toList(), QStringList({u"b"_s, u"IE收藏夹"_s}));
        QCOMPARE(checks(), QList<bool>({true, true}));
        QVERIFY(!m_window->controls().favoritesButton->isEnabled());
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    void emptyFolderAlsoDisablesTheButton()
    {
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        QCOMPARE(rows()->count(), 0);
        QVERIFY(!m_window->controls().favoritesButton->isEnabled());
    }

    void unreadableShortcutEndsTheListingKeepingRowsBefore()
    {
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        writeShortcut(u"b.url"_s, "[InternetShortcut]"); // the header is its last line
        writeShortcutTo(u"c.url"_s, "http://c.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));

        QCOMPARE(rows()->count(), 1);
        QCOMPARE(rows()->rowAt(0).caption.toString(), u"http://a.com/"_s);
        QCOMPARE(Dialogs::recorded().size(), 1);
        QVERIFY(!Dialogs::recorded().first().text.isEmpty());
        QCOMPARE(Dialogs::recorded().first().caption, Dialogs::applicationTitle());
        QVERIFY(m_window->controls().favoritesButton->isEnabled());

        // Once the file is mended, a second listing starts afresh.
        writeShortcutTo(u"b.url"_s, "http://b.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        QCOMPARE(rows()->count(), 3);
        QVERIFY(!m_window->controls().favoritesButton->isEnabled());
    }

    void checkButtonsSetTheBoxesAndSelectTheLastRow()
    {
        for (const char *name : {"a.url", "b.url", "c.url"})
            writeShortcutTo(QString::fromLatin1(name), "http://x.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        rows()->setChecked(0, false);

        m_window->controls().addressList->selectRow(0);
        QVERIFY(clickButton(m_window->controls().flipChecksButton));
        QCOMPARE(checks(), QList<bool>({true, false, false}));
        QCOMPARE(m_window->controls().addressList->selectedRow(), 2);

        m_window->controls().addressList->selectRow(0);
        QVERIFY(clickButton(m_window->controls().checkAllButton));
        QCOMPARE(checks(), QList<bool>({true, true, true}));
        QCOMPARE(m_window->controls().addressList->selectedRow(), 2);

        m_window->controls().addressList->selectRow(1);
        QVERIFY(clickButton(m_window->controls().uncheckAllButton));
        QCOMPARE(checks(), QList<bool>({false, false, false}));
        QCOMPARE(m_window->controls().addressList->selectedRow(), 2);
    }

    void importStoresTheCheckedRows()
    {
        writeShortcutTo(u"1 甲.url"_s, "http://www.a.com/");
        writeShortcutTo(u"2 it's.url"_s, "HTTP://b.org/x/?q='1'");
        writeShortcutTo(u"3 skipped.url"_s, "http://skipped.com/");
        writeShortcut(u"4 no header.url"_s, "[Other]\r\nURL=http://c.com/\r\n");
        writeShortcutTo(u"5 ftp.url"_s, "ftp://d.net/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        QCOMPARE(rows()->count(), 5);
        rows()->setChecked(2, false);

        QVERIFY(clickButton(m_window->controls().importButton));
        QCOMPARE(recordedTexts(), QStringList{u"成功导入！"_s});
        QCOMPARE(Dialogs::recorded().first().caption, Dialogs::applicationTitle());
        QCOMPARE(m_window->controls().addressList->selectedRow(), 4);

        const QList<StoredRow> stored = storedAddresses();
        QCOMPARE(stored.size(), 4);
        const QStringList expectedAddresses = {u"www.a.com"_s, u"b.org/x/?q='1'"_s, QString(), u"ftp://d.net"_s};
        const QStringList expectedNames = {u"1 甲"_s, u"2 it's"_s, u"4 no header"_s, u"5 ftp"_s};
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        for (int i = 0; i < stored.size(); ++i) {
            QCOMPARE(stored[i].address, expectedAddresses[i]);
            QCOMPARE(stored[i].name, expectedNames[i]);
            QCOMPARE(stored[i].times, 0);
            QCOMPARE(stored[i].viewTime, today);
            QCOMPARE(stored[i].groupNo, importGroupNo());
        }

        // The rows stay as they were, and a second import stores them all again.
        QCOMPARE(checks(), QList<bool>({true, true, false, true, true}));
        QVERIFY(clickButton(m_window->controls().importButton));
        QCOMPARE(storedAddressTexts(), expectedAddresses + expectedAddresses);
        QCOMPARE(recordedTexts(), QStringList({u"成功导入！"_s, u"成功导入！"_s}));
    }

    void importWithNothingCheckedWritesNothing()
    {
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        QVERIFY(clickButton(m_window->controls().uncheckAllButton));
        QVERIFY(clickButton(m_window->controls().importButton));
        QVERIFY(storedAddresses().isEmpty());
        QCOMPARE(recordedTexts(), QStringList{u"成功导入！"_s});
    }

    void refusedRowEndsTheImportKeepingRowsBefore()
    {
        writeShortcutTo(u"a.url"_s, "http://good-1.com/");
        writeShortcutTo(u"b.url"_s, "http://bad.com/");
        writeShortcutTo(u"c.url"_s, "http://good-2.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        sql(u"CREATE TRIGGER refuse BEFORE INSERT ON address WHEN NEW.Address = 'bad.com' "
            "BEGIN SELECT RAISE(ABORT, 'address refused'); END"_s);

        QVERIFY(clickButton(m_window->controls().importButton));
        QCOMPARE(storedAddressTexts(), QStringList{u"good-1.com"_s});
        QCOMPARE(Dialogs::recorded().size(), 1);
        QVERIFY2(Dialogs::recorded().first().text.contains(u"address refused"_s),
                 qPrintable(Dialogs::recorded().first().text));
        QCOMPARE(Dialogs::recorded().first().caption, Dialogs::applicationTitle());
        QCOMPARE(m_window->controls().addressList->selectedRow(), 1);

        // No transaction is left open: another connection can write, and so can the window.
        sql(u"INSERT INTO address (Address, AddressName, Times, ViewTime, GroupNo) VALUES ('x', 'x', 0, '', 0)"_s);
        sql(u"DROP TRIGGER refuse"_s);
        QVERIFY(clickButton(m_window->controls().importButton));
        QCOMPARE(storedAddressTexts(),
                 QStringList({u"good-1.com"_s, u"x"_s, u"good-1.com"_s, u"bad.com"_s, u"good-2.com"_s}));
        QCOMPARE(recordedTexts().last(), u"成功导入！"_s);
    }

    void missingGroupIsReportedBeforeAnythingIsWritten()
    {
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        sql(u"DELETE FROM BaseGroup WHERE GroupName = ?"_s, {Schema::ImportGroup});

        QVERIFY(clickButton(m_window->controls().importButton));
        QVERIFY(storedAddresses().isEmpty());
        QCOMPARE(Dialogs::recorded().size(), 1);
        QVERIFY(Dialogs::recorded().first().text.contains(Schema::ImportGroup));
        QCOMPARE(Dialogs::recorded().first().caption, Dialogs::applicationTitle());
    }

    void largeFolderListsUnderAProgressDialogThatCancels()
    {
        const int count = int(ImportWindow::ProgressThreshold) + 300;
        for (int i = 0; i < count; ++i)
            writeShortcutTo(u"s%1.url"_s.arg(i, 5, 10, QLatin1Char('0')), "http://x.com/" + QByteArray::number(i));

        // Read to the end, the dialog goes with the listing.
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        QCOMPARE(rows()->count(), count);
        QVERIFY(Dialogs::recorded().isEmpty());
        auto *progress = m_window->findChild<QProgressDialog *>(u"ImportProgress"_s);
        QVERIFY(!progress || !progress->isVisible());

        // The cancel button, pressed while the files are read, lists nothing. (The listing
        // disabled the button: a new window lists again.)
        m_window = std::make_unique<ImportWindow>(*m_sharedConnection);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTimer presser;
        bool pressed = false;
        connect(&presser, &QTimer::timeout, this, [&] {
            auto *dialog = m_window->findChild<QProgressDialog *>(u"ImportProgress"_s);
            auto *cancel = dialog ? dialog->findChild<QPushButton *>() : nullptr;
            if (cancel && cancel->isVisible() && !pressed) {
                pressed = true;
                QTest::mouseClick(cancel, Qt::LeftButton);
            }
        });
        presser.start(0);
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        QVERIFY(pressed);
        QCOMPARE(rows()->count(), 0);
        QCOMPARE(recordedTexts(), QStringList{u"已取消，没有导入任何网址。"_s});
        QCOMPARE(Dialogs::recorded().first().caption, u"提示信息"_s);
        QVERIFY(m_window->controls().favoritesButton->isEnabled());
    }

    void hoverTextNamesTheRowUnderThePointer()
    {
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        writeShortcutTo(u"b.url"_s, "http://b.com/");
        QVERIFY(clickButton(m_window->controls().favoritesButton));
        AddressListView *list = m_window->controls().addressList;
        const QPoint overSecond = list->visualRect(rows()->index(1, 1)).center();

        QTest::mouseMove(list->viewport(), overSecond);
        QCOMPARE(list->hintText(), u"网址地址: http://b.com/\n网址名称: b"_s);

        // Below the rows the text stays as it was.
        m_window->onListMouseMoved(QPoint(5, list->viewport()->height() - 2));
        QCOMPARE(list->hintText(), u"网址地址: http://b.com/\n网址名称: b"_s);
    }

    void exitButtonClosesTheWindow()
    {
        QVERIFY(clickButton(m_window->controls().exitButton));
        QVERIFY(!m_window->isVisible());
    }
};

VESTRANE_TEST_MAIN(TstImportWindow)
#include "tst_importwindow.moc"
