// Run mode with the statistics pop-up shown against run mode with it
// closed: replies shown per second, paced at 19200 baud and unpaced, in
// alternating stretches (closed, shown, closed, shown) so a change in the
// machine's load falls on both alike. The pop-up redraws its figures and
// histogram at most twice a second; the goal is a rate within 2 % of the
// rate with it closed.
//
//   bench_statistics_popup [--seconds 8] [--rounds 2]
//   bench_statistics_popup --screenshot PATH [--seconds 8]
//
// With --screenshot it measures nothing: the sensor's measured value is set
// anew every 30 ms from a normal distribution around a set-point of
// 37.000 mm (tolerances 0.050 mm), run mode runs for a stretch with the pop-up
// shown, and the picture of the pop-up is saved (scripts/screenshots.sh
// --statistics runs it under Xvfb for the README).
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/line_budget.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/process_stats.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "bench/common/stats.h"
#include "bench/common/wire_record.h"
#include "link/protocol.h"
#include "runtime/testkit/testkit.h"

namespace {

const char kBench[] = "statistics pop-up";

struct Stretch {
  double perSecond = 0;
  double threadCpu = 0;  // share of one core
};

bool MeasureStretch(bench::ProgramSession &session, double seconds, int *cutShort, Stretch *out) {
  const auto clear = [&] { session.Sensor().clearReceived(); };
  clear();
  const bench::ModeWindow w = bench::RunModeRetrying(session, MAIN_BTNRUN, seconds, {}, 3, cutShort, clear);
  if (!w.stoppedByBench) return false;
  const auto times = bench::RequestTimes(
      session.Sensor().received(), [](const kvorsim::ReceivedFrame &f) { return bench::IsCommand(f, CMD_GET_RAW); },
      w.begin, w.end);
  out->perSecond = bench::CadenceOf(times).perSecond;
  out->threadCpu = 100.0 * w.threadCpuSeconds / w.Seconds();
  return true;
}

void ShowPopup(bool shown) {
  if (testkit::IsPanelVisible(pStats) != shown) testkit::Click(pHandle, MAIN_TOGGBTN_STATS);
  testkit::Pump(0.2);
}

double Mean(const std::vector<double> &v) {
  double sum = 0;
  for (double x : v) sum += x;
  return v.empty() ? 0 : sum / v.size();
}

bool Compare(bench::ProgramSession &session, bool paced, double seconds, int rounds, int *cutShort) {
  const std::string label = paced ? "paced 19200 baud" : "unpaced";
  session.Sensor().setPacing(paced);
  std::vector<double> closed, shown, cpuClosed, cpuShown;
  for (int round = 0; round < rounds; ++round) {
    for (bool popup : {false, true}) {
      ShowPopup(popup);
      Stretch s;
      if (!MeasureStretch(session, seconds, cutShort, &s)) {
        bench::Note("run mode (" + label + ") never ran its whole stretch");
        return false;
      }
      (popup ? shown : closed).push_back(s.perSecond);
      bench::Note(label + ", pop-up " + (popup ? "shown" : "closed") + ": " + bench::Fixed(s.perSecond, 2) + "/s");
      (popup ? cpuShown : cpuClosed).push_back(s.threadCpu);
    }
  }
  ShowPopup(false);
  const double c = Mean(closed), o = Mean(shown);
  const double limit = bench::RunExchangesPerSecondLimit();
  bench::Report(kBench, "replies shown, pop-up closed, " + label, c, "1/s", 2,
                "line limit " + bench::Fixed(limit, 1) + "/s; " + std::to_string(rounds) + " stretches of " +
                    bench::Fixed(seconds, 0) + " s");
  bench::Report(kBench, "replies shown, pop-up shown, " + label, o, "1/s", 2,
                std::to_string(rounds) + " stretches of " + bench::Fixed(seconds, 0) + " s, alternating with the above");
  bench::Report(kBench, "rate with the pop-up shown against closed, " + label, c > 0 ? 100.0 * (o - c) / c : 0, "%",
                2, "goal: within 2 %");
  bench::Report(kBench, "UI thread CPU, pop-up closed / shown, " + label, Mean(cpuClosed), "%", 1,
                "shown " + bench::Fixed(Mean(cpuShown), 1) + " % of one core");
  return true;
}

// A measured value from N(mean, sd) in micrometres, with the rest of the
// reply as a sensor in evaluation mode 1 would send it.
void SetValue(kvorsim::SensorSim &s, std::mt19937 &random, double meanUm, double sdUm, int teachA) {
  std::normal_distribution<double> normal(meanUm, sdUm);
  const int um = static_cast<int>(std::lround(normal(random)));
  const int vpx = teachA + (um - 37000) * 4;  // 0.25 um per virtual pixel
  kvorsim::Measurement m;
  m.aval = m.mvalue = static_cast<uint16_t>(vpx);
  m.bval = 2253;
  m.umValue = um;
  m.tolup = m.tollo = 200;  // 0.050 mm
  m.edcntA = m.edcntB = 1;
  m.tValA = static_cast<uint16_t>(teachA);
  m.tValB = 2253;
  m.anaMax = 200;
  m.anaMin = 20;
  s.setMeasurement(m);
}

int Screenshot(const std::string &path, double seconds) {
  kvorsim::Options sensor;
  sensor.moving = false;
  bench::ProgramSession session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  kvorsim::SensorSim &s = session.Sensor();
  const int teachA = s.ram(0)[2];
  kvorsim::ParamFrame frame1 = s.ram(1);
  frame1[13] = 37000 & 0xFFFF;  // set-point 37.000 mm
  frame1[14] = 37000 >> 16;
  s.setRam(1, frame1);
  testkit::Click(pHandle, MAIN_BTNGET);  // the panels take the sensor's set-point
  std::mt19937 random(28);
  auto drive = std::make_shared<std::function<void()>>();
  *drive = [&s, &random, teachA, drive] {
    SetValue(s, random, 37004.0, 12.0, teachA);
    testkit::RunLater(0.03, *drive);
  };
  SetValue(s, random, 37004.0, 12.0, teachA);
  testkit::RunLater(0.03, *drive);
  s.setPacing(false);
  testkit::Click(pHandle, MAIN_TOGGBTN_STATS);
  testkit::RunLater(seconds, [] { testkit::Click(pHandle, MAIN_BTNSTOP); });
  testkit::Click(pHandle, MAIN_BTNRUN);
  testkit::Pump(0.6);
  const bool saved = testkit::IsPanelVisible(pStats) && testkit::SaveScreenshot(pStats, path);
  std::printf("# %s\n", session.Status().c_str());
  *drive = [] {};
  session.End();
  if (!saved) std::fprintf(stderr, "no picture of the statistics pop-up saved to %s\n", path.c_str());
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const double seconds = options.Number("--seconds", 8, 1, 3600);
  const int rounds = static_cast<int>(options.Number("--rounds", 2, 1, 100));
  const std::string screenshot = options.Text("--screenshot", "");
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  if (!screenshot.empty()) return Screenshot(screenshot, seconds);

  kvorsim::Options sensor;
  sensor.moving = true;  // values that spread, so the histogram has bins to draw
  bench::ProgramSession session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());
  int cutShort = 0;
  bool ok = Compare(session, true, seconds, rounds, &cutShort);
  ok = Compare(session, false, seconds, rounds, &cutShort) && ok;
  bench::Report(kBench, "stretches ended by the program before Stop", cutShort, "", 0,
                "each repeated after choosing the port again; see the comment lines");
  bench::Note("load average at end " + bench::LoadAverage());
  session.End();
  return ok ? 0 : 1;
}
