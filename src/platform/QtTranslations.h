#pragma once

#include <QString>

// Qt's own texts (the standard buttons, the file dialog) in the interface's language:
// Qt's Chinese catalogue from the system's Qt translations (Debian's
// qt6-translations-l10n). Without the catalogue they stay English.
namespace QtTranslations {

// The catalogue's base name and the folder it is read from.
inline constexpr char Catalogue[] = "qtbase_zh_CN";
QString folder();

// Installs the catalogue in the application; false when it cannot be read. Call once,
// after the application object exists.
bool install();

} // namespace QtTranslations
