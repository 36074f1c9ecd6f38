#include "app/StartOptions.h"

namespace {

// A switch written with "--": the arguments it takes follow it (maxArguments -1: any).
struct CommandSwitch
{
    const char *name;
    StartMode mode;
    int minArguments;
    int maxArguments;
    const char *usage;
};

const CommandSwitch commandSwitches[] = {
    {"--help", StartMode::Help, 0, 0, nullptr},
    {"--version", StartMode::Version, 0, 0, nullptr},
    // A browser starts its host with arguments of its own (the manifest's path, the
    // extension's origin).
    {"--native-messaging", StartMode::NativeMessaging, 0, -1, nullptr},
    {"--send-url", StartMode::SendUrl, 2, 2, "usage: vestrane --send-url ADDRESS NAME"},
    {"--import", StartMode::Import, 1, 1, "usage: vestrane --import FILE"},
    {"--export", StartMode::Export, 1, 2, "usage: vestrane --export FILE [GROUP]"},
    {"--import-mdb", StartMode::ImportMdb, 1, 1, "usage: vestrane --import-mdb FILE"},
    {"--copy-database", StartMode::CopyDatabase, 1, 1, "usage: vestrane --copy-database TO"},
    {"--check-links", StartMode::CheckLinks, 0, 1, nullptr},
    {"--recycle-bin", StartMode::RecycleBin, 0, 0, nullptr},
    {"--restore", StartMode::Restore, 1, -1, "usage: vestrane --restore ID..."},
};

QString switchName(const QString &argument)
{
    if (argument.size() < 2 || (argument[0] != QLatin1Char('-') && argument[0] != QLatin1Char('/')))
        return QString();
    return argument.mid(1).toUpper();
}

StartOptions refused(const QString &argument)
{
    StartOptions options;
    options.mode = StartMode::Refused;
    options.error = QStringLiteral("vestrane: unknown option %1").arg(argument);
    return options;
}

StartOptions parseCommand(const CommandSwitch &command, const QStringList &arguments)
{
    StartOptions options;
    options.mode = command.mode;
    if (arguments.size() < command.minArguments) {
        options.error = QLatin1String(command.usage);
        return options;
    }
    if (command.maxArguments >= 0 && arguments.size() > command.maxArguments)
        return refused(arguments.at(command.maxArguments));
    if (command.mode == StartMode::SendUrl) {
        options.address = arguments.at(0);
        options.name = arguments.at(1);
    } else if (command.mode == StartMode::Restore) {
        for (const QString &id : arguments) {
            bool ok = false;
            if (id.toLongLong(&ok) <= 0 || !ok) {
                options.error =
                    QStringLiteral("vestrane: %1 is no row of the recycle bin (a number from --recycle-bin)\n%2")
                        .arg(id, QLatin1String(command.usage));
                return options;
            }
        }
        options.ids = arguments;
    } else if (command.mode == StartMode::CheckLinks) {
        options.group = arguments.value(0);
    } else if (command.minArguments > 0) {
        options.file = arguments.at(0);
        options.group = arguments.value(1);
    }
    return options;
}

// The switches of the automation server: any number of them, in any order.
StartOptions parseServerSwitches(const QStringList &arguments)
{
    bool automation = false, reg = false, unreg = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const QString name = switchName(argument);
        // A session manager restores the window with the session's name after Qt's
        // "-session", which the application object takes.
        if (argument == QLatin1String("-session") && i + 1 < arguments.size())
            ++i;
        else if (name == QLatin1String("AUTOMATION") || name == QLatin1String("EMBEDDING"))
            automation = true;
        else if (name == QLatin1String("REGSERVER"))
            reg = true;
        else if (name == QLatin1String("UNREGSERVER"))
            unreg = true;
        else
            return refused(argument);
    }
    StartOptions options;
    if (automation)
        options.mode = StartMode::BusStarted;
    else if (reg)
        options.mode = StartMode::Register;
    else if (unreg)
        options.mode = StartMode::Unregister;
    return options;
}

} // namespace

StartOptions StartOptions::parse(const QStringList &arguments)
{
    if (!arguments.isEmpty()) {
        for (const CommandSwitch &command : commandSwitches)
            if (arguments.first() == QLatin1String(command.name))
                return parseCommand(command, arguments.mid(1));
    }
    return parseServerSwitches(arguments);
}

QString StartOptions::usage()
{
    return QStringLiteral(
        "usage: vestrane                       the main window\n"
        "       vestrane --import FILE         bookmarks in (Netscape HTML, places.sqlite, Bookmarks)\n"
        "       vestrane --export FILE [GROUP] bookmarks out, as Netscape HTML\n"
        "       vestrane --import-mdb FILE     merge a Jet address.mdb of the Windows program\n"
        "       vestrane --copy-database TO    the whole library to TO: a postgresql:// URI or an SQLite file\n"
        "       vestrane --check-links [GROUP] check every address (or a group's) for dead and moved ones\n"
        "       vestrane --recycle-bin         list the deleted addresses kept (id, deleted at, group, address, name)\n"
        "       vestrane --restore ID...       put rows of the recycle bin back into their groups\n"
        "       vestrane --send-url ADDRESS NAME  offer an address to the running program\n"
        "       vestrane --native-messaging    the browser extension's host\n"
        "       vestrane --help | --version\n"
        "       vestrane -REGSERVER | -UNREGSERVER | -AUTOMATION | -EMBEDDING\n"
        "The library is [General] Database= (a PostgreSQL URI; empty or sqlite: address.mdb in Path)\n"
        "in ~/.config/Kelvo/Kelvo.conf. See man vestrane.\n");
}

QString StartOptions::versionLine()
{
    return QStringLiteral("vestrane " VESTRANE_VERSION "\n");
}

QString StartOptions::errorReport() const
{
    QString report = error + QLatin1Char('\n');
    if (mode == StartMode::Refused)
        report += usage();
    return report;
}

StartOptions StartOptions::parse(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return parse(arguments);
}
