#pragma once

#include "automation/StartMode.h"

#include <QString>
#include <QStringList>

struct StartOptions
{
    StartMode mode = StartMode::Normal;
    QString address; // --send-url only
    QString name;
    QString file; // --import, --export, --import-mdb; the target of --copy-database
    QString group; // --export, --check-links; empty for every group
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
