#include "BookmarkTestSupport.h"
#include "TestEnv.h"
#include "bookmarks/ExportService.h"
#include "bookmarks/ImportService.h"
#include "bookmarks/NetscapeWriter.h"
#include "data/AddressStore.h"
#include "data/GroupStore.h"
#include "data/AppError.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

// A strict reader of the exported file, independent of the program's lenient one:
// elements nest properly, every attribute is double-quoted, only the five entities and
// numeric references occur, no raw '<' or '>' in text, and the charset meta is there.
// Gives the problems found.
QStringList strictProblems(const QByteArray &bytes)
{
    QStringList problems;
    const QString s = QString::fromUtf8(bytes);
    if (!s.startsWith(QLatin1String("<!DOCTYPE NETSCAPE-Bookmark-file-1>")))
        problems << QStringLiteral("no doctype");
    if (!s.contains(QLatin1String("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">")))
        problems << QStringLiteral("no charset meta");
    const QStringList voidTags{"DT", "p", "META", "HR"};
    const QStringList containers{"DL", "H3", "A", "TITLE", "H1"};
    QStringList open;
    qsizetype i = 0;
    const auto checkText = [&](QStringView text) {
        if (text.contains(QLatin1Char('>')))
            problems << QStringLiteral("raw > in text: ") + text.toString();
        for (qsizetype at = text.indexOf(QLatin1Char('&')); at >= 0; at = text.indexOf(QLatin1Char('&'), at + 1)) {
            const QStringView rest = text.mid(at);
            static const QRegularExpression entity(QStringLiteral("^&(amp|lt|gt|quot|#[0-9]+|#x[0-9a-fA-F]+);"));
            if (!entity.match(rest.toString()).hasMatch())
                problems << QStringLiteral("bad entity: ") + rest.left(12).toString();
        }
    };
    while (i < s.size()) {
        const qsizetype lt = s.indexOf(QLatin1Char('<'), i);
        checkText(QStringView(s).mid(i, (lt < 0 ? s.size() : lt) - i));
        if (lt < 0)
            break;
        if (QStringView(s).mid(lt).startsWith(QLatin1String("<!--"))) {
            i = s.indexOf(QLatin1String("-->"), lt) + 3;
            continue;
        }
        const qsizetype gt = s.indexOf(QLatin1Char('>'), lt);
        if (gt < 0) {
            problems << QStringLiteral("unterminated tag");
            break;
        }
        const QString tag = s.mid(lt + 1, gt - lt - 1);
        i = gt + 1;
        if (tag.startsWith(QLatin1String("!DOCTYPE")))
            continue;
        if (tag.startsWith(QLatin1Char('/'))) {
            if (open.isEmpty() || open.takeLast() != tag.mid(1))
                problems << QStringLiteral("misnested </%1>").arg(tag.mid(1));
            continue;
        }
        static const QRegularExpression element(QStringLiteral("^([A-Za-z0-9]+)((?:\\s+[A-Z_-]+=\"[^\"<>]*\")*)$"));
        const QRegularExpressionMatch match = element.match(tag);
        if (!match.hasMatch()) {
            problems << QStringLiteral("malformed tag <%1>").arg(tag.left(60));
            continue;
        }
        checkText(match.captured(2));
        const QString name = match.captured(1);
        if (containers.contains(name))
            open << name;
        else if (!voidTags.contains(name))
            problems << QStringLiteral("unknown tag ") + name;
    }
    if (!open.isEmpty())
        problems << QStringLiteral("unclosed: ") + open.join(QLatin1Char(','));
    return problems;
}

QStringList storedRows(DbConnection &db)
{
    QStringList rows;
    for (const AddressRecord &r : AddressStore::list(db, AddressFilter::all()))
        rows << r.groupName + QLatin1Char('|') + r.address + QLatin1Char('|') + r.name;
    rows.sort();
    return rows;
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void strictReaderCatchesFaults()
    {
        // The checker itself must reject what a careless writer produces.
        const QByteArray good = NetscapeWriter().finish();
        QVERIFY(strictProblems(good).isEmpty());
        QByteArray bad = good;
        bad.replace("<DL><p>\n", "<DL><p>\n<DT><A HREF=x>Tom & Jerry</A>\n<DT><H3>x</A>\n");
        const QString found = strictProblems(bad).join(QLatin1Char('\n'));
        QVERIFY(found.contains(QLatin1String("malformed tag <A HREF=x>")));
        QVERIFY(found.contains(QLatin1String("bad entity: & Jerry")));
        QVERIFY(found.contains(QLatin1String("misnested </A>")));
    }

    void schemeIsAddedOnlyWhereThereIsNone()
    {
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("www.x.com:8080/a")),
                 QStringLiteral("http://www.x.com:8080/a"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("localhost:3000")), QStringLiteral("http://localhost:3000"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("https://x.com")), QStringLiteral("https://x.com"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("ftp://x.com")), QStringLiteral("ftp://x.com"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("mailto:a@x.com")), QStringLiteral("mailto:a@x.com"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("svn+ssh://x.com")), QStringLiteral("svn+ssh://x.com"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("x.com/go?to=https://y.com")),
                 QStringLiteral("http://x.com/go?to=https://y.com"));
        QCOMPARE(NetscapeWriter::withScheme(QStringLiteral("1x://y.com")), QStringLiteral("http://1x://y.com"));
    }

    void exportThenImportGivesTheSameAddresses()
    {
        TestEnv env;
        DbConnection source(QStringLiteral("source"));
        source.setDatabaseFile(env.root() + QStringLiteral("/a.mdb"));
        ImportService::importFile(source, bookmarkData(QStringLiteral("firefox/places.sqlite")));
        QCOMPARE(GroupStore::addGroup(source, QStringLiteral("Tom & \"Jerry\" <组>")), GroupStore::GroupChange::Done);
        const int hostile = *GroupStore::groupNoOf(source, QStringLiteral("Tom & \"Jerry\" <组>"));
        AddressStore::insert(source, QStringLiteral("www.x.com:8080/a?b=1&c=<2>"), QStringLiteral("a \"q\" & <b>"),
                             hostile);
        AddressStore::insert(source, QStringLiteral("example.org"), QString(), hostile);
        QCOMPARE(GroupStore::addGroup(source, QStringLiteral("空组")), GroupStore::GroupChange::Done);
        // Line feeds and tabs inside names come back as they were.
        QCOMPARE(GroupStore::addGroup(source, QStringLiteral("书签工具栏 / 两\n行\t组")),
                 GroupStore::GroupChange::Done);
        AddressStore::insert(source, QStringLiteral("c.example"), QStringLiteral("标\t题\n二行"),
                             *GroupStore::groupNoOf(source, QStringLiteral("书签工具栏 / 两\n行\t组")));

        const QString file = env.root() + QStringLiteral("/out.html");
        const int written = ExportService::exportTo(source, file, ExportScope::all());
        QCOMPARE(written, 31);
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        const QStringList problems = strictProblems(bytes);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QVERIFY(bytes.contains("HREF=\"http://www.x.com:8080/a?b=1&amp;c=&lt;2&gt;\""));
        QVERIFY(bytes.contains("<DT><H3>空组</H3>"));
        QVERIFY(bytes.contains("<DT><H3>两&#10;行&#9;组</H3>"));
        // One folder per level, shared parents written once: the browsers show the tree.
        QCOMPARE(bytes.count("<DT><H3>书签工具栏</H3>"), 1);
        QCOMPARE(bytes.count("<DT><H3>新闻</H3>"), 1);
        QVERIFY(bytes.contains("<DT><H3>北京</H3>"));
        QVERIFY(!bytes.contains(" / "));
        QVERIFY(bytes.contains(" ADD_DATE=\"1709280120\" LAST_VISIT=\"1709280120\">人民网</A>"));

        DbConnection target(QStringLiteral("target"));
        target.setDatabaseFile(env.root() + QStringLiteral("/b.mdb"));
        const ImportReport report = ImportService::importFile(target, file);
        QCOMPARE(report.imported, 31);
        QCOMPARE(storedRows(target), storedRows(source));
    }

    void groupAndFavouritesScopes()
    {
        TestEnv env;
        DbConnection db(QStringLiteral("db"));
        db.setDatabaseFile(env.root() + QStringLiteral("/a.mdb"));
        ImportService::importFile(db, bookmarkData(QStringLiteral("firefox/bookmarks.html")));
        AddressStore::setFavourite(db, QStringLiteral("https://lobste.rs"));
        AddressStore::setFavourite(db, QStringLiteral("www.people.com.cn"));
        // Another program stored a name that is no UTF-8: the file stays UTF-8.
        db.execute(QStringLiteral("UPDATE address SET AddressName = CAST(x'41ff42' AS TEXT) WHERE Address = ?"),
                   {QStringLiteral("https://lobste.rs")});

        const QByteArray favourites = ExportService::render(db, ExportScope::favourites());
        QVERIFY(favourites.isValidUtf8());
        QVERIFY(favourites.contains(">A\xEF\xBF\xBD"
                                    "B</A>"));
        QCOMPARE(favourites.count("<H3>"), 1);
        QVERIFY(favourites.contains("<DT><H3>收藏夹</H3>"));
        QCOMPARE(favourites.count("<DT><A "), 2);

        int count = 0;
        const QByteArray group =
            ExportService::render(db, ExportScope::group(QStringLiteral("书签菜单 / Reading")), &count);
        QCOMPARE(count, 3);
        QCOMPARE(group.count("<H3>"), 2);
        QVERIFY(group.contains("<H3>书签菜单</H3>"));
        QVERIFY(strictProblems(group).isEmpty());
    }

    // A write that fails is reported with the system's reason (a disk that fills up as the
    // file grows: a size limit here) and leaves no file of half an export.
    void failedWritesGiveTheReason_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("sizeLimit"); // 0: none
        QTest::addColumn<int>("error");
        QTest::newRow("no such folder") << QStringLiteral("no/such/dir/x.html") << qint64(0) << ENOENT;
        QTest::newRow("disk fills up") << QStringLiteral("x.html") << qint64(1024) << EFBIG;
        QTest::newRow("full device") << QStringLiteral("/dev/full") << qint64(0) << ENOSPC;
    }
    void failedWritesGiveTheReason()
    {
        QFETCH(QString, file);
        QFETCH(qint64, sizeLimit);
        QFETCH(int, error);
        TestEnv env;
        DbConnection db(QStringLiteral("db"));
        db.setDatabaseFile(env.root() + QStringLiteral("/a.mdb"));
        ImportService::importFile(db, bookmarkData(QStringLiteral("firefox/bookmarks.html")));
        const QString target = file.startsWith(QLatin1Char('/')) ? file : env.root() + QLatin1Char('/') + file;

        rlimit before{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &before) == 0);
        if (sizeLimit > 0) {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails instead
            rlimit limited = before;
            limited.rlim_cur = rlim_t(sizeLimit);
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        }
        QString message;
        try {
            ExportService::exportTo(db, target, ExportScope::all());
        } catch (const AppError &failure) {
            message = failure.message();
        }
        ::setrlimit(RLIMIT_FSIZE, &before);
        QVERIFY2(message.contains(QString::fromLocal8Bit(std::strerror(error))), qPrintable(message));
        if (!target.startsWith(QLatin1String("/dev/")))
            QVERIFY(!QFile::exists(target));
        QVERIFY(!QFileInfo(QStringLiteral("/dev/full")).isFile()); // a device is never replaced
    }
};

VESTRANE_TEST_MAIN(TestExport)
#include "tst_export.moc"
