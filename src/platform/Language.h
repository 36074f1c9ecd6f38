#pragma once

#include <QString>

// The language of the interface. Its texts are written in Chinese; a Chinese locale, and
// the plain C and POSIX locales of a bare system, show them as written, any other locale
// shows the English catalogue. Qt's own texts (the standard buttons, the file dialog)
// follow: Qt's Chinese catalogue with the Chinese texts, Qt's English ones otherwise.
namespace Language {

// The locale that messages follow, read as the C library reads it: LC_ALL, else
// LC_MESSAGES, else LANG; the first entry of LANGUAGE wins over them, as it does for
// gettext's programs, unless the locale is C or POSIX.
QString messagesLocaleName();

// Whether `localeName` ("zh_CN.UTF-8", "C", "en_US.UTF-8") shows the Chinese texts.
bool showsChineseTexts(const QString &localeName);

// Whose texts are translated: the program's and Qt's (windows: Qt's buttons and file
// dialog), or the program's alone (the command line, whose system error reasons stay as
// Qt writes them, so that they read as the C library's).
enum class Scope { ProgramAndQt, ProgramOnly };

// Installs the catalogues for `localeName`, replacing those of an earlier call. Call after
// the application object exists and before any window, box or printed text. False when a
// catalogue could not be read (the texts it holds then stay as written).
bool install(const QString &localeName = messagesLocaleName(), Scope scope = Scope::ProgramAndQt);

// The locale name of the last install(); empty when none was made (the texts as written).
QString current();

// Takes the catalogues of install() away again: the texts show as written.
void uninstall();

} // namespace Language
