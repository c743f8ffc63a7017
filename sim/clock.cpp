#include "sim/clock.h"

#include <chrono>
#include <thread>

#include "sim/sensor_sim.h"

namespace kvorsim {

namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

// The steady clock is CLOCK_MONOTONIC on Linux, so the sensor's times and a
// test's own clock_gettime readings are on one scale.
double monotonicSeconds() {
  return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void sleepUntil(double t) {
  if (!(t > 0)) return;
  const Clock::time_point deadline(
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(t)));
  std::this_thread::sleep_until(deadline);
}

bool sleepUntilUnless(double t, const std::atomic<bool> &cancel) {
  const double step = 0.01;
  for (;;) {
    if (cancel.load()) return false;
    const double now = monotonicSeconds();
    if (now >= t) return true;
    sleepUntil(t - now > step ? now + step : t);
  }
}

}  // namespace kvorsim
