#pragma once

#include <QString>

// The program's HTML help page, in the interface's language: installed beside the
// program's data, or taken from the source tree when the program runs from its build
// folder.
namespace DesktopHelp {

QString helpFile();
// The help page as a file:// address: the browser command takes a text without a
// scheme for a web address.
QString helpUrl();
// Opens the help page with the browser command of a visit; false when no browser could
// be started.
bool open();

} // namespace DesktopHelp
