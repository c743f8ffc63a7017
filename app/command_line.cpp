// The program's options, and Qt's own, which the window system layer takes
// from the same command line.
#include "app/command_line.h"

#include <cstdio>
#include <cstring>

namespace {

// Qt options that take a value as the next argument, and those that take
// none; Qt reads them with one dash or two.
const char *const kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "style", "stylesheet", "session", "display", "geometry",
};
const char *const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The option's name without its one or two dashes; null for a non-option.
const char *OptionName(const char *arg) {
  if (arg[0] != '-' || arg[1] == '\0') return nullptr;
  return arg[1] == '-' ? arg + 2 : arg + 1;
}

bool IsOneOf(const char *name, const char *const *list, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (std::strcmp(name, list[i]) == 0) return true;
  return false;
}

bool StartsWith(const char *text, const char *prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

int Misused(char *fault, size_t size, const char *format, const char *arg) {
  if (fault != nullptr && size > 0) std::snprintf(fault, size, format, arg);
  return PROGRAM_MISUSED;
}

}  // namespace

int CheckCommandLine(int argc, char **argv, char *fault, size_t size) {
  if (fault != nullptr && size > 0) fault[0] = '\0';
  int request = PROGRAM_RUN;
  for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
    const char *arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      request = PROGRAM_HELP;
      continue;
    }
    if (std::strcmp(arg, "--version") == 0) {
      if (request == PROGRAM_RUN) request = PROGRAM_VERSION;
      continue;
    }
    if (std::strcmp(arg, "--simulate") == 0 || std::strcmp(arg, "--close-when-shown") == 0) continue;
    // --port N=DEVICE, --port=N=DEVICE; the layer checks N=DEVICE itself.
    if (std::strcmp(arg, "--port") == 0) {
      if (i + 1 >= argc || argv[i + 1] == nullptr)
        return Misused(fault, size, "%s needs N=DEVICE", arg);
      ++i;
      continue;
    }
    if (StartsWith(arg, "--port=") || StartsWith(arg, "--port ")) continue;
    // --trace FILE, --trace=FILE: the file is opened at start.
    if (std::strcmp(arg, "--trace") == 0) {
      if (i + 1 >= argc || argv[i + 1] == nullptr || argv[i + 1][0] == '\0')
        return Misused(fault, size, "%s needs FILE", arg);
      ++i;
      continue;
    }
    if (StartsWith(arg, "--trace=")) {
      if (arg[std::strlen("--trace=")] == '\0') return Misused(fault, size, "%s needs FILE", "--trace");
      continue;
    }
    const char *name = OptionName(arg);
    if (name == nullptr) return Misused(fault, size, "unexpected argument '%s'", arg);
    if (IsOneOf(name, kQtFlags, sizeof kQtFlags / sizeof kQtFlags[0])) continue;
    if (StartsWith(name, "qmljsdebugger=")) continue;
    if (IsOneOf(name, kQtOptionsWithValue, sizeof kQtOptionsWithValue / sizeof kQtOptionsWithValue[0])) {
      if (i + 1 >= argc || argv[i + 1] == nullptr) return Misused(fault, size, "%s needs a value", arg);
      ++i;
      continue;
    }
    return Misused(fault, size, "unknown option '%s'", arg);
  }
  return request;
}

const char *TraceFileArgument(int argc, char **argv) {
  const char *file = nullptr;
  for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
    if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc && argv[i + 1] != nullptr) {
      file = argv[++i];
    } else if (std::strcmp(argv[i], "--port") == 0) {
      ++i;  // its value is no option, whatever it reads
    } else if (StartsWith(argv[i], "--trace=")) {
      file = argv[i] + std::strlen("--trace=");
    }
  }
  return file != nullptr && file[0] != '\0' ? file : nullptr;
}

const char *ProgramUsage(void) {
  return "Usage: K-VOR-NE-ZevevU301 [OPTION]...\n"
         "Configure and watch K-VOR optical line sensors on a serial port.\n"
         "\n"
         "  --port N=DEVICE      port number N is the serial device DEVICE (may repeat);\n"
         "                       DEVICE 'simulated' is a simulated sensor inside the program\n"
         "  --simulate           port 1 is a built-in simulated sensor\n"
         "  --trace FILE         write every frame on the serial line to FILE (a wire trace)\n"
         "  --close-when-shown   close the main window once it is shown (installation checks)\n"
         "  --help               print this help and exit\n"
         "  --version            print the version and exit\n"
         "\n"
         "Qt's own options, such as -platform offscreen, are accepted as well.\n"
         "Exit status: 0 after the main window was closed, 2 for a command line that is\n"
         "not understood or a trace file that cannot be written, 255 when the window or\n"
         "its panel file cannot be loaded.\n";
}

const char *ProgramVersionText(void) { return "K-VOR-NE-ZevevU301 3.01\n"; }
