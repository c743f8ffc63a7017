// Internal to the run-time layer: the order in which the machine's serial
// devices become port numbers.
#ifndef KVOR_UI_PORT_TABLE_ORDER_H
#define KVOR_UI_PORT_TABLE_ORDER_H

#include <string>
#include <vector>

struct SerialDeviceName {
  std::string name;      // "ttyUSB0"
  std::string location;  // "/dev/ttyUSB0", what the table keeps
};

// USB and ACM adapters first (what a sensor is usually plugged into), then
// the rest; each group by name, embedded numbers compared as numbers
// (ttyS2 before ttyS10). Returns the locations in port order.
std::vector<std::string> OrderSerialDevices(std::vector<SerialDeviceName> devices);

#endif
