#include "bench/common/wire_record.h"

#include "bench/common/report.h"
#include "bench/common/stats.h"

namespace bench {

std::vector<double> RequestTimes(const std::vector<kvorsim::ReceivedFrame> &frames,
                                 const std::function<bool(const kvorsim::ReceivedFrame &)> &match,
                                 double from, double to) {
  std::vector<double> times;
  for (const kvorsim::ReceivedFrame &f : frames)
    if (f.time >= from && f.time <= to && match(f)) times.push_back(f.time);
  return times;
}

bool IsCommand(const kvorsim::ReceivedFrame &frame, int command) {
  return frame.command() == command;
}

Cadence CadenceOf(const std::vector<double> &times) {
  Cadence c;
  c.requests = static_cast<int>(times.size());
  if (times.size() < 2) return c;
  std::vector<double> gaps;
  for (size_t i = 1; i < times.size(); ++i) gaps.push_back((times[i] - times[i - 1]) * 1000.0);
  c.perSecond = static_cast<double>(times.size() - 1) / (times.back() - times.front());
  c.medianGapMs = Median(gaps);
  c.p99GapMs = Percentile(gaps, 99);
  c.maxGapMs = Maximum(gaps);
  c.gapsMs = gaps;
  return c;
}

void ReportCadence(const std::string &benchmark, const std::string &what, const std::string &label,
                   const Cadence &c, double limitPerSecond, double seconds) {
  Report(benchmark, what + ", " + label, c.perSecond, "1/s", 1,
         "line limit " + Fixed(limitPerSecond, 1) + "/s, ratio " + Fixed(c.perSecond / limitPerSecond, 2));
  Report(benchmark, "request interval median, " + label, c.medianGapMs, "ms", 1,
         "p99 " + Fixed(c.p99GapMs, 1) + " ms, max " + Fixed(c.maxGapMs, 1) + " ms, " +
             std::to_string(c.requests) + " requests in " + Fixed(seconds, 1) + " s");
}

}  // namespace bench
