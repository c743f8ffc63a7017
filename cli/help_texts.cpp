// kvor's --help, for the tool and for each command, and --version.
#include <string>

#include "cli/command_line.h"

namespace kvorcli {

namespace {

const char kToolHelp[] =
    "Usage: kvor [--json] [--quiet] [--trace FILE] COMMAND ARGS...\n"
    "Configure, verify and record K-VOR optical line sensors from the command line.\n"
    "\n"
    "Commands:\n"
    "  ports                        list the serial devices with the window's port numbers\n"
    "  identify PORT...             echo check, hardware information and firmware text\n"
    "  get PORT --from ram|eeprom --output FILE.cfg\n"
    "                               read the parameter set into a parameter file\n"
    "  send FILE.cfg PORT... --to ram|eeprom [--verify]\n"
    "                               write a parameter file; --verify reads it back\n"
    "  diff A B [--from ram|eeprom] compare two parameter sets (files or PORTs)\n"
    "  record PORT --samples N --interval S --output FILE.dat [--csv FILE.csv]\n"
    "                               record measured values into a recorder file\n"
    "  teach PORT                   let the sensor teach a new set-point\n"
    "  reset-minmax PORT            reset the sensor's maximum and minimum\n"
    "  stats FILE.dat... [--lower MM] [--upper MM] [--min-cpk X] [--json]\n"
    "                               statistics of recorder files: mean, s, Cp, Cpk\n"
    "\n"
    "PORT is a device path (/dev/ttyUSB0, a /dev/serial/by-id/... link), COMn, a\n"
    "number as the window numbers ports (see 'kvor ports'), or 'simulated': a\n"
    "simulated sensor inside kvor, fresh from the factory, that lasts as long as\n"
    "the command, to try kvor without hardware ('kvor identify simulated'); for\n"
    "several at once, 'simulated:1', 'simulated:2' ... are sensors of their own.\n"
    "Commands that take several PORTs serve them at the same time and print one\n"
    "line per sensor:\n"
    "'PORT: OK ...' or 'PORT: FAILED ...'. A sensor that fails does not stop the\n"
    "others.\n"
    "\n"
    "Ctrl+C or SIGTERM stops a command without cutting a transfer short: a sensor\n"
    "that has frame 0 of a write gets frame 1 too, then nothing new begins (no\n"
    "read-back, no next step), and each sensor's line says what it got\n"
    "('PORT: FAILED interrupted: frames 0 and 1 written to EEPROM, not verified',\n"
    "'... interrupted: nothing sent'). A second Ctrl+C changes nothing of that.\n"
    "\n"
    "Options (before or after the command):\n"
    "  --json         one JSON object a line per sensor: port, ok, message and the\n"
    "                 command's data\n"
    "  --quiet        print only the sensors that did not succeed\n"
    "  --trace FILE   write a wire trace of every sensor's line into FILE\n"
    "  --help         this text; 'kvor COMMAND --help' tells about one command\n"
    "  --version      the version\n"
    "\n"
    "Exit status (the worst over all sensors):\n"
    "  0   all succeeded\n"
    "  1   a diff or a verify found differences; stats: a Cpk below --min-cpk\n"
    "  2   a line or sensor fault: cannot open, no echo, time-out, lost device\n"
    "  3   a bad or unreadable file (or one that cannot be written)\n"
    "  64  a command line that is not understood\n"
    "  130 stopped by Ctrl+C or SIGTERM (a recording that has samples: 0)\n"
    "\n"
    "See kvor(1).\n";

const char kPortsHelp[] =
    "Usage: kvor ports\n"
    "Lists every serial device of the machine with the number the window gives\n"
    "it, its path and, where the adapter tells them, its description and serial\n"
    "number. A number from this list can be given as PORT. With --json each is\n"
    "an object with port, device, description, serialNumber, present, ok and\n"
    "message (the line this list shows).\n";

const char kIdentifyHelp[] =
    "Usage: kvor identify PORT...\n"
    "Checks each line with the echo frame, reads the hardware information and\n"
    "the firmware text (as the window's start-up, without reading the\n"
    "parameters) and prints the CCD type, the physical and virtual pixels, the\n"
    "ADC full scale and the firmware text.\n";

const char kGetHelp[] =
    "Usage: kvor get PORT --from ram|eeprom --output FILE.cfg\n"
    "Reads both parameter frames from the sensor's RAM or EEPROM and writes the\n"
    "30 words as the sensor sent them into a parameter file, in the format the\n"
    "window's Save writes.\n";

const char kSendHelp[] =
    "Usage: kvor send FILE.cfg PORT... --to ram|eeprom [--verify]\n"
    "Checks the whole file first (30 numbers, each 0 to 65535; otherwise nothing\n"
    "is sent, exit status 3, and the line and the fault are named), then sends\n"
    "both parameter frames to every PORT as the window's Send does. --verify\n"
    "reads the target back and compares all 30 words with what went out; each\n"
    "field that differs is named (calib, evalMode, ...) with the value sent and\n"
    "the value read, and the exit status is 1. The read-back begins once the\n"
    "sensor has answered frame 1 (or the time-out has passed). Ctrl+C or SIGTERM\n"
    "after frame 0 lets frame 1 follow and stops there (exit status 130).\n";

const char kDiffHelp[] =
    "Usage: kvor diff A B [--from ram|eeprom]\n"
    "A and B are each a parameter file or a PORT (read from --from, default\n"
    "RAM). A regular file or a pipe (<(cat golden.cfg)) is a file, also under\n"
    "/dev/ (/dev/shm, /dev/fd); a number, COMn, a character device or a path\n"
    "under /dev/ where nothing is, is a PORT. Lists every field that differs by\n"
    "its record name with both values (calib and setpointUm as one 32-bit field\n"
    "each); exit status 1 when any does. Reads only, never writes.\n";

const char kRecordHelp[] =
    "Usage: kvor record PORT --samples N --interval S --output FILE.dat [--csv FILE.csv]\n"
    "Records N samples of the measured values, one whenever S whole seconds have\n"
    "passed since the last, into a recorder file byte for byte as the window\n"
    "writes it (the set-point in its header read from the sensor's RAM). The\n"
    "CSV file has a header row (time and the six values) and ISO 8601 times with\n"
    "their zone. Ctrl+C or SIGTERM ends the recording with whole lines only\n"
    "(exit status 0). A stop before the first sample is no recording: nothing\n"
    "is written, files of an earlier run under the same names stay as they\n"
    "were, and the exit status is 130.\n"
    "It ends with the statistics of the samples, as 'kvor stats' prints them,\n"
    "against the set-point minus and plus the tolerances of the first reply.\n";

const char kStatsHelp[] =
    "Usage: kvor stats FILE.dat... [--lower MM] [--upper MM] [--min-cpk X] [--json]\n"
    "The statistics of the measured values (umValue, in mm) of recorder files, the\n"
    "window's or kvor's, one result a file, with the figures of the window's\n"
    "statistics pop-up: samples, mean, the sample standard deviation s (n - 1),\n"
    "minimum, maximum, range, the share within the limits (a value on a limit\n"
    "is within) and the counts below and above, Cp = (upper - lower) / 6s and\n"
    "Cpk = the mean's distance to the nearer limit / 3s, both from the overall s\n"
    "(what some call Pp and Ppk). --lower and --upper are the limits in mm; with\n"
    "one limit Cp is not defined and Cpk uses that side. A figure that is not\n"
    "defined (fewer than two values, s = 0, a missing limit) prints as '\xE2\x80\x93' and is\n"
    "null in JSON.\n"
    "With --json one object a line: file, ok, message, samples, mean_mm, sd_mm,\n"
    "min_mm, max_mm, lower_mm, upper_mm, within_pct, below, above, cp, cpk.\n"
    "Exit status 1 when --min-cpk is given and a file's Cpk is below X or cannot\n"
    "be computed; 3 for a file that is not a recorder file (the line where it\n"
    "stops being one is named; nothing of it is computed).\n";

const char kTeachHelp[] =
    "Usage: kvor teach PORT\n"
    "Lets the sensor teach a new set-point, as the window's Teach, and prints the\n"
    "teach values it reads back from the sensor's RAM.\n";

const char kResetHelp[] =
    "Usage: kvor reset-minmax PORT\n"
    "Resets the sensor's maximum and minimum, as the window's Reset max/min.\n";

}  // namespace

const char *HelpText(const std::string &command) {
  if (command == "ports") return kPortsHelp;
  if (command == "identify") return kIdentifyHelp;
  if (command == "get") return kGetHelp;
  if (command == "send") return kSendHelp;
  if (command == "diff") return kDiffHelp;
  if (command == "record") return kRecordHelp;
  if (command == "teach") return kTeachHelp;
  if (command == "reset-minmax") return kResetHelp;
  if (command == "stats") return kStatsHelp;
  return kToolHelp;
}

const char *VersionText() { return "kvor 3.01\n"; }

}  // namespace kvorcli
