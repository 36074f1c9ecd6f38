#include "services/AddressCommands.h"

#include "data/AddressStore.h"
#include "data/GroupStore.h"
#include "services/FailureOutcome.h"

#include <QCoreApplication>

namespace {

int groupNoOf(DbConnection &db, const QString &groupName)
{
    const std::optional<int> number = GroupStore::groupNoOf(db, groupName);
    if (!number)
        throw AppError(QStringLiteral("no group named \"%1\"").arg(groupName));
    return *number;
}

// Runs a statement that gives the number of rows it changed.
Outcome counted(const std::function<int()> &statement)
{
    try {
        return Outcome::done(statement());
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}

// Blanks and control characters at either end go, as a host name lookup expects.
QString trimmedOfControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 0x20)
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString AddressCommands::deletedText()
{
    return QCoreApplication::translate("AddressCommands", "成功删除！!");
}

Outcome AddressCommands::remove(DbConnection &db, const QString &address, const QString &groupName)
{
    Outcome outcome = counted([&] { return AddressStore::remove(db, address, groupNoOf(db, groupName)); });
    if (outcome.ok())
        outcome.message = deletedText();

    return outcome;
}

Outcome AddressCommands::setFavourite(DbConnection &db, const QString &address)
{
    return counted([&] { return AddressStore::setFavourite(db, address); });
}

Outcome AddressCommands::clearFavourite(DbConnection &db, const QString &address, const QString &groupName)
{
    return counted([&] { return AddressStore::clearFavourite(db, address, groupNoOf(db, groupName)); });
}

Outcome AddressCommands::countVisit(DbConnection &db, const QString &address)
{
    return counted([&] { return AddressStore::countVisit(db, address); });
}

bool AddressCommands::mayOpenAfter(const Outcome &counted)
{
    return counted.kind != Outcome::Kind::Failed && counted.kind != Outcome::Kind::Unreachable;
}

QString AddressCommands::withHostAsIpv4(const QString &address, const Ipv4Lookup &ipv4Of)
{
    const qsizetype slash = address.indexOf(QLatin1Char('/'));
    const QString host = slash < 0 ? address : address.left(slash);
    const QString path = slash < 0 ? QString() : address.mid(slash);
    const QString dotted = ipv4Of(trimmedOfControls(host));
    if (dotted.isEmpty())
        return QString();
    return trimmedOfControls(dotted) + trimmedOfControls(path);
}
