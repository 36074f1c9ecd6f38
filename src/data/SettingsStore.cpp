#include "data/SettingsStore.h"

#include "platform/AppError.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QDir>

namespace {

// The user's file when it exists, else the first system-wide one (XDG config dirs).
QString settingsFileToRead()
{
    const QStringList existing =
        QStandardPaths::locateAll(QStandardPaths::GenericConfigLocation, QStringLiteral("Kelvo/Kelvo.conf"));
    return existing.isEmpty() ? SettingsStore::userFileName() : existing.first();
}

QSettings openSettings()
{
    return QSettings(settingsFileToRead(), QSettings::IniFormat);
}

// A value read from the file must be one text: an unquoted comma makes QSettings read a
// list, and "@Variant(...)" other types.
QString requireText(const QVariant &value, const QString &name)
{
    if (!value.isValid())
        return QString();
    if (value.typeId() != QMetaType::QString)
        throw AppError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value.toString();
}

bool settingsReadable(const QSettings &settings)
{
    return settings.status() == QSettings::NoError && QFileInfo(settings.fileName()).isReadable();
}

} // namespace

QString SettingsStore::userFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Kelvo/Kelvo.conf");
}

void SettingsStore::writeDefaultsIfMissing()
{
    const QString file = userFileName();
    if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
        return;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Path"), QString());
    settings.beginGroup(QLatin1String(ShellFolderGroup));
    settings.setValue(QLatin1String(FavoritesKey), QLatin1String(DefaultFavorites));
    settings.endGroup();
    settings.sync();
}

QString SettingsStore::path()
{
    QSettings settings = openSettings();
    if (!settingsReadable(settings))
        return QString();
    return requireText(settings.value(QStringLiteral("Path")), QStringLiteral("Path"));
}

void SettingsStore::setPath(const QString &folder)
{
    // QSettings quotes a text with a comma itself; it is written as one text value.
    QSettings settings(userFileName(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Path"), folder);
    settings.sync();
}

std::optional<QString> SettingsStore::favoritesSetting()
{
    QSettings settings = openSettings();
    if (!settingsReadable(settings))
        return std::nullopt;
    if (!settings.childGroups().contains(QLatin1String(ShellFolderGroup)))
        return std::nullopt;
    settings.beginGroup(QLatin1String(ShellFolderGroup));
    return requireText(settings.value(QLatin1String(FavoritesKey)), QLatin1String(FavoritesKey));
}
