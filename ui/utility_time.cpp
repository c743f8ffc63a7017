// Clock, blocking waits and the date and time texts.
#include "ui/utility.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>

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

}  // namespace

double Timer(void) {
  const Clock::time_point base = TimerBase();
  return std::chrono::duration<double>(Clock::now() - base).count();
}

void Delay(double seconds) {
  if (!(seconds > 0) || !std::isfinite(seconds)) return;
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

#ifndef _WIN32
void Sleep(unsigned int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
#endif

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
