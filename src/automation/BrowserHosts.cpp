#include "automation/BrowserHosts.h"

#include "automation/Registration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace BrowserHosts {

namespace {

// The folders of the Chromium family under the user's configuration.
const char *const chromiumFolders[] = {"chromium", "google-chrome", "BraveSoftware/Brave-Browser", "microsoft-edge",
                                       "vivaldi"};

QString manifestName()
{
    return QLatin1String(HostName) + QStringLiteral(".json");
}

// A shell word that stands for `text` unchanged: single quotes, with each single quote
// of the text closed, escaped and reopened.
QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QByteArray manifest(const QString &launcher, const QString &allowedKey, const QString &allowed)
{
    const QJsonObject object{
        {QStringLiteral("name"), QLatin1String(HostName)},
        {QStringLiteral("description"), QStringLiteral("Vestrane: adds the page you are reading")},
        {QStringLiteral("path"), launcher},
        {QStringLiteral("type"), QStringLiteral("stdio")},
        {allowedKey, QJsonArray{allowed}},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

// False when the file cannot be written.
bool writeIfChanged(const QString &file, const QByteArray &contents, QFileDevice::Permissions permissions)
{
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
        return true;
    current.close();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(contents) == contents.size() && out.setPermissions(permissions)
        && out.commit();
}

bool removeIfPresent(const QString &file)
{
    return !QFileInfo::exists(file) || QFile::remove(file);
}

constexpr QFileDevice::Permissions readable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions executable =
    readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

} // namespace

QString launcherFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/vestrane/native-messaging-host");
}

QString firefoxManifestFile()
{
    return QDir::homePath() + QStringLiteral("/.mozilla/native-messaging-hosts/") + manifestName();
}

QStringList chromiumManifestFiles()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QStringList files;
    for (const char *folder : chromiumFolders)
        files << config + QLatin1Char('/') + QLatin1String(folder) + QStringLiteral("/NativeMessagingHosts/")
                + manifestName();
    return files;
}

QStringList firefoxManifestFiles()
{
    return {firefoxManifestFile(),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                + QStringLiteral("/mozilla/native-messaging-hosts/") + manifestName()};
}

QStringList installedBrowsersManifestFiles()
{
    // A manifest's folder lies in the browser's own folder; a browser that never ran as
    // this user has none, and none is made for it.
    QStringList files;
    for (const QString &file : firefoxManifestFiles() + chromiumManifestFiles()) {
        const QString hostsFolder = QFileInfo(file).absolutePath();
        if (QFileInfo(QFileInfo(hostsFolder).absolutePath()).isDir())
            files << file;
    }
    return files;
}

QByteArray launcherContents(const QString &executable)
{
    if (executable.isEmpty())
        return {};
    return QStringLiteral(
               "#!/bin/sh\n# Started by a browser for the Vestrane extension.\nexec %1 --native-messaging \"$@\"\n")
        .arg(shellQuoted(executable))
        .toUtf8();
}

QByteArray firefoxManifest(const QString &launcher)
{
    return manifest(launcher, QStringLiteral("allowed_extensions"), QLatin1String(FirefoxExtensionId));
}

QByteArray chromiumManifest(const QString &launcher)
{
    return manifest(launcher, QStringLiteral("allowed_origins"),
                    QStringLiteral("chrome-extension://%1/").arg(QLatin1String(ChromiumExtensionId)));
}

Outcome writeFiles(const QString &executablePath)
{
    const QString launcher = launcherFile();
    const QByteArray script = launcherContents(executablePath);
    if (script.isEmpty() || !writeIfChanged(launcher, script, executable))
        return Outcome::failed(Registration::writeErrorText());
    const QStringList firefoxFiles = firefoxManifestFiles();
    for (const QString &file : installedBrowsersManifestFiles()) {
        if (!writeIfChanged(file, firefoxFiles.contains(file) ? firefoxManifest(launcher) : chromiumManifest(launcher),
                            readable))
            return Outcome::failed(Registration::writeErrorText());
    }
    return Outcome::done();
}

Outcome removeFiles()
{
    for (const QString &file : firefoxManifestFiles() + chromiumManifestFiles() + QStringList{launcherFile()}) {
        if (!removeIfPresent(file))
            return Outcome::failed(Registration::removeErrorText(file));
    }
    return Outcome::done();
}

} // namespace BrowserHosts
