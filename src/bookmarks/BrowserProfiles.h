#pragma once

#include "bookmarks/Bookmark.h"

#include <QString>
#include <vector>

// A browser profile whose bookmarks can be imported.
struct BrowserProfile
{
    QString browser;     // "Firefox", "Chromium", "Google Chrome" ...
    QString profileName; // the profile's own name, as the browser shows it
    QString file;        // its places.sqlite or Bookmarks file

    QString label() const { return browser + QStringLiteral(" – ") + profileName; }
};

// Finds the user's browser profiles under the home folder: Firefox's from
// ~/.mozilla/firefox/profiles.ini, and those of the Chromium family (Chromium, Google
// Chrome, Brave, Edge, Vivaldi) from their "Default" and "Profile N" folders, named by
// their "Local State". Only profiles whose bookmark store exists are given.
namespace BrowserProfiles {

std::vector<BrowserProfile> find(const QString &home);

} // namespace BrowserProfiles

namespace BrowserProfiles {

// Reads a profile's bookmarks; bookmarks outside any folder go to a group named after
// the browser. Throws AppError.
BookmarkSet read(const BrowserProfile &profile);

} // namespace BrowserProfiles
