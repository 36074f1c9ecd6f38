#include "links/LinkHealthCheck.h"

#include "data/AppError.h"
#include "data/DbConnection.h"
#include "data/GroupStore.h"
#include "links/LinkStore.h"
#include "services/FailureOutcome.h"

#include <QDateTime>

namespace {

// Results stored in one transaction; few enough that a cut-short check loses little.
constexpr int BatchSize = 200;

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

std::vector<LinkTarget> targetsOf(DbConnection &db, const QString &group)
{
    QString sql = QStringLiteral("SELECT Address, AddressName FROM address_1");
    QVariantList values;
    if (!group.isEmpty()) {
        const std::optional<int> groupNo = GroupStore::groupNoOf(db, group);
        if (!groupNo)
            throw AppError(LinkHealthCheck::tr("组别不存在：%1").arg(group));
        sql += QStringLiteral(" WHERE GroupNo = ?");
        values << *groupNo;
    }
    sql += db.engine().addedOrderClause();
    std::vector<LinkTarget> targets;
    QHash<QString, size_t> seen;
    QSqlQuery query = db.query(sql, values);
    while (query.next()) {
        const QString address = query.value(0).toString();
        const QString name = query.value(1).toString().trimmed();
        const bool wantTitle = name.isEmpty() || name == address.trimmed();
        const auto known = seen.constFind(address);
        if (known != seen.constEnd()) {
            targets[*known].wantTitle |= wantTitle;
            continue;
        }
        seen.insert(address, targets.size());
        targets.push_back({address, wantTitle});
    }
    return targets;
}

} // namespace

void LinkCheckSummary::count(LinkStatus status)
{
    switch (status) {
    case LinkStatus::Ok: ++ok; break;
    case LinkStatus::Moved: ++moved; break;
    case LinkStatus::Broken: ++broken; break;
    case LinkStatus::Unreachable: ++unreachable; break;
    case LinkStatus::NotChecked: ++notChecked; break;
    }
}

QString LinkCheckSummary::line() const
{
    return QStringLiteral("checked %1: ok %2, moved %3, broken %4, unreachable %5, not checked %6")
        .arg(total())
        .arg(ok)
        .arg(moved)
        .arg(broken)
        .arg(unreachable)
        .arg(notChecked);
}

LinkHealthCheck::LinkHealthCheck(DbConnection &db, const LinkCheckSettings &settings, QObject *parent)
    : QObject(parent), m_db(db), m_checker(settings)
{
    connect(&m_checker, &LinkChecker::checked, this, &LinkHealthCheck::take);
    connect(&m_checker, &LinkChecker::progress, this, &LinkHealthCheck::progress);
    connect(&m_checker, &LinkChecker::finished, this, &LinkHealthCheck::end);
    connect(&m_checker, &LinkChecker::iconFetched, this, [this](const QString &site, const QByteArray &icon) {
        if (!m_storeError.isEmpty())
            return;
        try {
            LinkStore::storeIcon(m_db, site, icon, now());
        } catch (const AppError &error) {
            m_storeError = error.message();
            m_checker.cancel();
        }
    });
}

Outcome LinkHealthCheck::start(const QString &group)
{
    try {
        m_targets = targetsOf(m_db, group);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    m_results.assign(m_targets.size(), LinkResult());
    m_unstored.clear();
    m_summary = {};
    m_storeError.clear();
    m_checkedAt = now();
    m_checker.start(m_targets);
    return Outcome::done();
}

void LinkHealthCheck::cancel()
{
    m_checker.cancel();
}

QList<LinkResult> LinkHealthCheck::problems() const
{
    QList<LinkResult> result;
    for (const LinkResult &one : m_results) {
        if (one.status == LinkStatus::Moved || isFailure(one.status))
            result << one;
    }
    return result;
}

QList<LinkFixes::Fix> LinkHealthCheck::fixes() const
{
    QList<LinkFixes::Fix> result;
    for (size_t index = 0; index < m_results.size(); ++index) {
        const LinkResult &one = m_results[index];
        const QString newAddress = LinkFixes::newAddressOf(one.status, one.address, one.finalAddress);
        if (!newAddress.isEmpty())
            result.append({LinkFixes::Fix::Kind::NewAddress, one.address, newAddress});
        if (m_targets[index].wantTitle && !one.title.isEmpty())
            result.append({LinkFixes::Fix::Kind::PageTitle, one.address, one.title});
    }
    return result;
}

void LinkHealthCheck::take(int index, const LinkResult &result)
{
    m_summary.count(result.status);
    LinkResult &kept = m_results[size_t(index)];
    kept = result;
    kept.hops.clear(); // only the stored fields are kept for a whole library
    if (result.status == LinkStatus::NotChecked)
        return;
    m_unstored << kept;
    if (m_unstored.size() >= BatchSize)
        storeBatch();
}

void LinkHealthCheck::storeBatch()
{
    if (!m_storeError.isEmpty())
        return;
    try {
        LinkStore::record(m_db, m_unstored, m_checkedAt);
        m_unstored.clear();
    } catch (const AppError &error) {
        m_storeError = error.message();
        m_checker.cancel();
    }
}

void LinkHealthCheck::end()
{
    storeBatch();
    Q_EMIT finished();
}
