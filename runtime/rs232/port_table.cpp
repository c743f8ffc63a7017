// The serial port table: port number -> device. Port numbers are what the
// operator picks in the port selector; the device names are what the serial
// layer opens. The numbers stay put while the table follows the machine's
// devices, so a number the operator has learnt keeps meaning the same device.
#include "runtime/rs232/port_table.h"
#include "runtime/rs232/port_table_order.h"

#include "runtime/rs232/com_names.h"

#include "runtime/rs232/rs232.h"
#include "runtime/rs232/simulated_line.h"
#include "runtime/runtime.h"

#include <QSerialPortInfo>
#include <QString>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

// Longest device name the table keeps; longer names are refused rather than cut.
const size_t kMaxDeviceName = 255;
// Descriptions and serial numbers are only shown; longer ones are cut.
const size_t kMaxDeviceText = 120;

struct PortEntry {
  std::string device;        // empty: no entry
  std::string description;   // of the adapter, where the machine tells it
  std::string serialNumber;
  bool given = false;        // --port or SetComPortDevice: stays as it is
  bool present = true;       // a machine entry: its device was there at the last look
  bool nameTaken = false;    // gone, and another device has its device name now
};

PortEntry g_entries[MAX_COM_PORTS + 1];  // index 0 unused
SerialDeviceLister g_lister;

bool IsValidPortNumber(int port) { return port >= 1 && port <= MAX_COM_PORTS; }

// The device a name stands for, as the machine lists it: a bare name is one
// under /dev/ (as Qt reads it), links such as /dev/serial/by-id/... are
// followed. A name that leads nowhere (yet) stays as it is; so does one whose
// device path would be too long to keep, and the simulated sensor's, which
// is no file. On Windows com7 and \\.\COM7 are COM7.
std::string CanonicalDevice(const std::string &name) {
  if (IsSimulatedDevice(name)) return name;
#ifdef _WIN32
  const int com = ComPortNumber(name);
  return com > 0 ? ComPortName(com) : name;
#else
  if (name.empty()) return name;
  const bool path = name[0] == '/' || name.rfind("./", 0) == 0 || name.rfind("../", 0) == 0;
  const std::string full = path ? name : "/dev/" + name;
  std::error_code error;
  const std::string resolved = std::filesystem::weakly_canonical(full, error).string();
  if (error || resolved.empty() || resolved.size() > kMaxDeviceName) return full;
  return resolved;
#endif
}

// The name the entry shows. On Windows every port number has a natural
// device, COMn, even without an entry; elsewhere an empty entry means there is
// no device for the number.
std::string DeviceForPort(int port) {
  if (!IsValidPortNumber(port)) return std::string();
#ifdef _WIN32
  if (g_entries[port].device.empty()) return ComPortName(port);
#endif
  return g_entries[port].device;
}

std::vector<SerialDevice> SystemSerialDevices() {
  std::vector<SerialDevice> devices;
  for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
    SerialDevice d;
    d.name = info.portName().toLocal8Bit().toStdString();
#ifdef _WIN32
    d.location = d.name;  // "COM3" is what opens it
#else
    d.location = info.systemLocation().toLocal8Bit().toStdString();
#endif
    d.description = info.description().toStdString();
    d.serialNumber = info.serialNumber().toStdString();
    devices.push_back(std::move(d));
  }
  return devices;
}

// The machine's devices that can be entries, in port order.
std::vector<SerialDevice> ListMachineDevices() {
  std::vector<SerialDevice> listed = g_lister ? g_lister() : SystemSerialDevices();
  std::vector<SerialDevice> usable;
  for (SerialDevice &d : listed) {
    if (d.location.empty() || d.location.size() > kMaxDeviceName) continue;
    if (d.description.size() > kMaxDeviceText) d.description.resize(kMaxDeviceText);
    if (d.serialNumber.size() > kMaxDeviceText) d.serialNumber.resize(kMaxDeviceText);
    usable.push_back(std::move(d));
  }
  return SortSerialDevices(std::move(usable));
}

// COMn is port n on Windows, so the numbers match what the system shows
// elsewhere; elsewhere no device has a number of its own (0).
int NaturalPort(const SerialDevice &d) {
#ifdef _WIN32
  const int n = ComPortNumber(d.location);
  return n <= MAX_COM_PORTS ? n : 0;
#else
  (void)d;
  return 0;
#endif
}

void TakeDevice(PortEntry *entry, const SerialDevice &d) {
  entry->device = d.location;
  entry->description = d.description;
  entry->serialNumber = d.serialNumber;
  entry->present = true;
  entry->nameTaken = false;
}

bool IsMachineEntry(const PortEntry &e) { return !e.device.empty() && !e.given; }

// One kind of adapter: its description and serial number, the serial number
// not empty.
bool SameAdapter(const PortEntry &e, const SerialDevice &d) {
  return !e.serialNumber.empty() && d.serialNumber == e.serialNumber &&
         d.description == e.description;
}

