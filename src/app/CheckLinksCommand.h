#pragma once

#include "app/StartOptions.h"

// `vestrane --check-links [GROUP]`: checks every address of the library (or of one
// group) without a window or a display, stores the results, and prints one line per
// address that is not ok, "STATUS<TAB>CODE<TAB>ADDRESS<TAB>FINAL", then the summary
// "checked N: ok A, moved M, broken B, unreachable U, not checked K". Shows progress on
// standard error when that is a terminal. Gives the exit code: 0 when the check ran,
// 1 when it could not (the error on standard error), 2 for a malformed command line.
namespace CheckLinksCommand {

int run(int &argc, char **argv, const StartOptions &options);

} // namespace CheckLinksCommand
