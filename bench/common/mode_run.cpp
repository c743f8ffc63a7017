#include "bench/common/mode_run.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <fstream>
#include <memory>

#include "app/controls.h"
#include "app/globals.h"
#include "bench/common/process_stats.h"
#include "bench/common/program_session.h"
#include "bench/common/report.h"
#include "sim/sensor_sim.h"
#include "runtime/userint/control_binding.h"
#include "runtime/userint/panel_registry.h"
#include "runtime/testkit/testkit.h"

namespace bench {
namespace {

const double kSettleSeconds = 0.25;

// Notes when the mouse press reaches a button: the moment the operator's
// press begins, whatever the click helper did before it (such as waiting
// for the window to become the active one).
class PressTime : public QObject {
 public:
  double at = 0;

 protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::MouseButtonPress && at == 0) at = kvorsim::monotonicSeconds();
    return false;
  }
};

QWidget *ControlWidget(int panel, int control) {
  int error = 0;
  uilayer::ControlBinding *binding = uilayer::FindControl(panel, control, &error);
  return binding ? binding->widget() : nullptr;
}

}  // namespace

LoopButtons MainPanelLoop(int startControl) { return {pHandle, startControl, pHandle, MAIN_BTNSTOP}; }

ModeWindow RunModeFor(const LoopButtons &buttons, double seconds,
                      const std::function<void()> &beforeStop) {
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
  testkit::RunLater(seconds, [window, finished, beforeStop, cpuThread0, cpuProcess0, buttons] {
    if (*finished) return;
    window->end = kvorsim::monotonicSeconds();
    window->threadCpuSeconds = ThreadCpuSeconds() - cpuThread0;
    window->processCpuSeconds = ProcessCpuSeconds() - cpuProcess0;
    window->rssEndKb = ResidentKb();
    window->stoppedByBench = true;
    if (beforeStop) beforeStop();
    PressTime press;
    QWidget *stop = ControlWidget(buttons.stopPanel, buttons.stopControl);
    if (stop) stop->installEventFilter(&press);
    const double clicked = kvorsim::monotonicSeconds();
    testkit::Click(buttons.stopPanel, buttons.stopControl);
    if (stop) stop->removeEventFilter(&press);
    window->stopPressed = press.at > 0 ? press.at : clicked;
  });
  testkit::Click(buttons.startPanel, buttons.startControl);
  window->loopEnded = kvorsim::monotonicSeconds();
  *finished = true;
  window->statusAtEnd = testkit::Text(pHandle, MAIN_STATUS);
  return *window;
}

ModeWindow RunModeRetrying(ProgramSession &session, const LoopButtons &buttons, double seconds,
                           const std::function<void()> &beforeStop, int attempts, int *cutShort,
                           const std::function<void()> &afterReconnect) {
  ModeWindow w;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    w = RunModeFor(buttons, seconds, beforeStop);
    if (w.stoppedByBench) return w;
    ++*cutShort;
    Note("the loop ended by itself after " + Fixed(w.loopEnded - w.begin, 2) + " s, status \"" +
         w.statusAtEnd + "\"; port chosen again, stretch repeated");
    session.Reconnect();
    if (afterReconnect) afterReconnect();
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
