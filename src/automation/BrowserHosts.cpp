#include "automation/BrowserHosts.h"

#include "automation/Registration.h"
#include "data/AppError.h"

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

void writeIfChanged(const QString &file, const QByteArray &contents, QFileDevice::Permissions permissions)
{
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
        return;
    current.close();
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        throw AppError(Registration::writeErrorText());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() || !out.setPermissions(permissions)
        || !out.commit())
        throw AppError(Registration::writeErrorText());
}

void removeIfPresent(const QString &file)
{
    if (QFileInfo::exists(file) && !QFile::remove(file))
        throw AppError(QStringLiteral("Cannot remove %1").arg(file));
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
        throw AppError(Registration::writeErrorText());
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

void writeFiles(const QString &executablePath)
{
    const QString launcher = launcherFile();
    writeIfChanged(launcher, launcherContents(executablePath), executable);
    const QStringList firefoxFiles = firefoxManifestFiles();
    for (const QString &file : installedBrowsersManifestFiles())
        writeIfChanged(file, firefoxFiles.contains(file) ? firefoxManifest(launcher) : chromiumManifest(launcher),
                       readable);
}

void removeFiles()
{
    for (const QString &file : firefoxManifestFiles() + chromiumManifestFiles())
        removeIfPresent(file);
    removeIfPresent(launcherFile());
}

} // namespace BrowserHosts
