#include "app/BookmarkCommands.h"

#include "data/SettingsStore.h"
#include "platform/Language.h"
#include "services/CommandWork.h"
#include "services/LibraryReads.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Gives whether the line reached the stream.
bool printLine(FILE *stream, const QString &text)
{
    return std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream) >= 0 && std::fflush(stream) == 0;
}

// Whether the file is the one the standard output writes to (/dev/stdout, or the file
// the output was sent to): the count then goes to the standard error, not into it.
bool isStandardOutput(const QString &file)
{
    struct stat target, output;
    return ::stat(QFile::encodeName(file).constData(), &target) == 0 && ::fstat(STDOUT_FILENO, &output) == 0
        && target.st_dev == output.st_dev && target.st_ino == output.st_ino;
}

Fetched<ExportScope> exportScope(DbConnection &db, const QString &group)
{
    if (group.isEmpty())
        return {ExportScope::all()};
    const Fetched<bool> exists = CommandWork::groupExists(db, group);
    if (!exists.ok())
        return {ExportScope::all(), exists.outcome};
    if (exists.value)
        return {ExportScope::group(group)};
    if (group == QStringLiteral("收藏夹")) // a switch's value: the same in every language

        return {ExportScope::favourites()};
    return {ExportScope::all(),
            Outcome::refused(QCoreApplication::translate("BookmarkCommands", "组别不存在：%1").arg(group))};
}

int printFailure(const Outcome &outcome)
{
    printLine(stderr, QStringLiteral("vestrane: ") + outcome.message);
    return 1;
}

// The command's one line of result; a line that cannot be written fails the command.
int printResult(FILE *stream, const QString &line)
{
    if (printLine(stream, line))
        return 0;
    const int error = errno;
    printLine(stderr,
              QCoreApplication::translate("BookmarkCommands", "vestrane: 无法写出结果（%1）")
                  .arg(QString::fromLocal8Bit(std::strerror(error))));
    return 1;
}

int runCommand(const StartOptions &options)
{
    SettingsStore::writeDefaultsIfMissing();
    DbConnection db(QStringLiteral("command"));
    const Outcome opened = CommandWork::openLibrary(db, true); // creates the library when there is none yet
    if (!opened.ok())
        return printFailure(opened);
    if (options.mode == StartMode::Import) {
        const Fetched<ImportReport> report = CommandWork::importBookmarks(db, options.file);
        return report.ok() ? printResult(stdout, report.value.summary()) : printFailure(report.outcome);
    }
    const Fetched<ExportScope> scope = exportScope(db, options.group);
    if (!scope.ok())
        return printFailure(scope.outcome);
    const Outcome written = LibraryReads::exportTo(db, options.file, scope.value);
    if (!written.ok())
        return printFailure(written);
    return printResult(isStandardOutput(options.file) ? stderr : stdout,
                       QCoreApplication::translate("BookmarkCommands", "导出 %n 条", nullptr, written.count));
}

} // namespace

int BookmarkCommands::run(int &argc, char **argv, const StartOptions &options)
{
    if (!options.error.isEmpty()) {
        printLine(stderr, options.error);
        return 2;
    }
    // A reader of the output that has gone makes the write fail, which is reported,
    // instead of ending the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    return runCommand(options);
}
