#include "links/LinkStore.h"

#include "data/PostgresEngine.h"

namespace {

const QString checkColumns = QStringLiteral(
    "Address, Status, HttpCode, FinalAddress, TitleSeen, Reason, FirstFailure, FailuresInRow, CheckedAt");

LinkStore::StoredCheck checkFrom(const QSqlQuery &query)
{
    LinkStore::StoredCheck check;
    check.address = query.value(0).toString();
    check.status = linkStatusFromName(query.value(1).toString());
    check.httpCode = query.value(2).toInt();
    check.finalAddress = query.value(3).toString();
    check.titleSeen = query.value(4).toString();
    check.reason = query.value(5).toString();
    check.firstFailure = query.value(6).toString();
    check.failuresInRow = query.value(7).toInt();
    check.checkedAt = query.value(8).toString();
    return check;
}

// The server's triggers announce changes of the addresses and the groups only; the
// windows of other computers hear of new results by this notice, sent with the commit.
void announceResults(DbConnection &db)
{
    if (db.isServer())
        db.query(QStringLiteral("SELECT pg_notify(?, 'LinkCheck')"), {QLatin1String(PostgresEngine::ChangesChannel)});
}

} // namespace

void LinkStore::record(DbConnection &db, const QList<LinkResult> &results, const QString &checkedAt)
{
    if (results.isEmpty())
        return;
    Transaction transaction(db);
    db.lockTables({QStringLiteral("LinkCheck")});
    QSqlQuery previous =
        db.prepare(QStringLiteral("SELECT FirstFailure, FailuresInRow, Status FROM LinkCheck WHERE Address = ?"));
    QSqlQuery update = db.prepare(QStringLiteral("UPDATE LinkCheck SET Status = ?, HttpCode = ?, FinalAddress = ?, "
                                                 "TitleSeen = ?, Reason = ?, FirstFailure = ?, FailuresInRow = ?, "
                                                 "CheckedAt = ? WHERE Address = ?"));
    QSqlQuery insert = db.prepare(QStringLiteral("INSERT INTO LinkCheck (Status, HttpCode, FinalAddress, TitleSeen, "
                                                 "Reason, FirstFailure, FailuresInRow, CheckedAt, Address) "
                                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (const LinkResult &result : results) {
        if (result.status == LinkStatus::NotChecked)
            continue;
        QString firstFailure;
        int failures = 0;
        if (isFailure(result.status)) {
            firstFailure = checkedAt;
            failures = 1;
            db.run(previous, {result.address});
            if (previous.next() && isFailure(linkStatusFromName(previous.value(2).toString()))) {
                firstFailure = previous.value(0).toString();
                failures = previous.value(1).toInt() + 1;
            }
            previous.finish();
        }
        const QVariantList values{linkStatusName(result.status),
                                  result.httpCode,
                                  result.finalAddress,
                                  result.title,
                                  result.reason,
                                  firstFailure,
                                  failures,
                                  checkedAt,
                                  result.address};
        if (db.run(update, values) == 0)
            db.run(insert, values);
    }
    announceResults(db);
    transaction.commit();
}

QList<LinkStore::StoredCheck> LinkStore::checks(DbConnection &db)
{
    QList<StoredCheck> result;
    QSqlQuery query = db.query(QStringLiteral("SELECT %1 FROM LinkCheck ORDER BY Address").arg(checkColumns));
    while (query.next())
        result << checkFrom(query);
    return result;
}

std::optional<LinkStore::StoredCheck> LinkStore::checkOf(DbConnection &db, const QString &address)
{
    QSqlQuery query =
        db.query(QStringLiteral("SELECT %1 FROM LinkCheck WHERE Address = ?").arg(checkColumns), {address});
    if (!query.next())
        return std::nullopt;
    return checkFrom(query);
}

void LinkStore::storeIcon(DbConnection &db, const QString &site, const QByteArray &icon, const QString &fetchedAt)
{
    Transaction transaction(db);
    const QVariantList values{QString::fromLatin1(icon.toBase64()), fetchedAt, site};
    if (db.execute(QStringLiteral("UPDATE SiteIcon SET Icon = ?, FetchedAt = ? WHERE Site = ?"), values) == 0)
        db.execute(QStringLiteral("INSERT INTO SiteIcon (Icon, FetchedAt, Site) VALUES (?, ?, ?)"), values);
    announceResults(db);
    transaction.commit();
}

QHash<QString, QByteArray> LinkStore::icons(DbConnection &db)
{
    QHash<QString, QByteArray> result;
    QSqlQuery query = db.query(QStringLiteral("SELECT Site, Icon FROM SiteIcon"));
    while (query.next())
        result.insert(query.value(0).toString(), QByteArray::fromBase64(query.value(1).toString().toLatin1()));
    return result;
}

QByteArray LinkStore::iconOf(DbConnection &db, const QString &site)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT Icon FROM SiteIcon WHERE Site = ?"), {site});
    return query.next() ? QByteArray::fromBase64(query.value(0).toString().toLatin1()) : QByteArray();
}

bool LinkStore::anyChecks(DbConnection &db)
{
    QSqlQuery query = db.query(QStringLiteral("SELECT 1 FROM LinkCheck LIMIT 1"));
    return query.next();
}
