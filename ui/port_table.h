// Internal to the run-time layer: the serial port table's start-up, the
// machine's device list behind it, and its refresh.
#ifndef KVOR_UI_PORT_TABLE_H
#define KVOR_UI_PORT_TABLE_H

#include <functional>
#include <string>
#include <vector>

#include "ui/port_table_order.h"

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
// device is there (an adapter known by its serial number is followed to a
// new device name); a device not listed yet takes the lowest number without
// an entry; an entry whose device has gone stays, marked, and keeps its
// number. Entries given on the command line or by SetComPortDevice are never
// moved or marked. Nothing here touches an open port.
void RefreshPortTable();

// What the port selector says about an entry beyond its label: why it cannot
// be used and what to do about it. Empty when there is nothing to say.
std::string PortEntryHint(int port);

#endif
