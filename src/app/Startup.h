#pragma once

// The program's start-up sequence; gives the process's exit code.
int runVestrane(int argc, char **argv);
