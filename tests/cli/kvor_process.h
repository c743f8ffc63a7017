// kvor as a script starts it: a process of its own, standard output and
// error on pipes, no display in its environment.
#ifndef KVOR_TESTS_CLI_KVOR_PROCESS_H
#define KVOR_TESTS_CLI_KVOR_PROCESS_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/sensor_sim.h"

namespace clitest {

struct KvorRun {
  int status = -1;  // exit status; -1 when it did not exit by itself in time
  std::string out, err;
};

class KvorProcess {
 public:
  // environment: entries ("TZ=...") that replace or join the test's own.
  explicit KvorProcess(const std::vector<std::string> &args, const std::vector<std::string> &environment = {});
  ~KvorProcess();
  // Output so far, without waiting.
  void Signal(int sig);
  // Waits for the end (killing it after timeout seconds).
  KvorRun Finish(double timeoutSeconds = 30);

 private:
  void Drain(int timeoutMs);
  pid_t pid_ = -1;
  int out_ = -1, err_ = -1;
  KvorRun run_;
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
std::vector<std::unique_ptr<kvorsim::SensorSim>> StartSensors(int count, bool paced = false);

// The command codes of the frames the sensor received, in order, once it has
// read at least `awaited` of them (or 2 s passed): kvor may have ended while
// its last frame, which nothing answers, was still on the line.
std::vector<int> Commands(const kvorsim::SensorSim &sensor, size_t awaited = 0);

// The lines of a text.
std::vector<std::string> Lines(const std::string &text);

}  // namespace clitest

#endif
