// The sensor's end of the line: the master side of a pseudo-terminal (the
// program opens the slave) or a real serial device.
#ifndef KVOR_SIM_LINE_ENDPOINT_H
#define KVOR_SIM_LINE_ENDPOINT_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvorsim {

class LineEndpoint {
 public:
  LineEndpoint() = default;
  ~LineEndpoint() { close(); }
  LineEndpoint(const LineEndpoint &) = delete;
  LineEndpoint &operator=(const LineEndpoint &) = delete;

  // A new pseudo-terminal, slave in raw mode. The simulator keeps a slave
  // descriptor of its own open, so the master never reads EIO while the
  // program closes and reopens the port.
  bool openPseudoTerminal(std::string *error);
  // A real serial device, raw, 8N1, at `baud`.
  bool openDevice(const std::string &path, int baud, std::string *error);
  void close();

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  const std::string &path() const { return path_; }

  // Reads what is waiting (non-blocking); returns the count, 0 when nothing.
  size_t readAvailable(uint8_t *buffer, size_t size);
  // Waits until a time on the monotonic clock; false when it gave up.
  using WaitUntil = std::function<bool(double t)>;

  // Writes all bytes. byteTime > 0 paces them: byte k is written at
  // start + (k + 1) x byteTime, the moment it would have arrived whole on a
  // line of that speed, waiting through `wait` (which may read the line
  // meanwhile; a plain sleep when empty). Gives up (false) once `cancel` is
  // set or the far end has not taken a byte for two seconds.
  bool write(const std::vector<uint8_t> &bytes, double byteTime, double start,
             const std::atomic<bool> &cancel, const WaitUntil &wait = WaitUntil());

 private:
  bool writeSome(const uint8_t *bytes, size_t count, const std::atomic<bool> &cancel);

  int fd_ = -1;
  int heldSlave_ = -1;
  std::string path_;
};

}  // namespace kvorsim

#endif
