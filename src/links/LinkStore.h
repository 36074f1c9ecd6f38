#pragma once

#include "data/DbConnection.h"
#include "links/LinkResult.h"

#include <QHash>
#include <QList>

// The stored results of the link check (table LinkCheck, one row per address text) and
// the site icons it fetched (table SiteIcon). The address rows themselves are never
// touched here.
namespace LinkStore {

struct StoredCheck
{
    QString address;
    LinkStatus status = LinkStatus::NotChecked;
    int httpCode = 0;
    QString finalAddress;
    QString titleSeen;
    QString reason;
    QString firstFailure; // when the failures in a row began; empty after a success
    int failuresInRow = 0;
    QString checkedAt;
};

// Stores the results of one check, made at `checkedAt` (stored date text), in one
// transaction: a failure after a failure counts on from the first one, a success
// clears the count. Results that are not checked are left out.
void record(DbConnection &db, const QList<LinkResult> &results, const QString &checkedAt);

// The last stored check of every address, or of one.
QList<StoredCheck> checks(DbConnection &db);
std::optional<StoredCheck> checkOf(DbConnection &db, const QString &address);

// A site's icon ("host:port" as LinkChecker::siteOf gives it), replacing the one kept.
void storeIcon(DbConnection &db, const QString &site, const QByteArray &icon, const QString &fetchedAt);
QHash<QString, QByteArray> icons(DbConnection &db);
// One site's icon; empty when none is kept.
QByteArray iconOf(DbConnection &db, const QString &site);

// Whether any check has been kept: the tree shows the node of the failing addresses then.
bool anyChecks(DbConnection &db);

} // namespace LinkStore
