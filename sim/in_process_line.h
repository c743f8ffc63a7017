// A line inside one process: the simulated sensor on its thread at one end,
// the program at the other, and between them two byte queues instead of a
// pseudo-terminal or a cable. Every call is thread-safe. The sensor serves
// it as any line (pacing, delays and faults included); the program reads and
// writes it from its own thread and is woken through a function it installs.
//
// Lines are found by name ("simulated"), so a program opens the sensor a
// test, or the program itself, started under that name.
#ifndef KVOR_SIM_IN_PROCESS_LINE_H
#define KVOR_SIM_IN_PROCESS_LINE_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace kvorsim {

class InProcessLine {
 public:
  InProcessLine() = default;
  InProcessLine(const InProcessLine &) = delete;
  InProcessLine &operator=(const InProcessLine &) = delete;

  // ---- The program's end ----
  // Opens it; false while it is open already (one program end at a time, as
  // a serial device is opened once) or once the sensor has hung up.
  bool open();
  // Closes it: what the sensor sends meanwhile is lost, as on a closed port,
  // and the wake-up function is dropped (no call of it runs after close()).
  void close();
  bool isOpen() const;
  // The sensor's end has closed: to the program the device is gone.
  bool hungUp() const;
  // Bytes to the sensor; returns the count taken (0 when closed or hung up).
  size_t write(const uint8_t *bytes, size_t count);
  // What the sensor has sent, up to size bytes; never blocks.
  size_t read(uint8_t *buffer, size_t size);
  size_t available() const;
  void clearInput();
  // Bytes the sensor has sent since the program's end was opened: a count
  // that only grows, so the program can tell new bytes from old ones.
  uint64_t delivered() const;
  // Waits until delivered() exceeds `since`, the sensor hangs up, or
  // `seconds` pass; true when there are new bytes.
  bool waitForInput(uint64_t since, double seconds) const;
  // `wake` is called on the sensor's thread once bytes arrive for the
  // program or the sensor hangs up, then not again until rearmWakeUp(): it
  // should only hand the news to the program's own thread (post an event)
  // and must not call back into the line. Installed, it is armed; an empty
  // function removes it.
  void setWakeUp(std::function<void()> wake);
  void rearmWakeUp();

  // ---- The sensor's end ----
  // Takes what the program wrote, up to size bytes; never blocks.
  size_t takeFromProgram(uint8_t *buffer, size_t size);
  // Waits up to `seconds` for bytes from the program, or until
  // interruptSensor(); true when bytes are waiting.
  bool waitForProgram(double seconds);
  void interruptSensor();
  // Bytes to the program (dropped while its end is closed).
  void sendToProgram(const uint8_t *bytes, size_t count);
  // The sensor's end closes for good; the program is woken to see it.
  void hangUp();

 private:
  void wakeProgram();

  mutable std::mutex mutex_;
  mutable std::condition_variable programInput_;  // bytes for the program, or a hang-up
  std::condition_variable sensorInput_;           // bytes for the sensor, or an interrupt
  std::deque<uint8_t> toProgram_, toSensor_;
  uint64_t delivered_ = 0;
  bool programOpen_ = false;
  bool hungUp_ = false;
  bool interrupted_ = false;

  // Apart from mutex_, so the call never runs with the queues locked.
  std::mutex wakeMutex_;
  std::function<void()> wake_;
  bool wakeArmed_ = false;
};

// The name the program knows the in-process simulated sensor by.
constexpr const char *kInProcessLineName = "simulated";

// Makes the line findable by name. A name whose line is still served is
// taken (false, with the reason); one whose sensor has hung up is free again.
bool registerInProcessLine(const std::string &name, std::shared_ptr<InProcessLine> line, std::string *error);
// The line last registered under name (perhaps hung up), or nullptr.
std::shared_ptr<InProcessLine> findInProcessLine(const std::string &name);

}  // namespace kvorsim

#endif
