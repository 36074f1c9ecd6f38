#include "bookmarks/BrowserProfiles.h"

#include "bookmarks/ChromiumReader.h"
#include "bookmarks/FirefoxReader.h"
#include "bookmarks/ProfileLists.h"
#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace {

// A folder where a browser keeps its profiles, and how that browser was installed.
struct ProfileRoot
{
    QString folder;
    QString packaging; // empty, "Snap" or "Flatpak"
};

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user's configuration folders: $XDG_CONFIG_HOME when it is set, and ~/.config,
// where the browsers look when it is not.
QStringList configHomes(const QString &home)
{
    QStringList homes;
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg))
        homes << xdg;
    homes << home + QStringLiteral("/.config");
    return homes;
}

// Firefox keeps profiles.ini in ~/.mozilla/firefox, or (a new profile of a recent
// release) in $XDG_CONFIG_HOME/mozilla/firefox; the Snap and the Flatpak keep theirs in
// their own homes.
std::vector<ProfileRoot> firefoxRoots(const QString &home)
{
    std::vector<ProfileRoot> roots{{home + QStringLiteral("/.mozilla/firefox"), {}}};
    for (const QString &config : configHomes(home))
        roots.push_back({config + QStringLiteral("/mozilla/firefox"), {}});
    const QString snap = home + QStringLiteral("/snap/firefox/common");
    roots.push_back({snap + QStringLiteral("/.mozilla/firefox"), QStringLiteral("Snap")});
    roots.push_back({snap + QStringLiteral("/.config/mozilla/firefox"), QStringLiteral("Snap")});
    const QString flatpak = home + QStringLiteral("/.var/app/org.mozilla.firefox");
    roots.push_back({flatpak + QStringLiteral("/.mozilla/firefox"), QStringLiteral("Flatpak")});
    roots.push_back({flatpak + QStringLiteral("/config/mozilla/firefox"), QStringLiteral("Flatpak")});
    return roots;
}

struct ChromiumBrowser
{
    const char *folder; // under the configuration folder
    const char *name;
    const char *snap; // the Snap's name, or nullptr
    const char *flatpak; // the Flatpak's application id, or nullptr
};

const ChromiumBrowser chromiumBrowsers[] = {
    {"chromium", "Chromium", "chromium", "org.chromium.Chromium"},
    {"google-chrome", "Google Chrome", nullptr, "com.google.Chrome"},
    {"BraveSoftware/Brave-Browser", "Brave", "brave", "com.brave.Browser"},
    {"microsoft-edge", "Microsoft Edge", nullptr, "com.microsoft.Edge"},
    {"vivaldi", "Vivaldi", "vivaldi", "com.vivaldi.Vivaldi"},
};

// The folders holding a browser's "Local State" and profile folders.
std::vector<ProfileRoot> chromiumRoots(const QString &home, const ChromiumBrowser &browser)
{
    const QString folder = QLatin1String(browser.folder);
    std::vector<ProfileRoot> roots;
    for (const QString &config : configHomes(home))
        roots.push_back({config + QLatin1Char('/') + folder, {}});
    if (browser.snap) {
        const QString snap = home + QStringLiteral("/snap/") + QLatin1String(browser.snap);
        roots.push_back({snap + QStringLiteral("/common/") + folder, QStringLiteral("Snap")});
        roots.push_back({snap + QStringLiteral("/current/.config/") + folder, QStringLiteral("Snap")});
    }
    if (browser.flatpak)
        roots.push_back(
            {home + QStringLiteral("/.var/app/") + QLatin1String(browser.flatpak) + QStringLiteral("/config/") + folder,
             QStringLiteral("Flatpak")});
    return roots;
}

// Collects profiles, each bookmark store once however many ways lead to it (a folder
// linked into another place, $XDG_CONFIG_HOME naming ~/.config).
class Found
{
public:
    void add(BrowserProfile &&profile)
    {
        const QString real = QFileInfo(profile.file).canonicalFilePath();
        if (real.isEmpty() || m_files.contains(real))
            return;
        m_files.insert(real);
        m_profiles.push_back(std::move(profile));
    }
    std::vector<BrowserProfile> take() { return std::move(m_profiles); }

private:
    QSet<QString> m_files;
    std::vector<BrowserProfile> m_profiles;
};

void findFirefox(const ProfileRoot &root, Found &found)
{
    const QString ini = root.folder + QStringLiteral("/profiles.ini");
    if (!QFileInfo::exists(ini))
        return;
    for (const ProfileLists::FirefoxEntry &entry : ProfileLists::firefoxProfiles(fileBytes(ini))) {
        const QString folder = entry.relative ? root.folder + QLatin1Char('/') + entry.path : entry.path;
        const QString places = folder + QStringLiteral("/places.sqlite");
        if (QFileInfo(places).isFile())
            found.add({QStringLiteral("Firefox"), entry.name, places, root.packaging});
    }
}

void findChromium(const ProfileRoot &root, const ChromiumBrowser &browser, Found &found)
{
    const QDir folder(root.folder);
    if (!folder.exists())
        return;
    const QHash<QString, QString> names =
        ProfileLists::chromiumProfileNames(fileBytes(folder.filePath(QStringLiteral("Local State"))));
    QStringList profiles = folder.entryList({QStringLiteral("Default"), QStringLiteral("Profile *")}, QDir::Dirs);
    std::sort(profiles.begin(), profiles.end(), [](const QString &a, const QString &b) {
        if (a == QLatin1String("Default") || b == QLatin1String("Default"))
            return a == QLatin1String("Default") && b != a;
        return a.mid(8).toInt() < b.mid(8).toInt();
    });
    for (const QString &profile : profiles) {
        const QString bookmarks = folder.filePath(profile + QStringLiteral("/Bookmarks"));
        if (QFileInfo(bookmarks).isFile())
            found.add({QLatin1String(browser.name), names.value(profile, profile), bookmarks, root.packaging});
    }
}

} // namespace

std::vector<BrowserProfile> BrowserProfiles::find(const QString &home)
{
    Found found;
    for (const ProfileRoot &root : firefoxRoots(home))
        findFirefox(root, found);
    for (const ChromiumBrowser &browser : chromiumBrowsers)
        for (const ProfileRoot &root : chromiumRoots(home, browser))
            findChromium(root, browser, found);
    return found.take();
}
