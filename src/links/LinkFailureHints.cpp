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
    QString result = check.status == LinkStatus::Broken ? QStringLiteral("失效") : QStringLiteral("无法访问");
    if (!why.isEmpty())
        result += QStringLiteral("（%1）").arg(why.join(QStringLiteral("，")));
    QStringList lines{QStringLiteral("检查结果：") + result};
    // Compared as the editor stores them: "www.a.com" is asked for as "http://www.a.com".
    if (!check.finalAddress.isEmpty()
        && AddressEditing::storedAddress(check.finalAddress) != AddressEditing::storedAddress(check.address))
        lines << QStringLiteral("最终网址：") + check.finalAddress;
    lines << QStringLiteral("失效起始：") + check.firstFailure
          << QStringLiteral("连续失效：%1 次（最近检查 %2）").arg(check.failuresInRow).arg(check.checkedAt);
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
