// The program's end of a simulated sensor's line, reduced to plain POSIX
// open/read/write/poll on the pseudo-terminal's slave (or, for a sensor
// started in process, the in-process line's own calls), and byte strings
// written by hand in hex.
#ifndef KVOR_TESTS_SIM_LINE_PROBE_H
#define KVOR_TESTS_SIM_LINE_PROBE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvorsim {
class InProcessLine;
}

namespace simtest {

using Bytes = std::vector<uint8_t>;

// "00 55 00 05" -> {0x00, 0x55, 0x00, 0x05}; spaces are ignored.
Bytes hex(const std::string &text);
Bytes zeros(size_t count);
Bytes operator+(Bytes a, const Bytes &b);
std::string toHex(const Bytes &bytes);
// The big-endian word at byte offset `at`.
uint16_t wordAt(const Bytes &bytes, size_t at);

double now();

class LineProbe {
 public:
  // A device path, or the name of an in-process line.
  explicit LineProbe(const std::string &devicePath);
  ~LineProbe();
  LineProbe(const LineProbe &) = delete;
  LineProbe &operator=(const LineProbe &) = delete;

  bool isOpen() const { return fd_ >= 0 || inProcess_ != nullptr; }
  // Writes every byte; returns the time the write finished.
  double send(const Bytes &bytes);
  // Reads until `count` bytes are in or `timeout` seconds have passed.
  Bytes receive(size_t count, double timeout);
  // Reads whatever arrives within `seconds`.
  Bytes receiveFor(double seconds);
  // Times at which the bytes of the last receive arrived (one per byte).
  const std::vector<double> &arrivals() const { return arrivals_; }
  // The reply to a request: sends it and reads `count` bytes (1.5 s at most).
  Bytes exchange(const Bytes &request, size_t count);
  // Whether the sensor's end hangs up within `seconds` (what arrives
  // meanwhile is read and dropped). On a pseudo-terminal: POLLHUP, then end
  // of file or EIO.
  bool hangsUp(double seconds);

 private:
  int fd_ = -1;
  std::shared_ptr<kvorsim::InProcessLine> inProcess_;
  uint64_t taken_ = 0;  // bytes read from the in-process line
  std::vector<double> arrivals_;
};

}  // namespace simtest

#endif
