#include "data/Schema.h"

QStringList Schema::statements()
{
    return {
        QStringLiteral("CREATE TABLE BaseGroup (GroupNo INTEGER NOT NULL, GroupName TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE address (Address TEXT, AddressName TEXT, "
                       "Times INTEGER NOT NULL DEFAULT 0, ViewTime TEXT, GroupNo INTEGER, "
                       "MyAddress INTEGER NOT NULL DEFAULT 0)"),
        // Sort_No is assigned by the database and grows with every insert.
        QStringLiteral("CREATE TABLE Search (SearchText TEXT, Searchdate TEXT, "
                       "Sort_No INTEGER PRIMARY KEY AUTOINCREMENT)"),
        QStringLiteral("CREATE INDEX address_by_address ON address(Address)"),
        QStringLiteral("CREATE INDEX address_by_group ON address(GroupNo)"),
        QStringLiteral("CREATE INDEX basegroup_by_name ON BaseGroup(GroupName)"),
        // Every address with the name of its group; an address whose group is gone is
        // still listed, with an empty group name.
        QStringLiteral("CREATE VIEW address_1 AS SELECT a.Address AS Address, "
                       "a.AddressName AS AddressName, a.ViewTime AS ViewTime, a.Times AS Times, "
                       "a.MyAddress AS MyAddress, a.GroupNo AS GroupNo, g.GroupName AS GroupName "
                       "FROM address a LEFT JOIN BaseGroup g ON g.GroupNo = a.GroupNo"),
        QStringLiteral("CREATE VIEW MaxGroupNo AS SELECT max(GroupNo) AS Max FROM BaseGroup"),
        QStringLiteral("INSERT INTO BaseGroup (GroupNo, GroupName) VALUES (1, '%1')").arg(ImportGroup),
    };
}
