#include "app/CopyDatabaseCommand.h"

#include "data/LibraryLocation.h"
#include "data/SettingsStore.h"
#include "platform/Language.h"
#include "services/CommandWork.h"

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
Fetched<LibraryLocation> targetLocation(const QString &target)
{
    Fetched<LibraryLocation> location = CommandWork::parseLocation(
        target, QCoreApplication::translate("CopyDatabaseCommand", "命令行 --copy-database 的目标 TO"));
    if (location.ok() && !location.value.isServer())
        location.value = LibraryLocation::file(QDir::current().absoluteFilePath(target));
    return location;
}

} // namespace

int CopyDatabaseCommand::run(int &argc, char **argv, const QString &target)
{
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    SettingsStore::writeDefaultsIfMissing();
    DbConnection from(QStringLiteral("copy-from"));
    Fetched<DatabaseCopy::Result> copied{{}, CommandWork::openLibrary(from, false)};
    Fetched<LibraryLocation> location;
    if (copied.ok())
        location = targetLocation(target);
    if (!location.ok())
        copied.outcome = location.outcome;
    DbConnection to(QStringLiteral("copy-to"));
    if (copied.ok()) {
        to.setLocation(location.value);
        copied = CommandWork::copyLibrary(from, to);
    }
    if (!copied.ok()) {
        printLine(stderr, QStringLiteral("vestrane: ") + copied.outcome.message);
        return 1;
    }
    printLine(stdout, DatabaseCopy::summary(copied.value, to.describe()));
    return 0;
}
