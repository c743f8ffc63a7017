// Internal to the run-time layer: the order in which the machine's serial
// devices become port numbers.
#ifndef KVOR_RUNTIME_RS232_PORT_TABLE_ORDER_H
#define KVOR_RUNTIME_RS232_PORT_TABLE_ORDER_H

#include <string>
#include <vector>

// One serial device of the machine, as the system describes it.
struct SerialDevice {
  std::string name;          // "ttyUSB0"
  std::string location;      // "/dev/ttyUSB0", what the table keeps and opens
  std::string description;   // the adapter's product text (UTF-8), often empty
  std::string serialNumber;  // the adapter's serial number, often empty
};

// USB and ACM adapters first (what a sensor is usually plugged into), then
// the rest; each group by name, embedded numbers compared as numbers
// (ttyS2 before ttyS10).
std::vector<SerialDevice> SortSerialDevices(std::vector<SerialDevice> devices);
// The same order, as the locations only.
std::vector<std::string> OrderSerialDevices(std::vector<SerialDevice> devices);

#endif
