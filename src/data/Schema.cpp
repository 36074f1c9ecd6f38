#include "data/Schema.h"

#include "data/SqliteEngine.h"

namespace {

// Every address with the name of its group; an address whose group is gone is still
// listed, with an empty group name. The folded copies serve the search.
// The row key is listed where the engine has a column for it, so that listings can keep
// the order the rows were added in.
QString addressViewStatement(const SqlEngine &engine)
{
    const QString rowKey = engine.rowKeyDefinition().isEmpty()
                               ? QString()
                               : QStringLiteral(", a.%1 AS %1").arg(engine.rowKeyColumn());
    return QStringLiteral("CREATE VIEW address_1 AS SELECT a.Address AS Address, "
                          "a.AddressName AS AddressName, a.ViewTime AS ViewTime, a.Times AS Times, "
                          "a.MyAddress AS MyAddress, a.GroupNo AS GroupNo, g.GroupName AS GroupName, "
                          "a.AddressFolded AS AddressFolded, a.AddressNameFolded AS AddressNameFolded%1 "
                          "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo")
        .arg(rowKey);
}

// The results of the link check, one row per address text, and the site icons it
// fetched (base64 text, which every engine stores alike). Neither is needed to read a
// library, so neither is listed in tableNames().
QStringList linkCheckTables()
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS LinkCheck (Address TEXT NOT NULL PRIMARY KEY, "
                       "Status TEXT NOT NULL, HttpCode INTEGER NOT NULL DEFAULT 0, FinalAddress TEXT, "
                       "TitleSeen TEXT, Reason TEXT, FirstFailure TEXT, "
                       "FailuresInRow INTEGER NOT NULL DEFAULT 0, CheckedAt TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS SiteIcon (Site TEXT NOT NULL PRIMARY KEY, "
                       "Icon TEXT NOT NULL, FetchedAt TEXT)"),
    };
}

} // namespace

QStringList Schema::tableNames()
{
    return {QStringLiteral("BaseGroup"), QStringLiteral("address"), QStringLiteral("Search")};
}

QStringList Schema::statements(const SqlEngine &engine)
{
    const QString rowKey = engine.rowKeyDefinition();
    return QStringList{
        QStringLiteral("CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL%1)").arg(rowKey),
        // AddressFolded and AddressNameFolded hold the texts with every letter's case
        // folded; every write of Address or AddressName writes them too.
        QStringLiteral("CREATE TABLE address (Address TEXT, AddressName TEXT, "
                       "Times INTEGER NOT NULL DEFAULT 0, ViewTime TEXT, GroupNo INTEGER, "
                       "MyAddress INTEGER NOT NULL DEFAULT 0, "
                       "AddressFolded TEXT NOT NULL DEFAULT '', AddressNameFolded TEXT NOT NULL DEFAULT ''%1)")
            .arg(rowKey),
        // Sort_No is assigned by the database and grows with every insert.
        QStringLiteral("CREATE TABLE Search (SearchText TEXT, Searchdate TEXT, %1)")
            .arg(engine.autoNumberColumn(QStringLiteral("Sort_No"))),
        QStringLiteral("CREATE INDEX address_by_address ON address(Address)"),
        QStringLiteral("CREATE INDEX address_by_group ON address(GroupNo)"),
        QStringLiteral("CREATE INDEX basegroup_by_name ON BaseGroup(GroupName)"),
        addressViewStatement(engine),
        QStringLiteral("CREATE VIEW MaxGroupNo AS SELECT max(GroupNo) AS Max FROM BaseGroup"),
        QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, '%1')").arg(ImportGroup),
    } + linkCheckTables() + engine.extraSchemaStatements();
}

QStringList Schema::statements()
{
    return statements(SqliteEngine());
}

QStringList Schema::upgradeStatements(int from)
{
    switch (from) {
    case 0:
        return {
            QStringLiteral("ALTER TABLE address ADD COLUMN AddressFolded TEXT NOT NULL DEFAULT ''"),
            QStringLiteral("ALTER TABLE address ADD COLUMN AddressNameFolded TEXT NOT NULL DEFAULT ''"),
            QStringLiteral("DROP VIEW IF EXISTS address_1"),
            addressViewStatement(SqliteEngine()), // files of version 0 are SQLite's
        };
    case 1:
        return linkCheckTables(); // the same on every engine
    default:
        return {};
    }
}
