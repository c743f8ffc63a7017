// What the process costs: resident memory and CPU time, from /proc and
// getrusage (process_stats.cpp); on Windows the working set and the
// system's CPU times (process_stats_windows.cpp).
#ifndef KVOR_BENCH_PROCESS_STATS_H
#define KVOR_BENCH_PROCESS_STATS_H

namespace bench {

long ResidentKb();        // resident set now (/proc/self/statm)
long PeakResidentKb();    // largest resident set so far (ru_maxrss)
// CPU seconds (user + system) of the calling thread, and of the whole process.
double ThreadCpuSeconds();
double ProcessCpuSeconds();

}  // namespace bench

#endif
