#include "links/LinkFailureHints.h"

#include "data/AppError.h"
#include "services/AddressEditing.h"

QString LinkFailureHints::textOf(const LinkStore::StoredCheck &check)
{
    if (!isFailure(check.status))
        return {};
    // The reason of an answer that failed names its code already.
    QStringList why;
    if (check.httpCode != 0 && !check.reason.startsWith(QStringLiteral("HTTP ")))
        why << QStringLiteral("HTTP %1").arg(check.httpCode);
    if (!check.reason.isEmpty())
        why << check.reason;
    const bool broken = check.status == LinkStatus::Broken;
    QString result;
    if (why.isEmpty())
        result = broken ? tr("失效") : tr("无法访问");
    else {
        const QString reasons = why.join(tr("，", "between the reasons of a failure"));
        result = broken ? tr("失效（%1）").arg(reasons) : tr("无法访问（%1）").arg(reasons);
    }
    QStringList lines{tr("检查结果：%1").arg(result)};
    // Compared as the editor stores them: "www.a.com" is asked for as "http://www.a.com".
    if (!check.finalAddress.isEmpty()
        && AddressEditing::storedAddress(check.finalAddress) != AddressEditing::storedAddress(check.address))
        lines << tr("最终网址：%1").arg(check.finalAddress);
    lines << tr("失效起始：%1").arg(check.firstFailure)
          << tr("连续失效：%n 次（最近检查 %1）", nullptr, check.failuresInRow).arg(check.checkedAt);

    return lines.join(QLatin1Char('\n'));
}

QString LinkFailureHints::hintFor(DbConnection &db, const QString &address)
{
    const auto known = m_texts.constFind(address);
    if (known != m_texts.constEnd())
        return *known;
    QString text;
    try {
        if (const std::optional<LinkStore::StoredCheck> check = LinkStore::checkOf(db, address))
            text = textOf(*check);
    } catch (const AppError &) {
        return {}; // asked again at the next hover
    }
    m_texts.insert(address, text);
    return text;
}
