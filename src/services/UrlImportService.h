#pragma once

#include "data/DbConnection.h"
#include "favorites/FavoritesReader.h"
#include "services/Outcome.h"

#include <functional>
#include <vector>

// The import of the Internet shortcuts of the user's Favorites folder: list them, then
// store the ones the user chose in the group "IE收藏夹". Nothing is shown here.
namespace UrlImportService {

// Called after each shortcut read with the number read so far; false cancels.
using Progress = std::function<bool(qsizetype done)>;

struct Listing
{
    // The shortcuts read, in name order ignoring letter case. A failure keeps the ones
    // read before it; a cancel keeps none.
    std::vector<ShortcutEntry> entries;
    // Done (count = entries); Refused: no Favorites setting; Cancelled, with the text the
    // user sees; Failed: the setting has the wrong type, or a file or the folder could not
    // be read.
    Outcome outcome;
};

Listing listFavorites(const Progress &progress = {});

// Stores the shortcuts, addresses normalised as a save does, in one transaction. Outcomes:
// Done (count = rows stored); Refused: the group "IE收藏夹" is missing, nothing written;
// Failed or ReadOnly: a row could not be stored: the rows before it are committed and
// `count` tells how many they are (the failing row is entries[count]).
Outcome store(DbConnection &db, const std::vector<ShortcutEntry> &entries);

QString favoritesSettingMissingText();
QString missingGroupText();
QString cancelledText();

} // namespace UrlImportService
