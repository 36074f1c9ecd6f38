#include "TestEnv.h"

#include "data/SharedConnection.h"
#include "data/SettingsStore.h"
#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT

private:
    TestEnv *env = nullptr;

    void writeSettings(const QByteArray &content)
    {
        QDir().mkpath(env->configHome() + QStringLiteral("/Kelvo"));
        QFile file(env->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    // A system-wide settings file in a folder of XDG_CONFIG_DIRS, for this test only.
    void writeSystemSettings(const QByteArray &content)
    {
        const QString folder = env->root() + QStringLiteral("/etc-xdg");
        QDir().mkpath(folder + QStringLiteral("/Kelvo"));
        QFile file(folder + QStringLiteral("/Kelvo/Kelvo.conf"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(QStringLiteral("/nonexistent-xdg-config:") + folder));
    }

    QByteArray settingsContent()
    {
        QFile file(env->settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init() { env = new TestEnv; }
    void cleanup()
    {
        delete env;
        qputenv("XDG_CONFIG_DIRS", QByteArray("/nonexistent-xdg-config"));
    }

    void defaultsAreWrittenOnceAtFirstStart()
    {
        QVERIFY(!QFile::exists(env->settingsFile()));
        SettingsStore::writeDefaultsIfMissing();
        QVERIFY(QFile::exists(env->settingsFile()));
        QCOMPARE(SettingsStore::path(), QString());
        QCOMPARE(SettingsStore::favoritesSetting(), std::optional<QString>(QStringLiteral("%USERPROFILE%/Favorites")));

        writeSettings("[General]\nPath=/srv/x\n");
        SettingsStore::writeDefaultsIfMissing();
        QCOMPARE(settingsContent(), QByteArray("[General]\nPath=/srv/x\n"));
    }

    void pathRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("typeError");
        QTest::newRow("missing value") << QByteArray("[General]\nOther=1\n") << QString() << false;
        QTest::newRow("empty value") << QByteArray("[General]\nPath=\n") << QString() << false;
        QTest::newRow("plain folder") << QByteArray("[General]\nPath=/data/web\n") << QStringLiteral("/data/web")
                                      << false;
        QTest::newRow("quoted comma") << QByteArray("[General]\nPath=\"/data/a, b\"\n") << QStringLiteral("/data/a, b")
                                      << false;
        QTest::newRow("chinese") << QByteArray("[General]\nPath=/数据/网址\n") << QStringLiteral("/数据/网址") << false;
        QTest::newRow("unquoted comma is a list") << QByteArray("[General]\nPath=/data/a, b\n") << QString() << true;
        QTest::newRow("other type") << QByteArray("[General]\nPath=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n") << QString()
                                    << true;
        QTest::newRow("undecodable variant") << QByteArray("[General]\nPath=@Variant(\\0\\x1)\n") << QString() << true;
        QTest::newRow("invalid marker") << QByteArray("[General]\nPath=@Invalid()\n") << QString() << true;
    }

    void pathRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFETCH(bool, typeError);
        writeSettings(content);
        try {
            QCOMPARE(SettingsStore::path(), expected);
            QVERIFY(!typeError);
        } catch (const AppError &error) {
            QVERIFY(typeError);
            QCOMPARE(error.message(), QStringLiteral("Invalid data type for 'Path'"));
        }
    }

    void systemFileHoldsKeyByKeyWhereTheUserHasNone()
    {
        writeSystemSettings("[General]\nPath=/srv/x\n");
        SettingsStore::writeDefaultsIfMissing();
        // The first start writes only what the system file lacks.
        const QByteArray written = settingsContent();
        QVERIFY2(!written.contains("Path"), written.constData());
        QVERIFY(written.contains("Favorites="));
        QCOMPARE(SettingsStore::path(), QStringLiteral("/srv/x"));
        QCOMPARE(SettingsStore::favoritesSetting(), std::optional<QString>(QStringLiteral("%USERPROFILE%/Favorites")));

        // The user's key wins; the system's other keys still hold.
        writeSystemSettings("[General]\nPath=/srv/x\n[ShellFolders]\nFavorites=/srv/favorites\n");
        writeSettings("[General]\nPath=/home/mine\n");
        QCOMPARE(SettingsStore::path(), QStringLiteral("/home/mine"));
        QCOMPARE(SettingsStore::favoritesSetting(), std::optional<QString>(QStringLiteral("/srv/favorites")));

        // A user's file that cannot be parsed counts as missing.
        writeSettings("[General\nPath=/x\n\x01\x02[[[");
        QCOMPARE(SettingsStore::path(), QStringLiteral("/srv/x"));

        // A wrong type in the system file is reported like one in the user's file.
        writeSettings("[ShellFolders]\nFavorites=/home/fav\n");
        writeSystemSettings("[General]\nPath=/a, b\n");
        QVERIFY_THROWS_EXCEPTION(AppError, SettingsStore::path());
        QCOMPARE(SettingsStore::favoritesSetting(), std::optional<QString>(QStringLiteral("/home/fav")));
    }

    void folderWithCommaIsWrittenQuotedAndReadsBack()
    {
        SettingsStore::writeDefaultsIfMissing();
        SettingsStore::setPath(QStringLiteral("/home/me/web, links"));
        QVERIFY(settingsContent().contains("Path=\"/home/me/web, links\""));
        QCOMPARE(SettingsStore::path(), QStringLiteral("/home/me/web, links"));
    }

    void malformedSettingsGiveDefaultsAndStayUntouched()
    {
        const QByteArray garbage("[General\nPath=/x\n\x01\x02[[[");
        writeSettings(garbage);
        SettingsStore::writeDefaultsIfMissing();
        QCOMPARE(SettingsStore::path(), QString());
        QCOMPARE(SettingsStore::favoritesSetting(), std::nullopt);
        QCOMPARE(settingsContent(), garbage);
    }

    void favoritesSettingNeedsItsGroup()
    {
        writeSettings("[General]\nPath=\n");
        QCOMPARE(SettingsStore::favoritesSetting(), std::nullopt);
        writeSettings("[General]\nPath=\n[ShellFolders]\nOther=1\n");
        QCOMPARE(SettingsStore::favoritesSetting(), std::optional<QString>(QString()));
        writeSettings("[ShellFolders]\nFavorites=a, b\n");
        QVERIFY_THROWS_EXCEPTION(AppError, SettingsStore::favoritesSetting());
    }

    void hugePathIsQuotedShortInItsMessage()
    {
        const QString huge = QStringLiteral("/不存在/") + QString(5 * 1024 * 1024, QLatin1Char('a'));
        SettingsStore::setPath(huge);
        QCOMPARE(SettingsStore::path().size(), huge.size());
        try {
            databaseFileFor(huge);
            QFAIL("a missing folder must be refused");
        } catch (const AppError &error) {
            QVERIFY2(error.message().size() < 300, qPrintable(QString::number(error.message().size())));
            QVERIFY(error.message().contains(huge.left(200) + QChar(0x2026)));
        }
    }

    void databaseFolderRules()
    {
        QCOMPARE(databaseFileFor(QString()), env->defaultDatabaseFile());
        QVERIFY(QDir(env->dataHome() + QStringLiteral("/Kelvo")).exists());
        QCOMPARE(databaseFileFor(env->root()), env->root() + QStringLiteral("/address.mdb"));
        QCOMPARE(databaseFileFor(env->root() + QLatin1Char('/')), env->root() + QStringLiteral("/address.mdb"));
        QVERIFY_THROWS_EXCEPTION(AppError, databaseFileFor(QStringLiteral("relative/folder")));
        const QString missing = env->root() + QStringLiteral("/not-mounted");
        QVERIFY_THROWS_EXCEPTION(AppError, databaseFileFor(missing));
        QVERIFY(!QFile::exists(missing));
    }
};

VESTRANE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
