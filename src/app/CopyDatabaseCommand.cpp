#include "app/CopyDatabaseCommand.h"

#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "data/DatabaseCopy.h"
#include "data/ServerAddress.h"
#include "data/SettingsStore.h"
#include "platform/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream);
}

// A file named relative to the current folder, as a shell user means it.
QString targetLocation(const QString &target)
{
    if (ServerAddress::isServerUri(target))
        return target;
    return QDir::current().absoluteFilePath(target);
}

} // namespace

int CopyDatabaseCommand::run(int &argc, char **argv, const QString &target)
{
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    try {
        SettingsStore::writeDefaultsIfMissing();
        DbConnection from(QStringLiteral("copy-from"));
        configureConnection(from);
        const QString location = targetLocation(target);
        if (ServerAddress::isServerUri(location))
            // Says what is wrong with a malformed URI, naming it as the command line's.
            ServerAddress::parse(
                location, QCoreApplication::translate("CopyDatabaseCommand", "命令行 --copy-database 的目标 TO"));

        DbConnection to(QStringLiteral("copy-to"));
        to.setDatabaseFile(location);
        const DatabaseCopy::Result result = DatabaseCopy::copy(from, to);
        printLine(stdout, DatabaseCopy::summary(result, to.describe()));
        return 0;
    } catch (const AppError &error) {
        printLine(stderr, QStringLiteral("vestrane: ") + error.message());
        return 1;
    }
}
