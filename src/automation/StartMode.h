#pragma once

// How the program was started, decided from the arguments before any application object
// exists, so that modes without a window need no display.
enum class StartMode {
    Normal,
    BusStarted, // AUTOMATION or EMBEDDING: started for an automation client
    Register, // REGSERVER
    Unregister, // UNREGSERVER
    SendUrl, // --send-url ADDRESS NAME: the command-line client
    Import, // --import FILE: bookmarks in, without a window
    Export, // --export FILE [GROUP]: bookmarks out, without a window
    ImportMdb, // --import-mdb FILE: merge a Jet file of the Windows program
    CopyDatabase, // --copy-database TO: the whole library to a server or a file
    CheckLinks, // --check-links [GROUP]: check the addresses, store and print what is not ok
    RecycleBin, // --recycle-bin: list the deleted addresses kept
    Restore, // --restore ID...: put rows of the recycle bin back
    Help, // --help: the switches
    Version, // --version: the program's version
    NativeMessaging, // --native-messaging: the host a browser starts (it adds arguments of its own)
    Refused, // an argument the program does not know; `error` names it
};
