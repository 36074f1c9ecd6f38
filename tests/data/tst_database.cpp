#include "BenchData.h"
#include "OldSchemas.h"
#include "TestEngine.h"
#include "TestEnv.h"

#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/Dates.h"
#include "data/GroupStore.h"
#include "data/RecycleBin.h"
#include "data/Schema.h"
#include "data/SearchStore.h"
#include "data/SettingsStore.h"
#include "data/AppError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QStringList schemaObjects(DbConnection &db)
{
    QStringList names;
    QSqlQuery query =
        db.query(db.isServer() ? QStringLiteral(
                     "SELECT CASE table_type WHEN 'VIEW' THEN 'view' ELSE 'table' END || ':' || table_name "
                     "FROM information_schema.tables WHERE table_schema = current_schema() "
                     "UNION ALL SELECT 'index:' || indexname FROM pg_indexes WHERE schemaname = current_schema()")
                               : QStringLiteral("SELECT type || ':' || name FROM sqlite_master "
                                                "WHERE name NOT LIKE 'sqlite_%' ORDER BY name"));
    while (query.next())
        names << query.value(0).toString().toLower();
    return names;
}

// Ends every other connection to the test's database, as a restarted server would.
void dropOtherConnections(DbConnection &db)
{
    DbConnection admin(QStringLiteral("admin"));
    admin.setDatabaseFile(db.location().text());
    admin.query(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                               "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
}

// Every index and view with its definition; on SQLite every object of the file.
QStringList schemaDefinitions(DbConnection &db)
{
    QStringList definitions;
    QSqlQuery query = db.query(
        db.isServer()
            ? QStringLiteral("SELECT indexname || ': ' || indexdef FROM pg_indexes WHERE schemaname = current_schema() "
                             "UNION ALL SELECT viewname || ': ' || definition FROM pg_views "
                             "WHERE schemaname = current_schema() ORDER BY 1")
            : QStringLiteral("SELECT type || ' ' || name || ': ' || coalesce(sql, '') FROM sqlite_master ORDER BY 1"));
    while (query.next())
        definitions << query.value(0).toString();
    return definitions;
}

// "address|name" of the rows a search finds.
QStringList searchResult(DbConnection &db, const QString &text)
{
    QStringList rows;
    for (const AddressRecord &row : AddressStore::list(db, AddressFilter::search(text)))
        rows << row.address + QLatin1Char('|') + row.name;
    return rows;
}

// The same with the plain comparison of the folded columns, row by row, that the search
// made before it had an index.
QStringList plainSearchResult(DbConnection &db, const QString &text)
{
    const QString pattern = AddressStore::containsPattern(text);
    const QString folded = AddressStore::folded(text);
    const bool like = db.engine().likeTakesPattern(pattern);
    const QString condition = like
        ? QStringLiteral("AddressFolded LIKE ? ESCAPE '\\' OR AddressNameFolded LIKE ? ESCAPE '\\'")
        : db.engine().containsCondition(QStringLiteral("AddressFolded")) + QStringLiteral(" OR ")
            + db.engine().containsCondition(QStringLiteral("AddressNameFolded"));
    QSqlQuery query = db.query(QStringLiteral("SELECT Address, AddressName FROM address_1 WHERE ") + condition
                                   + db.engine().addedOrderClause(),
                               like ? QVariantList{pattern, pattern} : QVariantList{folded, folded});
    QStringList rows;
    while (query.next())
        rows << query.value(0).toString() + QLatin1Char('|') + query.value(1).toString();
    return rows;
}

constexpr int SearchedRows = 3000;

// Pieces of the stored realistic addresses or names, `shortest` to `longest` characters
// long, every other one in capitals.
QStringList piecesOfStoredTexts(bool names, int count, int shortest, int longest)
{
    QStringList pieces;
    for (int i = 0; i < count; ++i) {
        const BenchData::Row row = BenchData::row(BenchData::Kind::Realistic, i * 389 % SearchedRows, SearchedRows);
        const QList<uint> characters = QString::fromStdString(names ? row.name : row.address).toUcs4();
        const qsizetype length = std::min<qsizetype>(shortest + i % (longest - shortest + 1), characters.size());
        const qsizetype start = i * 7 % (characters.size() - length + 1);
        const QString piece =
            QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData() + start), length);
        pieces << (i % 2 ? piece.toUpper() : piece);
    }
    return pieces;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private:
    TestEnv *env = nullptr;
    std::unique_ptr<DbConnection> db;

