#pragma once

#include "services/Outcome.h"

#include <QByteArray>
#include <QString>

// The registration of the automation object with the session bus: a service file that
// lets the bus start the program for a client, and the interface description beside
// the other interfaces of the user. Both live under $XDG_DATA_HOME/dbus-1.
namespace Registration {

inline constexpr char BusName[] = "Quorvel.PIO";
inline constexpr char ObjectPath[] = "/PIO";
inline constexpr char InterfaceName[] = "Quorvel.IPIO";
// The error text when a file cannot be written.
QString writeErrorText();

// The interface description compiled into the executable (a whole introspection
// document with one interface).
QByteArray interfaceXml();
// Just the <interface> element of it, as the object's introspection answers it.
QString interfaceElement();

QString serviceFile();
QString interfaceFile();
// The running executable's absolute path (works before any application object exists).
QString executablePath();
// The service file's text: Exec is the quoted executable with the switch -EMBEDDING.
// Empty for a path that cannot be written on one line.
QByteArray serviceFileContents(const QString &executable);
// The error text when a file exists and cannot be removed.
QString removeErrorText(const QString &file);

// Writes both files (only where they differ); Failed with writeErrorText() at the first
// file that cannot be written, leaving the rest unwritten.
Outcome writeFiles(const QString &executable);
// Removes both files; Failed naming a file that exists and cannot be removed.
Outcome removeFiles();

} // namespace Registration
