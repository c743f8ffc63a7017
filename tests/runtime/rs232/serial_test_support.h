// Shared pieces of the serial-layer tests: starting the layer, letting events
// run, and a receive callback that records what it was given.
#ifndef KVOR_TESTS_RUNTIME_RS232_SERIAL_TEST_SUPPORT_H
#define KVOR_TESTS_RUNTIME_RS232_SERIAL_TEST_SUPPORT_H

#include "runtime/rs232/rs232.h"
#include "runtime/runtime.h"
#include "runtime/userint/userint.h"
#include "runtime/utility/utility.h"

#include <functional>
#include <string>

inline int StartLayer() {
  static char arg0[] = "test_ui";
  static char *argv[] = {arg0, nullptr};
  return InitCVIRTE(1, argv);
}

// Lets events run for the given time.
inline void PumpFor(double seconds) {
  const double end = Timer() + seconds;
  do {
    ProcessSystemEvents();
    Sleep(1);
  } while (Timer() < end);
}

// Lets events run until pred() holds or the time-out passes.
inline bool PumpUntil(const std::function<bool()> &pred, double timeoutSeconds) {
  const double end = Timer() + timeoutSeconds;
  while (!pred()) {
    if (Timer() > end) return false;
    ProcessSystemEvents();
    Sleep(1);
  }
  return true;
}

// Polls without running any events (as the system's firmware wait does).
inline bool PollUntil(const std::function<bool()> &pred, double timeoutSeconds) {
  const double end = Timer() + timeoutSeconds;
  while (!pred()) {
    if (Timer() > end) return false;
    Sleep(1);
  }
  return true;
}

// What the receive callback saw, call by call.
struct ReceiveLog {
  int calls = 0;
  int port = 0;
  int eventMask = 0;
  void *data = nullptr;
  int waitingAtCall = 0;  // GetInQLen inside the callback
  int readPerCall = 36;   // bytes the callback takes with ComRd
  std::string taken;      // everything it read, in order
};

inline ReceiveLog &Log() {
  static ReceiveLog log;
  return log;
}

inline void RecordReceive(int port, int eventMask, void *data) {
  ReceiveLog &log = Log();
  ++log.calls;
  log.port = port;
  log.eventMask = eventMask;
  log.data = data;
  log.waitingAtCall = GetInQLen(port);
  if (log.readPerCall > 0) {
    char buffer[1024];
    const int n = ComRd(port, buffer, log.readPerCall);
    if (n > 0) log.taken.append(buffer, static_cast<size_t>(n));
  }
}

struct LostLog {
  int calls = 0;
  int port = 0;
};

inline LostLog &Lost() {
  static LostLog log;
  return log;
}

inline void RecordLost(int port) {
  ++Lost().calls;
  Lost().port = port;
}

#endif
