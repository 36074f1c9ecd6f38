#pragma once

#include "app/StartOptions.h"

// `vestrane --import FILE` and `vestrane --export FILE [GROUP]`: bookmarks in and out
// without a window or a display. They run beside a running program (each has its own
// connection) and create the settings and the library first when there are none, as a
// start would. Gives the exit code: 0 on success; 1 with the error on standard error;
// 2 for a malformed command line.
namespace BookmarkCommands {

int run(int &argc, char **argv, const StartOptions &options);

} // namespace BookmarkCommands
