#include "bench/common/process_stats.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace bench {
namespace {

double Seconds(const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; }

double CpuSeconds(int who) {
  rusage usage{};
  if (getrusage(who, &usage) != 0) return 0;
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

}  // namespace

long ResidentKb() {
  std::FILE *f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long size = 0, resident = 0;
  const int got = std::fscanf(f, "%ld %ld", &size, &resident);
  std::fclose(f);
  if (got != 2) return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakResidentKb() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return -1;
  return usage.ru_maxrss;  // kilobytes on Linux
}

double ThreadCpuSeconds() { return CpuSeconds(RUSAGE_THREAD); }
double ProcessCpuSeconds() { return CpuSeconds(RUSAGE_SELF); }

}  // namespace bench
