// kvor: configure, verify and record K-VOR sensors from the command line.
// QtCore and QtSerialPort only: no widgets, no display.
#include <QCoreApplication>

#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/exit_status.h"

int main(int argc, char **argv) {
  using namespace kvorcli;
  CliRequest request;
  std::string fault;
  if (ParseCommandLine(argc, argv, &request, &fault) != 0) {
    std::fprintf(stderr, "kvor: %s\nTry 'kvor --help'.\n", fault.c_str());
    return EXIT_USAGE;
  }
  if (request.help) {
    std::fputs(HelpText(request.command), stdout);
    return EXIT_ALL_OK;
  }
  if (request.version) {
    std::fputs(VersionText(), stdout);
    return EXIT_ALL_OK;
  }
  QCoreApplication app(argc, argv);
  const std::string &c = request.command;
  if (c == "ports") return RunPorts(request);
  if (c == "identify") return RunIdentify(request);
  if (c == "get") return RunGet(request);
  if (c == "send") return RunSend(request);
  if (c == "diff") return RunDiff(request);
  if (c == "record") return RunRecord(request);
  if (c == "teach") return RunTeach(request);
  if (c == "reset-minmax") return RunResetMaxMin(request);
  return EXIT_USAGE;
}