// A new device's number: its natural one if free, else the lowest without an
// entry; 0 when the table is full (numbers of gone devices are never reused).
int FreePortFor(const SerialDevice &d) {
  const int natural = NaturalPort(d);
  if (IsValidPortNumber(natural) && g_entries[natural].device.empty()) return natural;
  for (int port = 1; port <= MAX_COM_PORTS; ++port)
    if (g_entries[port].device.empty()) return port;
  return 0;
}

// Binds the table to the machine's devices. A device given on the command
// line or by SetComPortDevice has that number only; every other entry is
// bound to the device under its own name, unless that device reports another
// serial number than the entry's (then it is another adapter); an entry left
// over follows its adapter's serial number to another device name only when
// that cannot be mistaken: one such entry left over and one such device not
// bound. Each device is bound to one entry at most.
void RefreshFrom(const std::vector<SerialDevice> &listed) {
  std::vector<SerialDevice> devices;
  std::vector<std::string> canonical;
  for (const SerialDevice &d : listed) {
    const std::string c = CanonicalDevice(d.location);
    bool again = false;
    for (const std::string &seen : canonical) again = again || seen == c;
    if (again) continue;  // listed twice, or under two names
    devices.push_back(d);
    canonical.push_back(c);
  }
  std::vector<bool> taken(devices.size(), false);
  bool bound[MAX_COM_PORTS + 1] = {};

  // A given entry stays as it is; it shows what the machine says about its
  // device, whatever name it was given by.
  for (int port = 1; port <= MAX_COM_PORTS; ++port) {
    PortEntry &e = g_entries[port];
    if (e.device.empty() || !e.given) continue;
    e.description.clear();
    e.serialNumber.clear();
    const std::string c = CanonicalDevice(e.device);
    for (size_t i = 0; i < devices.size(); ++i) {
      if (canonical[i] != c) continue;
      e.description = devices[i].description;
      e.serialNumber = devices[i].serialNumber;
      taken[i] = true;
    }
  }
  // The machine's entries by their own device names.
  for (int port = 1; port <= MAX_COM_PORTS; ++port) {
    PortEntry &e = g_entries[port];
    if (!IsMachineEntry(e)) continue;
    for (size_t i = 0; i < devices.size(); ++i) {
      if (taken[i] || devices[i].location != e.device) continue;
      if (devices[i].serialNumber != e.serialNumber) break;  // another adapter
      TakeDevice(&e, devices[i]);
      taken[i] = true;
      bound[port] = true;
      break;
    }
  }
  // Adapters known by their serial numbers, back under another device name.
  for (int port = 1; port <= MAX_COM_PORTS; ++port) {
    PortEntry &e = g_entries[port];
    if (!IsMachineEntry(e) || bound[port] || e.serialNumber.empty()) continue;
    int entries = 0;
    for (int other = 1; other <= MAX_COM_PORTS; ++other) {
      const PortEntry &o = g_entries[other];
      if (IsMachineEntry(o) && !bound[other] && o.serialNumber == e.serialNumber &&
          o.description == e.description)
        ++entries;
    }
    int found = -1, candidates = 0;
    for (size_t i = 0; i < devices.size(); ++i) {
      if (taken[i] || !SameAdapter(e, devices[i])) continue;
      found = static_cast<int>(i);
      ++candidates;
    }
    if (entries != 1 || candidates != 1) continue;
    TakeDevice(&e, devices[found]);
    taken[found] = true;
    bound[port] = true;
  }
  // Gone devices keep their entries and numbers, marked; one whose device
  // name is another device's now no longer opens that name.
  for (int port = 1; port <= MAX_COM_PORTS; ++port) {
    PortEntry &e = g_entries[port];
    if (!IsMachineEntry(e) || bound[port]) continue;
    e.present = false;
    const std::string c = CanonicalDevice(e.device);
    e.nameTaken = false;
    for (const std::string &other : canonical) e.nameTaken = e.nameTaken || other == c;
  }
  // Every device not bound yet, in port order.
  for (size_t i = 0; i < devices.size(); ++i) {
    if (taken[i]) continue;
    const int port = FreePortFor(devices[i]);
    if (port == 0) break;
    g_entries[port] = PortEntry();
    TakeDevice(&g_entries[port], devices[i]);
  }
}

#ifndef _WIN32
// Whether this user is refused the device by its permissions; group is then
// the group to join: the device's own group where that group may use it,
// otherwise dialout, Debian's group for serial devices.
bool RefusedByPermissions(const std::string &device, std::string *group) {
  const std::string path = device[0] == '/' ? device : "/dev/" + device;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0) return false;
  if (errno != EACCES && errno != EPERM) return false;
  *group = "dialout";
  if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
    const struct group *g = ::getgrgid(st.st_gid);
    if (g != nullptr && g->gr_name != nullptr && g->gr_name[0] != '\0') *group = g->gr_name;
  }
  return true;
}
#endif

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

