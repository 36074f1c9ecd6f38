#include "app/CheckLinksCommand.h"

#include "data/SettingsStore.h"
#include "links/LinkHealthCheck.h"
#include "platform/Language.h"
#include "services/CommandWork.h"
#include "services/LibraryReads.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>
#include <unistd.h>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream);
}

QString problemLine(const LinkResult &result)
{
    return QStringList{linkStatusName(result.status), QString::number(result.httpCode), result.address,
                       result.status == LinkStatus::Moved ? result.finalAddress : QString()}
        .join(QLatin1Char('\t'));
}

int printFailure(const QString &reason)
{
    printLine(stderr, QStringLiteral("vestrane: ") + reason);
    return 1;
}

int runCheck(const QString &group)
{
    SettingsStore::writeDefaultsIfMissing();
    const Fetched<LinkCheckSettings> settings = LibraryReads::linkCheckSettings();
    if (!settings.ok())
        return printFailure(settings.outcome.message);
    DbConnection db(QStringLiteral("check-links"));
    const Outcome opened = CommandWork::openLibrary(db, true); // creates the library when there is none yet
    if (!opened.ok())
        return printFailure(opened.message);
    LinkHealthCheck check(db, settings.value);
    if (::isatty(STDERR_FILENO)) {
        QObject::connect(&check, &LinkHealthCheck::progress, [](int done, int total) {
            std::fprintf(stderr, "\rchecked %d/%d", done, total);
            if (done == total)
                std::fputc('\n', stderr);
        });
    }
    QEventLoop loop;
    QObject::connect(&check, &LinkHealthCheck::finished, &loop, &QEventLoop::quit);
    const Outcome started = check.start(group);
    if (!started.ok())
        return printFailure(started.message);
    loop.exec();
    if (!check.storeError().isEmpty())
        return printFailure(check.storeError());
    for (const LinkResult &result : check.problems())
        printLine(stdout, problemLine(result));
    printLine(stdout, check.summary().line());
    // After the summary, so that the lines above keep their form for those who read them.
    for (const LinkFixes::Fix &fix : check.fixes())
        printLine(stdout, LinkFixes::reportLine(fix));
    return 0;
}

} // namespace

int CheckLinksCommand::run(int &argc, char **argv, const StartOptions &options)
{
    if (!options.error.isEmpty()) {
        printLine(stderr, options.error);
        return 2;
    }
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    return runCheck(options.group);
}
