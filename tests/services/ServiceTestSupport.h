#pragma once

#include "TestEngine.h"
#include "TestEnv.h"

#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "data/GroupStore.h"

#include <QVariant>

#include <memory>

// A fresh database in a temporary HOME for each test, and the few reads the tests of the
// services compare with.
class ServiceFixture
{
public:
    ServiceFixture() : db(std::make_unique<DbConnection>(QStringLiteral("services")))
    {
        configureConnection(*db);
        db->open();
    }
    ~ServiceFixture() { db.reset(); }

    DbConnection &connection() { return *db; }

    // Stores the address in the group, creating the group if needed.
    void add(const QString &address, const QString &name, const QString &group)
    {
        if (!GroupStore::groupNoOf(*db, group))
            GroupStore::addGroup(*db, group);
        AddressStore::insert(*db, address, name, *GroupStore::groupNoOf(*db, group));
    }
    // "address|group|visits|favourite" of every stored row, in insertion order.
    QStringList rows()
    {
        QStringList shown;
        QSqlQuery query = db->query(QStringLiteral("SELECT a.Address, g.GroupName, a.Times, a.MyAddress FROM address a "
                                                   "JOIN BaseGroup g ON g.GroupNo = a.GroupNo ORDER BY a.%1")
                                        .arg(db->engine().rowKeyColumn()));
        while (query.next()) {
            shown << QStringLiteral("%1|%2|%3|%4")
                         .arg(query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                              query.value(3).toString());
        }
        return shown;
    }
    // Makes every statement of `event` ("INSERT", "UPDATE", "DELETE") on `table` fail.
    void refuse(const char *event, const char *table)
    {
        TestEngine::refuseWrites(*db, QLatin1String(table), QLatin1String(event), {}, QStringLiteral("refused"),
                                 QStringLiteral("refuse_%1").arg(QLatin1String(event)));
    }

private:
    TestEnv env;
    std::unique_ptr<DbConnection> db;
};
