#pragma once

#include "bookmarks/Bookmark.h"

#include <QCoreApplication>
#include <QString>
#include <vector>

// A browser profile whose bookmarks can be imported.
struct BrowserProfile
{
    QString browser; // "Firefox", "Chromium", "Google Chrome" ...
    QString profileName; // the profile's own name, as the browser shows it
    QString file; // its places.sqlite or Bookmarks file
    QString packaging; // "Snap" or "Flatpak" when the browser came so, else empty

    QString label() const
    {
        if (packaging.isEmpty())
            return QStringLiteral("%1 – %2").arg(browser, profileName);
        return QCoreApplication::translate("BrowserProfile", "%1 – %2（%3）", "browser – profile (packaging)")
            .arg(browser, profileName, packaging);
    }
};

// Finds the user's browser profiles under the home folder: Firefox's from the
// profiles.ini in ~/.mozilla/firefox and in $XDG_CONFIG_HOME/mozilla/firefox (with
// ~/.config as its default), and those of the Chromium family (Chromium, Google Chrome,
// Brave, Edge, Vivaldi) from the "Default" and "Profile N" folders of their
// configuration folders, named by their "Local State"; the same in the homes of their
// Snaps (~/snap/<name>/common/...) and Flatpaks (~/.var/app/<app id>/...). Only profiles
// whose bookmark store exists are given, each store once.
namespace BrowserProfiles {

std::vector<BrowserProfile> find(const QString &home);

} // namespace BrowserProfiles