void SetSerialDeviceLister(SerialDeviceLister lister) { g_lister = std::move(lister); }

int InitPortTable(int argc, char **argv) {
  // The options are checked before anything changes, so a bad command line
  // leaves the table as it was.
  std::vector<PortOption> options;
  if (!ParsePortOptions(argc, argv, &options)) return RS_INVALID_PARAMETER;
  for (PortEntry &entry : g_entries) entry = PortEntry();
  for (const PortOption &option : options) {
    g_entries[option.port] = PortEntry();
    g_entries[option.port].device = option.device;
    g_entries[option.port].given = true;
  }
  RefreshPortTable();
  return 0;
}

void RefreshPortTable() { RefreshFrom(ListMachineDevices()); }

std::string PortEntryHint(int port) {
  if (!IsValidPortNumber(port)) return std::string();
  const PortEntry &e = g_entries[port];
  if (e.device.empty()) return std::string();
  if (!e.given && !e.present && e.nameTaken)
    return "This port's adapter is not connected now; " + e.device +
           " is another adapter's. Plug this one in, open this list again and choose it.";
  if (!e.given && !e.present)
    return e.device + " is not connected now. Plug it in, open this list again and choose it.";
#ifndef _WIN32
  std::string group;
  if (RefusedByPermissions(CanonicalDevice(e.device), &group))
    return "You may not use " + e.device + ". Add your user to the group " + group +
           " (on Debian: sudo adduser $USER " + group + "), log out and in again, then choose it.";
#endif
  return std::string();
}

int SetComPortDevice(int port, const char *device) {
  if (!IsValidPortNumber(port)) return RS_INVALID_PORT_NUMBER;
  if (device == nullptr) return RS_INVALID_PARAMETER;
  const size_t length = std::strlen(device);
  if (length > kMaxDeviceName) return RS_INVALID_PARAMETER;
  g_entries[port] = PortEntry();
  g_entries[port].device.assign(device, length);
  g_entries[port].given = length > 0;
  return 0;
}

int GetComPortDevice(int port, char *device, size_t size) {
  if (device == nullptr || size == 0) return RS_INVALID_PARAMETER;
  device[0] = '\0';
  std::string name = DeviceForPort(port);
  if (name.empty()) return RS_INVALID_PORT_NUMBER;
  const PortEntry &e = g_entries[port];
  // The number of a gone adapter must not open the device that has its name now.
  if (IsMachineEntry(e) && !e.present && e.nameTaken) return RS_NO_SERIAL_PORT;
  // A given name is resolved when it is opened: a link may lead elsewhere
  // since the last look, and a device opened under one name only is locked
  // against a second open under another.
  if (e.given) name = CanonicalDevice(name);
  if (name.size() >= size) return RS_INVALID_PARAMETER;
  std::memcpy(device, name.c_str(), name.size() + 1);
  return 0;
}

bool GetPortEntryDetails(int port, PortEntryDetails *details) {
  const std::string name = DeviceForPort(port);
  if (name.empty() || details == nullptr) return false;
  details->device = name;
  details->description.clear();
  details->serialNumber.clear();
  details->present = true;
  if (IsValidPortNumber(port)) {
    const PortEntry &e = g_entries[port];
    details->description = e.description;
    details->serialNumber = e.serialNumber;
    details->present = e.given || e.present;
  }
  return true;
}

int GetComPortCount(void) {
  for (int port = MAX_COM_PORTS; port >= 1; --port) {
    if (!g_entries[port].device.empty()) return port;
  }
  return 0;
}

int GetComPortLabel(int port, char *out, size_t size) {
  if (out == nullptr || size == 0) return RS_INVALID_PARAMETER;
  out[0] = '\0';
  const std::string name = DeviceForPort(port);
  if (name.empty()) return RS_INVALID_PORT_NUMBER;
  std::string label = std::to_string(port) + ": " + name;
  if (IsValidPortNumber(port)) {
    // "2: /dev/ttyUSB0 — USB serial adapter (A10KX3)", so two adapters of
    // one kind can be told apart.
    const PortEntry &e = g_entries[port];
    const char *dash = " \xE2\x80\x94 ";
    if (!e.description.empty() && !e.serialNumber.empty())
      label += dash + e.description + " (" + e.serialNumber + ")";
    else if (!e.description.empty())
      label += dash + e.description;
    else if (!e.serialNumber.empty())
      label += dash + std::string("(") + e.serialNumber + ")";
    if (!e.device.empty() && !e.given && !e.present) label += dash + std::string("not present");
  }
  if (label.size() >= size) return RS_INVALID_PARAMETER;
  std::memcpy(out, label.c_str(), label.size() + 1);
  return 0;
}