private Q_SLOTS:
    void init()
    {
        env = new TestEnv;
        db = std::make_unique<DbConnection>(QStringLiteral("test"));
        configureConnection(*db);
    }
    void cleanup()
    {
        db.reset();
        delete env;
    }

    void missingFileIsCreatedWithSchemaAndImportGroup()
    {
        QVERIFY(!QFile::exists(env->defaultDatabaseFile()));
        db->open();
        QCOMPARE(QFile::exists(env->defaultDatabaseFile()), !TestEngine::isPostgres());
        const QStringList objects = schemaObjects(*db);
        for (const char *name :
             {"table:basegroup", "table:address", "table:search", "view:address_1", "view:maxgroupno"})
            QVERIFY2(objects.contains(QLatin1String(name)), name);
        QCOMPARE(db->engine().schemaVersion(*db), Schema::Version);
        QCOMPARE(GroupStore::groupNames(*db), QStringList{Schema::ImportGroup});
        QCOMPARE(GroupStore::groupNoOf(*db, Schema::ImportGroup), std::optional<int>(1));
    }

    void existingDatabaseIsReopenedUnchanged()
    {
        db->open();
        GroupStore::addGroup(*db, QStringLiteral("新闻"));
        db->close();
        db.reset();
        const QByteArray before = fileHash(env->defaultDatabaseFile());

        DbConnection again(QStringLiteral("again"));
        configureConnection(again);
        again.open();
        QCOMPARE(GroupStore::groupNames(again), (QStringList{Schema::ImportGroup, QStringLiteral("新闻")}));
        again.close();
        if (!TestEngine::isPostgres())
            QCOMPARE(fileHash(env->defaultDatabaseFile()), before);
    }

    // The last upgrade step (the index of rows without folded copies) on either engine: the
    // library of the version before gains the index and keeps its rows.
    void libraryOfThePreviousVersionIsUpgraded()
    {
        db->open();
        GroupStore::addGroup(*db, QStringLiteral("新闻"));
        const QStringList downgrade = QStringList{QStringLiteral("DROP INDEX address_unfolded")}
            + db->engine().setSchemaVersionStatements(Schema::Version - 1);
        for (const QString &statement : downgrade)
            db->execute(statement);
        db.reset();

        DbConnection again(QStringLiteral("again"));
        configureConnection(again);
        again.open();
        QCOMPARE(again.engine().schemaVersion(again), Schema::Version);
        const QStringList objects = schemaObjects(again);
        QVERIFY(objects.contains(QLatin1String("index:address_unfolded")));
        QCOMPARE(GroupStore::groupNames(again), (QStringList{Schema::ImportGroup, QStringLiteral("新闻")}));
    }

    void fileThatIsNoDatabaseIsReportedAndKept()
    {
        if (TestEngine::isPostgres())
            QSKIP("a property of the SQLite file");
        QFile file(env->defaultDatabaseFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray content(4096, 'x');
        file.write(content);
        file.close();
        try {
            db->open();
            QFAIL("opening a file that is no database must fail");
        } catch (const AppError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("数据库文件“%1”不是本程序的数据库，无法使用，未作任何改动。")
                         .arg(env->defaultDatabaseFile()));
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    void unusablePathIsReportedAtFirstStatementAndCreatesNothing()
    {
        if (TestEngine::isPostgres())
            QSKIP("a property of the SQLite file");
        const QString missing = env->root() + QStringLiteral("/gone");
        SettingsStore::setPath(missing);
        DbConnection other(QStringLiteral("other"));
        configureConnection(other);
        QVERIFY_THROWS_EXCEPTION(AppError, other.query(QStringLiteral("SELECT 1")));
        QVERIFY(!QFile::exists(missing));

        SettingsStore::setPath(env->root());
        DbConnection good(QStringLiteral("good"));
        configureConnection(good);
        good.open();
        QVERIFY(QFile::exists(env->root() + QStringLiteral("/address.mdb")));
    }

    void wrongTypedPathIsRaisedAndLeavesNoConnection()
    {
        if (TestEngine::isPostgres())
            QSKIP("a property of the SQLite file");
        SettingsStore::writeDefaultsIfMissing();
        QFile file(env->settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[General]\nPath=a, b\n");
        file.close();
        DbConnection other(QStringLiteral("other"));
        try {
            configureConnection(other);
            QFAIL("a list value must be refused");
        } catch (const AppError &error) {
            QCOMPARE(error.message(), QStringLiteral("Invalid data type for 'Path'"));
        }
        QVERIFY_THROWS_EXCEPTION(AppError, other.open());
    }

    void awkwardTextsAreStoredAndFoundAsTyped()
    {
        db->open();
        const QStringList texts = {QStringLiteral("it's"), QStringLiteral("say \"hi\""), QStringLiteral("100%_off"),
                                   QStringLiteral("  blanks  "), QStringLiteral("网址'\"%")};
        for (const QString &text : texts) {
            QCOMPARE(GroupStore::addGroup(*db, text), GroupStore::GroupChange::Done);
            const int groupNo = *GroupStore::groupNoOf(*db, text);
            AddressStore::insert(*db, text, text, groupNo);
            const auto rows = AddressStore::list(*db, AddressFilter::group(text));
            QCOMPARE(rows.size(), size_t(1));
            QCOMPARE(rows[0].address, text);
            QCOMPARE(rows[0].name, text);
            QCOMPARE(rows[0].groupName, text);
            QCOMPARE(rows[0].times, QStringLiteral("0"));
        }
    }

    // A file whose tables another program named in another letter case ("BASEGROUP") is
    // complete and used as it is. Group names, though, are told apart by letter case:
    // "News" and "news" are two groups, and neither finds "NEWS".
    void letterCaseOfTableAndGroupNames()
    {
        const QString file = env->defaultDatabaseFile();
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        // The tables' letter case is the SQLite file's matter; the groups' is every engine's.
        if (!TestEngine::isPostgres()) {
            {
                QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                other.setDatabaseName(file);
                QVERIFY(other.open());
                QSqlQuery query(other);
                for (QString statement : Schema::statements()) {
                    for (const QString &table : Schema::tableNames())
                        statement.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(table)), table.toUpper());
                    QVERIFY2(query.exec(statement), qPrintable(query.lastError().text()));
                }
                QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::Version)));
                QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'BASEGROUP'")));
                QVERIFY(query.next() && query.value(0).toInt() == 1);
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        }

        db->open();
        QCOMPARE(GroupStore::groupNames(*db), QStringList{Schema::ImportGroup});
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("News")), GroupStore::GroupChange::Done);
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("news")), GroupStore::GroupChange::Done);
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("news")), GroupStore::GroupChange::NameExists);
        QCOMPARE(GroupStore::groupNoOf(*db, QStringLiteral("NEWS")), std::nullopt);
        QCOMPARE(GroupStore::renameGroup(*db, QStringLiteral("News"), QStringLiteral("NEWS")),
                 GroupStore::GroupChange::Done);
        QCOMPARE(GroupStore::groupNames(*db),
                 (QStringList{Schema::ImportGroup, QStringLiteral("NEWS"), QStringLiteral("news")}));
        AddressStore::insert(*db, QStringLiteral("a.com"), QStringLiteral("A"),
                             *GroupStore::groupNoOf(*db, QStringLiteral("news")));
        QCOMPARE(AddressStore::list(*db, AddressFilter::group(QStringLiteral("news"))).size(), size_t(1));
        QCOMPARE(AddressStore::list(*db, AddressFilter::group(QStringLiteral("NEWS"))).size(), size_t(0));
    }

    void groupNumbersAndGuards()
    {
        db->open();
        db->execute(QStringLiteral("DELETE FROM BaseGroup"));
        QCOMPARE(GroupStore::nextGroupNo(*db), 1);
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("a")), GroupStore::GroupChange::Done);
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("b")), GroupStore::GroupChange::Done);
        QCOMPARE(GroupStore::groupNoOf(*db, QStringLiteral("b")), std::optional<int>(2));
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("a")), GroupStore::GroupChange::NameExists);
        QCOMPARE(GroupStore::renameGroup(*db, QStringLiteral("a"), QStringLiteral("b")),
                 GroupStore::GroupChange::NameExists);
        QCOMPARE(GroupStore::renameGroup(*db, QStringLiteral("zz"), QStringLiteral("c")),
                 GroupStore::GroupChange::NotFound);
        QCOMPARE(GroupStore::renameGroup(*db, QStringLiteral("a"), QStringLiteral("a")), GroupStore::GroupChange::Done);
        QCOMPARE(GroupStore::groupNames(*db), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        // Groups come back in the order they were stored, not sorted by name.
        GroupStore::addGroup(*db, QStringLiteral("新闻"));
        GroupStore::addGroup(*db, QStringLiteral("工作"));
        QCOMPARE(GroupStore::groupNames(*db).mid(2), (QStringList{QStringLiteral("新闻"), QStringLiteral("工作")}));
    }

    void deletingAGroupTakesItsAddressesInOneTransaction()
    {
        db->open();
        GroupStore::addGroup(*db, QStringLiteral("g"));
        const int g = *GroupStore::groupNoOf(*db, QStringLiteral("g"));
        AddressStore::insert(*db, QStringLiteral("x.com"), QStringLiteral("x"), g);
        AddressStore::insert(*db, QStringLiteral("x.com"), QStringLiteral("x"), 1);

        // A trigger makes the last statement fail: nothing of the group may be gone.
        TestEngine::refuseWrites(*db, QStringLiteral("BaseGroup"), QStringLiteral("DELETE"));
        QVERIFY_THROWS_EXCEPTION(AppError, RecycleBin::deleteGroupWithAddresses(*db, QStringLiteral("g")));
        QCOMPARE(AddressStore::list(*db, AddressFilter::group(QStringLiteral("g"))).size(), size_t(1));
        QVERIFY(GroupStore::groupNoOf(*db, QStringLiteral("g")));

        TestEngine::allowWrites(*db, QStringLiteral("BaseGroup"));
        QCOMPARE(RecycleBin::deleteGroupWithAddresses(*db, QStringLiteral("g")), GroupStore::GroupChange::Done);
        QCOMPARE(AddressStore::list(*db, AddressFilter::all()).size(), size_t(1));
        QCOMPARE(RecycleBin::deleteGroupWithAddresses(*db, QStringLiteral("网址")), GroupStore::GroupChange::NotFound);
    }

    void listingsFavouritesVisitsAndSearch()
    {
        db->open();
        GroupStore::addGroup(*db, QStringLiteral("g"));
        const int g = *GroupStore::groupNoOf(*db, QStringLiteral("g"));
        AddressStore::insert(*db, QStringLiteral("www.Example.com/a"), QStringLiteral("例子"), 1);
        AddressStore::insert(*db, QStringLiteral("www.Example.com/a"), QStringLiteral("例子"), g);
        AddressStore::insert(*db, QStringLiteral("50%_sale.cn"), QStringLiteral("it's"), g);

        QCOMPARE(AddressStore::countVisit(*db, QStringLiteral("www.Example.com/a")), 2);
        QCOMPARE(AddressStore::setFavourite(*db, QStringLiteral("www.Example.com/a")), 2);
        QCOMPARE(AddressStore::clearFavourite(*db, QStringLiteral("www.Example.com/a"), g), 1);
        const auto favourites = AddressStore::list(*db, AddressFilter::favourites());
        QCOMPARE(favourites.size(), size_t(1));
        QCOMPARE(favourites[0].groupName, Schema::ImportGroup);
        QCOMPARE(favourites[0].times, QStringLiteral("1"));
        QCOMPARE(favourites[0].viewTime, QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));

        auto found = [&](const QString &text) { return AddressStore::list(*db, AddressFilter::search(text)).size(); };
        QCOMPARE(found(QStringLiteral("EXAMPLE")), size_t(2));
        QCOMPARE(found(QStringLiteral("例")), size_t(2));
        QCOMPARE(found(QStringLiteral("%")), size_t(1));
        QCOMPARE(found(QStringLiteral("_")), size_t(1));
        QCOMPARE(found(QStringLiteral("e%e")), size_t(0));
        QCOMPARE(found(QStringLiteral("'")), size_t(1));
        QCOMPARE(found(QString()), size_t(3));

        // Every letter's case is ignored, and every write keeps the folded copies current.
        AddressStore::insertAll(*db, {{QStringLiteral("ÄRGER.de/C:\\x"), QStringLiteral("ΣΊΣΥΦΟΣ")}}, g);
        QCOMPARE(found(QStringLiteral("ärger")), size_t(1));
        QCOMPARE(found(QStringLiteral("σίσυφος")), size_t(1));
        QCOMPARE(found(QStringLiteral(":\\X")), size_t(1));
        QCOMPARE(found(QStringLiteral("\\")), size_t(1));
        QCOMPARE(AddressStore::update(*db, QStringLiteral("Überall.at"), QStringLiteral("Ωmega"), g,
                                      QStringLiteral("ÄRGER.de/C:\\x"), QStringLiteral("ΣΊΣΥΦΟΣ")),
                 1);
        QCOMPARE(found(QStringLiteral("ärger")), size_t(0));
        QCOMPARE(found(QStringLiteral("ÜBERALL")), size_t(1));
        QCOMPARE(found(QStringLiteral("ωMEGA")), size_t(1));
        // A text too long for a LIKE pattern is still found literally, letter case folded.
        const QString longText = QStringLiteral("%Ä_").repeated(20000);
        AddressStore::insert(*db, longText, QStringLiteral("长"), g);
        QCOMPARE(found(longText.toLower()), size_t(1));
        QCOMPARE(found(QStringLiteral("_Ä%").repeated(20000)), size_t(0));

        QCOMPARE(AddressStore::remove(*db, QStringLiteral("www.Example.com/a"), g), 1);
        QCOMPARE(AddressStore::update(*db, QStringLiteral("b.com"), QStringLiteral("B"), g, QStringLiteral("gone"),
                                      QStringLiteral("x")),
                 0);
    }

    // The folded columns hold Unicode's case fold of the text, which files written before
    // hold too; ASCII takes a shorter way there.
    void foldedTextIsTheCaseFold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << u""_s;
        QTest::newRow("null") << QString();
        QTest::newRow("ASCII lower case") << u"www.example.com/a?b=c&d"_s;
        QTest::newRow("ASCII capitals, and the characters beside them") << u"@AZ[`az{ HTTP://WWW.X.COM/Path~"_s;
        QTest::newRow("capitals after Chinese") << u"网站 News 中国 ABC"_s;
        QTest::newRow("capitals before other letters") << u"ABC Straße ÄRGER ΣΊΣΥΦΟΣ ǅemal ﬁ 😀"_s;
    }
    void foldedTextIsTheCaseFold()
    {
        QFETCH(QString, text);
        const QString folded = AddressStore::folded(text);
        QCOMPARE(folded, text.toCaseFolded());
        QCOMPARE(folded.isNull(), text.isNull());
    }

    // A library of any older version, once opened, has exactly the indexes (and on SQLite
    // every table, view and trigger) of a new one, keeps its rows and finds them by index.
    void upgradedLibraryHasTheSchemaOfANewOne_data()
    {
        QTest::addColumn<int>("version");
        if (!TestEngine::isPostgres())
            QTest::newRow("version 0") << 0; // only files were made by version 0
        QTest::newRow("version 1") << 1;
    }
    void upgradedLibraryHasTheSchemaOfANewOne()
    {
        QFETCH(int, version);
        db->open();
        const QStringList fresh = schemaDefinitions(*db);
        std::unique_ptr<TestServerDatabase> server;
        if (TestEngine::isPostgres())
            server = std::make_unique<TestServerDatabase>();
        const QString location = server ? server->uri() : env->root() + QStringLiteral("/old.mdb");
        TestEngine::runAsAnotherProgram(
            location, version == 0 ? OldSchemas::versionZero() : OldSchemas::versionOne(db->engine()));

        DbConnection old(QStringLiteral("old"));
        old.setDatabaseFile(location);
        QCOMPARE(schemaDefinitions(old), fresh);
        QCOMPARE(old.engine().schemaVersion(old), Schema::Version);
        QStringList addresses;
        for (const AddressRecord &row : AddressStore::list(old, AddressFilter::all()))
            addresses << row.address;
        QCOMPARE(addresses, (QStringList{QStringLiteral("www.ÄRGER.de"), QStringLiteral("b.com")}));
        QCOMPARE(searchResult(old, QStringLiteral("ärger")), QStringList{QStringLiteral("www.ÄRGER.de|Straße")});
        QCOMPARE(searchResult(old, QStringLiteral("σίσυφος")), QStringList{QStringLiteral("b.com|ΣΊΣΥΦΟΣ")});
        if (!old.isServer()) {
            // The search index was filled from the stored rows: emptied, it finds nothing
            // of three characters or more, while shorter texts are still compared row by row.
            old.execute(QStringLiteral("INSERT INTO address_search (address_search) VALUES ('delete-all')"));
            QCOMPARE(searchResult(old, QStringLiteral("ärger")), QStringList());
            QCOMPARE(searchResult(old, QStringLiteral("är")), QStringList{QStringLiteral("www.ÄRGER.de|Straße")});
        }
    }

    // Texts of three characters or more are looked up in the search index, shorter ones
    // compared row by row; either way a search finds exactly the rows, in the same order,
    // of the plain comparison, over realistic rows that another program changed too.
    void indexedSearchFindsWhatThePlainComparisonFinds_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("findsSome");
        QTest::newRow("pieces of addresses") << piecesOfStoredTexts(false, 80, 3, 12) << true;
        QTest::newRow("pieces of names") << piecesOfStoredTexts(true, 80, 3, 8) << true;
        QTest::newRow("one or two characters")
            << piecesOfStoredTexts(false, 20, 1, 2) + piecesOfStoredTexts(true, 20, 1, 2)
                + QStringList{u"国"_s, u"%"_s, u"_"_s, u"中国"_s, u"😀"_s, u"\""_s, u"'"_s, u"é"_s}
            << true;
        QTest::newRow("wildcards and escapes")
            << QStringList{u"%_"_s,  u"_%"_s,   u"%%%"_s,  u"50%"_s, u"a_b"_s,   u"\\"_s,   u"\\%"_s,   u"\\_"_s,
                           u"%ew"_s, u"n_ws"_s, u"new%"_s, u"_ _"_s, u"?id=%"_s, u"ht_p"_s, u"[a-z]"_s, u"***"_s}
            << false;
        QTest::newRow("quotes and the query language")
            << QStringList{u"\"\""_s,
                           u"\"\"\""_s,
                           u"it's"_s,
                           u"\"hi\""_s,
                           u"a\"b"_s,
                           u"www\""_s,
                           u"AND"_s,
                           u"news OR mail"_s,
                           u"NEAR(news mail)"_s,
                           u"new*"_s,
                           u"^htt"_s,
                           u"AddressFolded:news"_s,
                           u"-news"_s,
                           u"+news"_s,
                           u"(news)"_s,
                           u"{AddressFolded}: news"_s,
                           u"NOT news"_s} // A server takes no text with a NUL character at all.
                + (TestEngine::isPostgres() ? QStringList() : QStringList{u"ab"_s + QChar(0) + u"cd"_s})
            << false;
        QTest::newRow("other scripts and symbols") << QStringList{u"://"_s,
                                                                  u"?id="_s,
                                                                  u"&lang=zh"_s,
                                                                  u".com.cn"_s,
                                                                  u"/index"_s,
                                                                  u"WWW."_s,
                                                                  u"中国在"_s,
                                                                  u"网站新闻"_s,
                                                                  u"ΩMEGA"_s,
                                                                  u"Straße"_s,
                                                                  u"ǅemal"_s,
                                                                  u"😀😀😀"_s,
                                                                  u"😀ab"_s,
                                                                  u"   "_s,
                                                                  u"\t\t\t"_s,
                                                                  u"x"_s.repeated(300),
                                                                  u"网"_s.repeated(17000),
                                                                  u" 追加"_s,
                                                                  u"外部网"_s}
                                                   << true;
    }
    void indexedSearchFindsWhatThePlainComparisonFinds()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, findsSome);
        std::vector<NewAddress> rows;
        for (int i = 0; i < SearchedRows; ++i) {
            const BenchData::Row row = BenchData::row(BenchData::Kind::Realistic, i, SearchedRows);
            rows.push_back({QString::fromStdString(row.address), QString::fromStdString(row.name)});
        }
        AddressStore::insertAll(*db, rows, 1);
        QStringList otherProgram{
            QStringLiteral("DELETE FROM address WHERE RowNo % 7 = 0"),
            QStringLiteral("UPDATE address SET Address = Address || ' 追加', AddressFolded = AddressFolded || ' 追加' "
                           "WHERE RowNo % 5 = 0"),
            QStringLiteral("INSERT INTO address (Address, AddressName, GroupNo, AddressFolded, AddressNameFolded) "
                           "VALUES ('shell.example/\"x\"', '外部网址', 1, 'shell.example/\"x\"', '外部网址')"),
            QStringLiteral("VACUUM"),
        };
        TestEngine::runAsAnotherProgram(db->location().text(), otherProgram);

        bool someFound = false;
        for (const QString &text : std::as_const(texts)) {
            const QStringList expected = plainSearchResult(*db, text);
            QCOMPARE(searchResult(*db, text), expected);
            someFound |= !expected.isEmpty();
        }
        QCOMPARE(someFound, findsSome);
    }

    // Many rows inserted at once fill the search index with settings of their own for the
    // while, and leave the file's settings as they found them, set by another program or not.
    void bulkInsertLeavesTheSearchIndexSettingsAsFound_data()
    {
        QTest::addColumn<QStringList>("otherProgram");
        QTest::newRow("none set") << QStringList();
        QTest::newRow("set by another program")
            << QStringList{u"INSERT INTO address_search (address_search, rank) VALUES ('hashsize', 2097152)"_s};
    }
    void bulkInsertLeavesTheSearchIndexSettingsAsFound()
    {
        QFETCH(QStringList, otherProgram);
        if (TestEngine::isPostgres())
            QSKIP("a property of the SQLite file");
        db->open();
        TestEngine::runAsAnotherProgram(db->location().text(), otherProgram);
        const auto settings = [this] {
            QStringList rows;
            QSqlQuery query = db->query(u"SELECT k || '=' || v FROM address_search_config ORDER BY k"_s);
            while (query.next())
                rows << query.value(0).toString();
            return rows;
        };
        const QStringList before = settings();
        AddressStore::insertAll(*db, {{u"www.Bulk.example/a"_s, u"批量"_s}, {u"b.example"_s, u"B"_s}}, 1);
        QCOMPARE(settings(), before);
        QCOMPARE(searchResult(*db, u"bulk.EX"_s), QStringList{u"www.Bulk.example/a|批量"_s});
        QVERIFY_THROWS_NO_EXCEPTION(
            db->execute(u"INSERT INTO address_search (address_search) VALUES ('integrity-check')"_s));
    }

    // A changed row keeps its place (a server stores a changed row anew elsewhere).
    void listsKeepTheOrderRowsWereAddedIn()
    {
        for (const char *address : {"a.com", "b.com", "c.com"})
            AddressStore::insert(*db, QLatin1String(address), QStringLiteral("n"), 1);
        AddressStore::countVisit(*db, QStringLiteral("a.com"));
        AddressStore::update(*db, QStringLiteral("b2.com"), QStringLiteral("n"), 1, QStringLiteral("b.com"),
                             QStringLiteral("n"));
        QStringList order;
        for (const AddressRecord &row : AddressStore::list(*db, AddressFilter::group(Schema::ImportGroup)))
            order << row.address;
        QCOMPARE(order, (QStringList{QStringLiteral("a.com"), QStringLiteral("b2.com"), QStringLiteral("c.com")}));
    }

    // On a server a failed statement ends its transaction: the import then keeps nothing.
    void importKeepsRowsBeforeAFailure()
    {
        db->open();
        TestEngine::refuseWrites(*db, QStringLiteral("address"), QStringLiteral("INSERT"),
                                 QStringLiteral("NEW.Address = 'bad'"));
        const std::vector<NewAddress> rows = {{QStringLiteral("aaa"), QStringLiteral("A")},
                                              {QStringLiteral("bbb"), QStringLiteral("B")},
                                              {QStringLiteral("bad"), QStringLiteral("X")},
                                              {QStringLiteral("ccc"), QStringLiteral("C")}};
        int stored = -1;
        QVERIFY_THROWS_EXCEPTION(AppError, AddressStore::insertAll(*db, rows, 1, &stored));
        const auto listed = AddressStore::list(*db, AddressFilter::all());
        if (TestEngine::isPostgres()) {
            QCOMPARE(stored, 0);
            QCOMPARE(listed.size(), size_t(0));
            return;
        }
        QCOMPARE(stored, 2);
        QCOMPARE(listed.size(), size_t(2));
        QCOMPARE(listed[1].address, QStringLiteral("bbb"));
        // The rows kept are in the search index, and so is a row added afterwards.
        AddressStore::insert(*db, QStringLiteral("ddd"), QStringLiteral("D"), 1);
        QCOMPARE(searchResult(*db, QStringLiteral("BBB")), QStringList{QStringLiteral("bbb|B")});
        QCOMPARE(searchResult(*db, QStringLiteral("ddd")), QStringList{QStringLiteral("ddd|D")});
    }

    void searchHistoryKeepsOrderAndTrims()
    {
        db->open();
        for (int i = 0; i < 21; ++i)
            SearchStore::save(*db, QStringLiteral("t%1").arg(i % 20));
        QCOMPARE(SearchStore::count(*db), 21);
        QCOMPARE(SearchStore::history(*db).first(), QStringLiteral("t0"));
        SearchStore::deleteOldest(*db, 2);
        const QStringList left = SearchStore::history(*db);
        QCOMPARE(left.size(), 19);
        QCOMPARE(left.last(), QStringLiteral("t2"));
    }

    void twoConnectionsSeeEachOthersWrites()
    {
        db->open();
        DbConnection editor(QStringLiteral("editor"));
        configureConnection(editor);
        QVERIFY(editor.connectionName() != db->connectionName());
        AddressStore::insert(editor, QStringLiteral("e.com"), QStringLiteral("E"), 1);
        editor.close();
        QCOMPARE(AddressStore::list(*db, AddressFilter::all()).size(), size_t(1));
    }

    // Rows read through SQLite's own handle: bound values of each kind, texts as stored,
    // NULL as empty (and told apart), and a failing statement reported with the database's text.
    void rowsAreReadWithBoundValuesAndErrorsReported()
    {
        QStringList seen;
        db->readRows(QStringLiteral("SELECT ?, ?, ? + 1, ?, NULL"),
                     {QStringLiteral("它's \"%_"), QString(), 41, QVariant()}, [&seen](const RowReader &row) {
                         seen << row.text(0) << row.text(1) << QString::number(row.integer(2))
                              << QString::number(row.isInteger(2)) << QString::number(row.utf8(3).isNull())
                              << row.text(4) << QStringLiteral("%1%2").arg(row.isNull(4)).arg(row.isNull(0));
                     });
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("它's \"%_"), QString(), QStringLiteral("42"), QStringLiteral("1"),
                              QStringLiteral("1"), QString(), QStringLiteral("10")}));
        try {
            db->readRows(QStringLiteral("SELECT nosuchcolumn FROM address"), {}, [](const RowReader &) {});
            QFAIL("no error");
        } catch (const AppError &error) {
            QVERIFY(error.message().contains(QStringLiteral("nosuchcolumn")));
        }
        // The connection still works after the failure.
        int count = -1;
        db->readRows(QStringLiteral("SELECT count(*) FROM BaseGroup"), {},
                     [&count](const RowReader &row) { count = int(row.integer(0)); });
        QCOMPARE(count, 1);
        // The rows come through the engine's own client library, not Qt's slower fetch; on a
        // server the library is looked up at run time, so a failed lookup would only be slow.
        const QSqlDatabase connection = QSqlDatabase::database(db->connectionName(), false);
        QVERIFY(db->engine().readRows(connection, QStringLiteral("SELECT 1"), {}, [](const RowReader &) {}));
        QVERIFY(db->engine().prepareWrite(connection, QStringLiteral("INSERT INTO BaseGroup (GroupName) VALUES (?)")));
    }

    // A server that drops the connection: a read or a new transaction opens a new one by
    // itself; a transaction that loses it fails whole and leaves nothing behind.
    void lostServerFailsOneCommandAndReconnects()
    {
        if (!TestEngine::isPostgres())
            QSKIP("a server only");
        db->open();
        dropOtherConnections(*db);
        QCOMPARE(GroupStore::groupNames(*db), QStringList{Schema::ImportGroup});
        dropOtherConnections(*db);
        QCOMPARE(GroupStore::addGroup(*db, QStringLiteral("after")), GroupStore::GroupChange::Done);

        try {
            Transaction transaction(*db);
            AddressStore::insert(*db, QStringLiteral("half.com"), QStringLiteral("half"), 1);
            dropOtherConnections(*db);
            AddressStore::insert(*db, QStringLiteral("other.com"), QStringLiteral("other"), 1);
            transaction.commit();
            QFAIL("a lost transaction must fail");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(QStringLiteral("连接中断")), qPrintable(error.message()));
        }
        QVERIFY(!db->inTransaction());
        QCOMPARE(AddressStore::list(*db, AddressFilter::all()).size(), size_t(0));
        AddressStore::insert(*db, QStringLiteral("next.com"), QStringLiteral("next"), 1);
        QCOMPARE(AddressStore::list(*db, AddressFilter::all()).size(), size_t(1));
    }

    // Opening a server library neither waits for good on a session that locks the
    // version's table, nor takes tables without that table for an old library to upgrade.
    void serverLibraryWithAFaultyVersionTableIsRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("said");
        QTest::newRow("locked by another session")
            << QStringLiteral("LOCK TABLE vestrane_schema IN ACCESS EXCLUSIVE MODE") << QStringLiteral("lock timeout");
        QTest::newRow("missing") << QStringLiteral("DROP TABLE vestrane_schema")
                                 << QStringLiteral("缺少记录版本的表 vestrane_schema");
    }
    void serverLibraryWithAFaultyVersionTableIsRefused()
    {
        if (!TestEngine::isPostgres())
            QSKIP("a server only");
        QFETCH(QString, fault);
        QFETCH(QString, said);
        db->open();
        DbConnection holder(QStringLiteral("holder"));
        holder.setDatabaseFile(db->location().text());
        // Ends by itself: without the mend the opening below would wait for it.
        holder.execute(QStringLiteral("SET idle_in_transaction_session_timeout = 20000"));
        Transaction transaction(holder);
        holder.execute(fault);
        if (fault.startsWith(QLatin1String("DROP")))
            transaction.commit();
        const QStringList before = schemaObjects(holder);

        DbConnection other(QStringLiteral("other"));
        configureConnection(other);
        other.setBusyTimeout(300);
        try {
            other.open();
            QFAIL("opened");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(said), qPrintable(error.message()));
        }
        QCOMPARE(schemaObjects(holder), before);
    }

    void unreachableServerIsNamedWithoutThePassword()
    {
        if (!TestEngine::isPostgres())
            QSKIP("a server only");
        qputenv("PGPASSWORD", "pw-not-shown");
        const QString folder = env->root() + QStringLiteral("/no-server");
        SettingsStore::setDatabase(QStringLiteral("postgresql://someone@/lib?host=%1&port=5999").arg(folder));
        DbConnection other(QStringLiteral("other"));
        configureConnection(other);
        try {
            other.open();
            QFAIL("no server there");
        } catch (const AppError &error) {
            for (const QString &part : {folder, QStringLiteral("5999"), QStringLiteral("lib")})
                QVERIFY2(error.message().contains(part), qPrintable(error.message()));
            QVERIFY(!error.message().contains(QLatin1String("pw-not-shown")));
        }
        qunsetenv("PGPASSWORD");
    }

    void changesOfAddressesAndGroupsAreAnnounced()
    {
        if (!TestEngine::isPostgres())
            QSKIP("a server only");
        db->open();
        DbConnection listener(QStringLiteral("listener"));
        configureConnection(listener);
        listener.open();
        QSqlDriver *driver = QSqlDatabase::database(listener.connectionName(), false).driver();
        QStringList payloads;
        connect(driver, &QSqlDriver::notification, this,
                [&payloads](const QString &, QSqlDriver::NotificationSource, const QVariant &payload) {
                    payloads << payload.toString();
                });
        QVERIFY(driver->subscribeToNotification(QStringLiteral("vestrane_changes")));
        GroupStore::addGroup(*db, QStringLiteral("g"));
        AddressStore::insert(*db, QStringLiteral("a.com"), QStringLiteral("A"), 1);
        SearchStore::save(*db, QStringLiteral("not announced"));
        QTRY_COMPARE(payloads, (QStringList{QStringLiteral("basegroup"), QStringLiteral("address")}));
    }

    void datesShowInTheShortFormat()
    {
        QCOMPARE(Dates::todayForStorage(), QDate::currentDate().toString(Qt::ISODate));
        const QLocale locale;
        QCOMPARE(Dates::forDisplay(QStringLiteral("2024-02-29")),
                 locale.toString(QDate(2024, 2, 29), QLocale::ShortFormat));
        QCOMPARE(Dates::forDisplay(QStringLiteral("2024-02-29T00:00:00")),
                 locale.toString(QDate(2024, 2, 29), QLocale::ShortFormat));
        QCOMPARE(Dates::forDisplay(QStringLiteral("2024-02-29T13:05:09")),
                 locale.toString(QDate(2024, 2, 29), QLocale::ShortFormat) + QStringLiteral(" 13:05:09"));
        QCOMPARE(Dates::forDisplay(QStringLiteral("someday")), QStringLiteral("someday"));
    }
};

VESTRANE_TEST_MAIN(TestDatabase)
#include "tst_database.moc"
