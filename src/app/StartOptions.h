#pragma once

#include <QString>
#include <QStringList>

// How the program was started, decided from the arguments before any application object
// exists, so that modes without a window need no display.
enum class StartMode {
    Normal,
    BusStarted, // AUTOMATION or EMBEDDING: started for an automation client
    Register,   // REGSERVER
    Unregister, // UNREGSERVER
    SendUrl,    // --send-url ADDRESS NAME: the command-line client
    Import,     // --import FILE: bookmarks in, without a window
    Export,     // --export FILE [GROUP]: bookmarks out, without a window
    ImportMdb,  // --import-mdb FILE: merge a Jet file of the Windows program
    CopyDatabase, // --copy-database TO: the whole library to a server or a file
    CheckLinks, // --check-links [GROUP]: check the addresses, store and print what is not ok
    RecycleBin, // --recycle-bin: list the deleted addresses kept
    Restore,    // --restore ID...: put rows of the recycle bin back
    Help,       // --help: the switches
    Version,    // --version: the program's version
    NativeMessaging, // --native-messaging: the host a browser starts (it adds arguments of its own)
    Refused,    // an argument the program does not know; `error` names it
};

struct StartOptions
{
    StartMode mode = StartMode::Normal;
    QString address; // --send-url only
    QString name;
    QString file;    // --import, --export, --import-mdb; the target of --copy-database
    QString group;   // --export, --check-links; empty for every group
    QStringList ids; // --restore
    // Set when the command line cannot be carried out (exit 2): a switch without the
    // arguments it needs, or an argument the program does not know.
    QString error;

    // What --help prints.
    static QString usage();
    // What --version prints: the name and the project's version.
    static QString versionLine();
    // What a refused command line prints on standard error.
    QString errorReport() const;

    // A switch written with "--" comes first and is followed by exactly its arguments
    // (--native-messaging takes whatever the browser adds). Otherwise every argument is
    // one of AUTOMATION, EMBEDDING, REGSERVER, UNREGSERVER after "-" or "/", in any letter
    // case, or "-session NAME" of a session manager; AUTOMATION and EMBEDDING win over
    // REGSERVER, which wins over UNREGSERVER.
    // `arguments` excludes the program name.
    static StartOptions parse(const QStringList &arguments);
    static StartOptions parse(int argc, char **argv);
};
