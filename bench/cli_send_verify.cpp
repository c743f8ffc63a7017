// kvor send --verify to EEPROM on 1, 4 and 8 simulated sensors paced at
// 19200 baud: kvor started as a process, as a production line starts it.
// Per sensor, the time from the first byte of its echo request to the last
// byte of the last read-back reply, read off the sensor's receipt times,
// against the bound its frames and the specified waits allow; for the whole
// command, the process's wall time with 8 sensors against one.
//
//   bench_cli_send_verify [--runs 5]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/common/line_budget.h"
#include "bench/common/options.h"
#include "bench/common/report.h"
#include "link/protocol.h"
#include "params/parameter_file.h"
#include "sim/sensor_sim.h"

#ifndef KVOR_CLI_PATH
#error "the benchmark needs the path of kvor"
#endif

extern char **environ;

namespace {

const char kBench[] = "cli_send_verify";

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The bound of one sensor: from the first byte of the echo request to the
// last byte of the frame-1 read-back reply, when every wait is exactly as
// long as specified and nothing else takes time. Each frame is 36 bytes at
// 19200 baud; the sensor answers a frame once it is whole.
//   echo request + reply            2 frames
//   write frame 0 to write frame 1  50 ms from start to start (frame 0's
//                                   time on the line lies within them)
//   write frame 1 to the read-back  50 ms
//   read frame 0: request + reply   2 frames, then 50 ms
//   read frame 1: request + reply   2 frames
double SensorBoundSeconds() {
  const double frame = bench::LineSeconds(bench::kFrameBytes);
  const double spacing = TRANSFER_SPACING_MS / 1000.0;
  return 2 * frame + spacing + spacing + 2 * frame + spacing + 2 * frame;
}

// kvor's run, its wall time; -1 when it did not end well.
double RunKvor(const std::vector<std::string> &args, int *status) {
  std::vector<std::string> strings = args;
  strings.insert(strings.begin(), KVOR_CLI_PATH);
  std::vector<char *> argv;
  for (std::string &s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const double start = Now();
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int raw = 0;
  waitpid(pid, &raw, 0);
  const double wall = Now() - start;
  *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return wall;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures {
  double wall = 0;         // median wall time of the process
  double worstSensor = 0;  // the slowest sensor's time, median over the runs
  double medianSensor = 0;
  bool ok = true;
};

Figures Measure(int count, int runs, const std::string &golden) {
  std::vector<std::unique_ptr<kvorsim::SensorSim>> sensors;
  std::vector<std::string> args = {"send", golden};
  for (int i = 0; i < count; ++i) {
    kvorsim::Options options;
    options.paced = true;
    options.moving = false;
    auto sensor = std::make_unique<kvorsim::SensorSim>(options);
    if (!sensor->start()) return Figures{0, 0, 0, false};
    args.push_back(sensor->devicePath());
    sensors.push_back(std::move(sensor));
  }
  args.insert(args.end(), {"--to", "eeprom", "--verify"});
  const double frame = bench::LineSeconds(bench::kFrameBytes);
  Figures f;
  std::vector<double> walls, worst, all;
  for (int run = 0; run < runs; ++run) {
    for (auto &s : sensors) s->clearReceived();
    int status = -1;
    const double wall = RunKvor(args, &status);
    if (wall < 0 || status != 0) f.ok = false;
    walls.push_back(wall);
    double slowest = 0;
    for (auto &s : sensors) {
      const std::vector<kvorsim::ReceivedFrame> frames = s->received();
      if (frames.size() != 5) {
        f.ok = false;
        continue;
      }
      // Receipt times mark a frame's last byte: one frame earlier the echo
      // request began; one frame after the last request its reply ended.
      const double span = frames.back().time - frames.front().time + 2 * frame;
      slowest = std::max(slowest, span);
      all.push_back(span);
    }
    worst.push_back(slowest);
  }
  f.wall = Median(walls);
  f.worstSensor = Median(worst);
  f.medianSensor = Median(all);
  return f;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const int runs = static_cast<int>(options.Number("--runs", 5, 1, 100));
  if (!options.Valid()) {
    std::fprintf(stderr, "%s\n", options.Errors().c_str());
    return 2;
  }
  char folder[] = "/tmp/kvor-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string golden = std::string(folder) + "/golden.cfg";
  if (!WriteParameterFile(golden.c_str(), StartParameterSet())) return 1;

  const double bound = SensorBoundSeconds();
  bench::Note("per sensor: first byte of the echo request to the last byte of the last reply, from the "
              "sensor's receipt times; the bound is " + bench::Fixed(bound * 1000, 2) +
              " ms (6 frames of 18.75 ms on the line, 3 waits of 50 ms)");
  bool ok = true;
  double wallOne = 0;
  for (int count : {1, 4, 8}) {
    const Figures f = Measure(count, runs, golden);
    ok = ok && f.ok;
    const std::string n = std::to_string(count);
    bench::Report(kBench, n + " sensors: kvor's wall time", f.wall * 1000, "ms", 1,
                  count == 1 ? "process start to exit, median of " + std::to_string(runs)
                             : bench::Fixed(wallOne > 0 ? f.wall / wallOne : 0, 2) + " x one sensor (goal <= 1.20)");
    bench::Report(kBench, n + " sensors: per sensor, median", f.medianSensor * 1000, "ms", 1,
                  bench::Fixed(f.medianSensor / bound, 3) + " x bound " + bench::Fixed(bound * 1000, 2) +
                      " ms (goal <= 1.10)");
    bench::Report(kBench, n + " sensors: slowest sensor", f.worstSensor * 1000, "ms", 1,
                  bench::Fixed(f.worstSensor / bound, 3) + " x bound");
    if (count == 1) wallOne = f.wall;
  }
  unlink(golden.c_str());
  rmdir(folder);
  if (!ok) bench::Note("some run did not end with exit status 0 or a sensor missed a frame");
  return ok ? 0 : 1;
}
