// Internal to the run-time layer: the serial port table's start-up, the
// machine's device list behind it, and its refresh.
#ifndef KVOR_RUNTIME_RS232_PORT_TABLE_H
#define KVOR_RUNTIME_RS232_PORT_TABLE_H

#include <functional>
#include <string>
#include <vector>

#include "runtime/rs232/port_table_order.h"

// Where the table learns which serial devices the machine has. By default it
// asks the system (QSerialPortInfo); a test puts its own pseudo-terminals,
// descriptions and serial numbers in instead. An empty function restores the
// system's list.
using SerialDeviceLister = std::function<std::vector<SerialDevice>()>;
void SetSerialDeviceLister(SerialDeviceLister lister);

// Empties the table, applies every "--port N=DEVICE" (or "--port"
// "N=DEVICE") of the command line, then adds the machine's devices as a
// refresh does. Returns 0, or a negative value for a malformed --port
// argument (the table is then left as it was).
int InitPortTable(int argc, char **argv);

// Looks at the machine's devices again. An entry keeps its number while its
// device is there under its name, unless the device there now reports another
// serial number than the entry's (an empty one included): that is another
// adapter, which takes a number of its own. An adapter known by its serial
// number is followed to a new device name only when that cannot be mistaken:
// one gone entry and one device not in the table carry its description and
// serial number (of two alike adapters, each stays with its own name). A
// device not listed yet takes the lowest number without an entry; an entry
// whose device has gone stays, marked, and keeps its number; once another
// device has its device name, GetComPortDevice answers RS_NO_SERIAL_PORT for
// it, so the number never opens the other device. Entries given on the
// command line or by SetComPortDevice are never moved or marked; their names
// stand for the device they lead to (a bare name is one under /dev/, links
// such as /dev/serial/by-id/... are followed), which gets no second number.
// The label shows the name as given, GetComPortDevice the device it leads to
// at that moment. Nothing here touches an open port.
void RefreshPortTable();

// What the table knows of an entry: its device name as shown, the adapter's
// description and serial number (either may be empty) and whether a machine
// device is there now. False for a number without an entry.
struct PortEntryDetails {
  std::string device, description, serialNumber;
  bool present = false;
};
bool GetPortEntryDetails(int port, PortEntryDetails *details);

// What the port selector says about an entry beyond its label: why it cannot
// be used and what to do about it. Empty when there is nothing to say.
std::string PortEntryHint(int port);

#endif
