// The far end of a port in the serial-layer tests: the master side of a
// pseudo-terminal, or the sensor's end of an in-process line that the layer
// opens by its name ("simulated:device-N"), as it opens the simulated sensor.
// The test plays the device on it byte by byte.
#ifndef KVOR_TESTS_RUNTIME_RS232_LINE_DEVICE_H
#define KVOR_TESTS_RUNTIME_RS232_LINE_DEVICE_H

#include <chrono>
#include <memory>
#include <string>

#include "sim/in_process_line.h"
#include "support/pty_pair.h"

enum class LineKind { PseudoTerminal, InProcess };

class LineDevice {
 public:
  explicit LineDevice(LineKind kind) {
    if (kind == LineKind::PseudoTerminal) {
      pty_ = std::make_unique<PtyPair>();
      name_ = pty_->slave();
      return;
    }
    static int count = 0;
    name_ = "simulated:device-" + std::to_string(++count);
    line_ = std::make_shared<kvorsim::InProcessLine>();
    if (!kvorsim::registerInProcessLine(name_, line_, nullptr)) line_.reset();
  }
  ~LineDevice() { CloseMaster(); }
  LineDevice(const LineDevice &) = delete;
  LineDevice &operator=(const LineDevice &) = delete;

  bool ok() const { return pty_ ? pty_->ok() : line_ != nullptr; }
  // What the layer opens.
  const char *name() const { return name_.c_str(); }
  // The program's end of an in-process line (nullptr on a pseudo-terminal).
  kvorsim::InProcessLine *inProcessLine() const { return line_.get(); }

  bool Write(const std::string &bytes) {
    if (pty_) return pty_->Write(bytes);
    if (!line_ || line_->hungUp()) return false;
    line_->sendToProgram(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    return true;
  }

  // Reads until count bytes came or the time-out passed.
  std::string Read(size_t count, double timeoutSeconds) {
    if (pty_) return pty_->Read(count, timeoutSeconds);
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (got.size() < count && line_) {
      uint8_t buffer[4096];
      const size_t want = count - got.size() < sizeof buffer ? count - got.size() : sizeof buffer;
      const size_t n = line_->takeFromProgram(buffer, want);
      got.append(reinterpret_cast<const char *>(buffer), n);
      const double left = std::chrono::duration<double>(end - std::chrono::steady_clock::now()).count();
      if (n == 0 && (left <= 0 || !line_->waitForProgram(left))) break;
    }
    return got;
  }

  // The line settings the layer made (a pseudo-terminal's only).
  bool SlaveSettings(termios *t) const { return pty_ != nullptr && pty_->SlaveSettings(t); }

  // The device end goes away: the program's end sees a hang-up.
  void CloseMaster() {
    if (pty_) pty_->CloseMaster();
    if (line_) line_->hangUp();
  }

 private:
  std::unique_ptr<PtyPair> pty_;
  std::shared_ptr<kvorsim::InProcessLine> line_;
  std::string name_;
};

#endif
