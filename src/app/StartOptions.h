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
    Help,       // --help: the switches
    NativeMessaging, // --native-messaging: the host a browser starts (it adds arguments of its own)
};

struct StartOptions
{
    StartMode mode = StartMode::Normal;
    QString address; // --send-url only
    QString name;
    QString file;    // --import, --export, --import-mdb; the target of --copy-database
    QString group;   // --export, --check-links; empty for every group
    QString error;   // a malformed --send-url or switch that takes a file

    // What --help prints.
    static QString usage();

    // Switches come after "-" or "/", in any letter case; AUTOMATION and EMBEDDING win
    // over REGSERVER, which wins over UNREGSERVER. `arguments` excludes the program name.
    static StartOptions parse(const QStringList &arguments);
    static StartOptions parse(int argc, char **argv);
};
