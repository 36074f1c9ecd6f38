#include "OldSchemas.h"
#include "TestEnv.h"

#include "data/AddressStore.h"
#include "data/DailyBackup.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"
#include "data/Schema.h"
#include "data/SettingsStore.h"
#include "data/AppError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <future>
#include <thread>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Runs statements on a file with the C API, as another program would.
void runSql(const QString &file, const QStringList &statements)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    for (const QString &statement : statements) {
        char *error = nullptr;
        const int rc = sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &error);
        QVERIFY2(rc == SQLITE_OK, error);
    }
    sqlite3_close(db);
}

int scalar(const QString &file, const QString &sql)
{
    sqlite3 *db = nullptr;
    // Read-write, so that closing removes the journal files a read leaves beside the file.
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *statement = nullptr;
    int value = -1;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

// Makes `folder` read-only for this thread: a private mount namespace with a read-only
// bind mount over it, undone when the process ends. Root ignores file modes, so this is
// what really keeps the program from writing there.
bool makeReadOnly(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0
        && ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

} // namespace

class TestDatabaseFile : public QObject
{
    Q_OBJECT

private:
    TestEnv *env = nullptr;
    QString file;

    std::unique_ptr<DbConnection> connection()
    {
        auto db = std::make_unique<DbConnection>(QStringLiteral("test"));
        configureConnection(*db);
        return db;
    }

    size_t found(DbConnection &db, const QString &text)
    {
        return AddressStore::list(db, AddressFilter::search(text)).size();
    }

private Q_SLOTS:
    void init()
    {
        env = new TestEnv;
        file = env->defaultDatabaseFile();
        QDir().mkpath(QFileInfo(file).absolutePath());
    }
    void cleanup()
    {
        DbConnection::setNewFileHook({});
        delete env;
    }

    void newFileIsCompleteBeforeItGetsItsName()
    {
        bool hookRan = false;
        DbConnection::setNewFileHook([&](const QString &temporary) {
            hookRan = true;
            QVERIFY(!QFile::exists(file));
            QCOMPARE(QFileInfo(temporary).absolutePath(), QFileInfo(file).absolutePath());
            QCOMPARE(scalar(temporary, QStringLiteral("SELECT count(*) FROM BaseGroup")), 1);
            QCOMPARE(scalar(temporary, QStringLiteral("PRAGMA user_version")), Schema::Version);
        });
        const mode_t mask = ::umask(022);
        connection()->open();
        ::umask(mask);
        QVERIFY(hookRan);
        QCOMPARE(scalar(file, QStringLiteral("SELECT count(*) FROM address")), 0);

        // Cut short before the rename: no database under the real name, nothing left over.
        QVERIFY(QFile::remove(file));
        DbConnection::setNewFileHook([](const QString &) { throw AppError(QStringLiteral("cut short")); });
        QVERIFY_THROWS_EXCEPTION(AppError, connection()->open());
        QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files).join(QLatin1Char(' ')), QString());
    }

    // What the first start makes is its owner's alone; inside a folder that its group may
    // write (shared on purpose), the group's too.
    void firstStartMakesPrivateFiles_data()
    {
        QTest::addColumn<bool>("sharedFolder");
        QTest::addColumn<int>("umask");
        QTest::addColumn<QString>("made"); // beside the library; "settings" for the settings file
        QTest::addColumn<int>("mode");
        QTest::newRow("data folder") << false << 022 << "." << 0700;
        QTest::newRow("library") << false << 022 << "address.mdb" << 0600;
        QTest::newRow("backup folder") << false << 022 << "backups" << 0700;
        QTest::newRow("backup") << false << 022 << "backups/address-2026-03-01.mdb" << 0600;
        QTest::newRow("settings file") << false << 022 << "settings" << 0600;
        QTest::newRow("library in a shared folder") << true << 002 << "address.mdb" << 0660;
        QTest::newRow("backup folder in a shared folder") << true << 002 << "backups" << 0770;
        QTest::newRow("backup in a shared folder") << true << 002 << "backups/address-2026-03-01.mdb" << 0660;
        QTest::newRow("shared folder, strict umask") << true << 077 << "address.mdb" << 0600;
    }
    void firstStartMakesPrivateFiles()
    {
        QFETCH(bool, sharedFolder);
        QFETCH(int, umask);
        QFETCH(QString, made);
        QFETCH(int, mode);
        const mode_t oldMask = ::umask(mode_t(umask));
        const auto restoreMask = qScopeGuard([oldMask] { ::umask(oldMask); });
        QString folder = QFileInfo(file).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        if (sharedFolder) {
            folder = env->root() + QStringLiteral("/shared");
            QVERIFY(QDir().mkpath(folder));
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0770), 0);
            SettingsStore::setPath(folder);
        }
        SettingsStore::writeDefaultsIfMissing();
        AddressStore::insert(*connection(), QStringLiteral("a.cn"), QStringLiteral("甲"), 1);
        QCOMPARE(DailyBackup::takeIfDue(folder + QStringLiteral("/address.mdb"), QDate(2026, 3, 1)), QString());

        const QString path = made == QLatin1String("settings") ? env->settingsFile() : folder + QLatin1Char('/') + made;
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(QString::number(info.st_mode & 07777, 8), QString::number(mode, 8));
    }

    void fileWithoutTablesGetsTheSchema_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::newRow("0 bytes") << QStringList{};
        QTest::newRow("journal set, no table") << QStringList{QStringLiteral("PRAGMA journal_mode=WAL")};
    }
    void fileWithoutTablesGetsTheSchema()
    {
        QFETCH(QStringList, before);
        QFile empty(file);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        runSql(file, before);
        auto db = connection();
        QCOMPARE(GroupStore::groupNames(*db), QStringList{Schema::ImportGroup});
        db.reset();
        QCOMPARE(scalar(file, QStringLiteral("PRAGMA user_version")), Schema::Version);
    }

    void foreignOrNewerFilesAreRefusedUntouched_data()
    {
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("said");
        QTest::newRow("some tables") << QStringList{QStringLiteral(
            "CREATE TABLE BaseGroup (GroupNo INTEGER, GroupName TEXT)")}
                                     << QStringLiteral("缺少表 address、Search");
        QTest::newRow("newer version") << OldSchemas::versionZero().mid(1)
                + QStringList{QStringLiteral("PRAGMA user_version = 99")}
                                       << QStringLiteral("版本 99");
    }
    void foreignOrNewerFilesAreRefusedUntouched()
    {
        QFETCH(QStringList, statements);
        QFETCH(QString, said);
        runSql(file, statements); // a rollback journal: turning on the shared one would change the file
        const QByteArray before = fileHash(file);
        try {
            connection()->open();
            QFAIL("the file must be refused");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(said), qPrintable(error.message()));
        }
        QCOMPARE(fileHash(file), before);
    }

    void olderFileIsUpgradedInOneTransaction()
    {
        runSql(file, OldSchemas::versionZero());
        // A trigger refuses the second row's new texts: the upgrade must leave version 0 whole.
        runSql(file,
               {QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON address WHEN OLD.Address = 'b.com' "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END")});
        QVERIFY_THROWS_EXCEPTION(AppError, connection()->open());
        QCOMPARE(scalar(file, QStringLiteral("PRAGMA user_version")), 0);
        QCOMPARE(scalar(file, QStringLiteral("SELECT count(*) FROM pragma_table_info('address')")), 6);

        runSql(file, {QStringLiteral("DROP TRIGGER refuse")});
        auto db = connection();
        QCOMPARE(AddressStore::list(*db, AddressFilter::all()).size(), size_t(2));
        QCOMPARE(found(*db, QStringLiteral("ärger")), size_t(1));
        QCOMPARE(found(*db, QStringLiteral("σίσυφος")), size_t(1));
        QCOMPARE(found(*db, QStringLiteral("STRASSE")), size_t(0)); // simple folding: ß stays one letter
        QCOMPARE(found(*db, QStringLiteral("STRAßE")), size_t(1));
        db.reset();
        QCOMPARE(scalar(file, QStringLiteral("PRAGMA user_version")), Schema::Version);
    }

    void writesWaitForABusyDatabaseAndFailWhole()
    {
        connection()->open();
        // Another program holds the write lock for a while, then writes.
        const auto holdLock = [this](int milliseconds, std::promise<void> &locked) {
            sqlite3 *other = nullptr;
            sqlite3_open(QFile::encodeName(file).constData(), &other);
            sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO BaseGroup VALUES (50, 'other')", nullptr, nullptr,
                         nullptr);
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        };
        {
            auto db = connection();
            db->open();
            QCOMPARE(GroupStore::groupNames(*db).size(), 1); // a read before the other program writes
            std::promise<void> locked;
            std::jthread holder(holdLock, 400, std::ref(locked));
            locked.get_future().wait();
            QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("新闻")), GroupStore::GroupChange::Done);
            holder.join();
            QCOMPARE(GroupStore::groupNames(*db).size(), 3);
        }
        {
            auto db = connection();
            db->setBusyTimeout(200);
            db->open();
            std::promise<void> locked;
            std::jthread holder(holdLock, 1500, std::ref(locked));
            locked.get_future().wait();
            QVERIFY_THROWS_EXCEPTION(AppError, GroupStore::addGroup(*db, QStringLiteral("体育")));
            QVERIFY_THROWS_EXCEPTION(AppError,
                                     AddressStore::insertAll(*db, {{QStringLiteral("a.cn"), QStringLiteral("A")}}, 1));
            holder.join();
            QCOMPARE(GroupStore::groupNames(*db).size(), 4);
            QCOMPARE(AddressStore::list(*db, AddressFilter::all()).size(), size_t(0));
        }
    }

    // A folder that cannot be written, and a disk without room (a file size limit stands in
    // for it: no file of this process can grow, not even the shared journal's index, while
    // the limit holds), give a library that is read, and every write says why it cannot be.
    void libraryThatCannotBeWrittenIsRead_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<QString>("backupSays");
        QTest::newRow("read-only folder") << false << QString(); // nothing can change: no copy, no complaint
        QTest::newRow("full disk") << true << QStringLiteral("今天的数据库备份未能完成");
    }
    void libraryThatCannotBeWrittenIsRead()
    {
        QFETCH(bool, fullDisk);
        QFETCH(QString, backupSays);
        {
            auto db = connection();
            AddressStore::insert(*db, QStringLiteral("www.Ünïcode.org"), QStringLiteral("只读"), 1);
        }
        QVERIFY(!QFile::exists(file + QStringLiteral("-shm")));
        const QByteArray before = fileHash(file);
        const QString folder = QFileInfo(file).absolutePath();
        std::function<void()> undo;
        if (fullDisk) {
            rlimit limit = {};
            QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
            const rlimit old = limit;
            limit.rlim_cur = 0;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
            undo = [old, oldSignal] {
                ::setrlimit(RLIMIT_FSIZE, &old);
                ::signal(SIGXFSZ, oldSignal);
            };
        } else {
            if (!makeReadOnly(folder))
                QSKIP("cannot make a folder read-only here (needs root)");
            undo = [folder] { ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH); };
            QFile probe(folder + QStringLiteral("/probe"));
            QVERIFY(!probe.open(QIODevice::WriteOnly));
        }
        const auto undoAtEnd = qScopeGuard([&] { undo(); });

        auto db = connection();
        QCOMPARE(found(*db, QStringLiteral("üNÏ")), size_t(1));
        QVERIFY(db->isReadOnly());
        const auto saysReadOnly = [](const std::function<void()> &write) {
            try {
                write();
                return false;
            } catch (const AppError &error) {
                return error.kind() == AppError::Kind::ReadOnly;
            }
        };
        QVERIFY(saysReadOnly([&] { AddressStore::insert(*db, QStringLiteral("x"), QStringLiteral("x"), 1); }));
        QVERIFY(saysReadOnly([&] { GroupStore::addGroup(*db, QStringLiteral("g")); }));
        QVERIFY(saysReadOnly([&] { AddressStore::countVisit(*db, QStringLiteral("www.Ünïcode.org")); }));
        QCOMPARE(fileHash(file), before);
        db.reset();
        const QString said = DailyBackup::takeIfDue(file);
        QVERIFY2(backupSays.isEmpty() ? said.isEmpty() : said.startsWith(backupSays), qPrintable(said));
    }

    void dailyBackupCopiesOncePerDayAndKeepsSeven()
    {
        const QDate day(2026, 3, 1);
        QCOMPARE(DailyBackup::takeIfDue(file, day), QString()); // nothing stored yet
        QVERIFY(!QFile::exists(DailyBackup::folderFor(file)));

        auto db = connection();
        AddressStore::insert(*db, QStringLiteral("a.cn"), QStringLiteral("甲"), 1);
        QCOMPARE(DailyBackup::takeIfDue(file, day), QString());
        const QString first = DailyBackup::folderFor(file) + QLatin1Char('/') + DailyBackup::copyNameFor(day);
        QCOMPARE(scalar(first, QStringLiteral("SELECT count(*) FROM address")), 1);

        // The same day again keeps the first copy, taken before the day's changes.
        AddressStore::insert(*db, QStringLiteral("b.cn"), QStringLiteral("乙"), 1);
        QCOMPARE(DailyBackup::takeIfDue(file, day), QString());
        QCOMPARE(scalar(first, QStringLiteral("SELECT count(*) FROM address")), 1);

        QFile other(DailyBackup::folderFor(file) + QStringLiteral("/notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(DailyBackup::takeIfDue(file, day.addDays(i)), QString());
        QStringList expected{QStringLiteral("notes.txt")};
        for (int i = 2; i <= 8; ++i)
            expected << DailyBackup::copyNameFor(day.addDays(i));
        QStringList kept = QDir(DailyBackup::folderFor(file)).entryList(QDir::Files, QDir::Name);
        kept.sort();
        expected.sort();
        QCOMPARE(kept.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')));
        QCOMPARE(scalar(DailyBackup::folderFor(file) + QLatin1Char('/') + DailyBackup::copyNameFor(day.addDays(8)),
                        QStringLiteral("SELECT count(*) FROM address")),
                 2);
    }

    void failedBackupIsToldAndLeavesNoCopy()
    {
        connection()->open();
        QFile blocker(DailyBackup::folderFor(file));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        const QString said = DailyBackup::takeIfDue(file, QDate(2026, 3, 1));
        QVERIFY2(said.startsWith(QStringLiteral("今天的数据库备份未能完成")), qPrintable(said));
        QVERIFY(QFileInfo(DailyBackup::folderFor(file)).isFile());
    }
};

VESTRANE_TEST_MAIN(TestDatabaseFile)
#include "tst_databasefile.moc"
