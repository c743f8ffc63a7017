#include "cli/port_names.h"

#include <sys/stat.h>

#include <set>

#include "runtime/rs232/com_names.h"
#include "runtime/rs232/port_table.h"
#include "runtime/rs232/rs232.h"
#include "runtime/rs232/simulated_line.h"
#include "runtime/runtime.h"

namespace kvorcli {

namespace {

bool IsNumber(const std::string &text) {
  if (text.empty() || text.size() > 4) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// The table as the window starts it without --port: the machine's devices.
void LoadPortTableOnce() {
  static bool loaded = false;
  if (loaded) return;
  char name[] = "kvor";
  char *argv[] = {name, nullptr};
  InitPortTable(1, argv);
  loaded = true;
}

}  // namespace

bool LooksLikePort(const std::string &operand) {
  if (IsNumber(operand) || IsSimulatedDevice(operand)) return true;
  struct stat st;
  if (::stat(operand.c_str(), &st) == 0) return S_ISCHR(st.st_mode);
  // Windows' COM7, com7, \\.\COM7 (no file can have such a name there), or
  // a device under /dev/ that is not plugged in.
  return ComPortNumber(operand) > 0 || operand.rfind("/dev/", 0) == 0;
}

int CountPorts(const CliRequest &request) {
  std::set<std::string> ports;
  for (size_t i = 0; i < request.operands.size(); ++i) {
    const std::string &operand = request.operands[i];
    if (request.command == "send" && i == 0) continue;  // FILE.cfg
    if (request.command == "diff" && !LooksLikePort(operand)) continue;
    ports.insert(operand);
  }
  return static_cast<int>(ports.size());
}

int ResolvePort(const std::string &port, std::string *device) {
  if (!IsNumber(port)) {
    const int com = ComPortNumber(port);
    *device = com > 0 ? ComPortName(com) : port;
    return 0;
  }
  LoadPortTableOnce();
  char name[512];
  const int found = GetComPortDevice(std::stoi(port), name, sizeof name);
  if (found < 0) return found == RS_NO_SERIAL_PORT ? RS_NO_SERIAL_PORT : RS_INVALID_PORT_NUMBER;
  *device = name;
  return 0;
}

}  // namespace kvorcli
