#pragma once

#include <QString>

// `vestrane --import-mdb FILE`: merges a Jet file of the Windows program into the current
// database, creating the library first when there is none. Needs no display. Prints one
// line of counts and gives 0, or prints the error on standard error and gives 1.
namespace ImportMdbCommand {

int run(int &argc, char **argv, const QString &file);

} // namespace ImportMdbCommand
