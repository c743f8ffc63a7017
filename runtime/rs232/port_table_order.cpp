// Ordering of the machine's serial devices for the port table. Plain C++.
#include "runtime/rs232/port_table_order.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Compares names so that embedded numbers count as numbers.
bool NaturalLess(const std::string &a, const std::string &b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t ei = i, ej = j;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      // Digit runs are compared by value without converting them (they may be
      // long): past leading zeros the longer run is the larger number, runs
      // of equal length compare as text.
      size_t zi = i, zj = j;
      while (zi + 1 < ei && a[zi] == '0') ++zi;
      while (zj + 1 < ej && b[zj] == '0') ++zj;
      const size_t li = ei - zi, lj = ej - zj;
      if (li != lj) return li < lj;
      const int c = a.compare(zi, li, b, zj, lj);
      if (c != 0) return c < 0;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    ++i;
    ++j;
  }
  return (a.size() - i) < (b.size() - j);
}

bool IsAdapter(const SerialDevice &d) {
  return d.name.rfind("ttyUSB", 0) == 0 || d.name.rfind("ttyACM", 0) == 0;
}

}  // namespace

std::vector<SerialDevice> SortSerialDevices(std::vector<SerialDevice> devices) {
  std::stable_sort(devices.begin(), devices.end(),
                   [](const SerialDevice &x, const SerialDevice &y) {
                     const bool ax = IsAdapter(x), ay = IsAdapter(y);
                     if (ax != ay) return ax;
                     if (NaturalLess(x.name, y.name)) return true;
                     if (NaturalLess(y.name, x.name)) return false;
                     return x.location < y.location;
                   });
  return devices;
}

std::vector<std::string> OrderSerialDevices(std::vector<SerialDevice> devices) {
  devices = SortSerialDevices(std::move(devices));
  std::vector<std::string> locations;
  locations.reserve(devices.size());
  for (const SerialDevice &d : devices) locations.push_back(d.location);
  return locations;
}
