#include "favorites/FavoritesReader.h"

#include "TestEnv.h"
#include "data/SettingsStore.h"
#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringEncoder>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray gb18030(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

void writeRaw(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
}

// The AppError message of `read`, or a null text when it did not throw.
template <typename Read>
QString errorOf(Read read)
{
    try {
        read();
    } catch (const AppError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TstFavoritesReader : public QObject
{
    Q_OBJECT

private:
    QByteArray m_home; // the test's own home folder, from TestEnv
    QByteArray path(const QByteArray &name) const { return m_home + '/' + name; }

    // The entries handed over, and the error that ended the listing (null when none).
    static QList<ShortcutEntry> listFolder(const QByteArray &folder, QString &error)
    {
        QList<ShortcutEntry> entries;
        error = errorOf([&] { enumerateFavorites(folder, [&](const ShortcutEntry &e) { entries.append(e); }); });
        return entries;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = qgetenv("HOME");
        QVERIFY(m_home.contains("/home"));
    }

    void readsTheLineAfterTheHeader_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("address");
        const QByteArray h = "[InternetShortcut]";
        QTest::newRow("crlf") << h + "\r\nURL=http://a.com/x?q='1'\r\n"
                              << "http://a.com/x?q='1'";
        QTest::newRow("lf only") << h + "\nURL=http://a.com/\n"
                                 << "http://a.com/";
        QTest::newRow("cr only, no final break") << h + "\rURL=a.com"
                                                 << "a.com";
        QTest::newRow("header in capitals") << QByteArray("[INTERNETSHORTCUT]\r\nURL=b.com") << "b.com";
        QTest::newRow("header with a blank") << h + " \r\nURL=b.com"
                                             << "";
        QTest::newRow("another key follows") << h + "\r\nIconIndex=0\r\nURL=c.com"
                                             << "Index=0";
        QTest::newRow("other sections first") << "[DEFAULT]\r\nBASEURL=x\r\n" + h + "\r\nURL=d.com\r\n"
                                              << "d.com";
        QTest::newRow("empty line follows") << h + "\r\n\r\nURL=e.com"
                                            << "";
        QTest::newRow("lf then cr is two breaks") << h + "\n\rURL=e.com"
                                                  << "";
        QTest::newRow("short line follows") << h + "\r\nUR\r\n"
                                            << "";
        QTest::newRow("no header") << QByteArray("URL=f.com\r\n") << "";
        QTest::newRow("one line") << QByteArray("URL=f.com") << "";
        QTest::newRow("empty") << QByteArray() << "";
        QTest::newRow("nul ends the text") << h + "\r\nURL=g.com" + QByteArray(1, '\0') + "tail"
                                           << "g.com";
        QTest::newRow("nul before header") << QByteArray(1, '\0') + h + "\r\nURL=g.com"
                                           << "";
        QTest::newRow("utf-8 byte-order mark") << "\xEF\xBB\xBF" + h + "\r\nURL=h.com"
                                               << "h.com";
        QTest::newRow("utf-8 text") << h + "\r\nURL=http://例子.cn/页"
                                    << "http://例子.cn/页";
        QTest::newRow("gb18030 text") << h + "\r\nURL=http://x.cn/" + gb18030(u"中文页"_s) << "http://x.cn/中文页";
        QTest::newRow("gb18030 elsewhere, ascii url") << gb18030(u"[说明]\r\n"_s) + h + "\r\nURL=i.com"
                                                      << "i.com";
    }

    void readsTheLineAfterTheHeader()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, address);
        writeRaw(path("read.url"), content);
        QCOMPARE(shortcutAddress(path("read.url")), address);
        // The fuzz target reads the bytes without a file; it must see what the file gives.
        QCOMPARE(addressFromShortcutBytes(content, "read.url"), address);
    }

    void garbageAndLargeFilesAreRead()
    {
        QByteArray garbage(100000, Qt::Uninitialized);
        quint32 seed = 12345;
        for (char &c : garbage) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 24);
        }
        writeRaw(path("garbage.url"), garbage);
        QCOMPARE(shortcutAddress(path("garbage.url")), QString());

        QByteArray filler(10 * 1024 * 1024, 'x');
        writeRaw(path("large.url"), "[InternetShortcut]\r\nURL=j.com\r\n" + filler);
        QCOMPARE(shortcutAddress(path("large.url")), u"j.com"_s);
        writeRaw(path("large.url"), filler + "\r\n[InternetShortcut]\r\nURL=中.com");
        QCOMPARE(shortcutAddress(path("large.url")), u"中.com"_s);

        // A huge file is read only up to its first NUL.
        writeRaw(path("sparse.url"), "[InternetShortcut]\nURL=k.com\n");
        QCOMPARE(::truncate(path("sparse.url").constData(), 1LL << 32), 0);
        QCOMPARE(shortcutAddress(path("sparse.url")), u"k.com"_s);
    }

    void unreadableFilesRaiseAnErrorNamingThem()
    {
        writeRaw(path("last.url"), "[InternetShortcut]\r\n");
        QString message = errorOf([&] { shortcutAddress(path("last.url")); });
        QVERIFY2(message.contains(u"last.url"_s) && message.contains(u"[InternetShortcut]"_s), qPrintable(message));
        QCOMPARE(errorOf([] { addressFromShortcutBytes("[InternetShortcut]\r\n", "last.url"); }),
                 QString(message).remove(QString::fromUtf8(m_home + '/')));

        QVERIFY(QDir().mkdir(QString::fromUtf8(path("folder.url"))));
        QCOMPARE(::symlink("nowhere", path("dangling.url").constData()), 0);
        for (const QByteArray &name :
             {QByteArray("missing.url"), QByteArray("folder.url"), QByteArray("dangling.url")}) {
            message = errorOf([&] { shortcutAddress(path(name)); });
            QVERIFY2(message.startsWith(u"无法读取收藏夹文件："_s) && message.contains(name), qPrintable(message));
        }
    }

    void listsShortcutsOfTheFolderInNameOrder()
    {
        const QByteArray folder = path("Favorites/");
        QVERIFY(QDir().mkpath(QString::fromUtf8(folder + "sub")));
        QVERIFY(QDir().mkpath(QString::fromUtf8(folder + "dir.url")));
        const QByteArray gbName = gb18030(u"新闻.url"_s);
        const QByteArray body = "[InternetShortcut]\r\nURL=";
        writeRaw(folder + "b.url", body + "b.com");
        writeRaw(folder + "A.URL", body + "a.com");
        writeRaw(folder + "it's.Url", body + "it's.com");
        writeRaw(folder + gbName, body + "news.cn");
        writeRaw(folder + ".url", body + "blank.com");
        writeRaw(folder + "c.txt", body + "c.com");
        writeRaw(folder + "c.url.bak", body + "c.com");
        writeRaw(folder + "sub/d.url", body + "d.com");
        QCOMPARE(::symlink("b.url", (folder + "linked.url").constData()), 0);
        QCOMPARE(::mkfifo((folder + "pipe.url").constData(), 0644), 0);

        QCOMPARE(favoritesFolder(), folder);
        QString error;
        QStringList seen;
        for (const ShortcutEntry &e : listFolder(folder.chopped(1), error))
            seen << e.displayName + u'=' + e.address;
        QVERIFY2(error.isNull(), qPrintable(error));
        QCOMPARE(seen,
                 QStringList({u"=blank.com"_s, u"A=a.com"_s, u"b=b.com"_s, u"it's=it's.com"_s, u"linked=b.com"_s,
                              u"新闻=news.cn"_s}));

        QVERIFY(listFolder(path("absent/"), error).isEmpty());
        QVERIFY(error.isNull());
        // QDir cannot remove a name that is not UTF-8.
        QCOMPARE(::unlink((folder + gbName).constData()), 0);
    }

    void anUnreadableShortcutEndsTheListing()
    {
        const QByteArray folder = path("Broken/");
        QVERIFY(QDir().mkpath(QString::fromUtf8(folder)));
        writeRaw(folder + "a.url", "[InternetShortcut]\nURL=a.com");
        writeRaw(folder + "z.url", "[InternetShortcut]\nURL=z.com");
        QCOMPARE(::symlink("gone", (folder + "m.url").constData()), 0);
        QString error;
        const QList<ShortcutEntry> entries = listFolder(folder, error);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().address, u"a.com"_s);
        QVERIFY2(error.contains(u"m.url"_s), qPrintable(error));
    }

    void findsTheFolderFromTheEnvironment()
    {
        qputenv("HOME", "/home/someone");
        qputenv("USERPROFILE", " \t/profiles/me \n");
        QCOMPARE(favoritesFolder(), QByteArray("/profiles/me/Favorites/"));
        qputenv("USERPROFILE", "  ");
        QCOMPARE(favoritesFolder(), QByteArray("/home/someone/Favorites/"));
        qunsetenv("USERPROFILE");
        QCOMPARE(favoritesFolder(), QByteArray("/home/someone/Favorites/"));
        qputenv("HOME", m_home);
    }

    void expandsEnvironmentReferences()
    {
        const QString longValue(300, u'长');
        qputenv("USERPROFILE", longValue.toUtf8());
        qunsetenv("VESTRANE_UNDEFINED");
        QCOMPARE(expandEnvironment(u"%UserProFile%/Favorites/"_s), longValue + u"/Favorites/"_s);
        QCOMPARE(expandEnvironment(u"a%VESTRANE_UNDEFINED%b%%c%"_s), u"a%VESTRANE_UNDEFINED%b%%c%"_s);
        QCOMPARE(expandEnvironment(u"50% of %USERPROFILE"_s), u"50% of %USERPROFILE"_s);
        qunsetenv("USERPROFILE");
    }

    void favoritesPathFollowsTheSettings()
    {
        const QString file = SettingsStore::userFileName();
        QFile::remove(file);
        QCOMPARE(favoritesShellFolder(), QString());

        SettingsStore::writeDefaultsIfMissing();
        QCOMPARE(favoritesShellFolder(), u"%USERPROFILE%/Favorites/"_s);

        {
            QSettings settings(file, QSettings::IniFormat);
            settings.remove(u"ShellFolders/Favorites"_s);
            settings.setValue(u"ShellFolders/Other"_s, u"x"_s);
        }
        QCOMPARE(favoritesShellFolder(), u"/"_s);

        {
            QSettings settings(file, QSettings::IniFormat);
            settings.remove(u"ShellFolders"_s);
        }
        QCOMPARE(favoritesShellFolder(), QString());
    }
};

VESTRANE_TEST_MAIN(TstFavoritesReader)
#include "tst_favoritesreader.moc"
