// The system timer's resolution while a program runs. Windows wakes a
// sleeping thread on its timer tick, 15.6 ms by default, so the polling
// loops' 20 ms sleeps took about 31 ms; with the resolution raised to 1 ms
// they take 20. Elsewhere sleeps are as fine as asked already (the timer
// slack of Sleep in time.cpp).
#include "runtime/utility/utility.h"

#ifdef _WIN32
#include <windows.h>
#include <timeapi.h>
#endif

namespace {

int g_holders = 0;

}  // namespace

void BeginFineTimer(void) {
#ifdef _WIN32
  if (g_holders == 0) timeBeginPeriod(1);
#endif
  ++g_holders;
}

void EndFineTimer(void) {
  if (g_holders == 0) return;
  --g_holders;
#ifdef _WIN32
  if (g_holders == 0) timeEndPeriod(1);
#endif
}
