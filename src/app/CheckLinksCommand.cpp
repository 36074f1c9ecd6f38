#include "app/CheckLinksCommand.h"

#include "data/AppError.h"
#include "data/SharedConnection.h"
#include "data/SettingsStore.h"
#include "links/LinkHealthCheck.h"
#include "platform/Language.h"

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

int runCheck(const QString &group)
{
    SettingsStore::writeDefaultsIfMissing();
    const LinkCheckSettings settings = LinkCheckSettings::fromSettingsFile();
    DbConnection db(QStringLiteral("check-links"));
    configureConnection(db);
    db.open(); // creates the library when there is none yet
    LinkHealthCheck check(db, settings);
    if (::isatty(STDERR_FILENO)) {
        QObject::connect(&check, &LinkHealthCheck::progress, [](int done, int total) {
            std::fprintf(stderr, "\rchecked %d/%d", done, total);
            if (done == total)
                std::fputc('\n', stderr);
        });
    }
    QEventLoop loop;
    QObject::connect(&check, &LinkHealthCheck::finished, &loop, &QEventLoop::quit);
    check.start(group);
    loop.exec();
    if (!check.storeError().isEmpty())
        throw AppError(check.storeError());
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
    try {
        return runCheck(options.group);
    } catch (const AppError &error) {
        printLine(stderr, QStringLiteral("vestrane: ") + error.message());
        return 1;
    }
}
