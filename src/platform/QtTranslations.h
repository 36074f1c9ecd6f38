#pragma once

#include <QString>

// Qt's own texts (the standard buttons, the file dialog) in Chinese: Qt's Chinese
// catalogue from the system's Qt translations (Debian's qt6-translations-l10n), which
// Language::install loads with the Chinese texts. Without the catalogue they stay English.
namespace QtTranslations {

// The catalogue's base name and the folder it is read from.
inline constexpr char Catalogue[] = "qtbase_zh_CN";
QString folder();

} // namespace QtTranslations
