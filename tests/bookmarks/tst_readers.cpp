#include "BookmarkTestSupport.h"
#include "TestEnv.h"
#include "bookmarks/BookmarkFile.h"
#include "bookmarks/ChromiumReader.h"
#include "bookmarks/FirefoxReader.h"
#include "bookmarks/NetscapeReader.h"
#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QStringEncoder>

#include <sys/stat.h>

namespace {

QString dataFile(const QString &name)
{
    return bookmarkData(name);
}

QByteArray dataBytes(const QString &name)
{
    QFile in(dataFile(name));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// Makes a SQLite file by running `statements` (separated by ";\n") in it.
void writeDatabase(const QString &file, const QString &statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("maker"));
        db.setDatabaseName(file);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(db.transaction());
        for (const QString &statement : statements.split(QStringLiteral(";\n"), Qt::SkipEmptyParts))
            QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
        QVERIFY(db.commit());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("maker"));
}

const QString placesTables =
    QStringLiteral("CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, last_visit_date INTEGER);\n"
                   "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER, parent INTEGER, "
                   "position INTEGER, title TEXT, dateAdded INTEGER, guid TEXT);\n"
                   "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 0, 'root________');\n"
                   "INSERT INTO moz_bookmarks VALUES (2, 2, NULL, 1, 0, 'toolbar', 0, 'toolbar_____');\n");

