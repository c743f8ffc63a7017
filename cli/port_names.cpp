#include "cli/port_names.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <vector>

#include "params/parameter_file.h"

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

int ReadParameterOperand(const std::string &operand, ParameterSet *set, char *fault, size_t size) {
  struct stat st;
  if (::stat(operand.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode))
    return ReadParameterFile(operand.c_str(), set, fault, size);
  // Opened without waiting for a writer; then read to the end of what the
  // writer sends. A pipe that nobody writes to reads as empty.
  int fd;
  do {
    fd = ::open(operand.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  const int flags = fd < 0 ? -1 : ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
    if (fd >= 0) ::close(fd);
    std::snprintf(fault, size, "cannot be read");
    return PARA_FILE_UNREADABLE;
  }
  // One byte more than a parameter file may have, to know one that is longer.
  std::vector<char> text(PARA_FILE_MAX_BYTES + 1);
  size_t used = 0;
  while (used < text.size()) {
    const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      std::snprintf(fault, size, "cannot be read");
      return PARA_FILE_UNREADABLE;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  return ParseParameterText(text.data(), used, set, fault, size);
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
