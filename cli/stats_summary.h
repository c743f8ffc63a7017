// What kvor tells of a series of measured values: the figures of the
// window's statistics pop-up, computed by the same function, as text lines
// and as JSON keys (null where a figure is not defined).
#ifndef KVOR_CLI_STATS_SUMMARY_H
#define KVOR_CLI_STATS_SUMMARY_H

#include "cli/results.h"
#include "display/statistics.h"

namespace kvorcli {

// samples, mean_mm, sd_mm, min_mm, max_mm, lower_mm, upper_mm, within_pct,
// below, above, cp, cpk into result->data, and four lines into
// result->details.
void AddStatsSummary(const StatsFigures &figures, const StatsLimits &limits, SensorResult *result);
// The same keys, all null: nothing was computed.
void AddNoStats(SensorResult *result);

}  // namespace kvorcli

#endif
