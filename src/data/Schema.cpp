#include "data/Schema.h"

#include "data/SqliteEngine.h"

namespace {

// Every address with the name of its group; an address whose group is gone is still
// listed, with an empty group name. The folded copies serve the search; the row key lets
// listings keep the order the rows were added in.
QString addressViewStatement()
{
    return QStringLiteral("CREATE VIEW address_1 AS SELECT a.Address AS Address, "
                          "a.AddressName AS AddressName, a.ViewTime AS ViewTime, a.Times AS Times, "
                          "a.MyAddress AS MyAddress, a.GroupNo AS GroupNo, g.GroupName AS GroupName, "
                          "a.AddressFolded AS AddressFolded, a.AddressNameFolded AS AddressNameFolded, "
                          "a.RowNo AS RowNo "
                          "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo");
}

QString addressTableStatement(const SqlEngine &engine)
{
    // AddressFolded and AddressNameFolded hold the texts with every letter's case
    // folded; every write of Address or AddressName writes them too.
    return QStringLiteral("CREATE TABLE address (Address TEXT, AddressName TEXT, "
                          "Times INTEGER NOT NULL DEFAULT 0, ViewTime TEXT, GroupNo INTEGER, "
                          "MyAddress INTEGER NOT NULL DEFAULT 0, "
                          "AddressFolded TEXT NOT NULL DEFAULT '', AddressNameFolded TEXT NOT NULL DEFAULT ''%1)")
        .arg(engine.addressKeyDefinition());
}

// The rows another program wrote without their folded copies: few or none, so the look
// for them reads this index, not the whole table.
const QString unfoldedIndex =
    QStringLiteral("CREATE INDEX address_unfolded ON address(RowNo) WHERE %1").arg(Schema::UnfoldedCondition);

const QStringList addressIndexes = {
    QStringLiteral("CREATE INDEX address_by_address ON address(Address)"),
    QStringLiteral("CREATE INDEX address_by_group ON address(GroupNo)"),
    unfoldedIndex,
};
const QString groupIndex = QStringLiteral("CREATE INDEX basegroup_by_name ON BaseGroup(GroupName)");

QStringList ifMissing(const QStringList &indexes)
{
    QStringList statements;
    for (const QString &index : indexes)
        statements << QString(index).replace(QLatin1String("CREATE INDEX "),
                                             QLatin1String("CREATE INDEX IF NOT EXISTS "));
    return statements;
}

// The address table is made anew with the key a new database has (SQLite's hidden key
// gets a column that names it), its rows keeping their numbers; its indexes, and whatever
// another program hung on it, go with the old table.
QStringList rebuildAddressTable(const SqlEngine &engine)
{
    const QString columns = QStringLiteral("Address, AddressName, Times, ViewTime, GroupNo, MyAddress, "
                                           "AddressFolded, AddressNameFolded");
    QStringList statements;
    for (const QString &index : addressIndexes)
        statements << QStringLiteral("DROP INDEX IF EXISTS %1").arg(index.section(QLatin1Char(' '), 2, 2));
    return statements
           + QStringList{
               QStringLiteral("ALTER TABLE address RENAME TO address_before_upgrade"),
               addressTableStatement(engine),
               QStringLiteral("INSERT INTO address (RowNo, %1) SELECT %2, %1 FROM address_before_upgrade ORDER BY %2")
                   .arg(columns, engine.rowKeyColumn()),
               QStringLiteral("DROP TABLE address_before_upgrade"),
           }
           + addressIndexes;
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

// Every address deleted, alone or with its group: its row as it was (RowNo, the place it
// goes back to where still free), its group's number and name, when it was deleted and, on
// a server, by whom ("login@host"). Not needed to read a library, so not in tableNames().
QString recycleBinTable(const SqlEngine &engine)
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS RecycleBin (%1, RowNo BIGINT, Address TEXT, AddressName TEXT, "
                          "Times INTEGER NOT NULL DEFAULT 0, ViewTime TEXT, GroupNo INTEGER, "
                          "MyAddress INTEGER NOT NULL DEFAULT 0, GroupName TEXT, DeletedAt TEXT NOT NULL, "
                          "DeletedBy TEXT NOT NULL DEFAULT '')")
        .arg(engine.autoNumberColumn(QStringLiteral("Id")));
}

} // namespace

QStringList Schema::tableNames()
{
    return {QStringLiteral("BaseGroup"), QStringLiteral("address"), QStringLiteral("Search")};
}

QStringList Schema::statements(const SqlEngine &engine)
{
    return QStringList{
               QStringLiteral("CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL%1)")
                   .arg(engine.rowKeyDefinition()),
               addressTableStatement(engine),
               // Sort_No is assigned by the database and grows with every insert.
               QStringLiteral("CREATE TABLE Search (SearchText TEXT, Searchdate TEXT, %1)")
                   .arg(engine.autoNumberColumn(QStringLiteral("Sort_No"))),
           }
    + addressIndexes
        + QStringList{groupIndex, addressViewStatement(),
                      QStringLiteral("CREATE VIEW MaxGroupNo AS SELECT max(GroupNo) AS Max FROM BaseGroup"),
                      QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, '%1')").arg(ImportGroup)}
    + linkCheckTables() + QStringList{recycleBinTable(engine)} + engine.extraSchemaStatements()
        + engine.indexStatements();
}

QStringList Schema::statements()
{
    return statements(SqliteEngine());
}

QStringList Schema::upgradeStatements(const SqlEngine &engine, int from)
{
    switch (from) {
    case 0: // files of version 0 are SQLite's; the view is made again by the next step
        return {
            QStringLiteral("ALTER TABLE address ADD COLUMN AddressFolded TEXT NOT NULL DEFAULT ''"),
            QStringLiteral("ALTER TABLE address ADD COLUMN AddressNameFolded TEXT NOT NULL DEFAULT ''"),
            QStringLiteral("DROP VIEW IF EXISTS address_1"),
        };
    case 1: {
        // Version 0 had no index at all; every version gets those of a new database.
        QStringList statements = ifMissing(QStringList{groupIndex});
        if (engine.rowKeyDefinition().isEmpty()) {
            statements << QStringLiteral("DROP VIEW IF EXISTS address_1") << rebuildAddressTable(engine)
                       << addressViewStatement();
        } else {
            statements << ifMissing(addressIndexes); // the view and the key are those of version 2
        }
        return statements + engine.indexStatements() + engine.refillSearchIndexStatements();
    }
    case 2: return linkCheckTables(); // the same on every engine
    case 3: return {recycleBinTable(engine)};
    case 4: return ifMissing({unfoldedIndex});
    default: return {};
    }
}
