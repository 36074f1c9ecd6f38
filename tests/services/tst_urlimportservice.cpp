#include "TestEngine.h"
#include "TestEnv.h"
#include "ShortcutFiles.h"

#include "data/SharedConnection.h"
#include "data/DbConnection.h"
#include "data/GroupStore.h"
#include "data/Schema.h"
#include "data/SettingsStore.h"
#include "services/UrlImportService.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

QStringList addressesOf(const std::vector<ShortcutEntry> &entries)
{
    QStringList addresses;
    for (const ShortcutEntry &entry : entries)
        addresses << entry.address;
    return addresses;
}

} // namespace

class TstUrlImportService : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DbConnection> m_db;

    // Address, name, group number, visits and date of each stored row.
    QStringList stored()
    {
        QStringList rows;
        QSqlQuery query = m_db->query(u"SELECT Address, AddressName, GroupNo, Times, ViewTime FROM address ORDER BY "_s
                                      + m_db->engine().rowKeyColumn());
        while (query.next())
            rows << u"%1|%2|%3|%4|%5"_s.arg(query.value(0).toString(), query.value(1).toString(),
                                            query.value(2).toString(), query.value(3).toString(),
                                            query.value(4).toString());
        return rows;
    }

    int importGroupNo() { return GroupStore::groupNoOf(*m_db, Schema::ImportGroup).value_or(-1); }

