#include "services/CommandWork.h"

#include "data/GroupStore.h"
#include "data/SharedConnection.h"
#include "jet/JetConversion.h"
#include "services/FailureOutcome.h"

Outcome CommandWork::openLibrary(DbConnection &db, bool create)
{
    return attemptOrFailure([&] {
        configureConnection(db);
        if (create)
            db.open();
    });
}

Fetched<LibraryLocation> CommandWork::parseLocation(const QString &text, const QString &origin)
{
    return fetchOrFailure([&] { return LibraryLocation::parse(text, origin); });
}

Fetched<ImportReport> CommandWork::importBookmarks(DbConnection &db, const QString &file)
{
    return fetchOrFailure([&] { return ImportService::importFile(db, file); });
}

Fetched<bool> CommandWork::groupExists(DbConnection &db, const QString &group)
{
    return fetchOrFailure([&] { return GroupStore::groupNoOf(db, group).has_value(); });
}

Fetched<DatabaseCopy::Result> CommandWork::copyLibrary(DbConnection &from, DbConnection &to)
{
    return fetchOrFailure([&] { return DatabaseCopy::copy(from, to); });
}

Fetched<JetMerge::Result> CommandWork::mergeJetFile(DbConnection &db, const QString &jetFile)
{
    return fetchOrFailure([&] { return JetMerge::merge(db, jetFile); });
}

Outcome CommandWork::convertJetFile(const QString &file)
{
    return attemptOrFailure([&] { JetConversion::convertInPlace(file); });
}

Fetched<std::vector<RecycleBin::Entry>> CommandWork::binEntries(DbConnection &db)
{
    return fetchOrFailure([&] { return RecycleBin::list(db); });
}

Outcome CommandWork::dropExpiredDeletions(DbConnection &db)
{
    return attemptOrFailure([&] { RecycleBin::dropExpired(db, RecycleBin::keepDays()); });
}
