// The serial port table: port number -> device name. Port numbers are what
// the operator picks in the port selector; the device names are what the
// serial layer opens.
#include "ui/port_table.h"
#include "ui/port_table_order.h"

#include "ui/rs232.h"
#include "ui/runtime.h"

#include <QSerialPortInfo>
#include <QString>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Longest device name the table keeps; longer names are refused rather than cut.
const size_t kMaxDeviceName = 255;

std::string g_devices[MAX_COM_PORTS + 1];  // index 0 unused

bool IsValidPortNumber(int port) { return port >= 1 && port <= MAX_COM_PORTS; }

// On Windows every port number has a natural device, COMn, even without an
// entry; elsewhere an empty entry means there is no device for the number.
std::string DeviceForPort(int port) {
  if (!IsValidPortNumber(port)) return std::string();
#ifdef _WIN32
  if (g_devices[port].empty()) return "COM" + std::to_string(port);
#endif
  return g_devices[port];
}

// The machine's serial devices as ports 1, 2, ... (order: port_table_order.h).
void FillFromMachine() {
  const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
#ifdef _WIN32
  // COMn stays port n, so the numbers match what the system shows elsewhere.
  for (const QSerialPortInfo &info : infos) {
    const QString name = info.portName();
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) continue;
    bool ok = false;
    const int n = name.mid(3).toInt(&ok);
    if (ok && IsValidPortNumber(n)) g_devices[n] = name.toStdString();
  }
#else
  std::vector<SerialDeviceName> devices;
  for (const QSerialPortInfo &info : infos) {
    const std::string location = info.systemLocation().toLocal8Bit().toStdString();
    if (location.empty() || location.size() > kMaxDeviceName) continue;
    devices.push_back({info.portName().toLocal8Bit().toStdString(), location});
  }
  int port = 1;
  for (const std::string &location : OrderSerialDevices(devices)) {
    if (port > MAX_COM_PORTS) break;
    g_devices[port++] = location;
  }
#endif
}

// "N=DEVICE" with N a decimal port number in range and a non-empty device name
// of reasonable length.
bool ParsePortAssignment(const char *text, int *port, std::string *device) {
  if (text == nullptr) return false;
  const char *eq = std::strchr(text, '=');
  if (eq == nullptr || eq == text) return false;
  int n = 0;
  for (const char *p = text; p < eq; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + (*p - '0');
    if (n > MAX_COM_PORTS) return false;
  }
  const size_t length = std::strlen(eq + 1);
  if (!IsValidPortNumber(n) || length == 0 || length > kMaxDeviceName) return false;
  *port = n;
  device->assign(eq + 1, length);
  return true;
}

struct PortOption {
  int port;
  std::string device;
};

// Collects every --port of the command line. Accepted spellings:
// "--port" "N=DEVICE", "--port N=DEVICE" (one argument) and "--port=N=DEVICE".
bool ParsePortOptions(int argc, char **argv, std::vector<PortOption> *options) {
  for (int i = 1; i < argc && argv != nullptr; ++i) {
    const char *arg = argv[i];
    if (arg == nullptr) continue;
    const char *value = nullptr;
    if (std::strcmp(arg, "--port") == 0) {
      if (i + 1 >= argc || argv[i + 1] == nullptr) return false;
      value = argv[++i];
    } else if (std::strncmp(arg, "--port ", 7) == 0 || std::strncmp(arg, "--port=", 7) == 0) {
      value = arg + 7;
    } else {
      continue;
    }
    PortOption option;
    if (!ParsePortAssignment(value, &option.port, &option.device)) return false;
    options->push_back(option);
  }
  return true;
}

}  // namespace

int InitPortTable(int argc, char **argv) {
  // The options are checked before anything changes, so a bad command line
  // leaves the table as it was.
  std::vector<PortOption> options;
  if (!ParsePortOptions(argc, argv, &options)) return RS_INVALID_PARAMETER;
  for (std::string &device : g_devices) device.clear();
  FillFromMachine();
  for (const PortOption &option : options) g_devices[option.port] = option.device;
  return 0;
}

int SetComPortDevice(int port, const char *device) {
  if (!IsValidPortNumber(port)) return RS_INVALID_PORT_NUMBER;
  if (device == nullptr) return RS_INVALID_PARAMETER;
  const size_t length = std::strlen(device);
  if (length > kMaxDeviceName) return RS_INVALID_PARAMETER;
  g_devices[port].assign(device, length);
  return 0;
}

int GetComPortDevice(int port, char *device, size_t size) {
  if (device == nullptr || size == 0) return RS_INVALID_PARAMETER;
  device[0] = '\0';
  const std::string name = DeviceForPort(port);
  if (name.empty()) return RS_INVALID_PORT_NUMBER;
  if (name.size() >= size) return RS_INVALID_PARAMETER;
  std::memcpy(device, name.c_str(), name.size() + 1);
  return 0;
}

int GetComPortCount(void) {
  for (int port = MAX_COM_PORTS; port >= 1; --port) {
    if (!g_devices[port].empty()) return port;
  }
  return 0;
}

int GetComPortLabel(int port, char *out, size_t size) {
  if (out == nullptr || size == 0) return RS_INVALID_PARAMETER;
  out[0] = '\0';
  const std::string name = DeviceForPort(port);
  if (name.empty()) return RS_INVALID_PORT_NUMBER;
  const int needed = std::snprintf(out, size, "%d: %s", port, name.c_str());
  if (needed < 0 || static_cast<size_t>(needed) >= size) {
    out[0] = '\0';
    return RS_INVALID_PARAMETER;
  }
  return 0;
}
