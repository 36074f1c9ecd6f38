#include "app/RecycleBinCommand.h"

#include "data/SettingsStore.h"
#include "platform/Language.h"
#include "services/CommandWork.h"
#include "services/HistoryCommands.h"

#include <QCoreApplication>
#include <QSet>
#include <cstdio>

namespace {

void printLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stream);
}

// Tabs and line breaks inside a text would break the line into false columns.
QString field(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
}

int printFailure(const Outcome &outcome)
{
    printLine(stderr, QStringLiteral("vestrane: ") + outcome.message);
    return 1;
}

int list(DbConnection &db)
{
    const Fetched<std::vector<RecycleBin::Entry>> entries = CommandWork::binEntries(db);
    if (!entries.ok())
        return printFailure(entries.outcome);
    for (const RecycleBin::Entry &entry : entries.value) {
        printLine(stdout,
                  QStringList{QString::number(entry.id), entry.deletedAt, field(entry.groupName), field(entry.address),
                              field(entry.name)}
                      .join(QLatin1Char('\t')));
    }
    return 0;
}

int restore(DbConnection &db, const QStringList &arguments)
{
    QList<qint64> ids;
    for (const QString &argument : arguments)
        ids << argument.toLongLong();
    const Fetched<std::vector<RecycleBin::Entry>> entries = CommandWork::binEntries(db);
    if (!entries.ok())
        return printFailure(entries.outcome);
    QSet<qint64> stored;
    for (const RecycleBin::Entry &entry : entries.value)
        stored.insert(entry.id);
    for (const qint64 id : ids) {
        if (!stored.contains(id)) {
            printLine(stderr, QStringLiteral("vestrane: no row %1 in the recycle bin; nothing restored").arg(id));
            return 1;
        }
    }
    const Outcome outcome = HistoryCommands::restoreFromBin(nullptr, db, ids);
    if (!outcome.ok())
        return printFailure(outcome);
    printLine(stdout, QStringLiteral("%1 addresses restored").arg(outcome.count));
    return 0;
}

} // namespace

int RecycleBinCommand::run(int &argc, char **argv, const StartOptions &options)
{
    QCoreApplication app(argc, argv);
    Language::install(Language::messagesLocaleName(), Language::Scope::ProgramOnly); // what it prints
    QCoreApplication::setApplicationName(QStringLiteral("vestrane"));
    SettingsStore::writeDefaultsIfMissing();
    DbConnection db(QStringLiteral("recycle-bin"));
    Outcome ready = CommandWork::openLibrary(db, false);
    if (ready.ok())
        ready = CommandWork::dropExpiredDeletions(db);
    if (!ready.ok())
        return printFailure(ready);
    return options.mode == StartMode::Restore ? restore(db, options.ids) : list(db);
}
