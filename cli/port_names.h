// What an operand on kvor's command line names: a PORT (a device path such
// as /dev/ttyUSB0 or a /dev/serial/by-id/... link, a COM port as COM7, com7
// or \\.\COM7, a number as the window numbers ports, by the window's own
// port table, or "simulated": a simulated sensor inside kvor, one for each
// such PORT) or a parameter file (a regular file, or a pipe such as the
// /dev/fd/N of <(cat golden.cfg)).
#ifndef KVOR_CLI_PORT_NAMES_H
#define KVOR_CLI_PORT_NAMES_H

#include <cstddef>
#include <string>

#include "cli/command_line.h"
#include "params/parameter_set.h"

namespace kvorcli {

// A number, a COM port name that no file has, "simulated", a character
// device, or a path under /dev/ where nothing is (a device that is not
// plugged in): a PORT rather than a parameter file (for diff, whose operands
// may be either). Anything else that is there (a regular file, also one
// under /dev/shm, or a pipe) is a file.
bool LooksLikePort(const std::string &operand);

// How many different PORTs the command serves.
int CountPorts(const CliRequest &request);

// Reads a parameter file operand into *set (PARA_FILE_* of
// params/parameter_file.h); a pipe is read to its end (parameter_operand.cpp;
// Windows, where an operand is a file: parameter_operand_windows.cpp).
int ReadParameterOperand(const std::string &operand, ParameterSet *set, char *fault, size_t size);

// The device to open for a PORT into *device (a COM port as COMn): 0, or the
// layer's RS_* code (a number without an entry, the number of an adapter
// that is gone).
int ResolvePort(const std::string &port, std::string *device);

}  // namespace kvorcli

#endif
