#include "links/LinkFixes.h"

#include "data/AppError.h"
#include "data/TrimUrl.h"
#include "services/AddressEditing.h"
#include "services/FailureOutcome.h"

#include <QCoreApplication>

namespace {

std::optional<LinkStore::StoredCheck> lastCheckOf(DbConnection &db, const QString &address)
{
    return LinkStore::checkOf(db, address);
}

} // namespace

QString LinkFixes::newAddressOf(LinkStatus status, const QString &address, const QString &finalAddress)
{
    if (status != LinkStatus::Moved || finalAddress.isEmpty())
        return {};
    QString stored = AddressEditing::storedAddress(finalAddress);
    // The editor would refuse an address that a browser takes for one of its options.
    if (looksLikeOption(stored) || stored == AddressEditing::storedAddress(address))
        return {};
    return stored;
}

bool LinkFixes::offersNewAddress(const std::optional<LinkStore::StoredCheck> &check)
{
    return check && !newAddressOf(check->status, check->address, check->finalAddress).isEmpty();
}

QString LinkFixes::reportLine(const Fix &fix)
{
    const QString kind =
        fix.kind == Fix::Kind::NewAddress ? QStringLiteral("new-address") : QStringLiteral("page-title");
    return QStringList{QStringLiteral("fix"), kind, fix.address, fix.value}.join(QLatin1Char('\t'));
}

bool LinkFixes::offersPageTitle(const std::optional<LinkStore::StoredCheck> &check, const QString &address,
                                const QString &name)
{
    const QString trimmed = name.trimmed();
    return check && !check->titleSeen.isEmpty() && (trimmed.isEmpty() || trimmed == address.trimmed());
}

LinkFixes::Offer LinkFixes::offeredFor(DbConnection &db, const QString &address, const QString &name)
{
    const std::optional<LinkStore::StoredCheck> check = lastCheckOf(db, address);
    return {offersNewAddress(check), offersPageTitle(check, address, name)};
}

Outcome LinkFixes::useNewAddress(DbConnection &db, const QString &address, const QString &name, const QString &group)
{
    std::optional<LinkStore::StoredCheck> check;
    try {
        check = lastCheckOf(db, address);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    if (!offersNewAddress(check))
        return Outcome::refused(QCoreApplication::translate("LinkFixes", "上次检查没有发现该网址的新网址！"));
    return AddressEditing(db).change({check->finalAddress, name, group}, address, name);
}

Outcome LinkFixes::usePageTitle(DbConnection &db, const QString &address, const QString &name, const QString &group)
{
    std::optional<LinkStore::StoredCheck> check;
    try {
        check = lastCheckOf(db, address);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    if (!offersPageTitle(check, address, name))
        return Outcome::refused(QCoreApplication::translate("LinkFixes", "上次检查没有读到可用的网页标题！"));
    return AddressEditing(db).change({address, check->titleSeen, group}, address, name);
}
