#include "platform/Language.h"

#include "platform/QtTranslations.h"

#include <QCoreApplication>
#include <QList>
#include <QTranslator>

namespace {

// The program's English catalogue, embedded by the build.
constexpr char EnglishCatalogue[] = ":/i18n/vestrane_en.qm";

QString variable(const char *name)
{
    return qEnvironmentVariable(name);
}

bool isPlainLocale(const QString &name)
{
    const QString base = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return base.isEmpty() || base == QLatin1String("C") || base == QLatin1String("POSIX");
}

// The translators installed by the last call, owned by the application.
QList<QTranslator *> &installed()
{
    static QList<QTranslator *> translators;
    return translators;
}

QString &currentLocale()
{
    static QString locale;
    return locale;
}

bool load(const QString &file, const QString &folder = QString())
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(file, folder) && QCoreApplication::installTranslator(translator)) {
        installed().append(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace

QString Language::messagesLocaleName()
{
    QString locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = variable(name);
        if (!locale.isEmpty())
            break;
    }
    const QString preferred = variable("LANGUAGE").section(QLatin1Char(':'), 0, 0);
    return preferred.isEmpty() || isPlainLocale(locale) ? locale : preferred;
}

bool Language::showsChineseTexts(const QString &localeName)
{
    return isPlainLocale(localeName) || localeName.startsWith(QLatin1String("zh"));
}

void Language::uninstall()
{
    for (QTranslator *translator : std::as_const(installed())) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    installed().clear();
    currentLocale().clear();
}

QString Language::current()
{
    return currentLocale();
}

bool Language::install(const QString &localeName, Scope scope)
{
    uninstall();
    currentLocale() = localeName;
    if (!showsChineseTexts(localeName))
        return load(QLatin1String(EnglishCatalogue));
    if (scope == Scope::ProgramOnly)
        return true;
    return load(QLatin1String(QtTranslations::Catalogue), QtTranslations::folder());
}
