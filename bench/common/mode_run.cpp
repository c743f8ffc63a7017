#include "bench/common/mode_run.h"

#include <fstream>
#include <memory>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/process_stats.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "sim/sensor_sim.h"
#include "ui/testkit/testkit.h"

namespace bench {
namespace {
const double kSettleSeconds = 0.25;
}  // namespace

ModeWindow RunModeFor(int startControl, double seconds, const std::function<void()> &beforeStop) {
  // The operator's pause before a start: a reply still on its way when the
  // last loop was stopped arrives meanwhile and is taken by the receive
  // callback, as it would be between two real presses.
  testkit::Pump(kSettleSeconds);
  // Shared with the timer: if the loop ends on its own first, the timer
  // still fires later and must find its state alive (and do nothing).
  auto window = std::make_shared<ModeWindow>();
  auto finished = std::make_shared<bool>(false);
  const double cpuThread0 = ThreadCpuSeconds(), cpuProcess0 = ProcessCpuSeconds();
  window->rssBeginKb = ResidentKb();
  window->begin = kvorsim::monotonicSeconds();
  testkit::RunLater(seconds, [window, finished, beforeStop, cpuThread0, cpuProcess0] {
    if (*finished) return;
    window->end = kvorsim::monotonicSeconds();
    window->threadCpuSeconds = ThreadCpuSeconds() - cpuThread0;
    window->processCpuSeconds = ProcessCpuSeconds() - cpuProcess0;
    window->rssEndKb = ResidentKb();
    window->stoppedByBench = true;
    if (beforeStop) beforeStop();
    window->stopPressed = kvorsim::monotonicSeconds();
    testkit::Click(pHandle, MAIN_BTNSTOP);
  });
  testkit::Click(pHandle, startControl);
  window->loopEnded = kvorsim::monotonicSeconds();
  *finished = true;
  window->statusAtEnd = testkit::Text(pHandle, MAIN_STATUS);
  return *window;
}

ModeWindow RunModeRetrying(ProgramSession &session, int startControl, double seconds,
                           const std::function<void()> &beforeStop, int attempts, int *cutShort,
                           const std::function<void()> &afterRestart) {
  ModeWindow w;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    w = RunModeFor(startControl, seconds, beforeStop);
    if (w.stoppedByBench) return w;
    ++*cutShort;
    Note("the loop ended by itself after " + Fixed(w.loopEnded - w.begin, 2) + " s, status \"" +
         w.statusAtEnd + "\"; the program is started afresh and the stretch repeated");
    if (!session.Restart()) {
      Note("the program could not be started again: " + session.Error());
      return w;
    }
    if (afterRestart) afterRestart();
  }
  return w;
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

}  // namespace bench
