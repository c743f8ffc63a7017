// Clock, blocking waits and the date and time texts.
#include "runtime/utility/utility.h"
#include "runtime/utility/internal.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Timer counts from its first use, so its values stay small and keep their
// sub-millisecond resolution in a double.
Clock::time_point TimerBase() {
  static const Clock::time_point base = Clock::now();
  return base;
}

bool LocalTimeNow(std::tm *out) {
  const std::time_t now = std::time(nullptr);
#ifdef _WIN32
  return localtime_s(out, &now) == 0;
#else
  return localtime_r(&now, out) != nullptr;
#endif
}

BlockedTimeUse g_blockedTimeUse = nullptr;

}  // namespace

void SetBlockedTimeUse(BlockedTimeUse use) { g_blockedTimeUse = use; }

double Timer(void) {
  const Clock::time_point base = TimerBase();
  return std::chrono::duration<double>(Clock::now() - base).count();
}

void Delay(double seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) return;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void Sleep(unsigned int milliseconds) {
#ifdef __linux__
  // The polling loops sleep 20 ms a pass; Linux lets a sleep run up to its
  // timer slack (50 us by default) late on top of the wake-up. A slack of
  // 1 ns keeps every pass as short as the loop asks for.
  static thread_local bool slackSet = false;
  if (!slackSet) {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    slackSet = true;
  }
#endif
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  if (g_blockedTimeUse != nullptr)
    g_blockedTimeUse(std::chrono::duration<double>(end - TimerBase()).count());
  // The wake-up itself comes some 50 to 100 us late; the last stretch is
  // waited out awake (yielding), so a 20 ms pass is 20 ms.
  const auto awake = std::chrono::microseconds(150);
  if (milliseconds > 1) std::this_thread::sleep_until(end - awake);
  while (Clock::now() < end) std::this_thread::yield();
}

const char *DateStr(void) {
  static char text[32];
  std::tm t{};
  if (!LocalTimeNow(&t)) {
    std::snprintf(text, sizeof text, "00-00-0000");
    return text;
  }
  std::snprintf(text, sizeof text, "%02d-%02d-%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
  return text;
}

const char *TimeStr(void) {
  static char text[32];
  std::tm t{};
  if (!LocalTimeNow(&t)) {
    std::snprintf(text, sizeof text, "00:00:00");
    return text;
  }
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return text;
}
