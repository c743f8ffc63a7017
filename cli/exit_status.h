// kvor's exit status. Over several sensors the worst (highest) wins.
#ifndef KVOR_CLI_EXIT_STATUS_H
#define KVOR_CLI_EXIT_STATUS_H

namespace kvorcli {

enum ExitStatus {
  EXIT_ALL_OK = 0,
  EXIT_DIFFERENCES = 1,  // a diff or a verify found differences
  EXIT_LINE_FAULT = 2,   // cannot open, no echo, time-out, lost device
  EXIT_BAD_FILE = 3,     // a bad or unreadable file (or one that cannot be written)
  EXIT_USAGE = 64,       // a command line that is not understood
  EXIT_INTERRUPTED = 130,  // stopped by Ctrl+C or SIGTERM (128 + SIGINT, as a shell tells it)
};

inline int WorseStatus(int a, int b) { return a > b ? a : b; }

}  // namespace kvorcli

#endif
