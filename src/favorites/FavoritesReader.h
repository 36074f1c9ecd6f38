#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Reads the user's Favorites folder: finds it, lists its Internet shortcut files
// ("*.url") and takes the web address out of each. No window, no database: the import
// window shows and stores what this hands over.
//
// File and folder names are kept as the raw bytes the file system gave, so that a name
// that is not UTF-8 (GB18030 text from older systems) can still be opened; they are
// decoded only for display.

// One shortcut file: its address as stored (not normalised) and its name less ".url".
struct ShortcutEntry
{
    QString address;
    QString displayName;
};

// The "Favorites" shell-folder setting followed by "/", or empty text when the settings
// cannot be read or lack the shell-folder group. A missing value still gives "/".
// Throws AppError when the value is not a text. It only decides whether the listing takes
// place; the folder listed is favoritesFolder().
QString favoritesShellFolder();

// Expands environment references written "%NAME%" (the name matched exactly, else
// ignoring letter case). A reference to an undefined variable, an empty "%%" and a lone
// "%" stay as written. There is no length limit.
QString expandEnvironment(const QString &text);

// The folder to list, as raw bytes ending in '/': $USERPROFILE/Favorites/ when USERPROFILE
// is set and not blank, else $HOME/Favorites/ (the account's home folder when HOME is not
// set). Blanks and control characters around the value of USERPROFILE are removed.
QByteArray favoritesFolder();

// The address in a shortcut file: the line right after the first "[InternetShortcut]"
// line (letter case ignored) less its first four characters ("URL="); empty text when the
// file has no such line. Lines end at CR, LF or CRLF; a NUL byte ends the text; a UTF-8
// byte-order mark at the start is skipped.
// Throws AppError naming the file when it cannot be read, is not a regular file, or when
// the header is its last line.
QString shortcutAddress(const QByteArray &rawPath);

// The address in the bytes of a shortcut file, found as shortcutAddress finds it in
// the file; `shownPath` names the file in the error thrown when the header is the last line.
QString addressFromShortcutBytes(QByteArrayView bytes, const QByteArray &shownPath);

// Text from a file or a file name: UTF-8 when the bytes are valid UTF-8, else GB18030.
QString decodeLocalText(const QByteArray &bytes);

// Hands every shortcut in `folder` (raw bytes ending in '/') to `sink`, in name order
// ignoring letter case. Names ending in ".url" in any letter case match; subfolders are
// not searched, and entries that are not files (folders, pipes, devices) are skipped. A
// folder that does not exist gives no entries.
// Throws AppError at the first file that cannot be read (the entries handed over before
// it stay with the caller), or when the folder exists but cannot be listed.
void enumerateFavorites(const QByteArray &folder, const std::function<void(const ShortcutEntry &)> &sink);
