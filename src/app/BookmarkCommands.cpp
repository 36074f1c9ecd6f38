#include "app/BookmarkCommands.h"

#include "bookmarks/ExportService.h"
#include "bookmarks/ImportService.h"
#include "data/DataModule.h"
#include "data/GroupStore.h"
#include "data/SettingsStore.h"
#include "data/AppError.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream);
}

ExportScope exportScope(DbConnection &db, const QString &group)
{
    if (group.isEmpty())
        return ExportScope::all();
    if (GroupStore::groupNoOf(db, group))
        return ExportScope::group(group);
    if (group == QLatin1String("收藏夹"))
        return ExportScope::favourites();
    throw AppError(QStringLiteral("组别不存在：%1").arg(group));
}

int runCommand(const StartOptions &options)
{
    SettingsStore::writeDefaultsIfMissing();
    DbConnection db(QStringLiteral("command"));
    configureConnection(db);
    db.open(); // creates the library when there is none yet
    if (options.mode == StartMode::Import) {
        const ImportReport report = ImportService::importFile(db, options.file);
        printLine(stdout, report.summary());
        return 0;
    }
    const int written = ExportService::exportTo(db, options.file, exportScope(db, options.group));
    printLine(stdout, QStringLiteral("导出 %1 条").arg(written));
    return 0;
}

} // namespace

int BookmarkCommands::run(int &argc, char **argv, const StartOptions &options)
{
    if (!options.error.isEmpty()) {
        printLine(stderr, options.error);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    try {
        return runCommand(options);
    } catch (const AppError &error) {
        printLine(stderr, QStringLiteral("vestrane: ") + error.message());
        return 1;
    }
}
