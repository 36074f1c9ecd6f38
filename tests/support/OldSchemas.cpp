#include "OldSchemas.h"

#include "data/AddressStore.h"
#include "data/SqlEngine.h"

namespace {

const QString groupInsert = QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, 'IE收藏夹')");
const QString maxGroupView = QStringLiteral("CREATE VIEW MaxGroupNo AS SELECT max(GroupNo) AS Max FROM BaseGroup");

struct OldRow
{
    const char *address;
    const char *name;
    const char *viewTime;
};
const OldRow oldRows[] = {{"www.ÄRGER.de", "Straße", "2020-01-02"}, {"b.com", "ΣΊΣΥΦΟΣ", "2020-01-03"}};

QString viewStatement(const QString &extraColumns)
{
    return QStringLiteral("CREATE VIEW address_1 AS SELECT a.Address AS Address, a.AddressName AS AddressName, "
                          "a.ViewTime AS ViewTime, a.Times AS Times, a.MyAddress AS MyAddress, a.GroupNo AS GroupNo, "
                          "g.GroupName AS GroupName%1 FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo")
        .arg(extraColumns);
}

} // namespace

QStringList OldSchemas::versionZero()
{
    QStringList statements{
        QStringLiteral("PRAGMA journal_mode=WAL"),
        QStringLiteral("CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE address (Address TEXT, AddressName TEXT, Times INTEGER NOT NULL DEFAULT 0, "
                       "ViewTime TEXT, GroupNo INTEGER, MyAddress INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral(
            "CREATE TABLE Search (SearchText TEXT, Searchdate TEXT, Sort_No INTEGER PRIMARY KEY AUTOINCREMENT)"),
        viewStatement({}),
        maxGroupView,
        groupInsert,
    };
    for (const OldRow &row : oldRows) {
        statements << QStringLiteral(
                          "INSERT INTO address (Address, AddressName, ViewTime, GroupNo) VALUES ('%1', '%2', '%3', 1)")
                          .arg(QString::fromUtf8(row.address), QString::fromUtf8(row.name),
                               QLatin1String(row.viewTime));
    }
    return statements;
}

QStringList OldSchemas::versionOne(const SqlEngine &engine)
{
    const QString rowKey = engine.rowKeyDefinition();
    QStringList statements{
        QStringLiteral("CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL%1)").arg(rowKey),
        QStringLiteral("CREATE TABLE address (Address TEXT, AddressName TEXT, Times INTEGER NOT NULL DEFAULT 0, "
                       "ViewTime TEXT, GroupNo INTEGER, MyAddress INTEGER NOT NULL DEFAULT 0, "
                       "AddressFolded TEXT NOT NULL DEFAULT '', AddressNameFolded TEXT NOT NULL DEFAULT ''%1)")
            .arg(rowKey),
        QStringLiteral("CREATE TABLE Search (SearchText TEXT, Searchdate TEXT, %1)")
            .arg(engine.autoNumberColumn(QStringLiteral("Sort_No"))),
        QStringLiteral("CREATE INDEX address_by_address ON address(Address)"),
        QStringLiteral("CREATE INDEX address_by_group ON address(GroupNo)"),
        QStringLiteral("CREATE INDEX basegroup_by_name ON BaseGroup(GroupName)"),
        // The hidden row key was listed only where the engine had a column for it.
        viewStatement(QStringLiteral(", a.AddressFolded AS AddressFolded, a.AddressNameFolded AS AddressNameFolded%1")
                          .arg(rowKey.isEmpty() ? QString() : QStringLiteral(", a.RowNo AS RowNo"))),
        maxGroupView,
        groupInsert,
    };
    for (const OldRow &row : oldRows) {
        const QString address = QString::fromUtf8(row.address);
        const QString name = QString::fromUtf8(row.name);
        statements << QStringLiteral("INSERT INTO address (Address, AddressName, ViewTime, GroupNo, AddressFolded, "
                                     "AddressNameFolded) VALUES ('%1', '%2', '%3', 1, '%4', '%5')")
                          .arg(address, name, QLatin1String(row.viewTime), AddressStore::folded(address),
                               AddressStore::folded(name));
    }
    return statements + engine.extraSchemaStatements() + engine.setSchemaVersionStatements(1);
}
