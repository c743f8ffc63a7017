// What the program's command line asks for, decided before any window or
// display is touched: --help and --version answer on a bare terminal too.
#ifndef KVOR_APP_COMMAND_LINE_H
#define KVOR_APP_COMMAND_LINE_H

#include <cstddef>

enum ProgramRequest {
  PROGRAM_RUN = 0,      // start the window
  PROGRAM_HELP = 1,     // print the usage to standard output, exit 0
  PROGRAM_VERSION = 2,  // print the version to standard output, exit 0
  PROGRAM_MISUSED = 3,  // print the fault and the usage to standard error, exit 2
};

// Exit status of a command line the program does not understand.
const int EXIT_USAGE = 2;

// Looks at every argument. For PROGRAM_MISUSED, fault (of size bytes) names
// the argument that was not understood.
int CheckCommandLine(int argc, char **argv, char *fault, size_t size);

// The FILE of the last --trace FILE (or --trace=FILE); nullptr without one.
const char *TraceFileArgument(int argc, char **argv);

const char *ProgramUsage(void);
const char *ProgramVersionText(void);

#endif
