// Order statistics of a sample of timings.
#ifndef KVOR_BENCH_STATS_H
#define KVOR_BENCH_STATS_H

#include <vector>

namespace bench {

double Median(std::vector<double> values);
// Nearest-rank percentile (p in 0..100): the smallest value that at least p %
// of the sample does not exceed. 0 for an empty sample.
double Percentile(std::vector<double> values, double p);
double Maximum(const std::vector<double> &values);
// Slope of the least-squares line through (x, y), in y units per x unit.
double Slope(const std::vector<double> &x, const std::vector<double> &y);

}  // namespace bench

#endif
