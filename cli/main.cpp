// kvor: configure, verify and record K-VOR sensors from the command line.
// QtCore and QtSerialPort only: no widgets, no display.
#include <QCoreApplication>

#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/port_names.h"
#include "link/frame_summary.h"
#include "runtime/rs232/com_trace.h"
#include "runtime/utility/utility.h"

namespace {

int RunCommand(const kvorcli::CliRequest &request) {
  using namespace kvorcli;
  const std::string &c = request.command;
  if (c == "ports") return RunPorts(request);
  if (c == "identify") return RunIdentify(request);
  if (c == "get") return RunGet(request);
  if (c == "send") return RunSend(request);
  if (c == "diff") return RunDiff(request);
  if (c == "record") return RunRecord(request);
  if (c == "teach") return RunTeach(request);
  if (c == "reset-minmax") return RunResetMaxMin(request);
  if (c == "stats") return RunStats(request);
  return EXIT_USAGE;
}

}  // namespace

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
  if (request.traceGiven) {
    SetComTraceSummary(DescribeFRAME);
    // With several PORTs in one file, each summary names its port.
    const int namePorts = CountPorts(request) > 1 ? 1 : 0;
    char reason[160];
    if (OpenComTrace(request.trace.c_str(), namePorts, reason, sizeof reason) < 0) {
      std::fprintf(stderr, "kvor: cannot write the trace file '%s': %s\n", request.trace.c_str(), reason);
      return EXIT_BAD_FILE;
    }
  }
  // The window's wire timing: its 20 ms and 50 ms waits as long as asked.
  BeginFineTimer();
  const int status = RunCommand(request);
  EndFineTimer();
  CloseComTrace();
  return status;
}