// Writes, in the form of each kind of source, `levels` folders nested in one another
// under the toolbar root, each holding one bookmark (https://hN.example/ at level N)
// before the next folder. Gives the file's name.
QString writeNested(const QString &root, const QString &kind, int levels)
{
    if (kind == QLatin1String("netscape")) {
        writeFile(root + QStringLiteral("/nested.html"), nestedNetscape(levels));
        return root + QStringLiteral("/nested.html");
    }
    if (kind == QLatin1String("chromium")) {
        QByteArray json = "{\"roots\":{\"bookmark_bar\":{\"type\":\"folder\",\"name\":\"Bar\",\"children\":[";
        for (int level = 1; level <= levels; ++level)
            json +=
                "{\"type\":\"folder\",\"name\":\"f\",\"children\":[{\"type\":\"url\",\"name\":\"t\",\"url\":\"https://h"
                + QByteArray::number(level) + ".example/\"}" + (level < levels ? "," : "");
        json += QByteArray(levels, ']').replace("]", "]}") + "]}}}";
        writeFile(root + QStringLiteral("/Bookmarks"), json);
        return root + QStringLiteral("/Bookmarks");
    }
    QString sql = placesTables;
    for (int level = 1; level <= levels; ++level) {
        const int folder = 1000 + level;
        sql += QStringLiteral("INSERT INTO moz_bookmarks VALUES (%1, 2, NULL, %2, 1, 'f', 0, 'f%1');\n"
                              "INSERT INTO moz_places VALUES (%3, 'https://h%3.example/', 0);\n"
                              "INSERT INTO moz_bookmarks VALUES (%4, 1, %3, %1, 0, 't', 0, 'b%3');\n")
                   .arg(folder)
                   .arg(level == 1 ? 2 : folder - 1)
                   .arg(level)
                   .arg(100000 + level);
    }
    writeDatabase(root + QStringLiteral("/places.sqlite"), sql);
    return root + QStringLiteral("/places.sqlite");
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
        const QHash<QString, QString> roots = file.startsWith(QLatin1String("firefox"))
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
        QCOMPARE(rowsOf(set),
                 (QStringList{
                     QStringLiteral("中文资料|中国政府网|http://www.gov.cn/"),
                     QStringLiteral("中文资料|百度百科：长城 & 故宫|https://baike.baidu.com/item/%E9%95%BF%E5%9F%8E"),
                     QStringLiteral("gb18030.html|汉典 𠀀|https://www.zdic.net/"),
                 }));
        QCOMPARE(set.bookmarks[0].added, QDateTime::fromSecsSinceEpoch(1700000100));
        QCOMPARE(set.bookmarks[0].lastVisit, QDateTime::fromSecsSinceEpoch(1700003600));
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
        QCOMPARE(rowsOf(set),
                 (QStringList{
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

    // Every charset a file declares, or its byte-order mark tells, and files that declare
    // none (the UTF-16 files carry only their mark; one UTF-8 file's mark contradicts its
    // meta).
    void charsetsAreHonoured_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("badBytes");
        const auto file = [](const char *name) { return dataBytes(QStringLiteral("charsets/") + QLatin1String(name)); };
        QTest::newRow("big5") << file("big5.html") << QStringLiteral("繁體資料|中華民國 臺灣|https://big5.example/")
                              << 0;
        QTest::newRow("windows-1252") << file("windows-1252.html")
                                      << QStringLiteral("Café Folder|Naïve résumé – 5 €|https://windows-1252.example/")
                                      << 0;
        QTest::newRow("shift_jis") << file("shift_jis.html")
                                   << QStringLiteral("日本語|東京タワー|https://shift_jis.example/") << 0;
        QTest::newRow("euc-kr") << file("euc-kr.html") << QStringLiteral("한국어|서울 날씨|https://euc-kr.example/")
                                << 0;
        QTest::newRow("koi8-r") << file("koi8-r.html") << QStringLiteral("Русский|Новости дня|https://koi8-r.example/")
                                << 0;
        QTest::newRow("utf-16le") << file("utf-16le.html")
                                  << QStringLiteral("中文 UTF-16LE|汉字 𠀀 😀|https://utf-16le.example/") << 0;
        QTest::newRow("utf-16be") << file("utf-16be.html")
                                  << QStringLiteral("中文 UTF-16BE|汉字 𠀀 😀|https://utf-16be.example/") << 0;
        QTest::newRow("utf-8 mark over meta")
            << file("utf-8-bom.html") << QStringLiteral("Ünïcode|标记优先|https://utf-8-bom.example/") << 0;
        QTest::newRow("none, utf-8")
            << QStringLiteral("<DL><DT><A HREF=\"https://a.example/\">无声明</A></DL>").toUtf8()
            << QStringLiteral("f|无声明|https://a.example/") << 0;
        // No meta and no valid UTF-8: the Chinese code page is the likely one.
        QStringEncoder gb("GB18030");
        QTest::newRow("none, gb18030") << QByteArray(
            gb.encode(QStringLiteral("<DL><DT><A HREF=\"https://b.example/\">旧文件</A></DL>")))
                                       << QStringLiteral("f|旧文件|https://b.example/") << 0;
        QTest::newRow("none, utf-8 but a byte")
            << QByteArray("<DL><DT><H3>\xe4\xb8\xad\xe6\x96\x87</H3><DL><DT><A HREF=\"https://c.example/\">"
                          "\xe4\xb8\xad\xe6\x96\x87\xff\xe7\xbd\x91\xe9\xa1\xb5</A></DL></DL>")
            << QStringLiteral("中文|中文\uFFFD网页|https://c.example/") << 1;
        // Declared UTF-8 with a surrogate and an overlong form: each of their bytes is one fault.
        QTest::newRow("utf-8 declared, faults")
            << QByteArray("<META CONTENT=\"text/html; charset=UTF-8\"><DL><DT><A HREF=\"https://d.example/\">"
                          "a\xed\xa0\x80"
                          "b\xc0\xaf"
                          "c</A></DL>")
            << QStringLiteral("f|a\uFFFD\uFFFD\uFFFDb\uFFFD\uFFFDc|https://d.example/") << 5;
    }

    void charsetsAreHonoured()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, row);
        QFETCH(int, badBytes);
        QCOMPARE(BookmarkFile::kindOf(bytes), BookmarkFile::Kind::Netscape);
        const BookmarkSet set = NetscapeReader::read(bytes, QStringLiteral("f"));
        QCOMPARE(rowsOf(set), QStringList{row});
        QCOMPARE(set.badBytes, badBytes);
    }

    // Firefox leaves "Other Bookmarks" out of its file when that folder is empty; the file
    // is still told by its heading, so that its roots are named as the same profile's
    // places.sqlite names them and a second import finds the duplicates.
    void firefoxFileNamesRootsAsItsDatabase_data()
    {
        QTest::addColumn<QByteArray>("heading");
        QTest::newRow("english") << QByteArray("<H1>Bookmarks Menu</H1>");
        QTest::newRow("chinese") << QByteArray("<H1>书签菜单</H1>");
    }

    void firefoxFileNamesRootsAsItsDatabase()
    {
        QFETCH(QByteArray, heading);
        QByteArray html = dataBytes(QStringLiteral("firefox/bookmarks.html"));
        html.replace("<H1>Bookmarks Menu</H1>", heading);
        const qsizetype unfiled = html.indexOf("UNFILED_BOOKMARKS_FOLDER");
        QVERIFY(unfiled > 0);
        html = html.left(html.lastIndexOf('\n', unfiled) + 1) + "</DL>\n";

        QStringList fromFile = rowsOf(NetscapeReader::read(html, QStringLiteral("bookmarks.html")));
        QStringList fromDatabase = rowsOf(BookmarkFile::read(dataFile(QStringLiteral("firefox/places.sqlite"))))
                                       .filter(QRegularExpression(QStringLiteral("^(?!其他书签)")));
        fromFile.sort();
        fromDatabase.sort();
        QCOMPARE(fromFile, fromDatabase);
    }

    // Every reader reads folders as deep as the limit and counts the bookmarks below it;
    // a hostile file of 100,000 levels is read in memory linear in its size.
    void folderDepthIsLimitedAlike_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("levels");
        QTest::addColumn<QString>("root");
        QTest::newRow("netscape") << QStringLiteral("netscape") << 300 << QStringLiteral("书签栏");
        QTest::newRow("chromium") << QStringLiteral("chromium") << 300 << QStringLiteral("书签栏");
        QTest::newRow("places") << QStringLiteral("places") << 300 << QStringLiteral("书签工具栏");
        QTest::newRow("netscape, 100,000 levels") << QStringLiteral("netscape") << 100000 << QStringLiteral("书签栏");
    }

    void folderDepthIsLimitedAlike()
    {
        QFETCH(QString, kind);
        QFETCH(int, levels);
        QFETCH(QString, root);
        TestEnv env;
        const BookmarkSet set = BookmarkFile::read(writeNested(env.root(), kind, levels));
        QCOMPARE(set.bookmarks.size(), size_t(maxFolderDepth));
        QCOMPARE(set.tooDeep, levels - maxFolderDepth);
        QCOMPARE(set.emptyFolders, 0);
        const Bookmark &deepest = set.bookmarks.back();
        QCOMPARE(deepest.url, QStringLiteral("https://h%1.example/").arg(maxFolderDepth));
        QCOMPARE(deepest.folders.size(), maxFolderDepth + 1);
        QCOMPARE(deepest.folders.first(), root);
    }

    // Chromium writes a character outside the BMP as a pair of escapes; a lone half reads
    // as U+FFFD and the text after it is kept.
    void jsonEscapesReadAsWritten_data()
    {
        QTest::addColumn<QByteArray>("escaped");
        QTest::addColumn<QString>("title");
        QTest::newRow("lone high half") << QByteArray("\\ud800 x") << QStringLiteral("\uFFFD x");
        QTest::newRow("lone high half last") << QByteArray("x\\uD800") << QStringLiteral("x\uFFFD");
        QTest::newRow("lone low half") << QByteArray("a\\udc00b") << QStringLiteral("a\uFFFDb");
        QTest::newRow("two high halves") << QByteArray("\\ud800\\ud83d\\ude00") << QStringLiteral("\uFFFD😀");
        QTest::newRow("escaped backslash") << QByteArray("\\\\ud800") << QStringLiteral("\\ud800");
    }

    void jsonEscapesReadAsWritten()
    {
        QFETCH(QByteArray, escaped);
        QFETCH(QString, title);
        const QByteArray json = "{\"roots\":{\"bookmark_bar\":{\"children\":[{\"type\":\"url\",\"name\":\"" + escaped
            + "\",\"url\":\"https://a.example/\"}]}}}";
        const BookmarkSet set = ChromiumReader::read(json, QStringLiteral("Chromium"));
        QCOMPARE(set.bookmarks.size(), size_t(1));
        QCOMPARE(set.bookmarks[0].title, title);
    }

    // Each reader looks at the cancel while it works, not only before it starts.
    void readersStopWhenCancelled_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("stopAtLook"); // the look at the cancel that answers "stop"
        QTest::newRow("netscape") << QStringLiteral("netscape") << 2;
        QTest::newRow("chromium") << QStringLiteral("chromium") << 2;
        QTest::newRow("places") << QStringLiteral("places") << 1;
    }

    void readersStopWhenCancelled()
    {
        QFETCH(QString, kind);
        QFETCH(int, stopAtLook);
        int looks = 0;
        const ReadCancel cancel = [&looks, stopAtLook] { return ++looks >= stopAtLook; };
        if (kind == QLatin1String("netscape"))
            QVERIFY_THROWS_EXCEPTION(ImportCancelled,
                                     NetscapeReader::read(nestedNetscape(10), QStringLiteral("f"), cancel));
        else if (kind == QLatin1String("chromium"))
            QVERIFY_THROWS_EXCEPTION(ImportCancelled,
                                     ChromiumReader::read(dataBytes(QStringLiteral("chromium/Bookmarks")),
                                                          QStringLiteral("Chromium"), cancel));
        else
            QVERIFY_THROWS_EXCEPTION(ImportCancelled,
                                     FirefoxReader::read(dataFile(QStringLiteral("firefox/places.sqlite")),
                                                         QStringLiteral("Firefox"), cancel));
        QCOMPARE(looks, stopAtLook);
    }

    // What cannot be read is refused with a message that says why, and nothing blocks:
    // a FIFO is refused without waiting for a writer, a view is never queried.
    void unreadableSourcesAreRefused_data()
    {
        QTest::addColumn<QString>("make"); // file, fifo, folder, places or none
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("text") << QStringLiteral("file") << QByteArray("just some notes\n")
                              << QStringLiteral("不是书签文件");
        QTest::newRow("missing") << QStringLiteral("none") << QByteArray() << QStringLiteral("文件不存在");
        QTest::newRow("cut json") << QStringLiteral("file") << QByteArray("{\"roots\": ")
                                  << QStringLiteral("不是浏览器的书签文件");
        QTest::newRow("unknown charset") << QStringLiteral(
            "file") << QByteArray("<META CONTENT=\"text/html; charset=x-no-such\"><DL><DT><A HREF=a>a</A>")
                                         << QStringLiteral("x-no-such");
        QTest::newRow("fifo") << QStringLiteral("fifo") << QByteArray() << QStringLiteral("不是普通文件");
        QTest::newRow("folder") << QStringLiteral("folder") << QByteArray() << QStringLiteral("不是普通文件");
        QTest::newRow("recursive view")
            << QStringLiteral("places")
            << QByteArray(
                   "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, last_visit_date INTEGER);\n"
                   "CREATE VIEW moz_bookmarks AS WITH RECURSIVE r(id) AS (SELECT 1 UNION ALL SELECT id + 1 FROM r) "
                   "SELECT id, id - 1 AS parent, 2 AS type, 'x' AS title, NULL AS fk, 0 AS position, "
                   "0 AS dateAdded, 'toolbar_____' AS guid FROM r")
            << QStringLiteral("moz_bookmarks");
        QTest::newRow("trigger") << QStringLiteral("places")
                                 << (placesTables
                                     + QStringLiteral("CREATE TRIGGER watcher AFTER DELETE ON moz_places "
                                                      "BEGIN DELETE FROM moz_bookmarks; END"))
                                        .toUtf8()
                                 << QStringLiteral("watcher");
    }

    void unreadableSourcesAreRefused()
    {
        QFETCH(QString, make);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TestEnv env;
        const QString file = env.root() + QStringLiteral("/Bookmarks");
        if (make == QLatin1String("file"))
            writeFile(file, content);
        else if (make == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (make == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(file));
        else if (make == QLatin1String("places"))
            writeDatabase(file, QString::fromUtf8(content));
        try {
            (void)BookmarkFile::read(file);
            QFAIL("read");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestReaders)
#include "tst_readers.moc"
