#include "services/SearchService.h"

#include "data/SearchStore.h"
#include "services/FailureOutcome.h"

AddressFilter SearchService::filterFor(const QString &text)
{
    return AddressFilter::search(text);
}

Outcome SearchService::search(DbConnection &db, const QString &text, const std::function<void(AddressRecord &&)> &sink)
{
    int found = 0;
    try {
        AddressStore::forEach(db, filterFor(text), [&](AddressRecord &&record) {
            ++found;
            sink(std::move(record));
        });
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    remember(db, text);
    return Outcome::done(found);
}

Outcome SearchService::searchListed(DbConnection &db, const QString &text,
                                    const std::function<Outcome(const AddressFilter &)> &list)
{
    Outcome listed = list(filterFor(text));
    if (!listed.ok())
        return listed;
    remember(db, text);
    return Outcome::done(listed.count);
}

Outcome SearchService::remember(DbConnection &db, const QString &text)
{
    if (text.isEmpty())
        return Outcome::refused(QString());
    try {
        SearchStore::save(db, text);
        return Outcome::done(1);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
}

SearchService::History SearchService::loadHistory(DbConnection &db)
{
    History history{{}, Outcome::done()};
    try {
        history.entries = SearchStore::history(db);
        const int excess = SearchStore::count(db) - HistoryKept;
        if (excess > 0)
            SearchStore::deleteOldest(db, excess);
        history.outcome.count = int(history.entries.size());
    } catch (const AppError &error) {
        history.outcome = failureOutcome(error);
    }
    return history;
}
