#pragma once

#include <QString>

// The program's HTML help page: installed beside the program's data, or taken from the
// source tree when the program runs from its build folder.
namespace DesktopHelp {

QString helpFile();
// Opens the help page with the desktop's default handler; failures are not reported.
void open();

} // namespace DesktopHelp
