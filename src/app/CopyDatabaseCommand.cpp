#include "app/CopyDatabaseCommand.h"

#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "data/DatabaseCopy.h"
#include "data/LibraryLocation.h"
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

// A file named relative to the current folder, as a shell user means it. A malformed
// URI is refused with what is wrong with it, named as the command line's.
LibraryLocation targetLocation(const QString &target)
{
    const LibraryLocation location = LibraryLocation::parse(
        target, QCoreApplication::translate("CopyDatabaseCommand", "命令行 --copy-database 的目标 TO"));
    return location.isServer() ? location : LibraryLocation::file(QDir::current().absoluteFilePath(target));
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
        const LibraryLocation location = targetLocation(target);
        DbConnection to(QStringLiteral("copy-to"));
        to.setLocation(location);
        const DatabaseCopy::Result result = DatabaseCopy::copy(from, to);
        printLine(stdout, DatabaseCopy::summary(result, to.describe()));
        return 0;
    } catch (const AppError &error) {
        printLine(stderr, QStringLiteral("vestrane: ") + error.message());
        return 1;
    }
}
