// kvor as a script starts it: a process of its own, standard output and
// error on pipes, no display in its environment.
#ifndef KVOR_TESTS_CLI_KVOR_PROCESS_H
#define KVOR_TESTS_CLI_KVOR_PROCESS_H

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "sim/sensor_sim.h"

namespace clitest {

struct KvorRun {
  int status = -1;  // exit status; -1 when it did not exit by itself in time
  std::string out, err;  // line ends as LF (Windows' console text has CR LF)
};

class KvorProcess {
 public:
  // environment: entries ("TZ=...") that replace or join the test's own.
  explicit KvorProcess(const std::vector<std::string> &args, const std::vector<std::string> &environment = {});
  ~KvorProcess();
  // SIGINT or SIGTERM; on Windows, where both are Ctrl+C, the console's
  // Ctrl+C event.
  void Signal(int sig);
  // Waits for the end (killing it after timeout seconds).
  KvorRun Finish(double timeoutSeconds = 30);

 private:
  struct Child;
  std::unique_ptr<Child> child_;
};

inline KvorRun RunKvor(const std::vector<std::string> &args, double timeoutSeconds = 30,
                      const std::vector<std::string> &environment = {}) {
  return KvorProcess(args, environment).Finish(timeoutSeconds);
}

// kvor with args, stopped from outside at a moment the test picks: once
// `sensor` holds `frames` received frames, each of `stops` is sent to it,
// 10 ms apart (Ctrl+C pressed twice, SIGTERM). Its run, or status -2 when the
// sensor never got that far.
KvorRun RunKvorStoppedAt(const std::vector<std::string> &args, const kvorsim::SensorSim &sensor, size_t frames,
                         const std::vector<int> &stops);

// Simulated sensors, each on a pseudo-terminal of its own, standing still.
// Where there are none (Windows), only the PORT "simulated" inside kvor is
// there: a test that needs sensors of its own is skipped.
std::vector<std::unique_ptr<kvorsim::SensorSim>> StartSensors(int count, bool paced = false);

// The command codes of the frames the sensor received, in order, once it has
// read at least `awaited` of them (or 2 s passed): kvor may have ended while
// its last frame, which nothing answers, was still on the line.
std::vector<int> Commands(const kvorsim::SensorSim &sensor, size_t awaited = 0);

// The lines of a text.
std::vector<std::string> Lines(const std::string &text);

// The time in t, taken as UTC, in seconds since the epoch.
double UtcSecondsOf(std::tm t);

}  // namespace clitest

// Skips a test that needs simulated sensors of its own (on pseudo-terminals).
#define KVOR_SKIP_WITHOUT_PSEUDO_TERMINALS()                          \
  if (!kvorsim::havePseudoTerminals())                                \
  GTEST_SKIP() << "needs sensors on pseudo-terminals of the test's own"

#endif
