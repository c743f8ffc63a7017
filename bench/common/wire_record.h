// Reads rates off what the simulated sensor received: the time stamps of the
// requests tell how often the program asked, and, since it asks again only
// after the previous reply has been dealt with, how often it was served.
#ifndef KVOR_BENCH_WIRE_RECORD_H
#define KVOR_BENCH_WIRE_RECORD_H

#include <functional>
#include <string>
#include <vector>

#include "sim/sensor_sim.h"

namespace bench {

// Arrival times of the frames that match, received within [from, to]
// (monotonic seconds, as kvorsim::monotonicSeconds()).
std::vector<double> RequestTimes(const std::vector<kvorsim::ReceivedFrame> &frames,
                                 const std::function<bool(const kvorsim::ReceivedFrame &)> &match,
                                 double from, double to);
bool IsCommand(const kvorsim::ReceivedFrame &frame, int command);

struct Cadence {
  int requests = 0;
  double perSecond = 0;       // (requests - 1) / (last - first): cycles completed per second
  double medianGapMs = 0;     // between consecutive requests
  double p99GapMs = 0;
  double maxGapMs = 0;
  std::vector<double> gapsMs;
};
Cadence CadenceOf(const std::vector<double> &times);

// Two figures of a loop's exchanges: `what` per second against the line's
// limit (limitPerSecond), and the request interval's median, p99 and maximum.
void ReportCadence(const std::string &benchmark, const std::string &what, const std::string &label,
                   const Cadence &c, double limitPerSecond, double seconds);

}  // namespace bench

#endif
