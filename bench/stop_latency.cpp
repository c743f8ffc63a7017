// How long the operator waits after pressing Stop: from the press (a real
// click on the Stop button, handled inside the loop's event processing) to
// the end of the loop (the click on Run or Video returning). Each stretch
// lasts a little longer than the one before, so the press falls at
// different points of a pass.
//
//   bench_stop_latency [--runs N] [--video-runs N]
#include <cstdio>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/mode_run.h"
#include "bench/common/options.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "bench/common/stats.h"

namespace {

const char kBench[] = "stop";

// Stretches the program ended by itself before Stop (reply time-outs); each
// is repeated after choosing the port again and left out of the figures.
int g_cutShort = 0;

bool MeasureStops(bench::ProgramSession &session, int startControl, const std::string &mode,
                  bool paced, int runs, double firstSeconds) {
  const std::string label = mode + ", " + (paced ? "paced 19200 baud" : "unpaced");
  session.Sensor().setPacing(paced);
  std::vector<double> stopMs;
  for (int i = 0; i < runs; ++i) {
    const double seconds = firstSeconds + 0.023 * i;  // 23 ms: not a multiple of a pass
    const bench::ModeWindow w =
        bench::RunModeRetrying(session, startControl, seconds, {}, 3, &g_cutShort);
    if (!w.stoppedByBench) {
      bench::Note(label + " never ran its whole stretch");
      return false;
    }
    stopMs.push_back(w.StopToEndMs());
  }
  bench::Report(kBench, "Stop to loop end median, " + label, bench::Median(stopMs), "ms", 2,
                "max " + bench::Fixed(bench::Maximum(stopMs), 2) + " ms over " +
                    std::to_string(runs) + " runs");
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  bench::Options options(argc, argv);
  const int runs = static_cast<int>(options.Number("--runs", 10, 1, 1000));
  const int videoRuns = static_cast<int>(options.Number("--video-runs", 5, 1, 1000));
  if (!options.Valid()) {
    std::fprintf(stderr, "%s", options.Errors().c_str());
    return 2;
  }
  kvorsim::Options sensor;
  sensor.moving = true;
  bench::ProgramSession session;
  if (!session.Start(sensor)) {
    std::fprintf(stderr, "%s\n", session.Error().c_str());
    return 1;
  }
  bench::Note("load average at start " + bench::LoadAverage());
  bool ok = MeasureStops(session, MAIN_BTNRUN, "run mode", true, runs, 0.3);
  ok = MeasureStops(session, MAIN_BTNRUN, "run mode", false, runs, 0.3) && ok;
  // Video mode ends only at the end of a pass, after the blocks still to come.
  ok = MeasureStops(session, MAIN_BTNVIDEO, "video mode", true, videoRuns, 0.5) && ok;
  ok = MeasureStops(session, MAIN_BTNVIDEO, "video mode", false, videoRuns, 0.5) && ok;
  bench::Report(kBench, "stretches ended by the program before Stop", g_cutShort, "", 0,
                "of " + std::to_string(2 * runs + 2 * videoRuns) + " stretches; each repeated after choosing the port again");
  bench::Note("load average at end " + bench::LoadAverage());
  session.End();
  return ok ? 0 : 1;
}
