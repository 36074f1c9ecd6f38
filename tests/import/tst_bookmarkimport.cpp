#include "import/ImportWindow.h"

#include "bookmarks/BrowserProfiles.h"
#include "TestEnv.h"
#include "controls/ListRowModel.h"
#include "controls/AddressListView.h"
#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "platform/Dialogs.h"
#include "UserInput.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <atomic>

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(VESTRANE_SOURCE_DIR "/tests/bookmarks/data/") + name;
}

int storedCount(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT count(*) FROM address"));
    return query.next() ? query.value(0).toInt() : -1;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(bytes);
}

} // namespace

class TestBookmarkImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<SharedConnection> m_sharedConnection;

    DbConnection &db() { return m_sharedConnection->connection(); }

    static void showWindow(ImportWindow &window)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

private Q_SLOTS:
    void initTestCase()
    {
        Dialogs::startRecording();
        m_sharedConnection = std::make_unique<SharedConnection>();
        m_sharedConnection->init();
    }

    void init()
    {
        db().execute(QStringLiteral("DELETE FROM address"));
        db().execute(QStringLiteral("DELETE FROM BaseGroup WHERE GroupNo > 1"));
        Dialogs::clearRecorded();
        QDir(QDir::homePath() + QStringLiteral("/.mozilla")).removeRecursively();
        QDir(QDir::homePath() + QStringLiteral("/.config/chromium")).removeRecursively();
    }

    void buttonsFollowTheFavoritesButton()
    {
        ImportWindow window(*m_sharedConnection);
        const QList<QToolButton *> buttons = window.controls().toolBar->findChildren<QToolButton *>();
        QStringList captions;
        for (QToolButton *button : buttons)
            if (!button->text().isEmpty()) // the tool bar's own extension button has none
                captions << button->text();
        QCOMPARE(captions.mid(0, 3), (QStringList{"从IE导入", "从浏览器导入", "从文件导入…"}));
        QCOMPARE(window.controls().addressList->rows()->columnCaptions(),
                 (QStringList{"网址地址", "网址名称", "组别"}));
    }

    void fileRowsShowGroupsAndDuplicatesThenReport()
    {
        QCOMPARE(GroupStore::addGroup(db(), QStringLiteral("书签栏 / Dev")), GroupStore::GroupChange::Done);
        AddressStore::insert(db(), QStringLiteral("https://docs.python.org/3"), QStringLiteral("py"),
                             *GroupStore::groupNoOf(db(), QStringLiteral("书签栏 / Dev")));

        ImportWindow window(*m_sharedConnection);
        showWindow(window);
        window.listBookmarkFile(fixture(QStringLiteral("chromium/bookmarks.html")));
        ListRowModel *rows = window.controls().addressList->rows();
        QCOMPARE(rows->count(), 28);
        QCOMPARE(rows->rowAt(0).caption.toString(), QStringLiteral("http://www.people.com.cn/"));
        QCOMPARE(rows->rowAt(0).subItems.toList().mid(0, 2), (QStringList{"人民网", "书签栏 / 新闻 / 国内"}));
        int duplicates = 0;
        for (int row = 0; row < rows->count(); ++row) {
            const bool duplicate = rows->rowAt(row).imageIndex == 0;
            duplicates += duplicate;
            QCOMPARE(rows->isChecked(row), !duplicate);
            if (duplicate)
                QCOMPARE(rows->rowAt(row).caption.toString(), QStringLiteral("https://docs.python.org/3/"));
        }
        QCOMPARE(duplicates, 1);
        rows->setChecked(0, false);

        QVERIFY(clickButton(window.controls().importButton));
        QCOMPARE(Dialogs::recorded().size(), 1);
        const QString report = Dialogs::recorded().first().text;
        QVERIFY2(report.contains(QStringLiteral("导入：26 条")) && report.contains(QStringLiteral("重复跳过：1 条"))
                     && report.contains(QStringLiteral("未选中：1 条"))
                     && report.contains(QStringLiteral("非网址：1 条"))
                     && report.contains(QStringLiteral("新建组别：9 个"))
                     && report.contains(QStringLiteral("空文件夹：1 个")),
                 qPrintable(report));
        QCOMPARE(Dialogs::lastDetails().split(QLatin1Char('\n')).size(), 3);
        QVERIFY(Dialogs::lastDetails().contains(QStringLiteral("已存在于组别“书签栏 / Dev”")));
        QCOMPARE(storedCount(db()), 27);
        QCOMPARE(rows->count(), 0); // stored rows cannot be stored twice
    }

    void browserProfilesAreOfferedByName()
    {
        ImportWindow window(*m_sharedConnection);
        showWindow(window);
        QVERIFY(clickButton(window.controls().browserButton));
        QCOMPARE(Dialogs::recorded().last().text, QStringLiteral("没有找到浏览器的书签。"));

        const QString home = QDir::homePath();
        writeFile(home + QStringLiteral("/.mozilla/firefox/profiles.ini"),
                  "[Profile0]\nName=工作\nIsRelative=1\nPath=abcd.work\n");
        QDir().mkpath(home + QStringLiteral("/.mozilla/firefox/abcd.work"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("firefox/places.sqlite")),
                            home + QStringLiteral("/.mozilla/firefox/abcd.work/places.sqlite")));
        QFile bookmarks(fixture(QStringLiteral("chromium/Bookmarks")));
        QVERIFY(bookmarks.open(QIODevice::ReadOnly));
        writeFile(home + QStringLiteral("/.config/chromium/Profile 1/Bookmarks"), bookmarks.readAll());
        writeFile(home + QStringLiteral("/.config/chromium/Local State"),
                  R"({"profile":{"info_cache":{"Profile 1":{"name":"家里"}}}})");

        Dialogs::clearRecorded();
        Dialogs::setNextChoice(1);
        QVERIFY(clickButton(window.controls().browserButton));
        QCOMPARE(Dialogs::lastChoices(), (QStringList{"Firefox – 工作", "Chromium – 家里"}));
        QCOMPARE(window.controls().addressList->rows()->count(), 28);
        QCOMPARE(window.controls().addressList->rows()->rowAt(27).subItems.value(1),
                 QStringLiteral("其他书签 / Later"));
    }

    // Every place a browser of the user's keeps its profiles is searched; a store reached
    // two ways is offered once. "~" is the home folder, "$XDG" is $XDG_CONFIG_HOME.
    void browserProfilesAreFoundWhereverInstalled_data()
    {
        QTest::addColumn<QString>("root"); // Firefox's profiles.ini folder, or a Chromium's
        QTest::addColumn<QString>("linkedFrom"); // a link to the root, or empty
        QTest::addColumn<QString>("label");
        QTest::newRow("Firefox") << "~/.mozilla/firefox"
                                 << ""
                                 << "Firefox – 默认";
        QTest::newRow("Firefox, new account") << "$XDG/mozilla/firefox"
                                              << ""
                                              << "Firefox – 默认";
        QTest::newRow("Firefox, default config") << "~/.config/mozilla/firefox"
                                                 << ""
                                                 << "Firefox – 默认";
        QTest::newRow("Firefox snap") << "~/snap/firefox/common/.mozilla/firefox"
                                      << ""
                                      << "Firefox – 默认（Snap）";
        QTest::newRow("Firefox flatpak") << "~/.var/app/org.mozilla.firefox/.mozilla/firefox"
                                         << ""
                                         << "Firefox – 默认（Flatpak）";
        QTest::newRow("Firefox linked") << "~/.config/mozilla/firefox"
                                        << "~/.mozilla/firefox"
                                        << "Firefox – 默认";
        QTest::newRow("Chromium") << "$XDG/chromium"
                                  << ""
                                  << "Chromium – Default";
        QTest::newRow("Chromium snap") << "~/snap/chromium/common/chromium"
                                       << ""
                                       << "Chromium – Default（Snap）";
        QTest::newRow("Brave flatpak") << "~/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"
                                       << ""
                                       << "Brave – Default（Flatpak）";
        QTest::newRow("Vivaldi linked") << "~/.config/vivaldi"
                                        << "$XDG/vivaldi"
                                        << "Vivaldi – Default";
    }
    void browserProfilesAreFoundWhereverInstalled()
    {
        QFETCH(QString, root);
        QFETCH(QString, linkedFrom);
        QFETCH(QString, label);
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("home"));
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("xdg"))));
        const auto place = [&](QString path) {
            return path.replace(QStringLiteral("~"), home)
                .replace(QStringLiteral("$XDG"), dir.filePath(QStringLiteral("xdg")));
        };
        if (root.contains(QLatin1String("firefox"))) {
            writeFile(place(root) + QStringLiteral("/profiles.ini"),
                      "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=默认\nIsRelative=1\nPath=p.default\n");
            writeFile(place(root) + QStringLiteral("/p.default/places.sqlite"), "x");
        } else {
            writeFile(place(root) + QStringLiteral("/Default/Bookmarks"), "{}");
        }
        if (!linkedFrom.isEmpty()) {
            QDir().mkpath(QFileInfo(place(linkedFrom)).path());
            QVERIFY(QFile::link(place(root), place(linkedFrom)));
        }
        QStringList labels;
        for (const BrowserProfile &profile : BrowserProfiles::find(home))
            labels << profile.label();
        qputenv("XDG_CONFIG_HOME", oldXdg);
        QCOMPARE(labels, QStringList{label});
    }

    // The window can be closed while a source is read: the reading is asked to stop, the
    // window closes once it has, and no box is shown about it.
    void closingWhileReadingStopsTheReading()
    {
        ImportWindow window(*m_sharedConnection);
        showWindow(window);
        std::atomic<bool> reading{false};
        std::atomic<bool> stopped{false};
        QTimer poll;
        connect(&poll, &QTimer::timeout, &window, [&] {
            if (reading && window.captionControls().closeButton->isEnabled()) {
                poll.stop();
                QVERIFY(clickButton(window.captionControls().closeButton));
            }
        });
        poll.start(0);
        window.listBookmarks([&](const ReadCancel &cancel) -> BookmarkSet {
            reading = true;
            QDeadlineTimer patience(20000); // a reading that is never cancelled ends the test, failed
            while (!cancel() && !patience.hasExpired())
                QThread::msleep(5);
            stopped = cancel();
            throw ImportCancelled{};
        });
        QVERIFY(stopped);
        QVERIFY(!window.isVisible());
        QVERIFY(Dialogs::recorded().isEmpty());
    }

    // A large import shows its progress; cancelling it stores nothing.
    void largeImportShowsProgressAndCancels()
    {
        QByteArray body = "<DL>";
        for (int i = 0; i < 6000; ++i)
            body += "<DT><A HREF=\"https://h" + QByteArray::number(i) + ".example/\">n</A>\n";
        const QString file = QDir::homePath() + QStringLiteral("/big.html");
        writeFile(file, body);

        ImportWindow window(*m_sharedConnection);
        showWindow(window);
        window.listBookmarkFile(file);
        QCOMPARE(window.controls().addressList->rows()->count(), 6000);

        // Another program holds the write lock, so the worker waits at its first row
        // until the dialog has been seen and cancelled.
        DbConnection other(QStringLiteral("other"));
        other.setDatabaseFile(db().location().text());
        other.beginTransaction();
        other.execute(QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (99, 'lock')"));
        bool sawProgress = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &window, [&] {
            auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("ImportProgress"));
            if (!progress || sawProgress)
                return;
            sawProgress = progress->isVisible();
            QVERIFY(!window.close()); // not while the worker runs
            QVERIFY(!window.controls().importButton->isEnabled());
            if (auto *cancel = progress->findChild<QPushButton *>())
                cancel->click(); // as the user does
            other.rollback();
        });
        poll.start(0);
        QVERIFY(clickButton(window.controls().importButton));
        poll.stop();
        QVERIFY(sawProgress);
        QCOMPARE(Dialogs::recorded().last().text, QStringLiteral("已取消，没有导入任何网址。"));
        QCOMPARE(storedCount(db()), 0);
        QCOMPARE(window.controls().addressList->rows()->count(), 6000); // still there to try again
    }
};

VESTRANE_TEST_MAIN(TestBookmarkImport)
#include "tst_bookmarkimport.moc"