private Q_SLOTS:
    void initTestCase()
    {
        SettingsStore::writeDefaultsIfMissing();
        m_db = std::make_unique<DbConnection>(u"test"_s);
        configureConnection(*m_db);
        m_db->open();
    }

    void init()
    {
        QDir(favoritesDir()).removeRecursively();
        QVERIFY(QDir().mkpath(favoritesDir()));
        TestEngine::allowWrites(*m_db, u"address"_s);
        m_db->execute(u"DELETE FROM address"_s);
        m_db->execute(u"DELETE FROM BaseGroup"_s);
        m_db->execute(u"INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (2, '新闻'), (5, ?)"_s,
                      {Schema::ImportGroup});
    }

    void listingGivesTheShortcutsInNameOrderWithProgress()
    {
        writeShortcutTo(u"b.url"_s, "http://b.com/");
        writeShortcutTo(u"A.URL"_s, "http://a.com/x");
        writeShortcutTo(u"c.Url"_s, "https://c.com/");
        writeShortcut(u"notes.txt"_s, "x");
        QList<qsizetype> told;
        const UrlImportService::Listing listing = UrlImportService::listFavorites([&told](qsizetype done) {
            told << done;
            return true;
        });
        QCOMPARE(listing.outcome.kind, Outcome::Kind::Done);
        QCOMPARE(listing.outcome.count, 3);
        QCOMPARE(addressesOf(listing.entries),
                 QStringList({u"http://a.com/x"_s, u"http://b.com/"_s, u"https://c.com/"_s}));
        QCOMPARE(listing.entries[0].displayName, u"A"_s);
        QCOMPARE(told, (QList<qsizetype>{1, 2, 3}));
    }

    void cancelledListingKeepsNothing()
    {
        for (const QString &name : {u"a.url"_s, u"b.url"_s, u"c.url"_s})
            writeShortcutTo(name, "http://x.com/");
        qsizetype calls = 0;
        const UrlImportService::Listing listing = UrlImportService::listFavorites([&calls](qsizetype done) {
            ++calls;
            return done < 2;
        });
        QCOMPARE(calls, 2); // no file is read after the cancel
        QCOMPARE(listing.outcome.kind, Outcome::Kind::Cancelled);
        QCOMPARE(listing.outcome.message, UrlImportService::cancelledText());
        QVERIFY(listing.entries.empty());
    }

    void unreadableShortcutEndsTheListingKeepingTheOnesBefore()
    {
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        writeShortcut(u"b.url"_s, "[InternetShortcut]"); // the header is its last line
        writeShortcutTo(u"c.url"_s, "http://c.com/");
        const UrlImportService::Listing listing = UrlImportService::listFavorites();
        QCOMPARE(listing.outcome.kind, Outcome::Kind::Failed);
        QVERIFY2(listing.outcome.message.contains(u"b.url"_s), qPrintable(listing.outcome.message));
        QCOMPARE(addressesOf(listing.entries), QStringList{u"http://a.com/"_s});
    }

    void missingSettingIsRefused()
    {
        writeShortcutTo(u"a.url"_s, "http://a.com/");
        QSettings settings(SettingsStore::userFileName(), QSettings::IniFormat);
        settings.remove(QLatin1String(SettingsStore::ShellFolderGroup));
        settings.sync();
        const UrlImportService::Listing listing = UrlImportService::listFavorites();
        settings.setValue(
            u"%1/%2"_s.arg(QLatin1String(SettingsStore::ShellFolderGroup), QLatin1String(SettingsStore::FavoritesKey)),
            QLatin1String(SettingsStore::DefaultFavorites));
        settings.sync();
        QCOMPARE(listing.outcome.kind, Outcome::Kind::Refused);
        QCOMPARE(listing.outcome.message, UrlImportService::favoritesSettingMissingText());
        QVERIFY(listing.entries.empty());
    }

    void storeWritesNormalisedRowsIntoTheImportGroup()
    {
        const std::vector<ShortcutEntry> entries{{u"http://a.com/x/"_s, u"甲"_s}, {u"HTTPS://b.com/"_s, u"O'B"_s}};
        const Outcome outcome = UrlImportService::store(*m_db, entries);
        QCOMPARE(outcome.kind, Outcome::Kind::Done);
        QCOMPARE(outcome.count, 2);
        const QString day = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(stored(), QStringList({u"a.com/x|甲|5|0|"_s + day, u"HTTPS://b.com|O'B|5|0|"_s + day}));
        QCOMPARE(UrlImportService::store(*m_db, {}).count, 0);
    }

    void storeWithoutTheImportGroupWritesNothing()
    {
        m_db->execute(u"DELETE FROM BaseGroup WHERE GroupName = ?"_s, {Schema::ImportGroup});
        const Outcome outcome = UrlImportService::store(*m_db, {{u"a.com"_s, u"a"_s}});
        QCOMPARE(outcome.kind, Outcome::Kind::Refused);
        QCOMPARE(outcome.message, UrlImportService::missingGroupText());
        QVERIFY(stored().isEmpty());
    }

    void failingRowKeepsTheRowsBeforeIt()
    {
        TestEngine::refuseWrites(*m_db, u"address"_s, u"INSERT"_s, u"NEW.Address = 'bad.com'"_s, u"address refused"_s);
        const Outcome outcome = UrlImportService::store(
            *m_db, {{u"http://good-1.com/"_s, u"1"_s}, {u"http://bad.com/"_s, u"2"_s}, {u"good-2.com"_s, u"3"_s}});
        QCOMPARE(outcome.kind, Outcome::Kind::Failed);
        QVERIFY2(outcome.message.contains(u"address refused"_s), qPrintable(outcome.message));
        // On a server the failed statement ends the transaction: nothing is kept there.
        const int kept = m_db->engine().failedStatementEndsTransaction() ? 0 : 1;
        QCOMPARE(outcome.count, kept); // the failing row is the second
        QCOMPARE(stored().size(), kept);
        if (kept)
            QVERIFY(stored().first().startsWith(u"good-1.com|"_s));
        // No transaction is left open.
        TestEngine::allowWrites(*m_db, u"address"_s);
        QVERIFY(UrlImportService::store(*m_db, {{u"c.com"_s, u"c"_s}}).ok());
        QCOMPARE(stored().size(), kept + 1);
    }
};

VESTRANE_TEST_MAIN(TstUrlImportService)
#include "tst_urlimportservice.moc"
