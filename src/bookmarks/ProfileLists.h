#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

// The browsers' own lists of their profiles, read from bytes as found on the disk. Any
// bytes give an answer (perhaps empty); nothing is thrown.
namespace ProfileLists {

// One [ProfileN] section of Firefox's profiles.ini.
struct FirefoxEntry
{
    QString name; // Name=, or the path when there is none
    QString path; // Path=, never empty
    bool relative = true; // IsRelative=: the path is inside the folder of profiles.ini
};

// The profiles of a profiles.ini in the order of their numbers. Read as Firefox reads
// it: a line a key, "key=value" taken as written, ';' and '#' start comments.
std::vector<FirefoxEntry> firefoxProfiles(const QByteArray &profilesIni);

// The names that Chromium's "Local State" gives its profile folders ("Default",
// "Profile 1" ...), from profile.info_cache.<folder>.name.
QHash<QString, QString> chromiumProfileNames(const QByteArray &localState);

} // namespace ProfileLists
