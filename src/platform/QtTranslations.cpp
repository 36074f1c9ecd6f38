#include "platform/QtTranslations.h"

#include <QLibraryInfo>

QString QtTranslations::folder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}
