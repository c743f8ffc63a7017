// The monotonic clock the sensor keeps its time on: frame time stamps,
// pacing deadlines and time-outs all use it.
#ifndef KVOR_SIM_CLOCK_H
#define KVOR_SIM_CLOCK_H

#include <atomic>

namespace kvorsim {

double monotonicSeconds();
// Sleeps until the absolute time t (seconds on the monotonic clock), so a
// sequence of deadlines does not drift with the time spent between them.
void sleepUntil(double t);
// As sleepUntil, in short steps, giving up early once `cancel` is set.
// Returns false when cancelled.
bool sleepUntilUnless(double t, const std::atomic<bool> &cancel);

}  // namespace kvorsim

#endif
