// What the process costs on Windows: the working set and the CPU times the
// system keeps for the thread and the process.
#include "bench/common/process_stats.h"

#include <windows.h>
#include <psapi.h>

namespace bench {
namespace {

double Seconds(const FILETIME &t) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return static_cast<double>(ticks) * 100e-9;  // 100 ns units
}

bool Memory(PROCESS_MEMORY_COUNTERS *counters) {
  return ::GetProcessMemoryInfo(::GetCurrentProcess(), counters, sizeof *counters) != 0;
}

}  // namespace

long ResidentKb() {
  PROCESS_MEMORY_COUNTERS counters{};
  return Memory(&counters) ? static_cast<long>(counters.WorkingSetSize / 1024) : -1;
}

long PeakResidentKb() {
  PROCESS_MEMORY_COUNTERS counters{};
  return Memory(&counters) ? static_cast<long>(counters.PeakWorkingSetSize / 1024) : -1;
}

double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

}  // namespace bench
