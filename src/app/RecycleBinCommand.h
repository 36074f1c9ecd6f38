#pragma once

#include "app/StartOptions.h"

// `vestrane --recycle-bin` prints the recycle bin, newest first, one line per row:
// "ID<TAB>DELETED AT<TAB>GROUP<TAB>ADDRESS<TAB>NAME". `vestrane --restore ID...` puts
// those rows back into their groups in one transaction and prints how many; an ID not
// in the bin restores nothing. Both need no display. Gives the exit code: 0 done, 1 when
// it could not be done (the reason on standard error).
namespace RecycleBinCommand {

int run(int &argc, char **argv, const StartOptions &options);

} // namespace RecycleBinCommand
