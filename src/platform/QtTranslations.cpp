#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QString QtTranslations::folder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtTranslations::install()
{
    // Owned by the application, so that it lives as long as the texts are asked for.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLatin1String(Catalogue), folder()) && QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}
