// Command line of the program:
//   --port N=DEVICE      port N is the serial device DEVICE (may repeat);
//                        "simulated" is the simulated sensor inside the program
//   --simulate           port 1 is the built-in simulated sensor
//   --close-when-shown   once the main window is shown, its close box is
//                        clicked once: the program runs its whole start-up and
//                        ends as the operator would end it (checks of an
//                        installed program; exit code 0 after a normal end)
//   --trace FILE         every frame on the serial line into FILE, as it
//                        happens (a file that cannot be written: exit 2)
//   --help, --version    print and exit 0, with or without a display
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/command_line.h"
#include "runtime/utility/utility.h"
#include "sim/sensor_sim.h"

int main(int argc, char **argv) {
  char fault[160];
  const int request = CheckCommandLine(argc, argv, fault, sizeof fault);
  if (request != PROGRAM_RUN) UseCallersConsole();
  switch (request) {
    case PROGRAM_HELP:
      std::fputs(ProgramUsage(), stdout);
      return 0;
    case PROGRAM_VERSION:
      std::fputs(ProgramVersionText(), stdout);
      return 0;
    case PROGRAM_MISUSED:
      std::fprintf(stderr, "K-VOR-NE-ZevevU301: %s\n%s", fault, ProgramUsage());
      return EXIT_USAGE;
    default:
      break;
  }
  std::vector<char *> args(argv, argv + argc);
  bool simulate = false;
  for (auto it = args.begin() + 1; it != args.end();) {
    if (std::strcmp(*it, "--simulate") == 0) {
      simulate = true;
      it = args.erase(it);
    } else {
      ++it;
    }
  }

  // The simulated sensor stands behind a pseudo-terminal like a real one
  // behind a serial port, so the program takes its usual path to it. Windows
  // has no pseudo-terminals: there it runs inside the program, behind the
  // serial layer ("simulated"), and everything above the layer is the same.
  kvorsim::SensorSim sensor;
  std::string simulatedPort;
  if (simulate && !kvorsim::havePseudoTerminals()) {
    simulatedPort = "1=simulated";
  } else if (simulate) {
    if (!sensor.start()) {
      std::fprintf(stderr, "Cannot start the simulated sensor: %s\n", sensor.lastError().c_str());
      return 1;
    }
    simulatedPort = "1=" + sensor.devicePath();
  }
  if (simulate) {
    args.push_back(const_cast<char *>("--port"));
    args.push_back(&simulatedPort[0]);
  }
  args.push_back(nullptr);
  int count = static_cast<int>(args.size()) - 1;
  const int code = WinMain(count, args.data());
  sensor.stop();
  return code;
}
