// What a PORT on kvor's command line names: a device path (/dev/ttyUSB0, a
// /dev/serial/by-id/... link), a COM port (COM7, com7, \\.\COM7) or a number
// as the window numbers ports, by the window's own port table.
#ifndef KVOR_CLI_PORT_NAMES_H
#define KVOR_CLI_PORT_NAMES_H

#include <string>

namespace kvorcli {

// A number, a character device, a path under /dev/ or a COM port name that
// no file has: a PORT rather than a parameter file (for diff, whose operands
// may be either).
bool LooksLikePort(const std::string &operand);

// The device to open for a PORT into *device (a COM port as COMn): 0, or the
// layer's RS_* code (a number without an entry, the number of an adapter
// that is gone).
int ResolvePort(const std::string &port, std::string *device);

}  // namespace kvorcli

#endif
