// A stop asked for from outside, taken into the event loop: Ctrl+C (SIGINT)
// and SIGTERM. While a StopSignals lives, such a signal does not end the
// process; its function runs from the event loop between two steps, at
// every signal, so whatever is being written at that moment is finished
// first. What a stop does is the command's business (SensorSession::Stop);
// only the catching is here, and stop_signals.cpp is its POSIX half.
#ifndef KVOR_CLI_STOP_SIGNALS_H
#define KVOR_CLI_STOP_SIGNALS_H

#include <functional>
#include <memory>

namespace kvorcli {

class StopSignals {
 public:
  // stop may be empty: the signal is only noted (Caught()).
  explicit StopSignals(std::function<void()> stop);
  // Gives the signals their earlier handling back and frees what it made.
  ~StopSignals();
  StopSignals(const StopSignals &) = delete;
  StopSignals &operator=(const StopSignals &) = delete;

  bool Caught() const;  // a stop signal came since it was made

 private:
  struct Watch;
  std::unique_ptr<Watch> watch_;
};

}  // namespace kvorcli

#endif
