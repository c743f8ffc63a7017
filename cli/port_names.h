// What a PORT on kvor's command line names: a device path (/dev/ttyUSB0, a
// /dev/serial/by-id/... link), a number as the window numbers ports, by
// the window's own port table, or "simulated": a simulated sensor inside
// kvor, one for each such PORT.
#ifndef KVOR_CLI_PORT_NAMES_H
#define KVOR_CLI_PORT_NAMES_H

#include <string>

namespace kvorcli {

// A number, "simulated", a character device or a path under /dev/: a PORT
// rather than a parameter file (for diff, whose operands may be either).
bool LooksLikePort(const std::string &operand);

// The device to open for a PORT into *device: 0, or the layer's RS_* code
// (a number without an entry, the number of an adapter that is gone).
int ResolvePort(const std::string &port, std::string *device);

}  // namespace kvorcli

#endif
