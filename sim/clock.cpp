#include "sim/clock.h"

#include <cerrno>
#include <cmath>
#include <ctime>

#include "sim/sensor_sim.h"

namespace kvorsim {

double monotonicSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void sleepUntil(double t) {
  if (!(t > 0)) return;
  timespec ts{};
  double whole = 0;
  const double frac = std::modf(t, &whole);
  ts.tv_sec = static_cast<time_t>(whole);
  ts.tv_nsec = static_cast<long>(frac * 1e9);
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_sec += 1;
    ts.tv_nsec -= 1000000000L;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
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
