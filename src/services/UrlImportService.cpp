#include "services/UrlImportService.h"

#include "data/AddressStore.h"
#include "data/AppError.h"
#include "data/GroupStore.h"
#include "data/Schema.h"
#include "data/TrimUrl.h"
#include "services/AddressEditing.h"
#include "services/FailureOutcome.h"

#include <QCoreApplication>

namespace {

// Thrown from the reader's sink to end the listing when the caller cancels.
struct ListingCancelled
{};

} // namespace

QString UrlImportService::favoritesSettingMissingText()
{
    // Intended: "主键" (the key of the settings) is how this text has always named it.
    return QCoreApplication::translate("UrlImportService", "访问收藏夹主键错误！");
}

QString UrlImportService::missingGroupText()
{
    return QCoreApplication::translate("UrlImportService", "找不到网址组别“%1”，没有导入任何网址。")
        .arg(Schema::ImportGroup);
}

QString UrlImportService::cancelledText()
{
    return QCoreApplication::translate("UrlImportService", "已取消，没有导入任何网址。");
}

UrlImportService::Listing UrlImportService::listFavorites(const Progress &progress)
{
    Listing listing{{}, Outcome::done()};
    try {
        // The setting only decides whether the listing takes place.
        if (favoritesShellFolder().isEmpty()) {
            listing.outcome = Outcome::refused(favoritesSettingMissingText());
            return listing;
        }
        enumerateFavorites(favoritesFolder(), [&listing, &progress](const ShortcutEntry &entry) {
            listing.entries.push_back(entry);
            if (progress && !progress(qsizetype(listing.entries.size())))
                throw ListingCancelled();
        });
    } catch (const AppError &error) {
        listing.outcome = Outcome::failed(error.message());
        listing.outcome.count = int(listing.entries.size());
        return listing;
    } catch (const ListingCancelled &) {
        listing.entries.clear();
        listing.outcome = Outcome::cancelled(cancelledText());
        return listing;
    }
    listing.outcome.count = int(listing.entries.size());
    return listing;
}

Outcome UrlImportService::store(DbConnection &db, const std::vector<ShortcutEntry> &entries)
{
    std::optional<int> groupNo;
    try {
        // The group is looked up before anything is written.
        groupNo = GroupStore::groupNoOf(db, Schema::ImportGroup);
    } catch (const AppError &error) {
        return failureOutcome(error);
    }
    if (!groupNo)
        return Outcome::refused(missingGroupText());

    std::vector<NewAddress> rows;
    rows.reserve(entries.size());
    for (const ShortcutEntry &entry : entries) {
        const QString address = AddressEditing::storedAddress(entry.address);
        if (!looksLikeOption(address)) // a browser would take it for one of its options
            rows.push_back(NewAddress{address, entry.displayName});
    }
    int stored = 0;
    try {
        AddressStore::insertAll(db, rows, *groupNo, &stored);
    } catch (const AppError &error) {
        Outcome outcome = failureOutcome(error);
        outcome.count = stored;
        return outcome;
    }
    return Outcome::done(stored);
}
