#pragma once

#include <QString>
#include <optional>

// The program's settings file, ~/.config/Kelvo/Kelvo.conf (INI), with the system-wide
// ones of the XDG config folders (/etc/xdg/Kelvo/Kelvo.conf) as fallback, key by key: the
// user's file wins, then the system file, then the default. A file that cannot be read
// counts as missing. It holds the database folder `Path` in its general section and the
// shell-folder group with the "Favorites" value.
class SettingsStore
{
public:
    static constexpr const char *ShellFolderGroup = "ShellFolders";
    static constexpr const char *FavoritesKey = "Favorites";
    static constexpr const char *DefaultFavorites = "%USERPROFILE%/Favorites";

    // The user's settings file (it may not exist yet).
    static QString userFileName();

    // At the first start (no user's file yet) writes the user's file with the defaults of
    // the keys that no system-wide file has: an empty `Path`, the shell-folder group. An
    // existing file, readable or not, is never rewritten.
    static void writeDefaultsIfMissing();

    // `Path`: missing or empty gives empty text; a value that is not a single text, or one
    // that cannot be decoded, throws AppError("Invalid data type for 'Path'").
    static QString path();

    // Writes `Path` (used by tests and by the README's instructions). A folder name with a
    // comma is written quoted, so that it reads back as one text.
    static void setPath(const QString &folder);

    // `Database`: which database the program uses. Missing, empty or "sqlite" gives empty
    // text (the file `address.mdb` in `Path`); otherwise a PostgreSQL server's URI. A value
    // that is not a single text throws AppError("Invalid data type for 'Database'").
    static QString database();
    static void setDatabase(const QString &location);

    // The "Favorites" shell-folder value: nullopt when the settings cannot be read or lack
    // the shell-folder group; empty text when the value is missing; throws
    // AppError("Invalid data type for 'Favorites'") when it is not a single text.
    static std::optional<QString> favoritesSetting();

    // Any other key ("Group/Key"), key by key as above: nullopt when no file has it;
    // throws AppError("Invalid data type for '<Key>'") when it is not a single text.
    static std::optional<QString> textValue(const QString &key);
};
