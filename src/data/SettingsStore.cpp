#include "data/SettingsStore.h"

#include "data/AppError.h"
#include "data/PrivateFiles.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>
#include <vector>

namespace {

const QString pathKey = QStringLiteral("Path");
const QString databaseKey = QStringLiteral("Database");

QString favoritesKey()
{
    return QLatin1String(SettingsStore::ShellFolderGroup) + QLatin1Char('/')
        + QLatin1String(SettingsStore::FavoritesKey);
}

// Every settings file in the order they count: the user's own first, then the system-wide
// ones of the XDG config folders. A file that cannot be read or parsed is left out, so that
// its keys count as missing and the next file (or the default) holds.
std::vector<std::unique_ptr<QSettings>> readableSettings()
{
    const QString relative = QStringLiteral("Kelvo/Kelvo.conf");
    QStringList files{SettingsStore::userFileName()};
    const QStringList located = QStandardPaths::locateAll(QStandardPaths::GenericConfigLocation, relative);
    for (const QString &file : located) {
        if (!files.contains(file))
            files << file;
    }
    std::vector<std::unique_ptr<QSettings>> result;
    for (const QString &file : std::as_const(files)) {
        if (!QFileInfo(file).isFile() || !QFileInfo(file).isReadable())
            continue;
        auto settings = std::make_unique<QSettings>(file, QSettings::IniFormat);
        if (settings->status() == QSettings::NoError)
            result.push_back(std::move(settings));
    }
    return result;
}

// The first file that has the key, key by key; nullptr when none has it.
QSettings *holderOf(const std::vector<std::unique_ptr<QSettings>> &files, const QString &key)
{
    for (const auto &settings : files) {
        if (settings->contains(key))
            return settings.get();
    }
    return nullptr;
}

// A value read from a file must be one text: an unquoted comma makes QSettings read a
// list, "@Variant(...)" another type, and a "@Variant(...)" it cannot decode no value at all.
QString requireText(const QSettings &settings, const QString &key, const QString &name)
{
    const QVariant value = settings.value(key);
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        throw AppError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return value.toString();
}

// The user's settings file, made (empty, the owner's alone) when missing; a rewrite by
// QSettings keeps the modes of the file it replaces.
QString privateUserFile()
{
    QString file = SettingsStore::userFileName();
    if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink()
        && PrivateFiles::makeFolder(QFileInfo(file).absolutePath()))
        PrivateFiles::createEmpty(file);
    return file;
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
    // Only what no system-wide file provides: a default written here would hide it.
    const auto existing = readableSettings();
    const bool needPath = !holderOf(existing, pathKey);
    const bool needFavorites = !holderOf(existing, favoritesKey());
    QSettings settings(privateUserFile(), QSettings::IniFormat);
    if (needPath)
        settings.setValue(pathKey, QString());
    if (needFavorites)
        settings.setValue(favoritesKey(), QLatin1String(DefaultFavorites));
    settings.sync();
}

QString SettingsStore::path()
{
    const auto files = readableSettings();
    const QSettings *holder = holderOf(files, pathKey);
    return holder ? requireText(*holder, pathKey, pathKey) : QString();
}

void SettingsStore::setPath(const QString &folder)
{
    // QSettings quotes a text with a comma itself; it is written as one text value.
    QSettings settings(privateUserFile(), QSettings::IniFormat);
    settings.setValue(pathKey, folder);
    settings.sync();
}

QString SettingsStore::database()
{
    const auto files = readableSettings();
    const QSettings *holder = holderOf(files, databaseKey);
    const QString value = holder ? requireText(*holder, databaseKey, databaseKey).trimmed() : QString();
    return value.compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0 ? QString() : value;
}

void SettingsStore::setDatabase(const QString &location)
{
    QSettings settings(privateUserFile(), QSettings::IniFormat);
    settings.setValue(databaseKey, location);
    settings.sync();
}

std::optional<QString> SettingsStore::favoritesSetting()
{
    const auto files = readableSettings();
    if (const QSettings *holder = holderOf(files, favoritesKey()))
        return requireText(*holder, favoritesKey(), QLatin1String(FavoritesKey));
    for (const auto &settings : files) {
        if (settings->childGroups().contains(QLatin1String(ShellFolderGroup)))
            return QString();
    }
    return std::nullopt;
}

std::optional<QString> SettingsStore::textValue(const QString &key)
{
    const auto files = readableSettings();
    if (const QSettings *holder = holderOf(files, key))
        return requireText(*holder, key, key.section(QLatin1Char('/'), -1));
    return std::nullopt;
}
