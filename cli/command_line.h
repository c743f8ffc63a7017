// kvor's command line: kvor [--json] [--quiet] [--trace FILE] COMMAND ARGS...
// The global options may also follow the command; every option takes its
// value as the next argument or after '=' (--from=eeprom).
#ifndef KVOR_CLI_COMMAND_LINE_H
#define KVOR_CLI_COMMAND_LINE_H

#include <string>
#include <vector>

namespace kvorcli {

struct CliRequest {
  std::string command;                 // empty with --help or --version alone
  std::vector<std::string> operands;   // PORTs and files, in order
  bool json = false;
  bool quiet = false;
  bool help = false;
  bool version = false;
  std::string trace;                   // --trace FILE
  bool traceGiven = false;
  std::string from, to;                // "ram" or "eeprom"
  bool verify = false;
  std::string output, csv;
  long samples = -1, interval = -1;
  // stats: the limits in mm and the least Cpk, each only when given.
  bool hasLower = false, hasUpper = false, hasMinCpk = false;
  double lower = 0, upper = 0, minCpk = 0;
};

// 0 when the request can run (or asks for help or the version), else
// EXIT_USAGE with fault saying what is wrong.
int ParseCommandLine(int argc, char **argv, CliRequest *request, std::string *fault);

// The help of the tool, or of one command ("" for the tool).
const char *HelpText(const std::string &command);
const char *VersionText();

}  // namespace kvorcli

#endif
