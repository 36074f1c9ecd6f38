#include "bookmarks/BrowserProfiles.h"

#include "bookmarks/ChromiumReader.h"
#include "bookmarks/FirefoxReader.h"
#include "data/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

namespace {

void findFirefox(const QString &home, std::vector<BrowserProfile> &found)
{
    const QString root = home + QStringLiteral("/.mozilla/firefox");
    const QString ini = root + QStringLiteral("/profiles.ini");
    if (!QFileInfo::exists(ini))
        return;
    QSettings profiles(ini, QSettings::IniFormat);
    QStringList sections = profiles.childGroups().filter(QRegularExpression(QStringLiteral("^Profile[0-9]+$")));
    std::sort(sections.begin(), sections.end(), [](const QString &a, const QString &b) {
        return a.mid(7).toInt() < b.mid(7).toInt();
    });
    for (const QString &section : sections) {
        profiles.beginGroup(section);
        const QString path = profiles.value(QStringLiteral("Path")).toString();
        const bool relative = profiles.value(QStringLiteral("IsRelative"), 1).toInt() != 0;
        const QString name = profiles.value(QStringLiteral("Name"), path).toString();
        profiles.endGroup();
        const QString folder = relative ? root + QLatin1Char('/') + path : path;
        const QString places = folder + QStringLiteral("/places.sqlite");
        if (!path.isEmpty() && QFileInfo::exists(places))
            found.push_back({QStringLiteral("Firefox"), name, places});
    }
}

void findChromiumFamily(const QString &home, std::vector<BrowserProfile> &found)
{
    const std::pair<const char *, const char *> browsers[] = {
        {"chromium", "Chromium"},
        {"google-chrome", "Google Chrome"},
        {"BraveSoftware/Brave-Browser", "Brave"},
        {"microsoft-edge", "Microsoft Edge"},
        {"vivaldi", "Vivaldi"},
    };
    for (const auto &[folderName, browser] : browsers) {
        const QDir folder(home + QStringLiteral("/.config/") + QLatin1String(folderName));
        if (!folder.exists())
            continue;
        QJsonObject names;
        QFile state(folder.filePath(QStringLiteral("Local State")));
        if (state.open(QIODevice::ReadOnly))
            names = QJsonDocument::fromJson(state.readAll())
                        .object()
                        .value(QLatin1String("profile"))
                        .toObject()
                        .value(QLatin1String("info_cache"))
                        .toObject();
        QStringList profiles = folder.entryList({QStringLiteral("Default"), QStringLiteral("Profile *")}, QDir::Dirs);
        std::sort(profiles.begin(), profiles.end(), [](const QString &a, const QString &b) {
            if (a == QLatin1String("Default") || b == QLatin1String("Default"))
                return a == QLatin1String("Default") && b != a;
            return a.mid(8).toInt() < b.mid(8).toInt();
        });
        for (const QString &profile : profiles) {
            const QString bookmarks = folder.filePath(profile + QStringLiteral("/Bookmarks"));
            if (!QFileInfo::exists(bookmarks))
                continue;
            const QString shown = names.value(profile).toObject().value(QLatin1String("name")).toString();
            found.push_back({QLatin1String(browser), shown.isEmpty() ? profile : shown, bookmarks});
        }
    }
}

} // namespace

std::vector<BrowserProfile> BrowserProfiles::find(const QString &home)
{
    std::vector<BrowserProfile> found;
    findFirefox(home, found);
    findChromiumFamily(home, found);
    return found;
}

BookmarkSet BrowserProfiles::read(const BrowserProfile &profile)
{
    if (profile.file.endsWith(QLatin1String(".sqlite")))
        return FirefoxReader::read(profile.file, profile.browser);
    QFile in(profile.file);
    if (!in.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法打开文件：%1（%2）").arg(profile.file, in.errorString()));
    return ChromiumReader::read(in.readAll(), profile.browser);
}
