// The sensor's end of the line: the master side of a pseudo-terminal (the
// program opens the slave), a real serial device (a null-modem cable, a COM
// port on Windows), or a line inside the process (in_process_line.h). The
// serving thread waits, reads and writes through this interface alone; each
// kind lives in a file of its own.
#ifndef KVOR_SIM_LINE_ENDPOINT_H
#define KVOR_SIM_LINE_ENDPOINT_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kvorsim {

class InProcessLine;

class LineEndpoint {
 public:
  enum class Wait {
    Input,   // bytes from the program are waiting
    Quiet,   // the time passed, or interrupt() was called
    Closed,  // the far end went away (a real device unplugged)
  };

  LineEndpoint() = default;
  virtual ~LineEndpoint() = default;
  LineEndpoint(const LineEndpoint &) = delete;
  LineEndpoint &operator=(const LineEndpoint &) = delete;

  // Waits up to `seconds` for bytes from the program. Used by the serving
  // thread only.
  virtual Wait waitForInput(double seconds) = 0;
  // Ends a waitForInput of the serving thread at once; any thread may call
  // it, also after close().
  virtual void interrupt() = 0;
  // Reads what is waiting (never blocks); returns the count, 0 when nothing.
  virtual size_t readAvailable(uint8_t *buffer, size_t size) = 0;
  // Closes the sensor's end: the program's end sees a hang-up.
  virtual void close() = 0;
  // What the program connects to: a device path, or the in-process line's name.
  virtual std::string path() const = 0;

  // Waits until a time on the monotonic clock; false when it gave up.
  using WaitUntil = std::function<bool(double t)>;

  // Writes all bytes. byteTime > 0 paces them: byte k is written at
  // start + (k + 1) x byteTime, the moment it would have arrived whole on a
  // line of that speed, waiting through `wait` (which may read the line
  // meanwhile; a plain sleep when empty). Gives up (false) once `cancel` is
  // set or the far end has not taken a byte for two seconds.
  bool write(const std::vector<uint8_t> &bytes, double byteTime, double start,
             const std::atomic<bool> &cancel, const WaitUntil &wait = WaitUntil());

 protected:
  // Writes count bytes, waiting while the far end takes none; false on
  // cancel, an error, or two seconds without progress.
  virtual bool writeSome(const uint8_t *bytes, size_t count, const std::atomic<bool> &cancel) = 0;
};

// A new pseudo-terminal, slave in raw mode. The endpoint keeps a slave
// descriptor of its own open, so the master never reads EIO while the
// program closes and reopens the port. Not on Windows (error says so).
std::unique_ptr<LineEndpoint> openPseudoTerminal(std::string *error);
// A real serial device, raw, 8N1, at `baud`: a path such as /dev/ttyUSB0,
// on Windows COMn (also COM10 and above, or \\.\COMn).
std::unique_ptr<LineEndpoint> openSerialDevice(const std::string &path, int baud, std::string *error);
// The sensor's end of an in-process line (in_process_line.cpp).
std::unique_ptr<LineEndpoint> openInProcessEndpoint(std::shared_ptr<InProcessLine> line, const std::string &name);

}  // namespace kvorsim

#endif
