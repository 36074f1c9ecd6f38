#include "TestEnv.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/NetscapeReader.h"
#include "data/AppError.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>

namespace {

QString dataFile(const QString &name)
{
    return QStringLiteral(VESTRANE_SOURCE_DIR "/tests/bookmarks/data/") + name;
}

// The bookmark rows that the fixtures' README lists for one file, as "group|title|url",
// with each browser root replaced by the name the program shows for it.
QStringList readmeRows(const QString &file, const QHash<QString, QString> &rootNames)
{
    QFile readme(dataFile(QStringLiteral("README.md")));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'));
    QStringList rows;
    bool inSection = false;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("### ")))
            inSection = line.mid(4).trimmed() == file;
        if (!inSection || !line.startsWith(QLatin1String("| ")) || line.startsWith(QLatin1String("| #")))
            continue;
        const QStringList cells = line.split(QStringLiteral(" | "));
        if (cells.size() < 6 || cells[3] != QLatin1String("bookmark"))
            continue;
        const auto unquote = [](QString cell) {
            cell = cell.trimmed();
            if (cell.endsWith(QLatin1String(" |")))
                cell.chop(2);
            if (cell.startsWith(QLatin1Char('`')) && cell.endsWith(QLatin1Char('`')))
                cell = cell.mid(1, cell.size() - 2);
            return cell;
        };
        const QString url = unquote(cells[5]);
        if (url.startsWith(QLatin1String("javascript:")))
            continue;
        QString group = rootNames.value(cells[1].trimmed());
        const QString path = unquote(cells[2]);
        if (path != QLatin1String("(at root)"))
            group += QStringLiteral(" / ") + path;
        const QString title = unquote(cells[4]);
        rows << group + QLatin1Char('|') + (title == QLatin1String("(empty title)") ? QString() : title)
                    + QLatin1Char('|') + url;
    }
    return rows;
}

QStringList rowsOf(const BookmarkSet &set)
{
    QStringList rows;
    for (const Bookmark &bookmark : set.bookmarks)
        rows << set.groupOf(bookmark) + QLatin1Char('|') + bookmark.title + QLatin1Char('|') + bookmark.url;
    return rows;
}

} // namespace

class TestReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void browserFilesGiveTheirListedRows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("separators");
        QTest::newRow("places") << QStringLiteral("firefox/places.sqlite") << 3;
        QTest::newRow("firefox html") << QStringLiteral("firefox/bookmarks.html") << 3;
        QTest::newRow("chromium json") << QStringLiteral("chromium/Bookmarks") << 0;
        QTest::newRow("chromium html") << QStringLiteral("chromium/bookmarks.html") << 0;
    }

    void browserFilesGiveTheirListedRows()
    {
        QFETCH(QString, file);
        QFETCH(int, separators);
        const QHash<QString, QString> roots =
            file.startsWith(QLatin1String("firefox"))
                ? QHash<QString, QString>{{QStringLiteral("toolbar"), QStringLiteral("书签工具栏")},
                                          {QStringLiteral("menu"), QStringLiteral("书签菜单")},
                                          {QStringLiteral("unfiled"), QStringLiteral("其他书签")}}
                : QHash<QString, QString>{{QStringLiteral("toolbar"), QStringLiteral("书签栏")},
                                          {QStringLiteral("other"), QStringLiteral("其他书签")}};
        const QStringList expected = readmeRows(file, roots);
        QVERIFY(expected.size() >= 27);

        const BookmarkSet set = BookmarkFile::read(dataFile(file));
        // Firefox's file lists the menu before the toolbar; the README lists roots in a
        // fixed order. Within each root the order is the file's.
        QStringList actual = rowsOf(set);
        const auto rootOf = [](const QString &row) {
            return row.section(QLatin1Char('|'), 0, 0).section(QStringLiteral(" / "), 0, 0);
        };
        const auto rootRank = [&](const QString &row) {
            for (qsizetype i = 0; i < expected.size(); ++i)
                if (rootOf(expected[i]) == rootOf(row))
                    return i;
            return expected.size();
        };
        std::stable_sort(actual.begin(), actual.end(),
                         [&](const QString &a, const QString &b) { return rootRank(a) < rootRank(b); });
        QCOMPARE(actual, expected);
        QCOMPARE(set.notWeb.size(), size_t(1)); // the bookmarklet
        QVERIFY(set.notWeb[0].url.startsWith(QLatin1String("javascript:")));
        QCOMPARE(set.separators, separators);
        QCOMPARE(set.emptyFolders, 1);
        for (const Bookmark &bookmark : set.bookmarks)
            QVERIFY2(bookmark.added.isValid(), qPrintable(bookmark.url));
    }

    // A live Firefox keeps its latest bookmarks in the -wal file; they must be read too.
    void placesReadsTheWriteAheadLog()
    {
        TestEnv env;
        const QString places = env.root() + QStringLiteral("/places.sqlite");
        QVERIFY(QFile::copy(dataFile(QStringLiteral("firefox/places.sqlite")), places));
        QFile::setPermissions(places, QFile::ReadOwner | QFile::WriteOwner);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("live"));
            db.setDatabaseName(places);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
            QVERIFY(q.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO moz_places (url, guid, url_hash) VALUES "
                                          "('https://wal.example/', 'walplace0001', 1)")));
            QVERIFY(q.exec(QStringLiteral(
                "INSERT INTO moz_bookmarks (type, fk, parent, position, title, guid, dateAdded, lastModified) "
                "SELECT 1, (SELECT id FROM moz_places WHERE guid = 'walplace0001'), id, 99, 'Only in the log', "
                "'walbookmark1', 1700000000000000, 1700000000000000 FROM moz_bookmarks WHERE guid = 'unfiled_____'")));
            QVERIFY(QFile(places + QStringLiteral("-wal")).size() > 0);
            // Read while the writer still holds the file open, as with a running browser.
            const BookmarkSet set = BookmarkFile::read(places);
            QVERIFY(rowsOf(set).contains(QStringLiteral("其他书签|Only in the log|https://wal.example/")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("live"));
    }

    void gb18030FileIsDecodedByItsMeta()
    {
        const BookmarkSet set = BookmarkFile::read(dataFile(QStringLiteral("gb18030.html")));
        QCOMPARE(rowsOf(set), (QStringList{
                                  QStringLiteral("中文资料|中国政府网|http://www.gov.cn/"),
                                  QStringLiteral("中文资料|百度百科：长城 & 故宫|https://baike.baidu.com/item/%E9%95%BF%E5%9F%8E"),
                                  QStringLiteral("gb18030.html|汉典 𠀀|https://www.zdic.net/"),
                              }));
        QCOMPARE(set.bookmarks[0].added, QDateTime::fromSecsSinceEpoch(1700000100));
        QCOMPARE(set.bookmarks[0].lastVisit, QDateTime::fromSecsSinceEpoch(1700003600));
    }

    void utf8WithoutMetaAndBytesOfNoCharset()
    {
        const QByteArray utf8 = QStringLiteral("<DL><DT><A HREF=\"https://a.example/\">无声明</A></DL>").toUtf8();
        QCOMPARE(NetscapeReader::read(utf8, QStringLiteral("f")).bookmarks.at(0).title, QStringLiteral("无声明"));
        // No meta and no valid UTF-8: the Chinese code page is the likely one.
        QStringEncoder gb("GB18030");
        const QByteArray legacy = gb.encode(QStringLiteral("<DL><DT><A HREF=\"https://b.example/\">旧文件</A></DL>"));
        QCOMPARE(NetscapeReader::read(legacy, QStringLiteral("f")).bookmarks.at(0).title, QStringLiteral("旧文件"));
    }

    void deepNestingAndHugeTitles()
    {
        const BookmarkSet deep = BookmarkFile::read(dataFile(QStringLiteral("deep.html")));
        QCOMPARE(deep.bookmarks.size(), size_t(1));
        QCOMPARE(deep.bookmarks[0].folders.size(), 10);
        QCOMPARE(deep.groupOf(deep.bookmarks[0]),
                 QStringLiteral("层1 / 层2 / 层3 / 层4 / 层5 / 层6 / 层7 / 层8 / 层9 / 层10"));

        const QString title(100 * 1024, QChar(0x4E2D));
        const QByteArray file = "<DL><DT><H3>" + title.toUtf8() + "</H3><DL><DT><A HREF=\"https://x.example/\">"
                                + title.toUtf8() + "</A></DL></DL>";
        const BookmarkSet huge = NetscapeReader::read(file, QStringLiteral("f"));
        QCOMPARE(huge.bookmarks.size(), size_t(1));
        QCOMPARE(huge.bookmarks[0].title, title);
        QCOMPARE(huge.bookmarks[0].folders, QStringList{title});
    }

    void brokenMarkupKeepsWhatCanBeRead()
    {
        const BookmarkSet set = BookmarkFile::read(dataFile(QStringLiteral("broken.html")));
        QCOMPARE(rowsOf(set), (QStringList{
                                  QStringLiteral("broken.html|Unquoted attributes|https://unquoted.example/a?x=1&y=2"),
                                  QStringLiteral("broken.html|No closing tag|https://noclose.example/"),
                                  QStringLiteral("Folder|Single 中文 &bogus; &amp|https://single.example/"),
                                  QStringLiteral("broken.html|After the stray closers|https://after.example/"),
                                  QStringLiteral("broken.html||https://eof.example/"),
                              }));
        QCOMPARE(set.notWeb.size(), size_t(2));
        QCOMPARE(set.emptyFolders, 1); // the heading that no list followed
        QCOMPARE(set.bookmarks[0].added, QDateTime::fromSecsSinceEpoch(1700000000));
    }

    void filesOfNoKnownKindAreRefused()
    {
        TestEnv env;
        const QString text = env.root() + QStringLiteral("/notes.txt");
        QFile out(text);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("just some notes\n");
        out.close();
        QVERIFY_THROWS_EXCEPTION(AppError, BookmarkFile::read(text));
        QVERIFY_THROWS_EXCEPTION(AppError, BookmarkFile::read(env.root() + QStringLiteral("/missing.html")));
        QFile json(env.root() + QStringLiteral("/Bookmarks"));
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write("{\"roots\": ");
        json.close();
        QVERIFY_THROWS_EXCEPTION(AppError, BookmarkFile::read(json.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
