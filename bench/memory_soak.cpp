// Run mode for minutes on end: does the process's memory stay flat? A thread
// of the bench samples the resident set once a second while the program's
// loop runs on the UI thread undisturbed.
//
//   bench_memory_soak [--seconds S | --minutes M] [--still] [--device PATH] [--trace FILE]
//
// --device runs the program on a line served by another process (e.g.
// `kvor-sensor-sim --paced`, which prints the device to use) instead of the
// simulated sensor in this process; --still then has no meaning here.
// --still keeps the sensor's object still, so every reading is the same and
// nothing on the panel changes from one update to the next; comparing the
// two tells growth that comes with changing displays from growth per pass.
// --trace writes every sample ("seconds<TAB>KB" a line) for a closer look.
//
// The simulated sensor lives in this process and records every frame it
// receives; the sampler empties that record each second, so what grows (or
// not) is the program's memory, not the sensor's bookkeeping.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/process_stats.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "bench/common/stats.h"

namespace {

const char kBench[] = "memory soak";

struct Sample {
  double seconds;  // since the start of run mode
  long rssKb;
};

class RssSampler {
 public:
  explicit RssSampler(kvorsim::SensorSim *sensor) : sensor_(sensor) {}
  void Start() {
    begin_ = kvorsim::monotonicSeconds();
    thread_ = std::thread([this] { Loop(); });
  }
  std::vector<Sample> Stop() {
    quit_ = true;
    if (thread_.joinable()) thread_.join();
    return samples_;
  }

 private:
  void Loop() {
    while (!quit_) {
      samples_.push_back({kvorsim::monotonicSeconds() - begin_, bench::ResidentKb()});
      if (sensor_) sensor_->clearReceived();
      for (int i = 0; i < 20 && !quit_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    samples_.push_back({kvorsim::monotonicSeconds() - begin_, bench::ResidentKb()});
  }
  kvorsim::SensorSim *sensor_;
  std::thread thread_;
  std::atomic<bool> quit_{false};
  double begin_ = 0;
  std::vector<Sample> samples_;  // read only after the thread has ended
};

// The sample nearest to a fraction of the run.
Sample At(const std::vector<Sample> &samples, double fraction) {
  const double t = fraction * samples.back().seconds;
  Sample best = samples.front();
  for (const Sample &s : samples)
    if (std::fabs(s.seconds - t) < std::fabs(best.seconds - t)) best = s;
  return best;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  double seconds = options.Number("--seconds", 60, 5, 24 * 3600);
  if (options.Has("--minutes")) seconds = 60 * options.Number("--minutes", 1, 0.1, 24 * 60);
  const std::string tracePath = options.Text("--trace", "");
  const std::string device = options.Text("--device", "");
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  kvorsim::Options sensorOptions;
  sensorOptions.moving = !options.Has("--still");
  sensorOptions.paced = true;  // a real line's rate
  bench::ProgramSession session;
  if (!(device.empty() ? session.Start(sensorOptions) : session.StartOnDevice(device))) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());
  const long rssBeforeRun = bench::ResidentKb();
  const int repliesBefore = session.HasSensor() ? session.Sensor().repliesSent() : 0;
  RssSampler sampler(session.HasSensor() ? &session.Sensor() : nullptr);
  sampler.Start();
  // Run mode until the time is up. Should the program end it by itself (a
  // reply time-out), the operator's remedy follows, in the same process so
  // the memory carries on: choose the port again, press Run again.
  const double begin = kvorsim::monotonicSeconds();
  int interruptions = 0;
  double longest = 0;
  for (;;) {
    const double left = seconds - (kvorsim::monotonicSeconds() - begin);
    if (left < 1) break;
    const bench::ModeWindow w = bench::RunModeFor(MAIN_BTNRUN, left);
    longest = std::max(longest, w.loopEnded - w.begin);
    if (w.stoppedByBench) break;
    ++interruptions;
    bench::Note("run mode ended by itself after " + bench::Fixed(w.loopEnded - w.begin, 1) +
                " s, status \"" + w.statusAtEnd + "\"; port chosen again, Run pressed again");
    session.Reconnect();
  }
  const double ran = kvorsim::monotonicSeconds() - begin;
  const std::vector<Sample> samples = sampler.Stop();
  const int replies = session.HasSensor() ? session.Sensor().repliesSent() - repliesBefore : 0;

  if (!tracePath.empty()) {
    std::FILE *trace = std::fopen(tracePath.c_str(), "w");
    if (!trace) {
      bench::Note("could not write the trace to " + tracePath);
    } else {
      for (const Sample &s : samples) std::fprintf(trace, "%.1f\t%ld\n", s.seconds, s.rssKb);
      std::fclose(trace);
    }
  }
  const std::string length = bench::Fixed(seconds / 60.0, 1) + " min";
  const Sample s10 = At(samples, 0.10), s50 = At(samples, 0.50), s100 = samples.back();
  long peak = 0;
  for (const Sample &s : samples) peak = std::max(peak, s.rssKb);
  bench::Report(kBench, "RSS before run mode", rssBeforeRun, "KB", 0);
  bench::Report(kBench, "RSS at 10 % of " + length, s10.rssKb, "KB", 0,
                "t = " + bench::Fixed(s10.seconds, 0) + " s");
  bench::Report(kBench, "RSS at 50 % of " + length, s50.rssKb, "KB", 0,
                "t = " + bench::Fixed(s50.seconds, 0) + " s");
  bench::Report(kBench, "RSS at 100 % of " + length, s100.rssKb, "KB", 0,
                "t = " + bench::Fixed(s100.seconds, 0) + " s");
  bench::Report(kBench, "peak RSS during the run", peak, "KB", 0,
                "ru_maxrss of the process " + std::to_string(bench::PeakResidentKb()) + " KB");

  // Growth after the first minute (after the first 10 % for shorter runs):
  // warming up (first allocations, Qt's caches) is not growth.
  const double settled = seconds >= 120 ? 60.0 : 0.10 * seconds;
  const Sample base = At(samples, settled / samples.back().seconds);
  std::vector<double> x, y;
  for (const Sample &s : samples)
    if (s.seconds >= settled) x.push_back(s.seconds / 60.0), y.push_back(static_cast<double>(s.rssKb));
  bench::Report(kBench, "RSS growth from t = " + bench::Fixed(base.seconds, 0) + " s to the end",
                s100.rssKb - base.rssKb, "KB", 0,
                "least-squares slope " + bench::Fixed(bench::Slope(x, y), 1) + " KB/min over " +
                    std::to_string(x.size()) + " samples");
  if (session.HasSensor())
    bench::Report(kBench, "replies during the run", replies / ran, "1/s", 1,
                  std::to_string(replies) + " exchanges, sensor paced at 19200 baud, object " +
                      (sensorOptions.moving ? "moving" : "still"));
  else
    bench::Note("sensor on " + device + ", served by another process");
  bench::Report(kBench, "run mode ended by the program (time-out) during the soak", interruptions,
                "times", 0,
                "longest stretch " + bench::Fixed(longest, 0) + " s; each followed by the port chosen again");
  bench::Note("load average at end " + bench::LoadAverage());
  session.End();
  return 0;
}
