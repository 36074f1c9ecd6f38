#include "services/LibraryReads.h"

#include "bookmarks/ExportService.h"
#include "data/AddressStore.h"
#include "data/SharedConnection.h"
#include "links/LinkStore.h"
#include "services/FailureOutcome.h"

Outcome LibraryReads::configure(DbConnection &connection)
{
    return attemptOrFailure([&] { configureConnection(connection); });
}

Outcome LibraryReads::configure(SharedConnection &sharedConnection)
{
    return attemptOrFailure([&] { sharedConnection.init(); });
}

Fetched<QList<GroupStore::Group>> LibraryReads::groups(DbConnection &db)
{
    return fetchOrFailure([&] { return GroupStore::groups(db); });
}

Fetched<QStringList> LibraryReads::groupNames(DbConnection &db)
{
    return fetchOrFailure([&] { return GroupStore::groupNames(db); });
}

Fetched<int> LibraryReads::binCount(DbConnection &db)
{
    return fetchOrFailure([&] { return AddressPaging(db, AddressFilter::bin()).count(); });
}

Fetched<bool> LibraryReads::anyLinkChecks(DbConnection &db)
{
    return fetchOrFailure([&] { return LinkStore::anyChecks(db); });
}

Fetched<QByteArray> LibraryReads::siteIcon(DbConnection &db, const QString &site)
{
    return fetchOrFailure([&] { return LinkStore::iconOf(db, site); });
}

Fetched<LinkFixes::Offer> LibraryReads::fixesOffered(DbConnection &db, const QString &address, const QString &name)
{
    return fetchOrFailure([&] { return LinkFixes::offeredFor(db, address, name); });
}

Fetched<LinkCheckSettings> LibraryReads::linkCheckSettings()
{
    return fetchOrFailure([] { return LinkCheckSettings::fromSettingsFile(); });
}

Outcome LibraryReads::exportTo(DbConnection &db, const QString &file, const ExportScope &scope)
{
    const Fetched<int> written = fetchOrFailure([&] { return ExportService::exportTo(db, file, scope); });
    return written.ok() ? Outcome::done(written.value) : written.outcome;
}
