#include "app/StartOptions.h"

namespace {

QString switchName(const QString &argument)
{
    if (argument.size() < 2 || (argument[0] != QLatin1Char('-') && argument[0] != QLatin1Char('/')))
        return QString();
    return argument.mid(1).toUpper();
}

} // namespace

StartOptions StartOptions::parse(const QStringList &arguments)
{
    StartOptions options;
    if (arguments.contains(QStringLiteral("--help"))) {
        options.mode = StartMode::Help;
        return options;
    }
    if (arguments.contains(QStringLiteral("--native-messaging"))) {
        options.mode = StartMode::NativeMessaging;
        return options;
    }
    const int sendAt = arguments.indexOf(QStringLiteral("--send-url"));
    if (sendAt >= 0) {
        options.mode = StartMode::SendUrl;
        if (arguments.size() < sendAt + 3) {
            options.error = QStringLiteral("usage: vestrane --send-url ADDRESS NAME");
            return options;
        }
        options.address = arguments.at(sendAt + 1);
        options.name = arguments.at(sendAt + 2);
        return options;
    }
    const int checkAt = arguments.indexOf(QStringLiteral("--check-links"));
    if (checkAt >= 0) {
        options.mode = StartMode::CheckLinks;
        options.group = arguments.value(checkAt + 1);
        if (arguments.size() > checkAt + 2 || options.group.startsWith(QLatin1String("--")))
            options.error = QStringLiteral("usage: vestrane --check-links [GROUP]");
        return options;
    }
    // The switches that take a file: the first one given decides.
    struct FileSwitch {
        const char *name;
        StartMode mode;
        const char *usage;
    };
    static const FileSwitch fileSwitches[] = {
        {"--import-mdb", StartMode::ImportMdb, "usage: vestrane --import-mdb FILE"},
        {"--import", StartMode::Import, "usage: vestrane --import FILE"},
        {"--export", StartMode::Export, "usage: vestrane --export FILE [GROUP]"},
        {"--copy-database", StartMode::CopyDatabase, "usage: vestrane --copy-database TO"},
    };
    for (const FileSwitch &fileSwitch : fileSwitches) {
        const int at = arguments.indexOf(QLatin1String(fileSwitch.name));
        if (at < 0)
            continue;
        options.mode = fileSwitch.mode;
        if (arguments.size() < at + 2)
            options.error = QLatin1String(fileSwitch.usage);
        else
            options.file = arguments.at(at + 1);
        if (fileSwitch.mode == StartMode::Export)
            options.group = arguments.value(at + 2);
        return options;
    }
    bool automation = false, reg = false, unreg = false;
    for (const QString &argument : arguments) {
        const QString name = switchName(argument);
        automation |= name == QLatin1String("AUTOMATION") || name == QLatin1String("EMBEDDING");
        reg |= name == QLatin1String("REGSERVER");
        unreg |= name == QLatin1String("UNREGSERVER");
    }
    if (automation)
        options.mode = StartMode::BusStarted;
    else if (reg)
        options.mode = StartMode::Register;
    else if (unreg)
        options.mode = StartMode::Unregister;
    return options;
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
        "       vestrane --send-url ADDRESS NAME  offer an address to the running program\n"
        "       vestrane --native-messaging    the browser extension's host\n"
        "       vestrane -REGSERVER | -UNREGSERVER | -AUTOMATION | -EMBEDDING\n"
        "The library is [General] Database= (a PostgreSQL URI; empty or sqlite: address.mdb in Path)\n"
        "in ~/.config/Kelvo/Kelvo.conf. See man vestrane.\n");
}

StartOptions StartOptions::parse(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return parse(arguments);
}
