// One stretch of run or video mode as the operator drives it: press the
// mode's button, and after a while press Stop. The button's callback holds
// the loop, so Stop is pressed from a timer that fires inside the loop's own
// event processing, as a real press would be handled.
#ifndef KVOR_BENCH_MODE_RUN_H
#define KVOR_BENCH_MODE_RUN_H

#include <functional>
#include <string>

namespace bench {

struct ModeWindow {
  // False when the loop ended before the bench pressed Stop (a time-out).
  bool stoppedByBench = false;
  // The measured stretch, monotonic seconds: from the button press to the
  // moment before Stop (and before beforeStop ran).
  double begin = 0, end = 0;
  double stopPressed = 0;   // the Stop button received the mouse press
  double loopEnded = 0;     // the mode button's click returned
  double threadCpuSeconds = 0, processCpuSeconds = 0;  // within [begin, end]
  long rssBeginKb = 0, rssEndKb = 0;
  std::string statusAtEnd;  // the status box once the loop ended

  double Seconds() const { return end - begin; }
  double StopToEndMs() const { return (loopEnded - stopPressed) * 1000.0; }
};

// The buttons that start and stop a loop: Run or Video and Stop on the main
// panel, or the recorder's start and stop buttons.
struct LoopButtons {
  int startPanel, startControl, stopPanel, stopControl;
};
// Run or Video and the main panel's Stop.
LoopButtons MainPanelLoop(int startControl);

// Presses the start button, waits `seconds` inside the loop, runs beforeStop
// (e.g. a screenshot), presses the stop button and returns once the loop has
// ended.
ModeWindow RunModeFor(const LoopButtons &buttons, double seconds,
                      const std::function<void()> &beforeStop = {});
inline ModeWindow RunModeFor(int startControl, double seconds,
                             const std::function<void()> &beforeStop = {}) {
  return RunModeFor(MainPanelLoop(startControl), seconds, beforeStop);
}

class ProgramSession;

// RunModeFor, for a measurement that needs a whole stretch: when the program
// ends the loop by itself (a reply time-out), that is told on a comment line
// with the status text and counted in *cutShort; the operator's remedy is
// applied (the port chosen again, ProgramSession::Reconnect), afterReconnect
// runs (e.g. to clear records) and the stretch is tried again, up to
// `attempts` stretches in all.
ModeWindow RunModeRetrying(ProgramSession &session, const LoopButtons &buttons, double seconds,
                           const std::function<void()> &beforeStop, int attempts, int *cutShort,
                           const std::function<void()> &afterReconnect = {});
inline ModeWindow RunModeRetrying(ProgramSession &session, int startControl, double seconds,
                                  const std::function<void()> &beforeStop, int attempts,
                                  int *cutShort, const std::function<void()> &afterReconnect = {}) {
  return RunModeRetrying(session, MainPanelLoop(startControl), seconds, beforeStop, attempts,
                         cutShort, afterReconnect);
}

// The machine's load averages, for the record of a measurement.
std::string LoadAverage();

}  // namespace bench

#endif
